// The write path loses nothing and destroys nothing: concurrent runs take turns, a page changed
// by another program is never overwritten, special files are written into, a write-protected
// page is refused, site files change only with the page, and a killed run leaves no temporary
// file behind.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "common/host_error.h"
#include "files/atomic_file.h"
#include "files/write_batch.h"
#include "page_host/page_host.h"
#include "platform/linux/settings_store.h"
#include "site/html_page.h"
#include "site/standalone_host.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"
#include "tests/support/velmo_program.h"

namespace velmo {
namespace {
namespace fs = std::filesystem;

using standalone::HtmlPage;
using standalone::PageSaveOptions;
using standalone::ReplaceSteps;
using standalone::StandaloneHost;
using testing::readBytes;
using testing::runProgram;
using testing::runVelmo;
using testing::shellQuote;
using testing::TempDir;

const std::string kPage = "<html><head><title>t</title></head><body><p>text</p></body></html>\n";

std::string q(const fs::path& path) {
  return shellQuote(path.string());
}

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The names velmo leaves beside the files it writes, were it to leave any.
std::vector<std::string> leftovers(const fs::path& folder) {
  std::vector<std::string> found;
  for (const auto& e : fs::directory_iterator(folder)) {
    const std::string name = e.path().filename().string();
    if (name.starts_with(".velmo") || name.ends_with(".tmp")) found.push_back(name);
  }
  return found;
}

// ---- Concurrency -------------------------------------------------------------------------

TEST(ConcurrentRuns, EveryEditOfPairsStartedTogetherSurvives) {
  TempDir dir;
  const fs::path page = dir.write("index.html", kPage);
  constexpr int kPairs = 20;
  std::string script = "for i in $(seq " + std::to_string(kPairs) + "); do ";
  for (const char* side : {"a", "b"}) {
    script += shellQuote(testing::kVelmo) + " script-head " + q(page) + " \"edit_${i}_" + side +
              "=1\" || echo failed & ";
  }
  script += "wait; done";
  const auto run = runProgram("sh -c " + shellQuote(script));
  // `wait` gives no status of a list ending in &; failures are echoed instead.
  EXPECT_EQ(run.out, "") << run.err;
  EXPECT_EQ(run.err, "");
  const std::string result = readBytes(page);
  for (int i = 1; i <= kPairs; ++i) {
    for (const char* side : {"a", "b"}) {
      const std::string code = "edit_" + std::to_string(i) + "_" + side + "=1";
      EXPECT_EQ(count(result, "\n" + code), 1u) << code << " in\n" << result;
    }
  }
  EXPECT_EQ(count(result, "<script"), 2u * kPairs) << result;
  EXPECT_TRUE(leftovers(dir.path()).empty());
}

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

// What another program may do to the page while velmo works on it.
struct OtherProgram {
  const char* what;
  std::function<void(const TempDir&, const fs::path&)> act;
  std::optional<std::string> leaves;  // the page's content afterwards; nothing: no page
};

const OtherProgram kOtherPrograms[] = {
    {"appends",
     [](const TempDir&, const fs::path& page) {
       std::ofstream(page, std::ios::app | std::ios::binary) << "<!-- theirs -->";
     },
     kPage + "<!-- theirs -->"},
    {"saves by rename",
     [](const TempDir& dir, const fs::path& page) {
       fs::rename(dir.write("theirs.new", "their page"), page);
     },
     "their page"},
    {"removes it", [](const TempDir&, const fs::path& page) { fs::remove(page); }, std::nullopt},
};

// Before the commit, and at its very last step, with the new page already durable beside it:
// either way the other program's version stays and nothing else changes.
TEST(PageChangedByAnotherProgram, IsRefusedWhenEverItHappensBeforeTheRename) {
  for (const OtherProgram& other : kOtherPrograms) {
    for (const bool atTheRename : {false, true}) {
      SCOPED_TRACE(std::string(other.what) + (atTheRename ? " at the rename" : " before"));
      TempDir dir;
      const fs::path page = dir.write("index.html", kPage);
      dir.write("sheet.css", "p { color: red }");
      auto loaded = HtmlPage::load(page, dir.path());
      loaded->replace(0, 0, "<!-- mine -->");
      // A part of the page's transaction that is committed right before the page's rename.
      struct AtTheRename : standalone::TransactionPart {
        std::function<void()> act;
        bool changes() const override { return true; }
        void commit(standalone::FileUndo&, const standalone::CommitOptions&) override { act(); }
      } atRename;
      standalone::Transaction others(standalone::CommitOptions{});
      PageSaveOptions options;
      if (atTheRename) {
        atRename.act = [&] { other.act(dir, page); };
        others.join(atRename);
        options.others = &others;
      } else {
        other.act(dir, page);
      }
      EXPECT_THROW(loaded->save({}, options), HostError);
      if (other.leaves) {
        EXPECT_EQ(readBytes(page), *other.leaves);
      } else {
        EXPECT_FALSE(fs::exists(page));
      }
      EXPECT_TRUE(leftovers(dir.path()).empty());
    }
  }
}

// ---- Transaction order ---------------------------------------------------------------------

class SiteWithPicture : public ::testing::Test {
 protected:
  void SetUp() override {
    host_.openPage(page_);
    auto images = host_.activeWeb()->rootFolder()->folders()->item(u"images");
    images->files()->add(standalone::pathToText(dir_ / "outside/a.gif"), true);
  }

