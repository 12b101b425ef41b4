// Where runs over many pages meet the write path, tried as careless and hostile users would:
// names that are not UTF-8 or steer a terminal, imports into many sites at once, a run stopped
// with many pages in flight, looks before a change on a site that must stay untouched. One
// invariant throughout: every page is old or new, every edit is there, and nothing is left
// beside the pages.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "tests/support/program_test.h"

namespace velmo {
namespace {

namespace fs = std::filesystem;

const std::string kPictures = VELMO_SOURCE_DIR "/examples/pictures/";

// Every file under `root` with its bytes.
std::map<std::string, std::string> snapshot(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string name = entry.path().lexically_relative(root).string();
    files[name] = entry.is_regular_file() ? readBytes(entry.path()) : "<folder>";
  }
  return files;
}

// Files velmo makes beside the ones it changes, wherever they are.
std::vector<std::string> strays(const fs::path& root) {
  std::vector<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.path().filename().string().starts_with(".velmo")) {
      found.push_back(entry.path().string());
    }
  }
  return found;
}

TEST(WriteSeams, NamesThatAreNotUtf8OrHoldEscapesAreWorkedOnAndShownEscaped) {
  TempDir dir;
  const std::vector<std::string> names = {"a.html", "caf\xE9.html", "\x1B]2;owned\a.html",
                                          "z.html"};
  for (const auto& name : names) dir.write("site/" + name, pageWith("<p>x</p>"));
  const std::string site = shellQuote((dir / "site").string());

  const auto run = testing::runVelmo("script-head " + site + " 'n();' --jobs 4");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("velmo: 4 pages: 4 changed, 0 unchanged, 0 refused, 0 failed"),
            std::string::npos)
      << run.err;
  for (const auto& name : names) {
    EXPECT_NE(readBytes(dir / "site" / name).find("n();"), std::string::npos) << name;
  }

  const auto bots = testing::runVelmo("bots " + site + " --json");
  EXPECT_EQ(bots.status, 0) << bots.err;
  EXPECT_NE(bots.out.find("caf\\\\xe9.html"), std::string::npos) << bots.out;
  EXPECT_NE(bots.out.find("\\\\e]2;owned\\\\a.html"), std::string::npos) << bots.out;
  for (const auto& text : {bots.out, bots.err, run.out, run.err}) {
    EXPECT_EQ(text.find('\x1B'), std::string::npos) << "a raw escape reached the terminal";
  }

  // One page by such a name, refused: the message names it, escaped.
  const auto one = testing::runVelmo("erase-bot " +
                                     shellQuote((dir / "site/caf\xE9.html").string()) + " V_Date");
  EXPECT_EQ(one.status, 0) << one.err;
  const auto missing = testing::runVelmo(
      "script-head " + shellQuote((dir / "site/gone\xE9.html").string()) + " 'x();'");
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("gone\\xe9.html"), std::string::npos) << missing.err;
  EXPECT_EQ(missing.err.find("gone\xC3\xA9"), std::string::npos) << "shown as another name";
}

// Twenty sites in one run, side by side: each site gets its own copy of each picture, once,
// and no page of any site is refused or fails.
TEST(WriteSeams, ImportsArePlannedForEachSiteWhateverTheJobs) {
  TempDir dir;
  std::string pages;
  for (int s = 0; s < 20; ++s) {
    const std::string site = "site" + std::to_string(s);
    for (const char* page : {"a.html", "b.html", "c.html"}) {
      dir.write(site + "/" + page, pageWith("<p>x</p>"));
    }
    fs::create_directories(dir / site / "images");
    pages += " --page " + shellQuote((dir / site).string());
  }
  const auto slide =
      testing::runVelmo("slide" + pages + " --jobs 32 " + shellQuote(kPictures + "hills.gif") +
                        " " + shellQuote(kPictures + "harbour.jpg"));
  EXPECT_EQ(slide.status, 0) << slide.err;
  const auto favourites = testing::runVelmo("favourites" + pages + " --jobs 32 --image " +
                                            shellQuote(kPictures + "hills.gif"));
  EXPECT_EQ(favourites.status, 0) << favourites.err;
  for (int s = 0; s < 20; ++s) {
    const fs::path site = dir / ("site" + std::to_string(s));
    EXPECT_EQ(readBytes(site / "slide_img/hills.gif"), readBytes(kPictures + "hills.gif"));
    EXPECT_EQ(readBytes(site / "images/hills.gif"), readBytes(kPictures + "hills.gif"));
    for (const char* page : {"a.html", "b.html", "c.html"}) {
      const std::string text = readBytes(site / page);
      EXPECT_NE(text.find("slide_img/hills.gif"), std::string::npos) << site / page;
      EXPECT_NE(text.find("images/hills.gif"), std::string::npos) << site / page;
    }
  }
  EXPECT_TRUE(strays(dir.path()).empty());
}

