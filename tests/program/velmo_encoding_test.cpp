// velmo on pages that are not UTF-8: each command works, writes what it adds in the page's
// encoding (escaping what the encoding lacks), and leaves every other byte as it was.

#include <gtest/gtest.h>

#include "core/common/text.h"
#include "file_host/html/text_codec.h"
#include "tests/support/program_test.h"

namespace velmo {
namespace {

using file_host::Encoding;

const std::string kWindows1252 =
    "<html>\r\n<head>\r\n"
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">\r\n"
    "<title>Caf\xE9 \xA9 Ren\xE9\x92s</title>\r\n"
    "<style>\r\nbody { font-family: \"Caf\xE9\"; scrollbar-face-color: #ffcc00 }\r\n</style>\r\n"
    "</head>\r\n<body>\r\n<p>Caf\xE9 \x93quoted\x94</p>\r\n"
    "<!--webbot bot=\"Caf\xE9\" startspan -->\xE9<!--webbot bot=\"Caf\xE9\" endspan -->\r\n"
    "</body>\r\n</html>\r\n";

// What an edit put in place of what it took out: the bytes between the longest common
// beginning and end of `before` and `after`. Every other byte is then unchanged.
struct Change {
  std::string removed;
  std::string inserted;
};
Change changeBetween(const std::string& before, const std::string& after) {
  std::size_t head = 0;
  while (head < before.size() && head < after.size() && before[head] == after[head]) ++head;
  std::size_t tail = 0;
  while (tail < before.size() - head && tail < after.size() - head &&
         before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) {
    ++tail;
  }
  return {before.substr(head, before.size() - head - tail),
          after.substr(head, after.size() - head - tail)};
}

// The UTF-8 of the characters the cases type (é ’ “ ☺ ★).
bool hasUtf8Of(const std::string& s) {
  for (const char* utf8 : {"\xC3\xA9", "\xE2\x80", "\xE2\x98"}) {
    if (s.find(utf8) != std::string::npos) return true;
  }
  return false;
}

class VelmoEncoding : public ::testing::Test {
 protected:
  testing::ProgramResult velmo(const std::string& command, const std::string& args) {
    return testing::runVelmo(command + " " + shellQuote(page_.string()) + " " + args +
                             " </dev/null");
  }
  // Runs the command on a fresh copy of `page` and returns what it changed.
  Change run(const std::string& page, const std::string& command, const std::string& args) {
    dir_.write("site/index.html", page);
    const auto result = velmo(command, args);
    EXPECT_EQ(result.status, 0) << command << " " << args << ": " << result.err;
    return changeBetween(page, readBytes(page_));
  }

