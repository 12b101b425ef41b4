// The write path in-process: a step of the atomic replace that fails leaves the target and no
// temporary file, site files change only with the page, and the saved settings are a part of the
// page's transaction.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "core/common/host_error.h"
#include "core/page_host/page_host.h"
#include "file_host/file_host.h"
#include "file_host/files/atomic_file.h"
#include "file_host/files/locked_file.h"
#include "file_host/files/temporary_file.h"
#include "file_host/files/write_batch.h"
#include "file_host/settings/settings_store.h"
#include "tests/support/folder_listing.h"
#include "tests/support/pages.h"
#include "tests/support/site_on_disk.h"

namespace velmo {
namespace {
namespace fs = std::filesystem;

using testing::leftovers;

using file_host::FileHost;
using file_host::ReplaceSteps;
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
  EXPECT_THROW(file_host::writeFileAtomically(file, "new", steps), HostError);
  EXPECT_TRUE(newContentWasDurable);
  EXPECT_EQ(readBytes(file), "old");
  EXPECT_TRUE(leftovers(dir.path()).empty());
}

// ---- A save through the lock -----------------------------------------------------------------

// Whether the new file is made with the target's bits or given them afterwards depends on the
// bits and the umask: every way keeps them, keeps the file locked across the rename (against
// others, shared with this run) and stamps the new file as the one to compare with.
TEST(LockedSave, KeepsThePermissionBitsTheLockAndTheStamp) {
  TempDir dir;
  for (const unsigned mode : {0644u, 0600u, 0640u, 0755u, 0664u, 0666u, 02750u}) {
    SCOPED_TRACE(mode);
    const fs::path file = dir.write("page.html", "old");
    fs::permissions(file, fs::perms(mode));
    file_host::FileLocks shared;
    auto page = file_host::LockedFile::open(file, u"page", -1, &shared);
    page.replace("new");
    EXPECT_EQ(fs::status(file).permissions(), fs::perms(mode));
    const int other = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    EXPECT_NE(::flock(other, LOCK_EX | LOCK_NB), 0);
    ::close(other);
    EXPECT_NO_THROW(file_host::LockedFile::open(file, u"page", 0, &shared));
    EXPECT_NO_THROW(page.replace("newer"));
    EXPECT_EQ(readBytes(file), "newer");
  }
}

// ---- Transaction order ---------------------------------------------------------------------

class SiteWithPicture : public ::testing::Test {
 protected:
  void SetUp() override {
    host_.openPage(page_);
    auto images = host_.activeWeb()->rootFolder()->folders()->item(u"images");
    images->files()->add(file_host::pathToText(dir_ / "outside/a.gif"), true);
  }

