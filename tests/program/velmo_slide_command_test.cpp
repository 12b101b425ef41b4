// velmo slide as a user runs it: pictures from the example folder into a site on disk.

#include <gtest/gtest.h>

#include "tests/support/program_test.h"

namespace velmo {
namespace {

const std::string kPictures = VELMO_SOURCE_DIR "/examples/pictures/";

class VelmoSlide : public ::testing::Test {
 protected:
  testing::ProgramResult velmo(const std::string& args) {
    return testing::runVelmo("slide " + args + " </dev/null");
  }
  static std::string picture(const std::string& name) { return shellQuote(kPictures + name); }
  std::string page() const { return shellQuote(page_.string()); }
  // Nothing of the page or the site has changed.
  void expectUntouched() {
    EXPECT_EQ(readBytes(page_), kHelloPage);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "site/slide_img"));
  }

  SiteOnDisk dir_;
  std::filesystem::path page_ = dir_.write("site/index.html", kHelloPage);
};

TEST_F(VelmoSlide, ImportsThePicturesAndWritesScriptAndTable) {
  auto run = velmo(page() + " " + picture("sunrise.jpg") + " " + picture("harbour.jpg") +
                   " --caret-after '<p>Hello</p>'");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out + run.err, "");
  EXPECT_EQ(readBytes(page_), "<html>\r\n<head>\r\n<title>t</title>\r\n" +
                                  golden("slide-script-two.txt") + "</head>\r\n<body>\r\n" +
                                  "<p>Hello</p>" + golden("slide-table.txt") +
                                  "\r\n</body>\r\n</html>\r\n");
  for (const char* name : {"sunrise.jpg", "harbour.jpg"}) {
    EXPECT_EQ(readBytes(dir_ / "site/slide_img" / name), readBytes(kPictures + name)) << name;
  }
}

TEST_F(VelmoSlide, TheSiteOptionNamesTheRootThatGetsTheFolder) {
  const auto inner = dir_.write("site/shop/cakes.html", kHelloPage);
  auto run = velmo(shellQuote(inner.string()) + " --site " + shellQuote((dir_ / "site").string()) +
                   " " + picture("hills.gif") + " " + picture("sunrise.jpg"));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(std::filesystem::exists(dir_ / "site/slide_img/hills.gif"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "site/shop/slide_img"));
  // Addresses stay relative to the page, wherever the page lies in the site.
  EXPECT_NE(readBytes(inner).find("photos_VL[0] = \"slide_img/hills.gif\"\r\n"), std::string::npos);
}

TEST_F(VelmoSlide, RelativePicturePathsAreTakenFromTheWorkingFolder) {
  auto run = runProgram("cd " + shellQuote(kPictures) + " && " + shellQuote(kVelmo) + " slide " +
                        page() + " hills.gif ../pictures/harbour.jpg");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(readBytes(dir_ / "site/slide_img/harbour.jpg"), readBytes(kPictures + "harbour.jpg"));
}

TEST_F(VelmoSlide, FewerThanTwoPicturesIsRefusedWithTheDialogsMessage) {
  for (const std::string& pictures : {std::string(), picture("hills.gif")}) {
    auto run = velmo(page() + " " + pictures);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Velmopro: You must have at least two pictures, add more\n");
    EXPECT_EQ(run.out, "");
    expectUntouched();
  }
}

TEST_F(VelmoSlide, MoreThanSeventyOnePicturesIsRefusedWithTheFullListMessage) {
  std::string pictures;
  for (int i = 0; i < 73; ++i) pictures += " " + picture("hills.gif");
  auto run = velmo(page() + pictures);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "Velmopro: A slide show holds at most 71 pictures. Remove a picture before you add "
            "another.\n");
  expectUntouched();
}

TEST_F(VelmoSlide, AMissingPictureFailsNamingItAndChangesNothing) {
  const std::string missing = (dir_ / "none.gif").string();
  auto run = velmo(page() + " " + picture("hills.gif") + " " + shellQuote(missing));
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find(missing), std::string::npos) << run.err;
  expectUntouched();
}

}  // namespace
}  // namespace velmo
