// velmo ends every failure with a message and exit status 2, never an abort: standard input that
// is closed, a folder or endless, a page too big for the memory, a damaged help file, a help
// folder someone else prepared, and arguments that are no command or topic.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/program_test.h"
#include "tests/support/stand_in_xdg_open.h"

namespace velmo {
namespace {
namespace fs = std::filesystem;

const fs::path kHelpFile = VELMO_BINARY_DIR "/bin/helptest.chm";

std::string velmoIn(const TempDir& dir, const std::string& args) {
  return "cd " + shellQuote(dir.path().string()) + " && " + shellQuote(kVelmo) + " " + args;
}

TEST(CleanFailure, ScriptCodeFromAStandardInputThatFails) {
  TempDir dir;
  const auto page = dir.write("page.html", kOneLinePage);
  const struct {
    const char* redirect;
    const char* message;
  } cases[] = {
      {" <&-", "velmo: page.html: cannot read the script code from standard input: it is closed"},
      {" </", "velmo: page.html: cannot read the script code from standard input: Is a directory"},
      {" </dev/zero",
       "velmo: page.html: the script code on standard input is longer than the "
       "limit of 1048576 bytes"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.redirect);
    // The redirection is the command's own and comes after the one runProgram adds.
    const auto run =
        runProgram("sh -c " + shellQuote(velmoIn(dir, "script-head page.html -") + c.redirect));
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, std::string(c.message) + "\n");
    EXPECT_EQ(readBytes(page), kOneLinePage);
  }
  // Exactly the limit is taken.
  const auto run = runProgram(velmoIn(dir, "script-head page.html -"), std::string(1 << 20, 'a'));
  EXPECT_EQ(run.status, 0) << run.err;
}

TEST(CleanFailure, APageTooBigForTheMemoryNamesThePage) {
  TempDir dir;
  const auto small = dir.write("small.html", kOneLinePage);
  const auto big =
      dir.write("big.html", "<html><body>" + std::string(100 << 20, 'x') + "</body></html>");
  const std::string limit = "ulimit -v 80000; ";
  // Less than the page itself, yet room for a small page: the big one fails for its size alone.
  auto run = runProgram(limit + velmoIn(dir, "script-head small.html 'var a;'"));
  ASSERT_EQ(run.status, 0) << run.err;
  run = runProgram(limit + velmoIn(dir, "script-head big.html 'var a;'"));
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "velmo: big.html: not enough memory to work on this page\n");
  EXPECT_EQ(fs::file_size(big), (100u << 20) + 26);
}

// Bytes of the built help file changed at `offsets`, or the file cut at `length`.
std::string damaged(const std::string& file, std::vector<std::size_t> offsets, std::size_t length) {
  std::string bytes = file.substr(0, length);
  for (std::size_t at : offsets) bytes[at % bytes.size()] ^= 0x5A;
  return bytes;
}

TEST(CleanFailure, ADamagedHelpFileIsReportedWithoutACrash) {
  if (!fs::exists(kHelpFile)) GTEST_SKIP() << kHelpFile << " was not built";
  const std::string original = readBytes(kHelpFile);
  TempDir dir;
  fs::copy_file(kVelmo, dir / "velmo");
  const std::vector<std::string> files = {
      damaged(original, {0x50}, original.size()),                // the directory's length
      damaged(original, {0x78 + 0x10}, original.size()),         // the chunk size
      damaged(original, {0x78 + 0x54 + 4}, original.size()),     // a chunk's free space
      damaged(original, {0x78 + 0x54 + 0x14}, original.size()),  // the first entry's name
      damaged(original, {}, original.size() / 2),
      damaged(original, {}, 0x40),
  };
  int damageReported = 0;
  for (std::size_t i = 0; i < files.size(); ++i) {
    dir.write("helptest.chm", files[i]);
    for (const char* args : {"help --text", "help 5 --text", "help --index --text"}) {
      SCOPED_TRACE(std::to_string(i) + ": " + args);
      const auto run = runProgram(shellQuote((dir / "velmo").string()) + " " + args);
      EXPECT_TRUE(run.status == 0 || run.status == 2) << run.status << run.err;
      if (run.status == 2) {
        EXPECT_NE(run.err.find("velmo: "), std::string::npos) << run.err;
        damageReported += run.err.find("is damaged") != std::string::npos;
      }
    }
  }
  EXPECT_GE(damageReported, 12);
  // Random changes everywhere: whatever they hit, velmo ends on its own.
  for (std::size_t seed = 1; seed <= 40; ++seed) {
    dir.write("helptest.chm",
              damaged(original, {seed * 7919, seed * 104729 + 13}, original.size()));
    const auto run = runProgram(shellQuote((dir / "velmo").string()) + " help 5 --text");
    EXPECT_TRUE(run.status == 0 || run.status == 2) << seed << ": " << run.status << run.err;
  }
}

