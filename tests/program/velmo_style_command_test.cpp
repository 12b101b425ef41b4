// velmo style as a user runs it: the page, the printed fields, and the saved scheme in the
// settings folder.

#include <algorithm>

#include <gtest/gtest.h>

#include "tests/support/program_test.h"

namespace velmo {
namespace {

const std::string kApplied = "Velmopro: ScrollBar Color has been applied successfully\n";
// A page whose HEAD has one style sheet with one rule, for body.
std::string withBodyRule(const std::string& declarations) {
  return "<html>\r\n<head>\r\n<style>\r\nbody { " + declarations +
         " }\r\n</style>\r\n</head>\r\n<body></body>\r\n</html>\r\n";
}
const std::string kColoured =
    withBodyRule("color: navy; scrollbar-face-color: #ffcc00; scrollbar-track-color: red");

class VelmoStyle : public ::testing::Test {
 protected:
  // velmo style with its settings kept in `config_`.
  testing::ProgramResult velmo(const std::string& args) {
    return runProgram("XDG_CONFIG_HOME=" + shellQuote(config_.string()) + " " + shellQuote(kVelmo) +
                      " style " + args + " </dev/null");
  }
  std::string write(const std::string& html) {
    return shellQuote(dir_.write("site/index.html", html).string());
  }
  std::string page() const { return readBytes(dir_ / "site/index.html"); }

  SiteOnDisk dir_;
  std::filesystem::path config_ = dir_ / "config";
};

TEST_F(VelmoStyle, AHeadWithoutStyleGetsTheBlock) {
  const std::string path = write("<html>\r\n<head>\r\n<title>t</title>\r\n</head>\r\n</html>\r\n");
  auto run = velmo(path + " --base FF0000 --face 00FF00");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, kApplied);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(page(), "<html>\r\n<head>\r\n<title>t</title>\r\n" +
                        golden("scrollbar-style-example.txt") + "</head>\r\n</html>\r\n");
  EXPECT_FALSE(std::filesystem::exists(config_));
}

TEST_F(VelmoStyle, ShowPrintsTheFieldsAsLoadedAndChangesNothing) {
  const std::string path = write(kColoured);
  auto run = velmo(path + " --show");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "Base Color:\nArrow Color:\nHighlight Color:\n3dlight Color:\nFace Color: ffcc00\n"
            "Track Color: red\nShadow Color:\nDarkshadow Color:\n");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(page(), kColoured);

  auto mixed = velmo(path + " --show --base 000000");
  EXPECT_EQ(mixed.status, 2);
  EXPECT_NE(mixed.err.find("--show excludes --base"), std::string::npos) << mixed.err;
}

TEST_F(VelmoStyle, FieldsTypedEmptyRemoveTheirPropertiesFromTheBodyRule) {
  const std::string path = write(kColoured);
  auto run = velmo(path + " --arrow 123456 --face '' --track ''");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(page(), withBodyRule("color: navy; scrollbar-arrow-color: #123456;"));
}

// Declarations as pages write them: marked important, or with the property name in capitals.
TEST_F(VelmoStyle, ImportantAndUpperCaseDeclarationsRoundTrip) {
  const std::string kRest = "color: navy; /* brand */ margin: 0;";
  const std::string important = withBodyRule("scrollbar-face-color: #123456 !important; " + kRest);
  const std::string upper = withBodyRule(kRest + " SCROLLBAR-FACE-COLOR: #123456");
  for (const std::string& html : {important, upper}) {
    const std::string path = write(html);
    auto show = velmo(path + " --show");
    EXPECT_EQ(show.status, 0) << show.err;
    EXPECT_NE(show.out.find("\nFace Color: 123456\n"), std::string::npos) << show.out;
    EXPECT_EQ(page(), html);
  }

  std::string path = write(important);
  auto set = velmo(path + " --face 00FF00");
  EXPECT_EQ(set.status, 0) << set.err;
  EXPECT_EQ(page(), withBodyRule("scrollbar-face-color: #00FF00 !important; " + kRest));

  path = write(upper);
  set = velmo(path + " --face 00FF00");
  EXPECT_EQ(set.status, 0) << set.err;
  EXPECT_EQ(page(), withBodyRule(kRest + " SCROLLBAR-FACE-COLOR: #00FF00"));

  auto removed = velmo(path + " --face ''");
  EXPECT_EQ(removed.status, 0) << removed.err;
  EXPECT_EQ(page(), withBodyRule(kRest));
}

TEST_F(VelmoStyle, SavedColoursComeBackBeforeTheTypedOnes) {
  write("<html><head><style>p { margin: 0 }</style></head></html>");
  auto save = velmo(shellQuote((dir_ / "site/index.html").string()) +
                    " --base 112233 --shadow 445566 --save");
  EXPECT_EQ(save.status, 0) << save.err;
  EXPECT_TRUE(std::filesystem::exists(config_ / "velmo" / "velmoed.ini"));

  // Load empties the face and track fields that were saved empty; the typed face comes after.
  const std::string path = write(kColoured);
  auto load = velmo(path + " --load --shadow 778899 --face 00FF00");
  EXPECT_EQ(load.status, 0) << load.err;
  EXPECT_EQ(load.out, kApplied);
  EXPECT_EQ(page(),
            withBodyRule("color: navy; scrollbar-face-color: #00FF00; "
                         "scrollbar-base-color: #112233; scrollbar-shadow-color: #778899;"));
}

TEST_F(VelmoStyle, LoadWithNothingSavedEmptiesEveryField) {
  const std::string path = write(kColoured);
  auto run = velmo(path + " --load");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(page(), withBodyRule("color: navy;"));
}

TEST_F(VelmoStyle, ASaveThatFailsStopsTheRunAndLeavesThePage) {
  // The settings folder cannot be made: its parent is a file.
  dir_.write("config", "not a folder");
  const std::string path = write(kColoured);
  auto run = velmo(path + " --base 000000 --save");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "");  // Do It was never pressed
  // Told once, as velmo's reason to fail, naming the page.
  EXPECT_TRUE(run.err.starts_with("velmo: " + (dir_ / "site/index.html").string() +
                                  ": Cannot create the settings folder"))
      << run.err;
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  EXPECT_EQ(page(), kColoured);
}

}  // namespace
}  // namespace velmo
