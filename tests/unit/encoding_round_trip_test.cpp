// Every character velmo writes into a page reads back in a browser as itself: for every encoding
// and every character that can be typed, what encodeText writes decodes to that character, or
// the character went to the escape.

#include <gtest/gtest.h>

#include "core/common/code_points.h"
#include "file_host/html/text_codec.h"

namespace velmo::file_host {
namespace {

std::u16string utf16Of(char32_t c) {
  std::u16string out;
  appendUtf16(out, c);
  return out;
}

// The scalar values outside the controls: the whole BMP and a sample of the planes above.
std::vector<char32_t> typeableCharacters() {
  std::vector<char32_t> out;
  for (char32_t c = 0x20; c < 0x10000; ++c) {
    if (c == 0x7F || (c >= 0x80 && c < 0xA0) || isSurrogate(c)) continue;
    out.push_back(c);
  }
  for (char32_t c = 0x10000; c <= 0x10FFFF; c += 61) out.push_back(c);
  for (char32_t c : {0x20000, 0x20B9F, 0x2A6D6, 0x1F600, 0x10FFFF}) out.push_back(c);
  return out;
}

TEST(EncodingRoundTrip, EveryWrittenCharacterReadsBackAsItself) {
  const std::vector<char32_t> characters = typeableCharacters();
  for (int i = 0; i <= static_cast<int>(Encoding::UserDefined); ++i) {
    const auto e = static_cast<Encoding>(i);
    if (e == Encoding::Replacement) continue;
    SCOPED_TRACE(std::string(encodingInfo(e).name));
    std::size_t written = 0;
    std::u16string all;  // every character written, one after the other
    for (const char32_t c : characters) {
      bool escaped = false;
      const std::u16string text = utf16Of(c);
      const std::string bytes = encodeText(e, text, [&](char32_t lacking) {
        EXPECT_EQ(lacking, c);
        escaped = true;
        return std::string("?");
      });
      if (escaped) continue;
      ++written;
      all += text;
      ASSERT_EQ(decodeText(e, bytes), text) << "U+" << std::hex << static_cast<unsigned>(c);
    }
    // Each encoding writes at least ASCII and, but for the ISO-8859 ones, much more.
    EXPECT_GE(written, 95u);
    // Written together (state shifts of ISO-2022-JP included), they read back as well.
    EXPECT_EQ(decodeText(e, encodeText(e, all, nullptr)), all);
  }
}

TEST(EncodingRoundTrip, BrowsersTablesAndTheCharactersTheyWouldMisread) {
  const auto mark = [](char32_t c) { return "[" + std::to_string(c) + "]"; };
  const struct {
    Encoding encoding;
    std::u16string text;
    std::string bytes;
  } written[] = {
      // Read back as \ and ~, or as other characters: escaped.
      {Encoding::ShiftJis, u"\u00A5\u203E\u2212", "[165][8254][8722]"},
      {Encoding::EucJp, u"\u00A5\u203E", "[165][8254]"},
      // NEC's selection of IBM's kanji is written as IBM's, as browsers write it.
      {Encoding::ShiftJis, u"\u9AD9", "\xFB\xFC"},
      // Browsers read 0x2141 as U+FF5E, and have no bytes for U+301C.
      {Encoding::Iso2022Jp, u"\u301C\uFF5E\u00A5", "[12316]\x1B$B!A\x1B(J\\\x1B(B"},
      {Encoding::Iso2022Jp, u"\uFF71", "[65393]"},
      {Encoding::Gbk, u"\u20AC\U00020000", "\x80[131072]"},
      {Encoding::Gb18030, u"\u20AC\U00020000", "\xA2\xE3\x95\x32\x82\x36"},
      {Encoding::Gb18030, u"\uE5E5", "[58853]"},
      {Encoding::Iso8859_16, u"\u0218", "\xAA"},
  };
  for (const auto& c : written) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(encodeText(c.encoding, c.text, mark), c.bytes);
  }
  const struct {
    Encoding encoding;
    std::string bytes;
    std::u16string text;
  } read[] = {
      {Encoding::ShiftJis, "\xEE\xE0\xFB\xFC\x5C", u"\u9AD9\u9AD9\\"},
      {Encoding::ShiftJis, "\xF0\x40\x82", u"\uE000\uFFFD"},
      {Encoding::Gbk, "\x81\x30\x81\x30\x95\x32\x82\x36\xA3\xA0", u"\u0080\U00020000\u3000"},
      {Encoding::Gb18030,
       "\x81\x30\x81\x20"
       "a\x81\x30\x81",
       u"\uFFFD0\uFFFD a\uFFFD"},
      {Encoding::Big5, "\x88\x62\x88\x64", u"\u00CA\u0304\u00CA\u030C"},
      {Encoding::EucJp, "\x8F\xB0\xA1\x8E\xB1", u"\u4E02\uFF71"},
      {Encoding::EucKr, "\xB0\xA1\x81\x41", u"\uAC00\uAC02"},
      {Encoding::Iso2022Jp, "\x1B$B!A\x1B(J\\~\x1B(I1", u"\uFF5E\u00A5\u203E\uFF71"},
      {Encoding::Iso2022Jp, "\x1B(J\x1B(Ba\x1B$B!", u"\uFFFDa\uFFFD"},
  };
  for (const auto& c : read) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(decodeText(c.encoding, c.bytes), c.text);
  }
}

}  // namespace
}  // namespace velmo::file_host
