// What a command leaves behind when the disk, the folder, the page or a picture lets it down: an
// error that names the file, exit status 2, and every page and site file as it was.

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/common/host_error.h"
#include "features/slideshow/slide_show.h"
#include "file_host/file_host.h"
#include "file_host/files/atomic_file.h"
#include "tests/support/folder_listing.h"
#include "tests/support/program_test.h"

namespace velmo {
namespace {
namespace fs = std::filesystem;

using testing::namesIn;

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
  dir.write("ro/index.html", kDatePage);
  ASSERT_TRUE(disk.makeReadOnly()) << std::strerror(errno);

  expectEveryWriteRefused(page, kDatePage, "Read-only file system");
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
  const std::string page = kDatePage.substr(0, kDatePage.find("</body>")) +
                           std::string(40000, 'x') + kDatePage.substr(kDatePage.find("</body>"));
  const fs::path file = dir.write("full/index.html", page);

  expectEveryWriteRefused(file, page, "No space left on device");
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
  const fs::path page = dir.write("site/index.html", kDatePage);
  dir.write("site/images/logo.gif", "L");
  const fs::path good = dir.write("disk/good.gif", "GIF89aG");
  const fs::path bad = GetParam().make(dir);
  const auto before = namesIn(dir / "site");

  file_host::FileHost host;
  host.openPage(page, dir / "site");
  try {
    makeSlideShow(host, {{u"good.gif", file_host::pathToText(good)},
                         {u"bad.gif", file_host::pathToText(bad)}});
    FAIL() << "the slide show took a picture that cannot be read";
  } catch (const HostError& e) {
    EXPECT_NE(e.description().find(file_host::pathToText(bad)), std::u16string::npos)
        << utf16ToUtf8(e.description());
  }
  host.rollback();
  host.closePage();
  EXPECT_EQ(readBytes(page), kDatePage);
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
  const fs::path page = dir.write("site/index.html", kDatePage);
  const fs::path good = dir.write("disk/good.gif", "GIF89aG");
  const fs::path bad = GetParam().make(dir);
  const auto before = namesIn(dir / "site");
  const auto run = runVelmo("slide " + shellQuote(page.string()) + " " + shellQuote(good.string()) +
                            " " + shellQuote(bad.string()));
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find(bad.string()), std::string::npos) << run.err;
  EXPECT_EQ(readBytes(page), kDatePage);
  EXPECT_EQ(namesIn(dir / "site"), before);
}

INSTANTIATE_TEST_SUITE_P(Faults, SlideShowPicture, ::testing::ValuesIn(kUnreadable),
                         [](const auto& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace velmo