  SiteOnDisk dir_;
  fs::path page_ = dir_.write("site/index.html", kOneLinePage);
  fs::path picture_ = dir_.write("site/images/a.gif", "GIF89a old picture");
  fs::path newPicture_ = dir_.write("outside/a.gif", "GIF89a new picture");
  FileHost host_;
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
  host_.activeWeb()->rootFolder()->files()->add(file_host::pathToText(theirs), true);
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
    FileHost host;
    host.openPage(page);
    auto change =
        std::make_unique<file_host::SettingsChange>(file_host::IniSettingsStore(dir / "config"));
    change->add(u"velmoed", {u"color", u"bc", u"112233"});
    host.join(std::move(change));
    host.activeDocument()->selection()->createRange()->pasteHTML(u"<p>mine</p>");
    if (pageFails) {
      // An import over the page itself: the page is found changed after the other parts moved.
      const fs::path theirs = dir.write("outside/index.html", "GIF89a their page");
      host.activeWeb()->rootFolder()->files()->add(file_host::pathToText(theirs), true);
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

// ---- Durability in waves -----------------------------------------------------------------

// A run killed after a wave's flush and before its renames: each page is the old text or the
// new, never a part, and what the run left is swept by the next one's first write there.
TEST(FlushWaves, AKillBetweenTheFlushAndTheRenamesLeavesEveryPageOldOrNew) {
  constexpr int kPages = 24;
  for (const int killAtWave : {1, 2, 3}) {
    SiteOnDisk dir;
    const auto page = [&](int i) { return dir.path() / ("page" + std::to_string(i) + ".html"); };
    const auto text = [](const char* age, int i) {
      return std::string(age) + std::to_string(i) + std::string(20000, 'x') + "\n";
    };
    for (int i = 0; i < kPages; ++i) std::ofstream(page(i), std::ios::binary) << text("old", i);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      file_host::WriteBatch batch;
      int waves = 0;
      batch.afterEachWave([&] {
        if (++waves == killAtWave) ::raise(SIGKILL);
      });
      std::vector<std::thread> writers;
      for (int i = 0; i < kPages; ++i) {
        writers.emplace_back([&, i] {
          ReplaceSteps steps;
          steps.batch = &batch;
          file_host::writeFileAtomically(page(i), text("new", i), steps);
        });
      }
      for (auto& writer : writers) writer.join();
      ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    const bool killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    // The first wave is always flushed, and so always cut short.
    if (killAtWave == 1) {
      EXPECT_TRUE(killed);
    }
    for (int i = 0; i < kPages; ++i) {
      const std::string now = readBytes(page(i));
      EXPECT_TRUE(now == text("old", i) || now == text("new", i)) << "page " << i;
      if (killAtWave == 1) {
        EXPECT_EQ(now, text("old", i)) << "page " << i;
      }
    }
    if (killed) {
      EXPECT_FALSE(leftovers(dir.path()).empty()) << "the wave cut short left its files";
    }
    // The next run, a minute or more later: the killed run's files are stale by then.
    const auto past = fs::file_time_type::clock::now() - std::chrono::minutes(2);
    for (const std::string& name : leftovers(dir.path())) {
      fs::last_write_time(dir.path() / name, past);
    }
    file_host::WriteBatch next;
    ReplaceSteps steps;
    steps.batch = &next;
    file_host::writeFileAtomically(page(0), text("again", 0), steps);
    EXPECT_EQ(readBytes(page(0)), text("again", 0));
    EXPECT_TRUE(leftovers(dir.path()).empty());
  }
}

// Many writers at once, each with a pause of its own: every file waits for the end of a flush
// that came after it joined a wave (never returning on an earlier wave's end), flushes never
// overlap, and nobody waits for ever.
TEST(FlushWaves, EachFileWaitsForAFlushAfterItJoinedAndFlushesTakeTurns) {
  TempDir dir;
  file_host::WriteBatch batch;
  std::atomic<int> flushed{0};
  std::atomic<int> flushing{0};
  std::atomic<bool> overlapped{false};
  batch.afterEachWave([&] {
    if (flushing++ != 0) overlapped = true;
    std::this_thread::sleep_for(std::chrono::microseconds(300));
    --flushing;
    ++flushed;
  });
  std::atomic<int> early{0};
  std::vector<std::thread> writers;
  for (int w = 0; w < 24; ++w) {
    writers.emplace_back([&, w] {
      for (int i = 0; i < 15; ++i) {
        auto file = file_host::TemporaryFile::createIn(dir.path(), dir.path() / "page.html");
        ASSERT_EQ(file.write("x"), 0);
        std::this_thread::sleep_for(std::chrono::microseconds((w * 7 + i * 13) % 200));
        const int before = flushed;
        ASSERT_EQ(batch.flushInWave(file, dir.path()), 0);
        if (flushed <= before) ++early;
      }
    });
  }
  for (auto& writer : writers) writer.join();
  EXPECT_EQ(early, 0);
  EXPECT_FALSE(overlapped);
  EXPECT_LT(flushed, 24 * 15) << "files that waited together were flushed together";
}

}  // namespace
}  // namespace velmo
