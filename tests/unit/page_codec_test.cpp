// Text read out of and written into pages in legacy encodings.

#include "file_host/html/page_codec.h"

#include <gtest/gtest.h>

#include "file_host/html/text_codec.h"

namespace velmo::file_host {
namespace {

std::string noEscape(char32_t) {
  ADD_FAILURE() << "escaped a character the encoding has";
  return {};
}

TEST(TextCodec, DecodesAsBrowsersShowTheBytes) {
  const struct {
    Encoding encoding;
    std::string bytes;
    std::u16string text;
  } cases[] = {
      {Encoding::Windows1252, "\x80\xE9\x92", u"\u20AC\u00E9\u2019"},
      {Encoding::Windows1252, "\x81\x8D\x8F\x90\x9D", u"\u0081\u008D\u008F\u0090\u009D"},
      {Encoding::ShiftJis, "\x93\xFA\x96\x7B", u"\u65E5\u672C"},
      {Encoding::ShiftJis, "a\xA0z", u"a\uFFFDz"},
      {Encoding::EucJp, "\xC6\xFC", u"\u65E5"},
      {Encoding::Koi8R, "\xF0\xD2", u"\u041F\u0440"},
      {Encoding::Utf8, "a\xE9z\xF0\x9F\x98", u"a\uFFFDz\uFFFD"},
      {Encoding::Utf8, "\xF0\x9F\x98\x80", u"\U0001F600"},
      {Encoding::Utf16Le, std::string("a\0\x3D\xD8\0\xDE", 6), u"a\U0001F600"},
      {Encoding::Utf16Be, std::string("\xD8\x3D\0a", 4), u"\uFFFDa"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(decodeText(c.encoding, c.bytes), c.text);
  }
}

TEST(TextCodec, HandsLackingCharactersToTheEscape) {
  const auto mark = [](char32_t c) { return "[" + std::to_string(c) + "]"; };
  EXPECT_EQ(encodeText(Encoding::Windows1252, u"\u00E9\u20AC", noEscape), "\xE9\x80");
  EXPECT_EQ(encodeText(Encoding::Windows1252, u"\u2605x\U0001F600\u0081", mark),
            "[9733]x[128512]\x81");
  EXPECT_EQ(encodeText(Encoding::ShiftJis, u"\u65E5\u00E9", mark), "\x93\xFA[233]");
  EXPECT_EQ(encodeText(Encoding::Iso2022Jp, u"\u65E5\u00E9\u65E5", mark),
            "\x1B$BF|\x1B(B[233]\x1B$BF|\x1B(B");
  EXPECT_EQ(encodeText(Encoding::Utf16Le, u"a\u2605", noEscape), std::string("a\0\x05\x26", 4));
}

TEST(PageCodec, EscapesFitWhereTheCharacterLands) {
  const PageCodec cp1252(Encoding::Windows1252);
  const struct {
    std::u16string html;
    std::string bytes;
  } cases[] = {
      {u"<p title=\"\u2605\">\u00E9\u2605</p>", "<p title=\"&#9733;\">\xE9&#9733;</p>"},
      {u"<script>alert(\"\u263A\U0001F600\u00E9\")</script>\u263A",
       "<script>alert(\"\\u263A\\uD83D\\uDE00\xE9\")</script>&#9786;"},
      {u"<style>p:after{content:\"\u2605\"}</style>",
       "<style>p:after{content:\"\\2605 \"}</style>"},
      {u"<SCRIPT LANGUAGE=JavaScript><!--\ndocument.write('\u2605');\n// --></SCRIPT><b>\u2605</b>",
       "<SCRIPT LANGUAGE=JavaScript><!--\ndocument.write('\\u2605');\n// --></SCRIPT>"
       "<b>&#9733;</b>"},
      {u"<title>\u2605</title><textarea>\u2605</textarea>",
       "<title>&#9733;</title><textarea>&#9733;</textarea>"},
      {u"<script>\u2605", "<script>\\u2605"},
      // Where the tree rules read no style sheet, a reference is what the browser decodes.
      {u"<select><style>\u2605</style></select><svg><style>\u2605</style></svg>",
       "<select><style>&#9733;</style></select><svg><style>&#9733;</style></svg>"},
      {u"<textarea><script>\u2605</script></textarea>",
       "<textarea><script>&#9733;</script></textarea>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(cp1252.writeHtml(c.html), c.bytes);
  }
  EXPECT_EQ(cp1252.writeCss(u"\"\u00E9\u2605\""), "\"\xE9\\2605 \"");
  EXPECT_EQ(cp1252.writeExact(u"caf\u00E9"), "caf\xE9");
  EXPECT_EQ(cp1252.writeExact(u"\u2605"), std::nullopt);
}

TEST(PageCodec, ReadsAttributesWithReferencesInTheirEncoding) {
  EXPECT_EQ(PageCodec(Encoding::Windows1252).readAttribute("caf\xE9 &amp; &#9733;"),
            u"caf\u00E9 & \u2605");
  EXPECT_EQ(PageCodec(Encoding::Utf8).readAttribute("caf\xC3\xA9&#233;\xE9"),
            u"caf\u00E9\u00E9\uFFFD");
}

// A splice keeps every byte the old and the new text share, valid in the encoding or not, and
// writes the rest with the escapes of where it lands in the whole text.
TEST(PageCodec, SplicesOnlyWhatChanged) {
  const PageCodec sjis(Encoding::ShiftJis), utf8(Encoding::Utf8);
  const std::string title = "<title>\xEE\xE0 \x82</title>";
  const struct {
    const PageCodec& codec;
    std::string old;
    std::u16string html;
    PageCodec::Splice splice;
  } cases[] = {
      {sjis,
       title,
       sjis.read(title) + u"<b>\u00A5</b>",
       {title.size(), title.size(), "<b>&#165;</b>"}},
      {sjis, "<script>a='x';</script>", u"<script>a='\u00A5';</script>", {11, 12, "\\u00A5"}},
      {utf8, "f\xFCr<p>", u"f\uFFFDr", {3, 6, ""}},
      // The lone lead byte reads as U+FFFD alone, and stays.
      {sjis, "a\x82", u"a\uFFFDb", {2, 2, "b"}},
      {sjis, "ab", u"ab", {2, 2, ""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.old);
    const auto splice = c.codec.spliceHtml(c.old, c.html);
    EXPECT_EQ(splice.begin, c.splice.begin);
    EXPECT_EQ(splice.end, c.splice.end);
    EXPECT_EQ(splice.bytes, c.splice.bytes);
  }
}

// A transcoded page (UTF-16 held as UTF-8) gets text its file can hold; ISO-2022-JP lacks é.
TEST(PageCodec, TranscodedFilesLimitWhatIsWrittenIn) {
  EXPECT_EQ(PageCodec(Encoding::Utf8, Encoding::Utf16Le).writeHtml(u"\u2605"), "\xE2\x98\x85");
  EXPECT_EQ(PageCodec(Encoding::Utf8, Encoding::Iso2022Jp).writeHtml(u"\u65E5\u00E9"),
            "\xE6\x97\xA5&#233;");
}

}  // namespace
}  // namespace velmo::file_host
