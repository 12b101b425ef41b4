#include "core/common/text.h"

#include "core/common/code_points.h"

#include <gtest/gtest.h>

namespace velmo {
namespace {

TEST(Utf8, RoundTripsEveryPlane) {
  const std::string text = "a\xC3\xA9\xE2\x80\xA6\xF0\x9F\x98\x80z";  // a é … 😀 z
  ASSERT_TRUE(isValidUtf8(text));
  const std::u16string wide = utf8ToUtf16(text);
  EXPECT_EQ(wide, u"a\u00e9\u2026\U0001F600z");
  EXPECT_EQ(utf16ToUtf8(wide), text);
}

TEST(Utf8, RejectsIllFormedBytes) {
  for (std::string bad :
       {"\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x80", "\x80", "ok\xFF"}) {
    EXPECT_FALSE(isValidUtf8(bad)) << bad;
    EXPECT_THROW(utf8ToUtf16(bad), std::invalid_argument) << bad;
  }
}

TEST(Utf8, LoneSurrogateBecomesReplacementCharacter) {
  EXPECT_EQ(utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

// Every scalar value written as UTF-8 and as UTF-16 by the code-point helpers reads back as
// itself, in as many bytes and units as the encodings give it.
TEST(CodePoints, EveryScalarValueRoundTripsThroughBothEncodings) {
  for (char32_t cp = 0; cp <= 0x10FFFF; cp += cp < 0x30000 ? 1 : 97) {
    if (isSurrogate(cp)) continue;
    std::string bytes;
    appendUtf8(bytes, cp);
    char32_t read = 0;
    ASSERT_EQ(decodeUtf8(bytes, 0, read), bytes.size()) << std::hex << unsigned(cp);
    ASSERT_EQ(read, cp);
    ASSERT_EQ(bytes.size(), cp < 0x80 ? 1u : cp < 0x800 ? 2u : cp < 0x10000 ? 3u : 4u);
    std::u16string units;
    appendUtf16(units, cp);
    std::size_t used = 0;
    ASSERT_EQ(codePointAt(units, 0, used), cp);
    ASSERT_EQ(used, units.size());
    ASSERT_EQ(used, cp < 0x10000 ? 1u : 2u);
    ASSERT_TRUE(isWellFormedUtf16(units));
  }
}

TEST(CodePoints, UnpairedSurrogatesReadAsThemselvesAndMakeTextIllFormed) {
  const struct {
    std::u16string text;
    char32_t first;
    bool wellFormed;
  } cases[] = {
      {u"😀", 0x1F600, true},
      {std::u16string{char16_t(0xD800)}, 0xD800, false},
      {std::u16string{char16_t(0xDC00), char16_t(0xD800)}, 0xDC00, false},
      {std::u16string{u'a', char16_t(0xDBFF)}, u'a', false},
      {u"", 0, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(isWellFormedUtf16(c.text), c.wellFormed);
    if (c.text.empty()) continue;
    std::size_t units = 0;
    EXPECT_EQ(codePointAt(c.text, 0, units), c.first);
    EXPECT_EQ(units, c.first >= 0x10000 ? 2u : 1u);
  }
}

TEST(CaseInsensitiveSearch, FoldsAsciiOnly) {
  EXPECT_EQ(findIgnoreAsciiCase(u"<script name=\"slide_vl\">", u"\"SLIDE_VL\""), 13u);
  EXPECT_EQ(findIgnoreAsciiCase(u"SLIDE_VL", u"\"SLIDE_VL\""), std::u16string_view::npos);
  EXPECT_FALSE(equalsIgnoreAsciiCase(u"\u00e9", u"\u00c9"));
  EXPECT_EQ(findIgnoreAsciiCase(u"", u""), 0u);
}

TEST(JoinCrLf, PutsBreaksBetweenLinesOnly) {
  EXPECT_EQ(joinCrLf({u"a", u"", u"b"}), u"a\r\n\r\nb");
  EXPECT_EQ(joinCrLf({}), u"");
}

}  // namespace
}  // namespace velmo
