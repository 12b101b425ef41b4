// Server-side blocks (ASP, JSP, PHP) are opaque to the page model: nothing inside one is markup,
// and the landmarks are found in the markup around them.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "file_host/html/html_scan.h"
#include "file_host/html/page_index.h"

namespace velmo::file_host {
namespace {

using html::TokenKind;

struct TokenCase {
  std::string_view src;
  TokenKind kind;
  std::size_t end;  // where the first token ends
};

TEST(ServerBlocks, WhereEachFormOfBlockEnds) {
  const TokenCase cases[] = {
      {"<% a %>x", TokenKind::ServerBlock, 7},
      {"<%@ Language=VBScript %>\r\n", TokenKind::ServerBlock, 24},
      {"<%= \"%\" & x %>x", TokenKind::ServerBlock, 14},
      {"<%# Eval(\"a\") %>x", TokenKind::ServerBlock, 16},
      // ASP code ends at the first "%>" whatever its language makes of it.
      {"<% s = \"%>\" %>x", TokenKind::ServerBlock, 10},
      {"<%-- a %> b --%>x", TokenKind::ServerBlock, 16},
      // Without a closer "<%" is text, as HTML reads it.
      {"<% open", TokenKind::Text, 7},
      {"<%-- a %> b", TokenKind::Text, 11},
      {"<?php echo \"?>\"; ?>x", TokenKind::ServerBlock, 19},
      {"<?php $a = '\\'?>'; ?>x", TokenKind::ServerBlock, 21},
      {"<?php /* ?> */ ?>x", TokenKind::ServerBlock, 17},
      {"<?php // a line ?>x", TokenKind::ServerBlock, 18},
      {"<?php # a line ?>x", TokenKind::ServerBlock, 17},
      {"<?php // a line\n$s = \"?>\"; ?>x", TokenKind::ServerBlock, 29},
      {"<?php #[A(\"?>\")] ?>x", TokenKind::ServerBlock, 19},  // an attribute, not a comment
      {"<?PHP\necho 1 ?>x", TokenKind::ServerBlock, 15},
      {"<?= $x ?>x", TokenKind::ServerBlock, 9},
      {"<? echo 1 ?>x", TokenKind::ServerBlock, 12},
      {"<?php echo 1; <b>", TokenKind::ServerBlock, 17},  // the last block may run to the end
      {"<?xml version=\"1.0\"?>x", TokenKind::BogusComment, 21},
      {"<?phpx>y", TokenKind::BogusComment, 7},
      {"<?>x", TokenKind::BogusComment, 3},
  };
  for (const TokenCase& c : cases) {
    const html::Token t = html::nextToken(c.src, 0);
    EXPECT_EQ(t.kind, c.kind) << c.src;
    EXPECT_EQ(t.end, c.end) << c.src;
  }
  EXPECT_TRUE(html::nextToken("<?php echo 1;", 0).openAtEof);
  EXPECT_FALSE(html::nextToken("<?php echo 1; ?>", 0).openAtEof);
}

TEST(ServerBlocks, HideMarkupInTagsCommentsAndRawText) {
  const TokenCase tokens[] = {
      {"<a href=\"<%= f(\"x\") %>\">y", TokenKind::StartTag, 24},
      {"<a href='<?php echo '>'; ?>'>y", TokenKind::StartTag, 29},
      {"<p title=<%= \"a b>\" %>>y", TokenKind::StartTag, 23},
      {"<body <% if x then %>class=\"a\"<% end if %>>y", TokenKind::StartTag, 43},
      {"<td<% if x then %> nowrap<% end if %>>y", TokenKind::StartTag, 38},
      {"<!-- <% s = \"-->\" %> -->y", TokenKind::Comment, 24},
      {"<!DOCTYPE <%= \">\" %>>y", TokenKind::Doctype, 21},
  };
  for (const TokenCase& c : tokens) {
    const html::Token t = html::nextToken(c.src, 0);
    EXPECT_EQ(t.kind, c.kind) << c.src;
    EXPECT_EQ(t.end, c.end) << c.src;
  }
  EXPECT_EQ(html::nextToken("<td<%=x%>>", 0).text, "td");

  const auto attrs = html::tagAttributes("<body <% if x then %>class=\"a\"<% end if %>>");
  ASSERT_EQ(attrs.size(), 1u);
  EXPECT_EQ(attrs[0].name, "class");
  EXPECT_EQ(attrs[0].value, "a");

  struct RawCase {
    std::string_view content;
    html::TextMode mode;
    std::string_view name;
    std::size_t end;
  };
  const RawCase raw[] = {
      {"var s = \"<%= \"</script>\" %>\";</script>", html::TextMode::ScriptData, "script", 29},
      {"<!--<% \"-->\" %></script>", html::TextMode::ScriptData, "script", 15},
      {"a{} <? echo '</style>' ?></style>", html::TextMode::RawText, "style", 25},
      {"<%= \"</title>\" %></title>", html::TextMode::Rcdata, "title", 17},
      {"<% '</textarea>' %></textarea>", html::TextMode::Rcdata, "textarea", 19},
      {"<% no closer </style>", html::TextMode::RawText, "style", 13},
  };
  for (const RawCase& c : raw) {
    EXPECT_EQ(html::rawTextEnd(c.content, 0, c.mode, c.name), c.end) << c.content;
  }
}

TEST(ServerBlocks, SkippingTagsStopsAtABlockAndPassesBlocksInTags) {
  auto stopAtBody = [](std::string_view name, bool endTag) {
    return endTag && html::equalsLower(name, "body");
  };
  const std::string_view page = "<p title=\"<%= \"</body>\" %>\">x</p><% y %></body>";
  EXPECT_EQ(html::skipTags(page, 0, stopAtBody), page.find("<% y"));
}

TEST(ServerBlocks, MemoNotesAUnclosedOpener) {
  html::ScanMemo memo;
  const std::string_view page = "<p>50 <% of</p><a title='<%'>";
  html::nextToken(page, 6, false, &memo);
  EXPECT_EQ(memo.firstDangling, 6u);
  html::nextToken(page, 15, false, &memo);  // answered from what the memo learnt
  EXPECT_EQ(memo.firstDangling, 6u);
  html::ScanMemo closed;
  html::nextToken("<% a %>", 0, false, &closed);
  EXPECT_EQ(closed.firstDangling, html::ScanMemo::kNone);
}

// The landmarks as the tests state them: texts rather than offsets.
struct Landmarks {
  std::string headAt;     // what the page holds where the head starts
  std::string headInner;  // the head's content
  std::string bodyEndAt;  // what the page holds at the first </body>; empty when there is none
  std::vector<std::string> sheets;  // each STYLE's content, each LINK tag as written
  std::vector<std::string> bots;    // the bot name of each webbot block
};

Landmarks landmarksOf(const std::string& page, PageIndex& index) {
  Landmarks out;
  const HeadSpan h = index.head();
  out.headAt = page.substr(h.begin, 12);
  out.headInner = page.substr(h.innerBegin, h.innerEnd - h.innerBegin);
  if (const auto body = index.bodyEndTag()) out.bodyEndAt = page.substr(*body, 12);
  for (std::size_t i = 0; i < index.sheetCount(); ++i) {
    const Landmark& m = index.mark(*index.sheet(i));
    out.sheets.push_back(m.kind == MarkKind::Style
                             ? page.substr(m.innerBegin, m.innerEnd - m.innerBegin)
                             : page.substr(m.begin, m.end - m.begin));
  }
  for (const WebbotBlock& b : index.webbotBlocks()) {
    out.bots.emplace_back(index.botName(b.start).value_or("?"));
  }
  return out;
}

std::string describe(const Landmarks& l) {
  std::ostringstream out;
  out << "head at [" << l.headAt << "] holding [" << l.headInner << "]\nbody end at ["
      << l.bodyEndAt << "]\nsheets:";
  for (const auto& s : l.sheets) out << " [" << s << "]";
  out << "\nbots:";
  for (const auto& b : l.bots) out << " " << b;
  return out.str();
}

struct PageCase {
  const char* what;
  std::string page;
  Landmarks expected;
};

TEST(ServerBlocks, LandmarksAreFoundInTheMarkupAroundThem) {
  const PageCase cases[] = {
      {"an ASP directive before <html> implies no head",
       "<%@ Language=VBScript %>\r\n<html><head><title>t</title></head><body>x</body></html>",
       {"<head><title", "<title>t</title>", "</body></htm", {}, {}}},
      {"a PHP string holding </head> and </body>",
       "<?php echo \"</head>\"; ?>\n<html><head><style>a{}</style></head>"
       "<body><?php echo \"</body>\"; ?>\n</body>",
       {"<head><style", "<style>a{}</style>", "</body>", {"a{}"}, {}}},
      {"blocks around a STYLE in the head",
       "<html><head><% if x then %><style>b</style><% end if %></head><body></body>",
       {"<head><% if ", "<% if x then %><style>b</style><% end if %>", "</body>", {"b"}, {}}},
      {"markup written by code in the body",
       "<head></head><body><% Response.Write \"</body><style>x</style><!--webbot bot=\"H\" -->\" "
       "%><!--webbot bot=\"R\" --><style>y</style></body>",
       {"<head></head", "", "</body>", {"y"}, {"R"}}},
      {"a script whose string holds a block that holds </script>",
       "<head><script>var s = \"<%= \"</script><style>z</style>\" %>\";</script>"
       "<style>q</style></head><body></body>",
       {"<head><scrip",
        "<script>var s = \"<%= \"</script><style>z</style>\" %>\";</script><style>q</style>",
        "</body>",
        {"q"},
        {}}},
      {"a comment holding a block that holds -->",
       "<head><!-- <% s = \"-->\" %><style>c</style> --><style>d</style></head><body></body>",
       {"<head><!-- <",
        "<!-- <% s = \"-->\" %><style>c</style> --><style>d</style>",
        "</body>",
        {"d"},
        {}}},
      {"blocks in tags",
       "<head><link rel=stylesheet href=\"<%= base %>/a.css\"></head>"
       "<body <% if x then %>class=\"a\"<% end if %>><p title=\"<%= \"</body>\" %>\">p</p></body>",
       {"<head><link ",
        "<link rel=stylesheet href=\"<%= base %>/a.css\">",
        "</body>",
        {"<link rel=stylesheet href=\"<%= base %>/a.css\">"},
        {}}},
      {"a <% without a closer is text",
       "<html><head><style>a</style></head><body><p>50 <% of</p><!--webbot bot=\"D\" --></body>",
       {"<head><style", "<style>a</style>", "</body>", {"a"}, {"D"}}},
      {"a PHP block open to the end of the page",
       "<html><head></head><body><!--webbot bot=\"A\" --><?php echo \"</body><!--webbot bot=B "
       "-->\";",
       {"<head></head", "", "", {}, {"A"}}},
      {"an XML declaration is no PHP",
       "<?xml version=\"1.0\"?>\n<html><head><style>x</style></head><body></body></html>",
       {"<head><style", "<style>x</style>", "</body></htm", {"x"}, {}}},
      {"an ASP comment ends only at --%>",
       "<%-- <!--webbot bot=\"C\" --> %> --%><head></head><body><!--webbot bot=\"E\" --></body>",
       {"<head></head", "", "</body>", {}, {"E"}}},
      {"PHP short tags around a STYLE",
       "<head><? if ($x): ?><style>a</style><? endif; ?></head><body></body>",
       {"<head><? if ", "<? if ($x): ?><style>a</style><? endif; ?>", "</body>", {"a"}, {}}},
      {"a block before an implied head",
       "<%@ Page Language=\"C#\" %>\n<title>t</title><p>x</p></body>",
       {"<title>t</ti", "<title>t</title>", "</body>", {}, {}}},
  };
  for (const PageCase& c : cases) {
    PageIndex index(c.page);
    EXPECT_EQ(describe(landmarksOf(c.page, index)), describe(c.expected)) << c.what;
  }
}

// What the template pages of the corpus do not show: template openers without closers, braces in
// pages that are no templates, and where a body without </body> ends. (tests/corpus/template_site/
// holds each language's blocks in the head, the body, tags and raw text.)
TEST(ServerBlocks, UnclosedOpenersPlainBracesAndBodiesWithoutEndTags) {
  using html::TemplateSyntax;
  struct TemplateCase {
    const char* what;
    TemplateSyntax syntax;
    std::string page;
    Landmarks expected;
  };
  const TemplateCase cases[] = {
      {"an opener without a closer is text",
       TemplateSyntax::Jinja,
       "<head></head><body>{{ oops <!--webbot bot=\"U\" --></body>",
       {"<head></head", "", "</body>", {}, {"U"}}},
      {"a Smarty string holding </body>; a brace and a space is text",
       TemplateSyntax::Smarty,
       "<head></head><body>{include note=\"</body>\"}<p>{ a }</p></body>",
       {"<head></head", "", "</body>", {}, {}}},
      {"braces mean nothing in a plain page",
       TemplateSyntax::None,
       "<head></head><body>{# </body> #}<p>",
       {"<head></head", "", "</body> #}<p", {}, {}}},
      {"</html> without </body>",
       TemplateSyntax::None,
       "<html><head></head><p>x</html>\n",
       {"<head></head", "", "</html>\n", {}, {}}},
      {"a frameset's </html> ends no body",
       TemplateSyntax::None,
       "<html><head></head><frameset></frameset></html>",
       {"<head></head", "", "", {}, {}}},
  };
  for (const TemplateCase& c : cases) {
    PageIndex index(c.page, c.syntax);
    EXPECT_EQ(describe(landmarksOf(c.page, index)), describe(c.expected)) << c.what;
  }
}

// An index kept through an edit must agree with one built afresh, also when the edit opens or
// closes a server block far from the landmarks it moves.
struct EditCase {
  const char* what;
  std::string page;
  std::string_view at;  // the edit replaces the first occurrence of this text
  std::string_view with;
  html::TemplateSyntax syntax = html::TemplateSyntax::None;
};

TEST(ServerBlocks, AnIndexKeptThroughEditsAgreesWithAFreshOne) {
  const std::string unclosed =
      "<html><head><style>a</style></head><body><p>50 <% of</p><style>b</style>"
      "<!--webbot bot=\"W\" --><p>end</p></body>";
  const std::string phpToEnd =
      "<html><head></head><body><!--webbot bot=\"A\" --><?php echo '</body>'; <p>x</p>";
  const EditCase cases[] = {
      {"a closer after an unclosed <%", unclosed, "<p>end", "%><p>end"},
      {"a closer at the end", unclosed, "</body>", "</body>%>"},
      {"the only closer removed",
       "<html><head></head><body><p><% a</p><style>b</style><!--webbot bot=\"W\" --> %></body>",
       " %>", " "},
      {"an opener before a closer",
       "<html><head></head><body><p>a</p><style>b</style><!--webbot bot=\"W\" --> %></body>",
       "<p>a", "<% <p>a"},
      {"<% turned into <%--", "<head></head><body><% a %><style>s</style> --%><!--webbot bot=X -->",
       "<% a", "<%-- a"},
      {"PHP code closed at last", phpToEnd, "<p>x", "?><p>x"},
      {"a quote that hides a ?>",
       "<head></head><body><?php $a = 1; ?><!--webbot bot=\"A\" --><?php $b = '?>'; ?></body>",
       "$a = 1;", "$a = '1;"},
      {"a line comment ended", "<head></head><body><?php // ?><style>s</style>\n ?></body>", "// ",
       "//\n"},
      {"a Smarty {literal} opened before a STYLE",
       "{* c *}<head></head><body>{x}<style>b{c}</style><p>{\"</body>\"}</p></body>", "{x}",
       "{literal}", html::TemplateSyntax::Smarty},
      {"a Twig comment closed far away",
       "<head></head><body>{# a <style>s</style><!--webbot bot=W --></body> #}", "{# a", "{# a #}",
       html::TemplateSyntax::Jinja},
  };
  for (const EditCase& c : cases) {
    std::string page = c.page;
    PageIndex kept(page, c.syntax);
    landmarksOf(page, kept);  // every landmark found before the edit
    const std::size_t begin = page.find(c.at);
    ASSERT_NE(begin, std::string::npos) << c.what;
    page.replace(begin, c.at.size(), c.with);
    kept.edited(begin, begin + c.at.size(), c.with.size());
    PageIndex fresh(page, c.syntax);
    EXPECT_EQ(describe(landmarksOf(page, kept)), describe(landmarksOf(page, fresh))) << c.what;
  }
}

}  // namespace
}  // namespace velmo::file_host
