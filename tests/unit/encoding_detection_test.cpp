// Which encoding a page or a style sheet is read in, decided as a browser decides it.

#include <gtest/gtest.h>

#include "file_host/html/encoding_sniff.h"

namespace velmo::file_host {
namespace {

TEST(EncodingDetection, PageAsABrowserReadsIt) {
  const std::string padding(1024, ' ');
  const struct {
    const char* what;
    std::string bytes;
    Encoding encoding;
    std::size_t bomSize;
  } cases[] = {
      {"UTF-8 byte order mark beats a meta", "\xEF\xBB\xBF<meta charset=latin1>", Encoding::Utf8,
       3},
      {"UTF-16LE byte order mark", "\xFF\xFE<\0h\0", Encoding::Utf16Le, 2},
      {"UTF-16BE byte order mark", "\xFE\xFF\0<\0h", Encoding::Utf16Be, 2},
      {"meta charset", "<meta charset=windows-1252>caf\xC3\xA9", Encoding::Windows1252, 0},
      {"quoted, upper case, spaces", "<META  CharSet = ' Shift_JIS '>", Encoding::ShiftJis, 0},
      {"double quotes and a slash", "<meta/charset=\"euc-jp\"/>", Encoding::EucJp, 0},
      {"http-equiv content",
       "<meta http-equiv=\"Content-Type\" "
       "content=\"text/html; charset=windows-1251\">",
       Encoding::Windows1251, 0},
      {"content before http-equiv",
       "<meta content='text/html;charset=\"koi8-r\"' "
       "HTTP-EQUIV=content-type>",
       Encoding::Koi8R, 0},
      {"content without http-equiv", "<meta content=\"text/html; charset=big5\">caf\xE9",
       Encoding::Windows1252, 0},
      {"charset = with spaces in content",
       "<meta http-equiv=content-type content=\"text/html; charset = gb2312\">", Encoding::Gbk, 0},
      {"utf-16 in a meta means UTF-8", "<meta charset=utf-16>", Encoding::Utf8, 0},
      {"x-user-defined in a meta means windows-1252", "<meta charset=x-user-defined>",
       Encoding::Windows1252, 0},
      {"latin1", "<meta charset=latin1>", Encoding::Windows1252, 0},
      {"iso-8859-1", "<meta charset=ISO-8859-1>", Encoding::Windows1252, 0},
      {"us-ascii", "<meta charset=us-ascii>", Encoding::Windows1252, 0},
      {"iso-8859-2", "<meta charset=iso-8859-2>", Encoding::Iso8859_2, 0},
      {"a replacement label", "<meta charset=iso-2022-kr>", Encoding::Replacement, 0},
      {"unknown label is ignored", "<meta charset=klingon><meta charset=euc-kr>", Encoding::EucKr,
       0},
      {"meta in a comment is not seen", "<!-- <meta charset=big5> -->caf\xC3\xA9", Encoding::Utf8,
       0},
      {"meta in an attribute value is not seen", "<p title='<meta charset=big5>'>", Encoding::Utf8,
       0},
      {"meta after 1024 bytes is not seen", padding + "<meta charset=big5>", Encoding::Utf8, 0},
      {"meta after a doctype and a title",
       "<!DOCTYPE html><html><head><title>x</title><meta charset=sjis>", Encoding::ShiftJis, 0},
      {"undeclared valid UTF-8", "<p>caf\xC3\xA9</p>", Encoding::Utf8, 0},
      {"undeclared invalid UTF-8", "<p>caf\xE9</p>", Encoding::Windows1252, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string bytes =
        c.bytes[0] == '\xFF' || c.bytes[0] == '\xFE' ? std::string(c.bytes.data(), 6) : c.bytes;
    const DetectedEncoding d = detectPageEncoding(bytes);
    EXPECT_EQ(d.encoding, c.encoding);
    EXPECT_EQ(d.bomSize, c.bomSize);
  }
}

TEST(EncodingDetection, SheetAsABrowserReadsIt) {
  const struct {
    std::string bytes;
    Encoding page;
    Encoding encoding;
  } cases[] = {
      {"\xEF\xBB\xBF@charset \"latin1\";", Encoding::ShiftJis, Encoding::Utf8},
      {"@charset \"windows-1251\"; a{}", Encoding::Utf8, Encoding::Windows1251},
      {"@charset \"utf-16\";", Encoding::Windows1252, Encoding::Utf8},
      {"@charset 'latin1';", Encoding::Utf8, Encoding::Utf8},     // only the exact form counts
      {" @charset \"latin1\";", Encoding::Utf8, Encoding::Utf8},  // not at the very start
      {"a { color: red }", Encoding::EucJp, Encoding::EucJp},     // the page's encoding
      {"a { color: red }", Encoding::Utf16Le, Encoding::Utf8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(detectSheetEncoding(c.bytes, c.page).encoding, c.encoding);
  }
}

TEST(EncodingDetection, LabelsAsBrowsersKnowThem) {
  EXPECT_EQ(encodingForLabel(" SJIS\t"), Encoding::ShiftJis);
  EXPECT_EQ(encodingForLabel("ascii"), Encoding::Windows1252);
  EXPECT_EQ(encodingForLabel("gb2312"), Encoding::Gbk);
  EXPECT_EQ(encodingForLabel("iso-8859-9"), Encoding::Windows1254);
  EXPECT_EQ(encodingForLabel("hz-gb-2312"), Encoding::Replacement);
  EXPECT_EQ(encodingForLabel("utf-16"), Encoding::Utf16Le);
  EXPECT_EQ(encodingForLabel("koi8-u"), Encoding::Koi8U);
  EXPECT_EQ(encodingForLabel("utf-7"), std::nullopt);
  EXPECT_EQ(encodingForLabel(""), std::nullopt);
}

}  // namespace
}  // namespace velmo::file_host
