#include "common/text.h"

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
