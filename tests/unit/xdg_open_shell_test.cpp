// The shell's "open" on Linux, with the stand-in xdg-open.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "core/common/host_error.h"
#include "desktop/xdg_open.h"
#include "tests/support/stand_in_xdg_open.h"

namespace velmo {
namespace {

using desktop::XdgOpenShell;

class XdgOpen : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto folder = testing::writeStandInXdgOpen(dir_, "bin");
    savedPath_ = std::getenv("PATH");
    setenv("PATH", (folder.string() + ":/usr/bin:/bin").c_str(), 1);
  }
  void TearDown() override {
    setenv("PATH", savedPath_.c_str(), 1);
    unsetenv("XDG_OPEN_STATUS");
  }
  std::string opened() const { return testing::readBytes(dir_ / "bin/opened"); }

  testing::TempDir dir_;
  std::string savedPath_;
  XdgOpenShell shell_;
};

TEST_F(XdgOpen, HandsOverOneArgumentAndAnswersAsTheWindowsShell) {
  const std::u16string spaced = u"/tmp/a file; $(rm -rf x).html";
  EXPECT_GT(shell_.open(spaced), 32);
  EXPECT_EQ(shell_.lastAnswer(), 42);
  EXPECT_EQ(shell_.open(u"WWW.example.com/\u00e9"), 42);
  EXPECT_EQ(shell_.open(u"mailto:x@example.com"), 42);
  EXPECT_EQ(opened(),
            "/tmp/a file; $(rm -rf x).html\nhttp://WWW.example.com/\xc3\xa9\n"
            "mailto:x@example.com\n");

  const std::pair<const char*, std::intptr_t> failures[] = {{"2", 2}, {"3", 31}, {"4", 31}};
  for (const auto& [status, answer] : failures) {
    setenv("XDG_OPEN_STATUS", status, 1);
    EXPECT_EQ(shell_.open(u"x"), answer);
  }
}

TEST_F(XdgOpen, AnAddressThatCannotBeHandedOverWholeIsRefused) {
  for (const std::u16string& address :
       {std::u16string(u"http://a\0b", 10), std::u16string(u"http://a\xD800"),
        std::u16string(u"\xDC00x")}) {
    try {
      shell_.open(address);
      ADD_FAILURE() << "opened";
    } catch (const HostError& error) {
      EXPECT_EQ(error.hresult(), static_cast<std::int32_t>(0x800A0005));
      EXPECT_EQ(error.description(), u"Invalid procedure call or argument");
    }
    EXPECT_FALSE(shell_.lastAnswer());
  }
  EXPECT_EQ(opened(), "");
}

TEST_F(XdgOpen, WithoutXdgOpenTheCallFails) {
  setenv("PATH", "/nowhere", 1);
  try {
    shell_.open(u"http://www.example.com/");
    ADD_FAILURE() << "opened";
  } catch (const HostError& error) {
    EXPECT_EQ(error.description(), u"File not found: xdg-open");
  }
  EXPECT_FALSE(shell_.lastAnswer());
}

}  // namespace
}  // namespace velmo
