// The write path in-process: a step of the atomic replace that fails leaves the target and no
// temporary file, site files change only with the page, and the saved settings are a part of the
// page's transaction.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/host_error.h"
#include "files/atomic_file.h"
#include "page_host/page_host.h"
#include "platform/linux/settings_store.h"
#include "site/standalone_host.h"
#include "tests/support/folder_listing.h"
#include "tests/support/pages.h"
#include "tests/support/site_on_disk.h"

namespace velmo {
namespace {
namespace fs = std::filesystem;

using testing::leftovers;

using standalone::ReplaceSteps;
using standalone::StandaloneHost;
using testing::kOneLinePage;
using testing::readBytes;
using testing::SiteOnDisk;
using testing::TempDir;

// ---- The check at the rename ---------------------------------------------------------------

TEST(ReplaceSteps, AStepThatThrowsLeavesTheTargetAndNoTemporaryFile) {
  TempDir dir;
  const fs::path file = dir.write("page.html", "old");
  ReplaceSteps steps;
  bool newContentWasDurable = false;
  steps.beforeReplace = [&] {
    // The new content is beside the target already, under a short name of velmo's.
    newContentWasDurable = leftovers(dir.path()).size() == 1;
    throw HostError(hr::kFail, u"no");
  };
  EXPECT_THROW(standalone::writeFileAtomically(file, "new", steps), HostError);
  EXPECT_TRUE(newContentWasDurable);
  EXPECT_EQ(readBytes(file), "old");
  EXPECT_TRUE(leftovers(dir.path()).empty());
}

// ---- Transaction order ---------------------------------------------------------------------

class SiteWithPicture : public ::testing::Test {
 protected:
  void SetUp() override {
    host_.openPage(page_);
    auto images = host_.activeWeb()->rootFolder()->folders()->item(u"images");
    images->files()->add(standalone::pathToText(dir_ / "outside/a.gif"), true);
  }

  SiteOnDisk dir_;
  fs::path page_ = dir_.write("site/index.html", kOneLinePage);
  fs::path picture_ = dir_.write("site/images/a.gif", "GIF89a old picture");
  fs::path newPicture_ = dir_.write("outside/a.gif", "GIF89a new picture");
  StandaloneHost host_;
};

TEST_F(SiteWithPicture, AnOutputThatCannotBeWrittenLeavesTheSiteAsItWas) {
  EXPECT_THROW(host_.commit(dir_ / "missing/out.html"), HostError);
  host_.rollback();
  EXPECT_EQ(readBytes(picture_), "GIF89a old picture");
  EXPECT_TRUE(leftovers(dir_ / "site/images").empty());
}

// The page found changed at the last step, after the site's imports moved in: here an import
// that replaces the page itself, which also shows the page is looked at after the site moved.
TEST_F(SiteWithPicture, APageFailingAfterTheSiteMovedPutsTheSiteFilesBack) {
  // (Imports take pictures only, so the stand-in for another program's page is one.)
  const fs::path theirs = dir_.write("outside/index.html", "GIF89a their page");
  host_.activeWeb()->rootFolder()->files()->add(standalone::pathToText(theirs), true);
  host_.activeDocument()->selection()->createRange()->pasteHTML(u"<p>mine</p>");
  EXPECT_THROW(host_.commit(), HostError);
  host_.rollback();
  EXPECT_EQ(readBytes(picture_), "GIF89a old picture");
  EXPECT_EQ(readBytes(page_), kOneLinePage);
  EXPECT_TRUE(leftovers(dir_ / "site").empty());
  EXPECT_TRUE(leftovers(dir_ / "site/images").empty());
}

TEST_F(SiteWithPicture, APageWrittenMovesThePictureIn) {
  host_.commit();
  EXPECT_EQ(readBytes(picture_), "GIF89a new picture");
  EXPECT_TRUE(leftovers(dir_ / "site/images").empty());
}

// The saved settings are a part of the page's transaction: written with the page, and put back,
// the folders made for them included, when the page fails after them.
TEST(SavedSettings, AreWrittenWithThePageAndPutBackWhenItFails) {
  for (const bool pageFails : {false, true}) {
    SCOPED_TRACE(pageFails ? "the page fails" : "the page is written");
    TempDir dir;
    const fs::path page = dir.write("site/index.html", kOneLinePage);
    StandaloneHost host;
    host.openPage(page);
    auto change =
        std::make_unique<standalone::SettingsChange>(standalone::IniSettingsStore(dir / "config"));
    change->add(u"velmoed", {u"color", u"bc", u"112233"});
    host.join(std::move(change));
    host.activeDocument()->selection()->createRange()->pasteHTML(u"<p>mine</p>");
    if (pageFails) {
      // An import over the page itself: the page is found changed after the other parts moved.
      const fs::path theirs = dir.write("outside/index.html", "GIF89a their page");
      host.activeWeb()->rootFolder()->files()->add(standalone::pathToText(theirs), true);
      EXPECT_THROW(host.commit(), HostError);
      host.rollback();
      EXPECT_EQ(readBytes(page), kOneLinePage);
      EXPECT_FALSE(fs::exists(dir / "config"));
    } else {
      host.commit();
      EXPECT_NE(readBytes(page).find("<p>mine</p>"), std::string::npos);
      EXPECT_NE(readBytes(dir / "config/velmo/velmoed.ini").find("bc=112233"), std::string::npos);
    }
    EXPECT_TRUE(leftovers(dir / "site").empty());
  }
}

}  // namespace
}  // namespace velmo
