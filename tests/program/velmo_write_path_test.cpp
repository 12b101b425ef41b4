// velmo's writes lose nothing and destroy nothing: concurrent runs take turns, special files are
// written into, a write-protected page is refused, and a killed run leaves no temporary file
// behind.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "tests/support/folder_listing.h"
#include "tests/support/program_test.h"

namespace velmo {
namespace {
namespace fs = std::filesystem;

using testing::leftovers;

std::string q(const fs::path& path) {
  return shellQuote(path.string());
}

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// ---- Concurrency -------------------------------------------------------------------------

TEST(ConcurrentRuns, EveryEditOfPairsStartedTogetherSurvives) {
  TempDir dir;
  const fs::path page = dir.write("index.html", kOneLinePage);
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

// ---- Special files and bad outputs ---------------------------------------------------------

TEST(Output, StandardOutputAndDevicesAreWrittenIntoNeverReplaced) {
  TempDir dir;
  const fs::path page = dir.write("index.html", kOneLinePage);
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
  EXPECT_EQ(readBytes(page), kOneLinePage);
}

TEST(Output, AFifoIsWrittenIntoForItsReader) {
  TempDir dir;
  const fs::path page = dir.write("index.html", kOneLinePage);
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
  const fs::path page = dir.write("site/index.html", kOneLinePage);
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
    EXPECT_EQ(readBytes(page), kOneLinePage);
    EXPECT_TRUE(leftovers(dir / "site").empty());
  }
}

TEST(Output, AnAnswerLostOnAFullDiskIsAFailure) {
  TempDir dir;
  const fs::path page = dir.write("index.html", kOneLinePage);
  const auto run =
      runProgram("sh -c " + shellQuote(shellQuote(testing::kVelmo) + " botfound " + q(page) +
                                       " V_Date >/dev/full; echo status $?"));
  EXPECT_NE(run.out.find("status 2"), std::string::npos) << run.out;
  EXPECT_NE(run.err.find("standard output"), std::string::npos) << run.err;
}

TEST(Output, APageWithTheLongestNameCanBeSaved) {
  TempDir dir;
  const fs::path page = dir.write(std::string(250, 'p') + ".html", kOneLinePage);
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
  const fs::path page = dir.write("index.html", kOneLinePage);
  fs::permissions(page, fs::perms(0444));

  const auto refused = runVelmo("script-head " + q(page) + " x=1");
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("index.html"), std::string::npos) << refused.err;
  EXPECT_NE(refused.err.find("read-only"), std::string::npos) << refused.err;
  EXPECT_NE(refused.err.find("--write-read-only"), std::string::npos) << refused.err;
  EXPECT_EQ(readBytes(page), kOneLinePage);

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

}  // namespace
}  // namespace velmo
