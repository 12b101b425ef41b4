// How a file name shows in messages, tables and JSON: readable, never a terminal command, and
// readable back to its bytes.

#include "core/common/shown_name.h"

#include <gtest/gtest.h>

#include "core/common/text.h"

namespace velmo {
namespace {

// The bytes an escaped name stands for, read back as the README says to.
std::string readBack(const std::string& shown) {
  std::string bytes;
  for (std::size_t i = 0; i < shown.size(); ++i) {
    if (shown[i] != '\\') {
      bytes += shown[i];
      continue;
    }
    const char c = shown[++i];
    static const std::string kLetters = "abtnvfre\\";
    static const std::string kBytes = "\a\b\t\n\v\f\r\x1b\\";
    if (c == 'x') {
      bytes += static_cast<char>(std::stoi(shown.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      bytes += kBytes[kLetters.find(c)];
    }
  }
  return bytes;
}

TEST(ShownName, EscapesWhatATerminalWouldObeyAndReadsBack) {
  const struct {
    std::string name, shown;
  } cases[] = {
      {"site/about us/our team.html", "site/about us/our team.html"},
      {"caf\xC3\xA9\\x.html", "caf\xC3\xA9\\x.html"},  // UTF-8 without controls: itself
      {"caf\xE9.html", "caf\\xe9.html"},
      {"\x1b]2;pwned\a\x1b[2J.html", "\\e]2;pwned\\a\\e[2J.html"},
      {"a\tb\nc\rd\x01\x7f.html", "a\\tb\\nc\\rd\\x01\\x7f.html"},
      {"csi\xC2\x9B"
       "31m.html",
       "csi\\xc2\\x9b31m.html"},  // a C1 control
      {"back\\slash\xFF", "back\\\\slash\\xff"},
      {"cut\xE2\x80", "cut\\xe2\\x80"},
  };
  for (const auto& c : cases) {
    const std::string shown = shownName(c.name);
#ifndef _WIN32
    EXPECT_EQ(shown, c.shown) << c.name;
    // An escaped form reads back to the bytes; a plain name is its own bytes.
    if (shown != c.name) {
      EXPECT_EQ(readBack(shown), c.name) << shown;
    }
#endif
    EXPECT_TRUE(isValidUtf8(shown)) << shown;
    for (const char byte : shown) EXPECT_FALSE(byte >= 0 && byte < 0x20) << shown;
  }
}

TEST(ShownName, MessagesKeepTheirLinesButObeyNoEscape) {
  EXPECT_EQ(shownText("velmo: ./\\e.html: The page '\x1b[2J.html'\tis\nread-only\r\a"),
            "velmo: ./\\e.html: The page '\\e[2J.html'\tis\nread-only\\r\\a");
}

}  // namespace
}  // namespace velmo