  TempDir dir_;
  fs::path page_ = dir_.write("site/index.html", kPage);
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
  EXPECT_EQ(readBytes(page_), kPage);
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
    const fs::path page = dir.write("site/index.html", kPage);
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
      EXPECT_EQ(readBytes(page), kPage);
      EXPECT_FALSE(fs::exists(dir / "config"));
    } else {
      host.commit();
      EXPECT_NE(readBytes(page).find("<p>mine</p>"), std::string::npos);
      EXPECT_NE(readBytes(dir / "config/velmo/velmoed.ini").find("bc=112233"), std::string::npos);
    }
    EXPECT_TRUE(leftovers(dir / "site").empty());
  }
}

// ---- Special files and bad outputs ---------------------------------------------------------

TEST(Output, StandardOutputAndDevicesAreWrittenIntoNeverReplaced) {
  TempDir dir;
  const fs::path page = dir.write("index.html", kPage);
  for (const char* output : {"-", "/dev/stdout"}) {
    SCOPED_TRACE(output);
    const auto run = runVelmo("script-head " + q(page) + " x=1 --output " + output);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("x=1"), std::string::npos);
    EXPECT_NE(run.out.find("<title>t</title>"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "-"));
  }
  // Through a pipe too: /dev/stdout then leads to a pipe that has no name to rename over.
  const auto piped =
      runProgram("sh -c " + shellQuote(shellQuote(testing::kVelmo) + " script-head " + q(page) +
                                       " y=1 --output /dev/stdout | cat"));
  EXPECT_EQ(piped.status, 0) << piped.err;
  EXPECT_NE(piped.out.find("y=1"), std::string::npos);

  const auto null = runVelmo("script-head " + q(page) + " z=1 --output /dev/null");
  EXPECT_EQ(null.status, 0) << null.err;
  struct stat st {};
  ASSERT_EQ(::stat("/dev/null", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
  EXPECT_EQ(readBytes(page), kPage);
}

TEST(Output, AFifoIsWrittenIntoForItsReader) {
  TempDir dir;
  const fs::path page = dir.write("index.html", kPage);
  const fs::path fifo = dir / "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const auto run =
      runProgram("sh -c " + shellQuote("cat " + q(fifo) + " > " + q(dir / "read") + " & " +
                                       shellQuote(testing::kVelmo) + " script-head " + q(page) +
                                       " f=1 --output " + q(fifo) + "; wait"));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(readBytes(dir / "read").find("f=1"), std::string::npos);
  struct stat st {};
  ASSERT_EQ(::stat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST(Output, BadOutputsExitWithTwoSayWhyAndChangeNothing) {
  TempDir dir;
  const fs::path page = dir.write("site/index.html", kPage);
  fs::create_directory(dir / "folder");
  const struct {
    std::string output;
    const char* says;
  } cases[] = {
      {"''", "empty"},
      {q(dir / "folder"), "is a folder"},
      {q(dir / "folder") + "/", "is a folder"},
      {q(dir / "missing/out.html"), "does not exist"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.output);
    const auto run = runVelmo("script-head " + q(page) + " x=1 --output " + c.output);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    EXPECT_EQ(readBytes(page), kPage);
    EXPECT_TRUE(leftovers(dir / "site").empty());
  }
}

TEST(Output, AnAnswerLostOnAFullDiskIsAFailure) {
  TempDir dir;
  const fs::path page = dir.write("index.html", kPage);
  const auto run =
      runProgram("sh -c " + shellQuote(shellQuote(testing::kVelmo) + " botfound " + q(page) +
                                       " V_Date >/dev/full; echo status $?"));
  EXPECT_NE(run.out.find("status 2"), std::string::npos) << run.out;
  EXPECT_NE(run.err.find("standard output"), std::string::npos) << run.err;
}

TEST(Output, APageWithTheLongestNameCanBeSaved) {
  TempDir dir;
  const fs::path page = dir.write(std::string(250, 'p') + ".html", kPage);
  const auto run = runVelmo("script-head " + q(page) + " x=1");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(readBytes(page).find("x=1"), std::string::npos);
  // With a second name it is written in place through a journal, whose name must fit too.
  fs::create_hard_link(page, dir / "second.html");
  const auto linked = runVelmo("script-head " + q(page) + " y=1");
  EXPECT_EQ(linked.status, 0) << linked.err;
  EXPECT_NE(readBytes(dir / "second.html").find("y=1"), std::string::npos);
  EXPECT_TRUE(leftovers(dir.path()).empty());
}

// ---- Read-only pages -----------------------------------------------------------------------

TEST(ReadOnlyPage, IsRefusedUnlessAskedForAndKeepsItsMode) {
  TempDir dir;
  const fs::path page = dir.write("index.html", kPage);
  fs::permissions(page, fs::perms(0444));

  const auto refused = runVelmo("script-head " + q(page) + " x=1");
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("index.html"), std::string::npos) << refused.err;
  EXPECT_NE(refused.err.find("read-only"), std::string::npos) << refused.err;
  EXPECT_NE(refused.err.find("--write-read-only"), std::string::npos) << refused.err;
  EXPECT_EQ(readBytes(page), kPage);

  const auto forced = runVelmo("script-head " + q(page) + " x=1 --write-read-only");
  EXPECT_EQ(forced.status, 0) << forced.err;
  EXPECT_NE(readBytes(page).find("x=1"), std::string::npos);
  EXPECT_EQ(fs::status(page).permissions(), fs::perms(0444));
  EXPECT_NE(runVelmo("script-head --help").out.find("--write-read-only"), std::string::npos);
}

// ---- Signals -------------------------------------------------------------------------------

TEST(Signals, ARunEndedWhileWritingABigPageLeavesNoTemporaryFile) {
  TempDir dir;
  std::string big = "<html><head><title>t</title></head><body>\n";
  const std::string line = "<p>a paragraph of a very long page, written again and again</p>\n";
  while (big.size() < (std::size_t{64} << 20)) big += line;
  big += "</body></html>\n";
  const fs::path page = dir.write("big.html", big);
  const auto size = fs::file_size(page);
  big.clear();

  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(signal);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::execl(testing::kVelmo.c_str(), "velmo", "script-head", page.c_str(), "x=1", nullptr);
      ::_exit(127);
    }
    // Ended as soon as its temporary file shows up; a run too quick to be caught proves nothing.
    bool caught = false;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!caught && std::chrono::steady_clock::now() < until) {
      caught = !leftovers(dir.path()).empty();
      if (!caught) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (caught) ::kill(child, signal);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    if (!caught || !WIFSIGNALED(status)) {
      GTEST_SKIP() << "the run finished before it could be ended";
    }
    EXPECT_EQ(WTERMSIG(status), signal);
    EXPECT_TRUE(leftovers(dir.path()).empty());
    EXPECT_EQ(fs::file_size(page), size);
  }
}

