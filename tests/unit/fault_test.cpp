// What a command leaves behind when the disk, the folder, the page or a picture lets it down: an
// error that names the file, exit status 2, and every page and site file as it was.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "command_class/clstestt.h"
#include "common/host_error.h"
#include "files/atomic_file.h"
#include "site/standalone_host.h"
#include "slideshow/slide_show.h"
#include "tests/support/temp_dir.h"
#include "tests/support/velmo_program.h"

extern char** environ;

namespace velmo {
namespace {
namespace fs = std::filesystem;

using testing::kVelmo;
using testing::readBytes;
using testing::runVelmo;
using testing::shellQuote;
using testing::TempDir;

const std::string kPage =
    "<html>\r\n<head>\r\n<title>Faults</title>\r\n</head>\r\n<body>\r\n"
    "<!--webbot bot=\"V_Date\" startspan -->d<!--webbot bot=\"V_Date\" endspan -->\r\n"
    "</body>\r\n</html>\r\n";

std::vector<std::string> namesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    names.push_back(fs::relative(entry.path(), folder).generic_string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// A small file system of its own, for a disk that fills up or turns read-only. Mounting needs
// root; a test that cannot mount says so and skips.
class Tmpfs {
 public:
  Tmpfs(const fs::path& where, const std::string& options) : where_(where) {
    fs::create_directories(where);
    mounted_ = ::mount("tmpfs", where.c_str(), "tmpfs", 0, options.c_str()) == 0;
    if (!mounted_) error_ = std::strerror(errno);
  }
  ~Tmpfs() {
    if (mounted_) ::umount2(where_.c_str(), MNT_DETACH);
  }
  Tmpfs(const Tmpfs&) = delete;
  Tmpfs& operator=(const Tmpfs&) = delete;

  bool mounted() const { return mounted_; }
  const std::string& error() const { return error_; }
  bool makeReadOnly() {
    return ::mount(nullptr, where_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
  }

 private:
  fs::path where_;
  bool mounted_ = false;
  std::string error_;
};

#define SKIP_UNLESS_MOUNTED(fs)                                 \
  if (!(fs).mounted())                                          \
  GTEST_SKIP() << "cannot mount a tmpfs here (" << (fs).error() \
               << "; needs root): "                             \
                  "the read-only and full-disk cases were not tried"

// Every command that writes the page fails with exit status 2 and a message naming the page and
// `why`, and leaves the page's folder holding the page as it was and nothing else.
void expectEveryWriteRefused(const fs::path& page, const std::string& bytes,
                             const std::string& why) {
  const std::string quoted = shellQuote(page.string());
  for (const std::string& command :
       {"script-head " + quoted + " 'alert(1);'", "erase-bot " + quoted + " V_Date"}) {
    SCOPED_TRACE(command);
    const auto run = runVelmo(command);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find(page.string()), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(why), std::string::npos) << run.err;
    EXPECT_EQ(readBytes(page), bytes);
    EXPECT_EQ(namesIn(page.parent_path()), std::vector<std::string>{page.filename().string()});
  }
}

TEST(Faults, ReadOnlyPageFolder) {
  TempDir dir;
  Tmpfs disk(dir / "ro", "size=1m");
  SKIP_UNLESS_MOUNTED(disk);
  const fs::path page = dir / "ro/index.html";
  dir.write("ro/index.html", kPage);
  ASSERT_TRUE(disk.makeReadOnly()) << std::strerror(errno);

  expectEveryWriteRefused(page, kPage, "Read-only file system");
  // Reading still works.
  const auto found = runVelmo("botfound " + shellQuote(page.string()) + " V_Date");
  EXPECT_EQ(found.status, 0);
  EXPECT_EQ(found.out, "true\n");
}

TEST(Faults, FullDisk) {
  TempDir dir;
  Tmpfs disk(dir / "full", "size=64k");
  SKIP_UNLESS_MOUNTED(disk);
  // The page fits once, not twice: the temporary copy runs out of room part-way through.
  const std::string page = kPage.substr(0, kPage.find("</body>")) + std::string(40000, 'x') +
                           kPage.substr(kPage.find("</body>"));
  const fs::path file = dir.write("full/index.html", page);

  expectEveryWriteRefused(file, page, "No space left on device");
}

// The page's folder and an open host, as a command has them between reading and writing.
class PageChangedMeanwhile : public ::testing::Test {
 protected:
  void SetUp() override {
    page_ = dir_.write("site/index.html", kPage);
    host_.openPage(page_, dir_ / "site");
  }
  // Another program's save: a new file renamed over the page.
  void replacePage(const std::string& bytes) {
    dir_.write("site/other.tmp", bytes);
    fs::rename(dir_ / "site/other.tmp", page_);
  }

  TempDir dir_;
  standalone::StandaloneHost host_;
  fs::path page_;
};

TEST_F(PageChangedMeanwhile, ReplacedPageIsNotOverwritten) {
  clstestt(host_).scriptHead2(u"alert(1);");
  replacePage("<p>their version</p>");
  try {
    host_.commit();
    FAIL() << "commit overwrote a page replaced meanwhile";
  } catch (const HostError& e) {
    EXPECT_NE(e.description().find(standalone::pathToText(page_)), std::u16string::npos);
    EXPECT_NE(e.description().find(u"replaced"), std::u16string::npos);
  }
  EXPECT_EQ(readBytes(page_), "<p>their version</p>");
}

TEST_F(PageChangedMeanwhile, RemovedPageIsNotWrittenAgain) {
  clstestt(host_).eraseBot(u"V_Date");
  fs::remove(page_);
  EXPECT_THROW(host_.commit(), HostError);
  EXPECT_FALSE(fs::exists(page_));
}

TEST_F(PageChangedMeanwhile, SiteFilesStayAsTheyWereToo) {
  const auto a = dir_.write("disk/a.gif", "GIF89aA");
  const auto b = dir_.write("disk/b.gif", "GIF89aB");
  makeSlideShow(host_,
                {{u"a.gif", standalone::pathToText(a)}, {u"b.gif", standalone::pathToText(b)}});
  replacePage(kPage);
  EXPECT_THROW(host_.commit(), HostError);
  host_.rollback();
  EXPECT_EQ(namesIn(dir_ / "site"), std::vector<std::string>{"index.html"});
}

// velmo script-head with its code on a pipe: the test waits until velmo has read the page, then
// changes the page, then sends the code. inotify tells when the page has been read, so nothing
// depends on timing.
struct Outcome {
  int status = -1;
  std::string err;
};

Outcome scriptHeadWhile(const fs::path& page, const TempDir& dir,
                        const std::function<void()>& meanwhile) {
  const int watch = ::inotify_init1(IN_CLOEXEC);
  EXPECT_GE(watch, 0);
  // Read through the descriptor its lock holds open: the read itself is the sign.
  EXPECT_GE(::inotify_add_watch(watch, page.c_str(), IN_ACCESS), 0);
  int input[2];
  EXPECT_EQ(::pipe2(input, O_CLOEXEC), 0);
  const std::string errFile = (dir / "stderr").string();

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, input[0], 0);
  posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  std::string a0 = kVelmo, a1 = "script-head", a2 = page.string(), a3 = "-";
  char* argv[] = {a0.data(), a1.data(), a2.data(), a3.data(), nullptr};
  pid_t pid = -1;
  EXPECT_EQ(::posix_spawn(&pid, kVelmo.c_str(), &actions, nullptr, argv, environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  ::close(input[0]);

  pollfd ready{watch, POLLIN, 0};
  EXPECT_EQ(::poll(&ready, 1, 20000), 1) << "velmo never read the page";
  meanwhile();
  const std::string code = "alert(1);";
  EXPECT_EQ(::write(input[1], code.data(), code.size()), static_cast<ssize_t>(code.size()));
  ::close(input[1]);
  ::close(watch);

  int raw = 0;
  ::waitpid(pid, &raw, 0);
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readBytes(errFile)};
}

TEST(Faults, PageReplacedOrRemovedWhileVelmoRuns) {
  TempDir dir;
  const fs::path page = dir.write("site/index.html", kPage);

  const Outcome replaced = scriptHeadWhile(page, dir, [&] {
    dir.write("site/new.tmp", "<p>their version</p>");
    fs::rename(dir / "site/new.tmp", page);
  });
  EXPECT_EQ(replaced.status, 2);
  EXPECT_NE(replaced.err.find(page.string()), std::string::npos) << replaced.err;
  EXPECT_NE(replaced.err.find("replaced by another program"), std::string::npos) << replaced.err;
  EXPECT_EQ(readBytes(page), "<p>their version</p>");

  dir.write("site/index.html", kPage);
  const Outcome removed = scriptHeadWhile(page, dir, [&] { fs::remove(page); });
  EXPECT_EQ(removed.status, 2);
  EXPECT_NE(removed.err.find("was removed"), std::string::npos) << removed.err;
  EXPECT_FALSE(fs::exists(page));
  EXPECT_EQ(namesIn(dir / "site"), std::vector<std::string>{});
}

// A slide show whose second picture cannot be read: the error names it, and neither the page
// nor the site keeps anything of the attempt.
struct UnreadablePicture {
  const char* what;
  std::function<fs::path(const TempDir&)> make;
};

void PrintTo(const UnreadablePicture& p, std::ostream* out) {
  *out << p.what;
}

class SlideShowPicture : public ::testing::TestWithParam<UnreadablePicture> {};

TEST_P(SlideShowPicture, CannotBeReadAndNothingChanges) {
  TempDir dir;
  const fs::path page = dir.write("site/index.html", kPage);
  dir.write("site/images/logo.gif", "L");
  const fs::path good = dir.write("disk/good.gif", "GIF89aG");
  const fs::path bad = GetParam().make(dir);
  const auto before = namesIn(dir / "site");

  standalone::StandaloneHost host;
  host.openPage(page, dir / "site");
  try {
    makeSlideShow(host, {{u"good.gif", standalone::pathToText(good)},
                         {u"bad.gif", standalone::pathToText(bad)}});
    FAIL() << "the slide show took a picture that cannot be read";
  } catch (const HostError& e) {
    EXPECT_NE(e.description().find(standalone::pathToText(bad)), std::u16string::npos)
        << utf16ToUtf8(e.description());
  }
  host.rollback();
  host.closePage();
  EXPECT_EQ(readBytes(page), kPage);
  EXPECT_EQ(namesIn(dir / "site"), before);
}

const UnreadablePicture kUnreadable[] = {
    {"missing", [](const TempDir& d) { return d / "disk/missing.gif"; }},
    {"folder",
     [](const TempDir& d) {
       fs::create_directories(d / "disk/folder.gif");
       return d / "disk/folder.gif";
     }},
    // A pipe with no writer would block a plain read for ever.
    {"pipe",
     [](const TempDir& d) {
       fs::create_directories(d / "disk");
       ::mkfifo((d / "disk/pipe.gif").c_str(), 0600);
       return d / "disk/pipe.gif";
     }},
};

// The same through velmo slide: exit status 2 and the message on standard error.
TEST_P(SlideShowPicture, VelmoSlideExitsWithTwoAndChangesNothing) {
  TempDir dir;
  const fs::path page = dir.write("site/index.html", kPage);
  const fs::path good = dir.write("disk/good.gif", "GIF89aG");
  const fs::path bad = GetParam().make(dir);
  const auto before = namesIn(dir / "site");
  const auto run = runVelmo("slide " + shellQuote(page.string()) + " " + shellQuote(good.string()) +
                            " " + shellQuote(bad.string()));
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find(bad.string()), std::string::npos) << run.err;
  EXPECT_EQ(readBytes(page), kPage);
  EXPECT_EQ(namesIn(dir / "site"), before);
}

INSTANTIATE_TEST_SUITE_P(Faults, SlideShowPicture, ::testing::ValuesIn(kUnreadable),
                         [](const auto& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace velmo
