// Updating instead of piling up (--replace, --once) and the look before a change (--dry-run),
// each compared byte for byte with what the plain single-page command writes.

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "tests/support/program_test.h"

namespace velmo {
namespace {

const std::string kPictures = VELMO_SOURCE_DIR "/examples/pictures/";

class Replace : public ::testing::Test {
 protected:
  testing::ProgramResult velmo(const std::string& args) {
    return testing::runVelmo(args + " </dev/null");
  }
  std::filesystem::path write(const std::string& name, const std::string& bytes) {
    return dir_.write("site/" + name, bytes);
  }
  static std::string q(const std::filesystem::path& path) { return shellQuote(path.string()); }

  SiteOnDisk dir_;
};

TEST_F(Replace, DateReplacesTheFirstBlockInPlace) {
  const std::string old =
      "<!--webbot bot=\"V_Date\" startspan -->old<!--webbot bot=\"V_Date\" "
      "endspan -->";
  const std::string page = pageWith("<p>a</p>" + old + "<p>b</p>" + old);
  const auto replaced = write("replaced.html", page);
  const auto selected = write("selected.html", page);
  ASSERT_EQ(velmo("date " + q(replaced) + " --replace").status, 0);
  // The same as selecting the block and pasting over it; the second block stays.
  ASSERT_EQ(velmo("date " + q(selected) + " --select " + shellQuote(old)).status, 0);
  EXPECT_EQ(readBytes(replaced), readBytes(selected));
  EXPECT_NE(readBytes(replaced).find("<p>b</p>" + old), std::string::npos);
  // Again: the page holds what it held.
  const std::string once = readBytes(replaced);
  ASSERT_EQ(velmo("date " + q(replaced) + " --replace").status, 0);
  EXPECT_EQ(readBytes(replaced), once);
}

// With nothing of its kind on the page, --replace and --once write what the plain command does.
TEST_F(Replace, WithNothingToMatchTheOptionIsThePlainCommand) {
  const struct {
    const char* command;  // PAGE stands for the page
    const char* option;
  } cases[] = {{"date PAGE --caret-after '<h1>x</h1>'", "--replace"},
               {"favourites PAGE --text T", "--replace"},
               {"script-head PAGE 'alert(1);'", "--once"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    const auto on = [&](const std::filesystem::path& page) {
      std::string line = c.command;
      return line.replace(line.find("PAGE"), 4, q(page));
    };
    const auto withOption = write("o.html", pageWith("<h1>x</h1>"));
    const auto plain = write("p.html", pageWith("<h1>x</h1>"));
    ASSERT_EQ(velmo(on(withOption) + " " + c.option).status, 0);
    ASSERT_EQ(velmo(on(plain)).status, 0);
    EXPECT_EQ(readBytes(withOption), readBytes(plain));
  }
}

TEST_F(Replace, FavouritesReplacesItsOwnBlockOnly) {
  const auto page = write("f.html", pageWith(kDateBlock + "<p>x</p>"));
  ASSERT_EQ(velmo("favourites " + q(page) + " --text First").status, 0);
  ASSERT_EQ(velmo("favourites " + q(page) + " --text Second --replace").status, 0);
  const std::string text = readBytes(page);
  EXPECT_EQ(text.find("First"), std::string::npos);
  EXPECT_NE(text.find("Second"), std::string::npos);
  EXPECT_EQ(text.find("AddToFavor_VL\" startspan"), text.rfind("AddToFavor_VL\" startspan"));
  EXPECT_NE(text.find(kDateBlock), std::string::npos);
}

TEST_F(Replace, SlideReplacesTheShowAndKeepsOneViewerScript) {
  const std::string hills = shellQuote(kPictures + "hills.gif");
  const std::string sunrise = shellQuote(kPictures + "sunrise.jpg");
  const std::string harbour = shellQuote(kPictures + "harbour.jpg");
  const auto replaced = write("s.html", pageWith("<p>x</p>"));
  const auto fresh = write("t.html", pageWith("<p>x</p>"));
  ASSERT_EQ(velmo("slide " + q(replaced) + " " + hills + " " + sunrise).status, 0);
  ASSERT_EQ(velmo("slide " + q(replaced) + " " + harbour + " " + hills + " --replace").status, 0);
  ASSERT_EQ(velmo("slide " + q(fresh) + " " + harbour + " " + hills).status, 0);
  EXPECT_EQ(readBytes(replaced), readBytes(fresh));
}

TEST_F(Replace, ScriptHeadOnceAddsTheBlockOnce) {
  const auto page = write("o.html", pageWith("<p>x</p>"));
  ASSERT_EQ(velmo("script-head " + q(page) + " 'alert(1);' --once").status, 0);
  const std::string first = readBytes(page);
  ASSERT_EQ(velmo("script-head " + q(page) + " 'alert(1);' --once").status, 0);
  EXPECT_EQ(readBytes(page), first);
  // Other code is another block.
  ASSERT_EQ(velmo("script-head " + q(page) + " 'alert(2);' --once").status, 0);
  EXPECT_NE(readBytes(page), first);
  // Without --once every run adds one more, as before.
  ASSERT_EQ(velmo("script-head " + q(page) + " 'alert(1);'").status, 0);
  const std::string twice = readBytes(page);
  EXPECT_NE(twice.find("alert(1);"), twice.rfind("alert(1);"));
}

TEST_F(Replace, DryRunChangesNothingAndItsDiffIsTheChange) {
  const auto page = write("d.html", pageWith("<p>x</p>" + kDateBlock));
  const auto copy = write("copy.html", pageWith("<p>x</p>" + kDateBlock));
  struct stat before {};
  ::stat(page.c_str(), &before);
  const auto look = velmo("slide " + q(page) + " " + shellQuote(kPictures + "hills.gif") + " " +
                          shellQuote(kPictures + "sunrise.jpg") + " --dry-run");
  EXPECT_EQ(look.status, 0) << look.err;
  struct stat after {};
  ::stat(page.c_str(), &after);
  EXPECT_EQ(readBytes(page), pageWith("<p>x</p>" + kDateBlock));
  EXPECT_EQ(before.st_mtim.tv_nsec, after.st_mtim.tv_nsec);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "site/slide_img"));
  EXPECT_NE(look.out.find("would import " + (dir_ / "site/slide_img/hills.gif").string() + "\n"),
            std::string::npos)
      << look.out;
  // patch applies the look to a copy and gives what the command writes.
  std::string diff = look.out.substr(0, look.out.find("would import"));
  dir_.write("look.diff", diff);
  ASSERT_EQ(testing::runProgram("patch -s " + q(copy) + " " + q(dir_ / "look.diff")).status, 0);
  ASSERT_EQ(velmo("slide " + q(page) + " " + shellQuote(kPictures + "hills.gif") + " " +
                  shellQuote(kPictures + "sunrise.jpg"))
                .status,
            0);
  EXPECT_EQ(readBytes(copy), readBytes(page));
}

TEST_F(Replace, DryRunSavesNoSchemeAndPrintsNothingForAnUnchangedPage) {
  const auto page = write("s.html", pageWith("<p>x</p>"));
  const auto config = dir_ / "config";
  const auto look =
      testing::runProgram("XDG_CONFIG_HOME=" + q(config) + " " + shellQuote(testing::kVelmo) +
                          " style " + q(page) + " --face 00FF00 --save --dry-run");
  EXPECT_EQ(look.status, 0) << look.err;
  EXPECT_FALSE(std::filesystem::exists(config / "velmo/velmoed.ini"));
  EXPECT_NE(look.out.find("+++ "), std::string::npos);
  EXPECT_EQ(look.out.find("applied successfully"), std::string::npos);
  EXPECT_EQ(readBytes(page), pageWith("<p>x</p>"));
  const auto nothing = velmo("erase-bot " + q(page) + " V_Date --dry-run");
  EXPECT_EQ(nothing.status, 0);
  EXPECT_EQ(nothing.out, "");
}

}  // namespace
}  // namespace velmo
