// The slide show generator against a real page and site folder.

#include <gtest/gtest.h>

#include "features/slideshow/slide_show.h"
#include "file_host/files/atomic_file.h"
#include "tests/support/golden.h"
#include "tests/support/page_fixture.h"

namespace velmo {
namespace {

using testing::readBytes;

class SlideShowPage : public testing::PageFixture {
 protected:
  SlidePicture picture(const std::string& folder, const std::string& name,
                       const std::string& bytes) {
    const auto path = dir_.write("disk/" + folder + "/" + name, bytes);
    return {utf8ToUtf16(name), file_host::pathToText(path)};
  }
};

TEST_F(SlideShowPage, ImportsPicturesWritesTheScriptOnceAndPastesTheTable) {
  open("<html><head><title>t</title></head><body><p>x</p></body></html>");
  const std::vector<SlidePicture> pictures = {picture("a", "sunrise.jpg", "GIF89aS"),
                                              picture("b", "harbour.jpg", "GIF89aH")};
  makeSlideShow(host_, pictures);
  const std::string page = committed();
  EXPECT_EQ(page, "<html><head><title>t</title>" + testing::golden("slide-script-two.txt") +
                      "</head><body><p>x</p>" + testing::golden("slide-table.txt") +
                      "</body></html>");
  EXPECT_EQ(readBytes(dir_ / "site/slide_img/sunrise.jpg"), "GIF89aS");
  EXPECT_EQ(readBytes(dir_ / "site/slide_img/harbour.jpg"), "GIF89aH");
}

TEST_F(SlideShowPage, ExistingFolderIsReusedAndSameNamedFilesReplaced) {
  dir_.write("site/slide_img/sunrise.jpg", "old");
  dir_.write("site/slide_img/keep.gif", "keep");
  open("<html><head></head><body></body></html>");
  makeSlideShow(host_, {picture("a", "sunrise.jpg", "GIF89anew"),
                        picture("b", "sunrise.jpg", "GIF89anewer")});
  host_.commit();
  EXPECT_EQ(readBytes(dir_ / "site/slide_img/sunrise.jpg"), "GIF89anewer");
  EXPECT_EQ(readBytes(dir_ / "site/slide_img/keep.gif"), "keep");
}

TEST_F(SlideShowPage, FolderNameIsCaseSensitive) {
  dir_.write("site/Slide_Img/other.gif", "x");
  open("<html><head></head><body></body></html>");
  makeSlideShow(host_, {picture("a", "one.gif", "GIF89a1"), picture("a", "two.gif", "GIF89a2")});
  host_.commit();
  EXPECT_EQ(readBytes(dir_ / "site/slide_img/one.gif"), "GIF89a1");
  EXPECT_EQ(readBytes(dir_ / "site/Slide_Img/other.gif"), "x");
}

TEST_F(SlideShowPage, SecondShowKeepsTheFirstScript) {
  open("<html><head></head><body>[1][2]</body></html>");
  makeSlideShow(host_, {picture("a", "one.gif", "GIF89a1"), picture("a", "two.gif", "GIF89a2")});
  ASSERT_TRUE(host_.select(u"[2]", file_host::SelectMode::CaretAfter));
  makeSlideShow(host_, {picture("b", "three.gif", "GIF89a3"), picture("b", "four.gif", "GIF89a4")});
  const std::string page = committed();
  EXPECT_NE(page.find("slide_img/one.gif"), std::string::npos);
  EXPECT_EQ(page.find("slide_img/three.gif"), std::string::npos);
  EXPECT_EQ(readBytes(dir_ / "site/slide_img/four.gif"), "GIF89a4");
  const std::string table = testing::golden("slide-table.txt");
  EXPECT_EQ(page.find(table) + table.size(), page.rfind(table)) << "two tables side by side";
}

TEST_F(SlideShowPage, UnreadablePictureStopsTheRunAndRollbackRestoresTheSite) {
  const std::string html = "<html><head></head><body></body></html>";
  open(html);
  const auto missing = file_host::pathToText(dir_ / "disk/missing.gif");
  EXPECT_THROW(
      makeSlideShow(host_, {picture("a", "one.gif", "GIF89a1"), {u"missing.gif", missing}}),
      HostError);
  EXPECT_EQ(text(), html) << "nothing reaches the page before the pictures are in";
  host_.rollback();
  EXPECT_FALSE(std::filesystem::exists(dir_ / "site/slide_img"));
  EXPECT_EQ(readBytes(page_), html);
}

}  // namespace
}  // namespace velmo
