#include "file_host/html/html_scan.h"

#include <gtest/gtest.h>

namespace velmo::file_host::html {
namespace {

struct TokenCase {
  std::string_view src;
  TokenKind kind;
  std::size_t end;  // where the first token ends
  std::string_view text;
};

TEST(HtmlScan, FirstTokenEndsWhereTheTokenizerEndsIt) {
  const TokenCase cases[] = {
      {"<!-- a -->x", TokenKind::Comment, 10, " a "},
      {"<!-->x", TokenKind::Comment, 5, ""},
      {"<!--->x", TokenKind::Comment, 6, ""},
      {"<!---->x", TokenKind::Comment, 7, ""},
      {"<!-- a --!>x", TokenKind::Comment, 11, " a "},
      {"<!-- a -- b -->x", TokenKind::Comment, 15, " a -- b "},
      {"<!--<!-->x", TokenKind::Comment, 9, "<!"},
      {"<!-- open", TokenKind::Comment, 9, " open"},
      {"<!x>y", TokenKind::BogusComment, 4, "x"},
      {"<?xml version='1'?>y", TokenKind::BogusComment, 19, "?xml version='1'?"},
      {"</ x>y", TokenKind::BogusComment, 5, " x"},
      {"<![CDATA[x]]>y", TokenKind::BogusComment, 13, "[CDATA[x]]"},
      {"<!DOCTYPE html>x", TokenKind::Doctype, 15, "DOCTYPE html"},
      {"<!doctype html PUBLIC \"a>b\">", TokenKind::Doctype, 25, "doctype html PUBLIC \"a"},
      {"<a title=\"x>y\" b='>'>z", TokenKind::StartTag, 21, "a"},
      {"<a b=c>d>", TokenKind::StartTag, 7, "a"},
      {"<a b = \"1\"c>d", TokenKind::StartTag, 12, "a"},
      {"</p foo=\">\">x", TokenKind::EndTag, 12, "p"},
      {"<DIV\tclass=x\n>", TokenKind::StartTag, 14, "DIV"},
      {"</>x", TokenKind::Dropped, 3, ""},
      {"<a href=\"x", TokenKind::Dropped, 10, ""},
      {"< a>", TokenKind::Text, 4, "< a>"},
      {"<", TokenKind::Text, 1, "<"},
      {"</", TokenKind::Text, 2, "</"},
      {"text<b>", TokenKind::Text, 4, "text"},
  };
  for (const TokenCase& c : cases) {
    const Token t = nextToken(c.src, 0);
    EXPECT_EQ(t.kind, c.kind) << c.src;
    EXPECT_EQ(t.end, c.end) << c.src;
    EXPECT_EQ(t.text, c.text) << c.src;
  }
}

TEST(HtmlScan, CdataSectionOnlyInForeignContent) {
  const Token t = nextToken("<![CDATA[a>b]]>c", 0, true);
  EXPECT_EQ(t.kind, TokenKind::Cdata);
  EXPECT_EQ(t.end, 15u);
}

TEST(HtmlScan, SelfClosingNeedsSlashRightBeforeTheEnd) {
  EXPECT_TRUE(nextToken("<br/>", 0).selfClosing);
  EXPECT_TRUE(nextToken("<svg a=1 />", 0).selfClosing);
  EXPECT_FALSE(nextToken("<br/ >", 0).selfClosing);
  EXPECT_FALSE(nextToken("<a href=x/>", 0).selfClosing);  // the slash belongs to the value
}

TEST(HtmlScan, OpenTokensAreMarked) {
  EXPECT_TRUE(nextToken("<!-- x", 0).openAtEof);
  EXPECT_TRUE(nextToken("<p class='", 0).openAtEof);
  EXPECT_TRUE(nextToken("abc", 0).openAtEof);
  EXPECT_FALSE(nextToken("<p>", 0).openAtEof);
  EXPECT_FALSE(nextToken("abc<", 0).openAtEof);
}

struct RawCase {
  std::string_view content;  // what follows the start tag
  TextMode mode;
  std::string_view name;
  std::size_t end;
};

TEST(HtmlScan, RawTextEndsAtItsOwnEndTagOnly) {
  const RawCase cases[] = {
      {"a</style>", TextMode::RawText, "style", 1},
      {"a</STYLE >", TextMode::RawText, "style", 1},
      {"a</styles></style/>", TextMode::RawText, "style", 10},
      {"<!-- </style> -->", TextMode::RawText, "style", 5},
      {"a</style", TextMode::RawText, "style", 8},
      {"x</title>", TextMode::Rcdata, "title", 1},
      {"</textarea\n>", TextMode::Rcdata, "textarea", 0},
      {"</plaintext>", TextMode::Plaintext, "plaintext", 12},
      {"a</script>", TextMode::ScriptData, "script", 1},
      // Escaped: a plain </script> still ends it.
      {"<!-- x </script> -->", TextMode::ScriptData, "script", 7},
      // Double-escaped: the first </script> belongs to the nested <script>.
      {"<!-- <script> </script> --></script>", TextMode::ScriptData, "script", 27},
      {"<!-- <script>a</script>b</script>", TextMode::ScriptData, "script", 24},
      // "-->" leaves the escape, so a later "<script>" does not double-escape.
      {"<!-- --> <script></script>", TextMode::ScriptData, "script", 17},
      {"<!--<scripts></script>", TextMode::ScriptData, "script", 13},
      {"<!-- <script> -->x</script>", TextMode::ScriptData, "script", 18},
      {"<!-- <script> --x</script></script>", TextMode::ScriptData, "script", 26},
  };
  for (const RawCase& c : cases) {
    EXPECT_EQ(rawTextEnd(c.content, 0, c.mode, c.name), c.end) << c.content;
  }
}

TEST(HtmlScan, TextModes) {
  EXPECT_EQ(textModeOf("SCRIPT"), TextMode::ScriptData);
  EXPECT_EQ(textModeOf("noscript"), TextMode::RawText);
  EXPECT_EQ(textModeOf("Title"), TextMode::Rcdata);
  EXPECT_EQ(textModeOf("plaintext"), TextMode::Plaintext);
  EXPECT_FALSE(textModeOf("div"));
  EXPECT_FALSE(textModeOf("scripts"));
}

TEST(HtmlScan, AttributesQuotedUnquotedAndBare) {
  const auto a =
      tagAttributes("<link REL=Stylesheet href='a b.css' disabled x=\"&amp;&#65;&#x42;\">");
  ASSERT_EQ(a.size(), 4u);
  EXPECT_EQ(a[0].name, "REL");
  EXPECT_EQ(a[0].value, "Stylesheet");
  EXPECT_EQ(a[1].value, "a b.css");
  EXPECT_FALSE(a[2].hasValue);
  EXPECT_EQ(findAttribute(a, "rel"), "Stylesheet");
  EXPECT_EQ(findAttribute(a, "disabled"), "");
  EXPECT_EQ(findAttribute(a, "x"), "&AB");
  EXPECT_FALSE(findAttribute(a, "media"));
}

TEST(HtmlScan, FirstOfDuplicateAttributesWins) {
  EXPECT_EQ(findAttribute(tagAttributes("<a bot=1 BOT=2>"), "bot"), "1");
}

TEST(HtmlScan, CharacterReferences) {
  EXPECT_EQ(decodeCharacterReferences("a&lt;b&gt;&quot;&apos;&nbsp;"), "a<b>\"'\xC2\xA0");
  EXPECT_EQ(decodeCharacterReferences("&#233;&#x1F600;&#0;"),
            "\xC3\xA9\xF0\x9F\x98\x80\xEF\xBF\xBD");
  EXPECT_EQ(decodeCharacterReferences("&unknown; & &#;"), "&unknown; & &#;");
  // Every name a browser knows, on request; the longest one the text begins with wins.
  EXPECT_EQ(
      decodeCharacterReferences("&eacute;&notin;&notit;&AMP&eacute &zz;", NamedReferences::All),
      "\xC3\xA9\xE2\x88\x89\xC2\xACit;&\xC3\xA9 &zz;");
  EXPECT_EQ(decodeCharacterReferences("&eacute;"), "&eacute;");
}

}  // namespace
}  // namespace velmo::file_host::html
