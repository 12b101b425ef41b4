// velmo favourites as a user runs it: the same golden blocks as the core, Browse into the site's
// images folder, the question, and the checks.

#include <gtest/gtest.h>

#include "tests/support/program_test.h"

namespace velmo {
namespace {

const std::string kQuestion =
    "Add to Favorite: The image logo.gif already exist in the image folder, click YES to use it, "
    "click NO to Cancel";

class VelmoFavourites : public ::testing::Test {
 protected:
  // Runs in the test's folder, so paths may be given relative to it.
  testing::ProgramResult favourites(const std::string& args) {
    return runProgram("cd " + shellQuote(dir_.path().string()) + " && " + shellQuote(kVelmo) +
                      " favourites site/index.html " + args);
  }
  std::string pageWith(const std::string& block) const {
    return "<html>\r\n<body>\r\n<p>Hello</p>\r\n" + block + "</body>\r\n</html>\r\n";
  }
  std::string page() const { return readBytes(dir_ / "site/index.html"); }

  SiteOnDisk dir_;
  std::filesystem::path page_ = dir_.write("site/index.html", kHeadlessPage);
  std::filesystem::path logo_ = dir_.write("site/images/logo.gif", "the web's logo");
};

TEST_F(VelmoFavourites, PastesTheGoldenBlocks) {
  const struct {
    std::string args;
    std::string golden;
  } cases[] = {
      {"--text 'Bookmark us'", "favourites-text-current.txt"},
      {"--image-src images/logo.gif --url www.example.com/bakery/ --title 'Harbour Bakery' "
       "--message",
       "favourites-image-other-message.txt"},
      {"--text Go --message ''", "favourites-empty-message.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    dir_.write("site/index.html", kHeadlessPage);
    auto run = favourites(c.args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out + run.err, "");
    EXPECT_EQ(page(), pageWith(golden(c.golden)));
  }
}

TEST_F(VelmoFavourites, ImageBrowsesIntoTheImagesFolder) {
  dir_.write("pictures/hills.gif", "GIF89a hills");
  auto run = favourites("--image pictures/hills.gif --caret-after '<p>Hello</p>'");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out + run.err, "");
  EXPECT_EQ(readBytes(dir_ / "site/images/hills.gif"), "GIF89a hills");
  EXPECT_NE(page().find("<p>Hello</p><!--webbot bot=\"AddToFavor_VL\" startspan Tag =\"p\" "
                        "Preview=\"<img border ='0' src='images/hills.gif' >\" clientside -->"),
            std::string::npos)
      << page();
  EXPECT_NE(page().find("document.write('\"><img border=\"0\" src=\"images/hills.gif\" ></a>');"),
            std::string::npos);

  // The very picture in the web: no question, nothing imported.
  run = favourites("--image site/images/logo.gif");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out + run.err, "");
  EXPECT_NE(page().find("src='images/logo.gif'"), std::string::npos);
}

TEST_F(VelmoFavourites, AnotherPictureOfTheSameNameIsUsedOnlyOnYes) {
  dir_.write("pictures/logo.gif", "GIF89a another logo");
  for (const char* answer : {"--no", ""}) {
    SCOPED_TRACE(answer);
    auto run = favourites("--image pictures/logo.gif " + std::string(answer));
    EXPECT_EQ(run.status, 1);
    // No leaves the dialog without a source: the user cancels instead of pressing "Do it!".
    EXPECT_EQ(run.err, kQuestion + " -> No\nvelmo: the dialog was cancelled\n");
    EXPECT_EQ(page(), kHeadlessPage);
  }

  auto run = favourites("--image pictures/logo.gif --yes");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, kQuestion + " -> Yes\n");
  EXPECT_NE(page().find("src='images/logo.gif'"), std::string::npos);
  EXPECT_EQ(readBytes(logo_), "the web's logo");
}

TEST_F(VelmoFavourites, AFailedCheckExitsWithItsMessage) {
  const struct {
    std::string args;
    std::string message;
  } cases[] = {
      {"--url x.org", "Please fill link text or image source first"},
      {"--text Go --url '' --title ''", "Please fill URL first"},
      {"--image-src a.gif --title ''", "Please fill Title first"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    auto run = favourites(c.args);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Add to favorite: " + c.message + "\nvelmo: the dialog was cancelled\n");
    EXPECT_EQ(page(), kHeadlessPage);
  }
}

TEST_F(VelmoFavourites, OnlyAnExistingFileCanBePicked) {
  auto run = favourites("--image pictures/none.gif");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("pictures/none.gif"), std::string::npos) << run.err;
  EXPECT_EQ(page(), kHeadlessPage);
}

TEST_F(VelmoFavourites, WithoutAnImagesFolderBrowseFailsAndNothingChanges) {
  std::filesystem::remove_all(dir_ / "site/images");
  dir_.write("pictures/hills.gif", "GIF89a hills");
  auto run = favourites("--image pictures/hills.gif");
  EXPECT_EQ(run.status, 2);
  // The dialog shows the error, then velmo closes it: no check runs after the failure.
  EXPECT_EQ(run.err.find("Add to favorite:"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("velmo: site/index.html: There is no folder 'images'"), std::string::npos)
      << run.err;
  EXPECT_EQ(page(), kHeadlessPage);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "site/images"));
}

}  // namespace
}  // namespace velmo