// Stopped at different moments with many pages in flight: whatever was done stays done, every
// page is old or new, and no copy of a page is left behind.
TEST(WriteSeams, AStoppedRunLeavesEveryPageOldOrNewAndNoCopies) {
  const std::string old = pageWith("<p>x</p>");
  for (const int afterMs : {30, 120, 400}) {
    SCOPED_TRACE(afterMs);
    TempDir dir;
    for (int i = 0; i < 400; ++i) dir.write("site/p" + std::to_string(i) + ".html", old);
    const pid_t child = ::fork();
    if (child == 0) {
      ::execl(testing::kVelmo.c_str(), "velmo", "date", (dir / "site").c_str(), "--jobs", "600",
              static_cast<char*>(nullptr));
      ::_exit(127);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(afterMs));
    ::kill(child, SIGINT);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(strays(dir.path()).empty()) << strays(dir.path()).front();
    for (const auto& [name, text] : snapshot(dir / "site")) {
      const std::size_t block = text.find("<!--webbot bot=\"V_Date\" startspan");
      const bool isNew = block != std::string::npos &&
                         text.find("startspan", block + 30) == std::string::npos &&
                         text.starts_with(old.substr(0, old.find("\r\n</body>")));
      EXPECT_TRUE(text == old || isNew) << name;
    }
  }
}

// A look before a change on a site nobody may write to: it says what would change and makes no
// folder, no file and no settings folder.
TEST(WriteSeams, ALookBeforeAChangeWritesNothing) {
  TempDir dir;
  dir.write("site/index.html", pageWith("<p>x</p>"));
  fs::create_directories(dir / "site/images");
  const auto before = snapshot(dir.path());
  const std::string page = shellQuote((dir / "site/index.html").string());
  const std::string config = "XDG_CONFIG_HOME=" + shellQuote((dir / "config").string()) + " ";
  ::chmod((dir / "site/images").c_str(), 0555);
  ::chmod((dir / "site").c_str(), 0555);

  const auto slide =
      testing::runVelmo("slide " + page + " --dry-run " + shellQuote(kPictures + "hills.gif") +
                        " " + shellQuote(kPictures + "harbour.jpg"));
  EXPECT_EQ(slide.status, 0) << slide.err;
  EXPECT_NE(slide.out.find("would import " + (dir / "site/slide_img/hills.gif").string()),
            std::string::npos)
      << slide.out;
  const auto favourites = testing::runVelmo("favourites " + page + " --dry-run --image " +
                                            shellQuote(kPictures + "hills.gif"));
  EXPECT_EQ(favourites.status, 0) << favourites.err;
  EXPECT_NE(favourites.out.find("images/hills.gif"), std::string::npos) << favourites.out;
  const auto style = testing::runProgram(config + shellQuote(testing::kVelmo) + " style " + page +
                                         " --base 112233 --save --dry-run");
  EXPECT_EQ(style.status, 0) << style.err;

  ::chmod((dir / "site").c_str(), 0755);
  ::chmod((dir / "site/images").c_str(), 0755);
  EXPECT_EQ(snapshot(dir.path()), before);
}

}  // namespace
}  // namespace velmo