  SiteOnDisk dir_;
  std::filesystem::path page_ = dir_.write("site/index.html", kWindows1252);
};

TEST_F(VelmoEncoding, Windows1252PageEditedInItsEncoding) {
  const struct {
    std::string command;
    std::string args;
    std::string removed;
    std::vector<std::string> inserted;  // pieces the new text holds
  } cases[] = {
      {"script-head",
       "'alert(\"Caf\xC3\xA9 \xE2\x98\xBA\")'",
       "",
       {"script language = \"javascript\">\r\nalert(\"Caf\xE9 \\u263A\")\r\n</script>"}},
      {"erase-bot",
       "'Caf\xC3\xA9'",
       "<!--webbot bot=\"Caf\xE9\" startspan -->\xE9<!--webbot bot=\"Caf\xE9\" endspan -->",
       {}},
      {"style", "--face 00FF00", "ffcc", {"00FF"}},
      {"date",
       "--select '<p>Caf\xC3\xA9 \xE2\x80\x9Cquoted\xE2\x80\x9D</p>'",
       // The block starts with "<" and ends with ">" too: the change is found without them.
       "p>Caf\xE9 \x93quoted\x94</p",
       {"bot=\"V_Date\" startspan", "V_Date\" endspan"}},
      {"favourites",
       "--text 'Star \xE2\x98\x85 \xC3\xA9'",
       "",
       {"Preview=\"Star &#9733; \xE9\"", "document.write('\">Star \\u2605 \xE9</a>');"}},
      {"favourites",
       "--text x --title 'Ren\xC3\xA9\xE2\x80\x99s \xE2\x98\xBA'",
       "",
       {"var title_VL=\"Ren\xE9\x92s \\u263A\";"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command + " " + c.args);
    const Change change = run(kWindows1252, c.command, c.args);
    EXPECT_EQ(change.removed, c.removed);
    for (const std::string& piece : c.inserted) {
      EXPECT_NE(change.inserted.find(piece), std::string::npos) << change.inserted;
    }
    EXPECT_FALSE(hasUtf8Of(change.inserted)) << change.inserted;
  }
}

TEST_F(VelmoEncoding, Windows1252PageReadInItsEncoding) {
  const auto found = velmo("botfound", "'Caf\xC3\xA9'");
  EXPECT_EQ(found.out, "true\n") << found.err;
  const auto shown = velmo("style", "--show");
  EXPECT_EQ(shown.status, 0) << shown.err;
  EXPECT_NE(shown.out.find("Face Color: ffcc00\n"), std::string::npos) << shown.out;
  EXPECT_EQ(readBytes(page_), kWindows1252);
}

TEST_F(VelmoEncoding, Iso88591PageKeepsItsBytes) {
  const std::string page =
      "<html><head><meta charset=\"ISO-8859-1\"><title>\xC0 la carte</title></head>"
      "<body><p>\xE0 bient\xF4t</p></body></html>";
  const Change change = run(page, "script-head", "'var s = \"\xC3\xA0 \xE2\x82\xAC\";'");
  // ISO-8859-1 is read as windows-1252, which has the euro sign (0x80).
  EXPECT_NE(change.inserted.find("var s = \"\xE0 \x80\";"), std::string::npos) << change.inserted;
}

TEST_F(VelmoEncoding, Utf16PageStaysUtf16WithItsByteOrderMark) {
  const std::u16string text =
      u"<html><head><title>Caf\u00E9 \u2605</title></head><body><p>x</p></body></html>\r\n";
  for (const Encoding e : {Encoding::Utf16Le, Encoding::Utf16Be}) {
    const std::string bom = e == Encoding::Utf16Le ? "\xFF\xFE" : "\xFE\xFF";
    dir_.write("site/index.html", bom + file_host::encodeText(e, text, nullptr));
    ASSERT_EQ(velmo("script-head", "'alert(\"\xE2\x98\xBA\")'").status, 0);
    const std::string after = readBytes(page_);
    ASSERT_EQ(after.substr(0, 2), bom);
    const std::u16string read = file_host::decodeText(e, after.substr(2));
    EXPECT_NE(read.find(u"<title>Caf\u00E9 \u2605</title><script language = \"javascript\">\r\n"
                        u"alert(\"\u263A\")\r\n</script>"),
              std::u16string::npos)
        << utf16ToUtf8(read);
    EXPECT_NE(read.find(u"</head><body><p>x</p></body></html>\r\n"), std::u16string::npos);
  }
}

// Adding to the HEAD writes only what is added: bytes invalid in the page's encoding, codes
// browsers read with a wider decoder than the label names, and NEC's kanji keep their bytes.
TEST_F(VelmoEncoding, EveryByteOutsideTheEditStays) {
  const std::string shiftJis =
      "<html><head><meta charset=Shift_JIS><title>\xEE\xE0 \x82 \x93\xFA</title></head>"
      "<body><p>\xEE\xE0</p></body></html>";
  const struct {
    std::string page;
    std::string command;
    std::string args;
  } cases[] = {
      {"<html><head><meta charset=utf-8><title>f\xFCr</title></head><body></body></html>",
       "script-head", "x=1"},
      {shiftJis, "script-head", "'x=\"\xE2\x98\x85\";'"},
      {shiftJis, "style", "--face 00FF00"},
      // gb2312 pages are read with the gb18030 decoder, four-byte codes (€ 𠀀) included.
      {"<html><head><meta charset=gb2312><title>\x81\x36\xA6\x31 \x95\x32\x82\x36</title>"
       "</head><body></body></html>",
       "script-head", "'x=\"\xE2\x98\x85\";'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command + " " + c.args + " on " + c.page);
    const Change change = run(c.page, c.command, c.args);
    EXPECT_EQ(change.removed, "") << change.inserted;
    EXPECT_FALSE(change.inserted.empty());
  }
}

// What a browser would read as another character is escaped: ¥ written as 0x5C reads as a
// backslash and would end a script's string.
TEST_F(VelmoEncoding, CharactersReadBackAsThemselves) {
  const std::string page =
      "<html><head><meta charset=Shift_JIS></head><body><p>x</p></body></html>";
  const Change change =
      run(page, "favourites", "--text '\xE5\x8D\x98\xE4\xBD\x8D\xEF\xBC\x9A\xC2\xA5'");
  EXPECT_NE(change.inserted.find("\x92\x50\x88\xCA\x81\x46&#165;\""), std::string::npos)
      << change.inserted;
  EXPECT_NE(change.inserted.find("\x92\x50\x88\xCA\x81\x46\\u00A5"), std::string::npos)
      << change.inserted;
  EXPECT_EQ(change.inserted.find('\x5C' + std::string("\"")), std::string::npos);
}

// A <meta> after the first 1024 bytes, still in the HEAD, decides when nothing came before.
TEST_F(VelmoEncoding, LateCharsetDeclarationInTheHeadDecides) {
  const std::string page = "<html><head><!-- " + std::string(1100, '-') +
                           " --><meta charset=windows-1251><title>\xCF\xF0</title></head>"
                           "<body><p>x</p></body></html>";
  const Change change = run(page, "script-head", "'x=\"\xE2\x82\xAC \xD0\x9F\";'");
  EXPECT_NE(change.inserted.find("x=\"\x88 \xCF\";"), std::string::npos) << change.inserted;
  const auto found = velmo("botfound", "x");
  EXPECT_EQ(found.status, 0) << found.err;
}

// --once recognises its own block whatever escapes the page's encoding needed for it.
TEST_F(VelmoEncoding, OnceFindsItsEscapedBlock) {
  for (const std::string charset : {"Shift_JIS", "windows-1252", "ISO-2022-JP"}) {
    SCOPED_TRACE(charset);
    dir_.write("site/index.html",
               "<html><head><meta charset=" + charset + "></head><body></body></html>");
    // ★ ｱ ¥: each of these pages needs an escape for one of them at least.
    const std::string code = "'x=\"\xE2\x98\x85\xEF\xBD\xB1\xC2\xA5\";'";
    ASSERT_EQ(velmo("script-head --once", code).status, 0);
    const std::string once = readBytes(page_);
    EXPECT_NE(once.find("\\u"), std::string::npos) << once;
    ASSERT_EQ(velmo("script-head --once", code).status, 0);
    EXPECT_EQ(readBytes(page_), once);
  }
}

TEST_F(VelmoEncoding, PagesThatCannotBeEditedAreRefusedUnchanged) {
  const std::string cases[] = {
      std::string("\xFF\xFE<\0p\0\x00\xD8>\0", 8),  // a lone surrogate in UTF-16LE
      "<meta charset=hz-gb-2312><p>~{<:Ky~}</p>",   // browsers show only U+FFFD
  };
  for (const std::string& page : cases) {
    dir_.write("site/index.html", page);
    const auto result = velmo("script-head", "x");
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("index.html"), std::string::npos) << result.err;
    EXPECT_EQ(readBytes(page_), page);
  }
}

}  // namespace
}  // namespace velmo