// ---- Durability in waves -----------------------------------------------------------------

// A run killed after a wave's flush and before its renames: each page is the old text or the
// new, never a part, and what the run left is swept by the next one's first write there.
TEST(FlushWaves, AKillBetweenTheFlushAndTheRenamesLeavesEveryPageOldOrNew) {
  constexpr int kPages = 24;
  for (const int killAtWave : {1, 2, 3}) {
    TempDir dir;
    const auto page = [&](int i) { return dir.path() / ("page" + std::to_string(i) + ".html"); };
    const auto text = [](const char* age, int i) {
      return std::string(age) + std::to_string(i) + std::string(20000, 'x') + "\n";
    };
    for (int i = 0; i < kPages; ++i) std::ofstream(page(i), std::ios::binary) << text("old", i);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      standalone::WriteBatch batch;
      int waves = 0;
      batch.afterEachWave([&] {
        if (++waves == killAtWave) ::raise(SIGKILL);
      });
      std::vector<std::thread> writers;
      for (int i = 0; i < kPages; ++i) {
        writers.emplace_back([&, i] {
          ReplaceSteps steps;
          steps.batch = &batch;
          standalone::writeFileAtomically(page(i), text("new", i), steps);
        });
      }
      for (auto& writer : writers) writer.join();
      ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    const bool killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    // The first wave is always flushed, and so always cut short.
    if (killAtWave == 1) EXPECT_TRUE(killed);
    for (int i = 0; i < kPages; ++i) {
      const std::string now = readBytes(page(i));
      EXPECT_TRUE(now == text("old", i) || now == text("new", i)) << "page " << i;
      if (killAtWave == 1) EXPECT_EQ(now, text("old", i)) << "page " << i;
    }
    if (killed) EXPECT_FALSE(leftovers(dir.path()).empty()) << "the wave cut short left its files";
    // The next run, a minute or more later: the killed run's files are stale by then.
    const auto past = fs::file_time_type::clock::now() - std::chrono::minutes(2);
    for (const std::string& name : leftovers(dir.path())) {
      fs::last_write_time(dir.path() / name, past);
    }
    standalone::WriteBatch next;
    ReplaceSteps steps;
    steps.batch = &next;
    standalone::writeFileAtomically(page(0), text("again", 0), steps);
    EXPECT_EQ(readBytes(page(0)), text("again", 0));
    EXPECT_TRUE(leftovers(dir.path()).empty());
  }
}

}  // namespace
}  // namespace velmo