class HelpInTheBrowser : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(kHelpFile)) GTEST_SKIP() << kHelpFile << " was not built";
  }
  testing::ProgramResult help(const std::string& args) {
    return runProgram("PATH=" + shellQuote(opener_.string()) + ":$PATH DISPLAY=:9 " +
                      "TMPDIR=" + shellQuote(dir_.path().string()) +
                      " XDG_CACHE_HOME=" + shellQuote((dir_ / "cache").string()) + " " +
                      shellQuote(kVelmo) + " " + args);
  }
  SiteOnDisk dir_;
  fs::path opener_ = testing::writeStandInXdgOpen(dir_, "bin");
  fs::path folder_ = dir_ / "cache" / "velmo" / "help";
};

TEST_F(HelpInTheBrowser, PagesLandInAPrivateFolderAndNoLinkIsFollowed) {
  const auto victim = dir_.write("victim", "keep");
  // A link where the old shared name was, and one in the user's own folder from before.
  fs::create_directory_symlink(dir_.path(), dir_ / ("velmo-help-" + std::to_string(getuid())));
  fs::create_directories(folder_ / "helptest");
  fs::create_symlink(victim, folder_ / "helptest" / "current_date.htm");

  const auto run = help("help 5");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(readBytes(opener_ / "opened"),
            (folder_ / "helptest" / "current_date.htm").string() + "\n");
  EXPECT_EQ(readBytes(victim), "keep");
  EXPECT_FALSE(fs::is_symlink(folder_ / "helptest" / "current_date.htm"));
  EXPECT_NE(readBytes(folder_ / "helptest" / "current_date.htm").find("Current date"),
            std::string::npos);
  for (const fs::path& folder : {folder_.parent_path(), folder_, folder_ / "helptest"}) {
    struct stat status {};
    ASSERT_EQ(::lstat(folder.c_str(), &status), 0) << folder;
    EXPECT_TRUE(S_ISDIR(status.st_mode)) << folder;
    EXPECT_EQ(status.st_mode & 07777, 0700u) << folder;
    EXPECT_EQ(status.st_uid, getuid()) << folder;
  }
}

TEST_F(HelpInTheBrowser, AHelpFolderThatIsALinkOrAFileIsRefused) {
  const auto elsewhere = dir_ / "elsewhere";
  fs::create_directories(elsewhere);
  fs::create_directories(folder_.parent_path());
  fs::create_directory_symlink(elsewhere, folder_);
  auto run = help("help 5");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("is not a folder"), std::string::npos) << run.err;
  EXPECT_TRUE(fs::is_empty(elsewhere));

  fs::remove(folder_);
  dir_.write("cache/velmo/help", "a file");
  run = help("help 5");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("is not a folder"), std::string::npos) << run.err;
  EXPECT_EQ(readBytes(folder_), "a file");
}

TEST(CleanFailure, ArgumentsThatAreNoCommandOrTopicAreNamed) {
  auto run = testing::runVelmo("bogus");
  EXPECT_EQ(run.status, 2);
  EXPECT_TRUE(run.err.starts_with("velmo: unknown command 'bogus'; the commands are: botfound, "))
      << run.err;
  EXPECT_NE(run.err.find(" help, favourites, "), std::string::npos) << run.err;

  run = testing::runVelmo("help -1 --text");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err,
            "velmo: -1 is not a topic id: ids are 0 or more (velmo help lists the topics)\n");
  EXPECT_EQ(run.err.find("4294967295"), std::string::npos);
}

// Listing needs read permission, which root always has: the command runs as "nobody".
TEST(CleanFailure, AnUnreadableSiteFolderIsNamed) {
  if (getuid() != 0 || ::access("/usr/bin/setpriv", X_OK) != 0) {
    GTEST_SKIP() << "needs root and setpriv to run velmo as another user";
  }
  TempDir dir;
  dir.write("site/index.html", "<html><body><p>Hello</p></body></html>");
  dir.write("hills.gif", "hills");
  fs::permissions(dir.path(), fs::perms::all);
  fs::permissions(dir / "site", fs::perms::owner_all | fs::perms::others_exec);
  const auto run = runProgram("cd " + shellQuote(dir.path().string()) +
                              " && setpriv --reuid=65534 --regid=65534 --clear-groups " +
                              shellQuote(kVelmo) + " favourites site/index.html --image hills.gif");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("Cannot list the site's root folder at '" + (dir / "site").string() + "'"),
            std::string::npos)
      << run.err;
}

}  // namespace
}  // namespace velmo
