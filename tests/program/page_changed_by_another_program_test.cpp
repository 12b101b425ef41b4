// A page that another program changes while velmo works on it is never overwritten: whatever that
// program does and wherever velmo finds it (the page's own save, the last step of its
// transaction, the host's commit with imports staged, velmo as it runs), the command fails with a
// message that names the page and says what happened, the other program's version stays, and
// the site holds nothing else.

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <optional>
#include <vector>

#include "core/common/host_error.h"
#include "features/slideshow/slide_show.h"
#include "file_host/file_host.h"
#include "file_host/files/transaction.h"
#include "file_host/html_page.h"
#include "tests/support/folder_listing.h"
#include "tests/support/program_test.h"

extern char** environ;

namespace velmo {
namespace {
namespace fs = std::filesystem;

using testing::namesIn;

using file_host::HtmlPage;
using file_host::PageSaveOptions;
using file_host::pathToText;

// What another program may do to the page.
struct OtherProgram {
  const char* what;
  std::function<void(const SiteOnDisk&, const fs::path&)> act;
  std::optional<std::string> leaves;  // the page's content afterwards; nothing: no page
  std::string said;                   // what velmo's message says happened
};

const OtherProgram kOtherPrograms[] = {
    {"appends",
     [](const SiteOnDisk&, const fs::path& page) {
       std::ofstream(page, std::ios::app | std::ios::binary) << "<!-- theirs -->";
     },
     kDatePage + "<!-- theirs -->", "was changed or replaced by another program"},
    {"saves by rename",
     [](const SiteOnDisk& dir, const fs::path& page) {
       fs::rename(dir.write("site/theirs.new", "<p>their version</p>"), page);
     },
     "<p>their version</p>", "was changed or replaced by another program"},
    {"removes it", [](const SiteOnDisk&, const fs::path& page) { fs::remove(page); }, std::nullopt,
     "was removed"},
};

// A place where velmo may find the page changed: it runs an edit of `page`, lets `other` act at
// that place, and returns the message the failure gave (nothing if nothing failed).
using Place = std::function<std::optional<std::string>(const SiteOnDisk&, const fs::path& page,
                                                       const std::function<void()>& other)>;

std::optional<std::string> failureOf(const std::function<void()>& attempt) {
  try {
    attempt();
  } catch (const HostError& e) {
    return utf16ToUtf8(e.description());
  }
  return std::nullopt;
}

// The page model's own save, the page changed before it.
std::optional<std::string> pageSave(const SiteOnDisk& dir, const fs::path& page,
                                    const std::function<void()>& other) {
  auto loaded = HtmlPage::load(page, dir.site());
  loaded->replace(0, 0, "<!-- mine -->");
  other();
  return failureOf([&] { loaded->save(); });
}

// The page's save at the last step of its transaction, with the new page already durable
// beside it: a part committed right before the page's rename.
std::optional<std::string> pageSaveAtTheRename(const SiteOnDisk& dir, const fs::path& page,
                                               const std::function<void()>& other) {
  auto loaded = HtmlPage::load(page, dir.site());
  loaded->replace(0, 0, "<!-- mine -->");
  struct AtTheRename : file_host::TransactionPart {
    std::function<void()> act;
    bool changes() const override { return true; }
    void commit(file_host::FileUndo&, const file_host::CommitOptions&) override { act(); }
  } atRename;
  atRename.act = other;
  file_host::Transaction others(file_host::CommitOptions{});
  others.join(atRename);
  PageSaveOptions options;
  options.others = &others;
  return failureOf([&] { loaded->save({}, options); });
}

// The host's commit of a slide show, its pictures staged for import into the site.
std::optional<std::string> hostCommit(const SiteOnDisk& dir, const fs::path& page,
                                      const std::function<void()>& other) {
  file_host::FileHost host;
  host.openPage(page, dir.site());
  const auto a = dir.write("disk/a.gif", "GIF89aA");
  const auto b = dir.write("disk/b.gif", "GIF89aB");
  makeSlideShow(host, {{u"a.gif", pathToText(a)}, {u"b.gif", pathToText(b)}});
  other();
  auto failure = failureOf([&] { host.commit(); });
  host.rollback();
  return failure;
}

// velmo script-head with its code on a pipe: the other program acts once velmo has read the page
// (inotify tells when, so nothing depends on timing), then the code is sent.
std::optional<std::string> velmoRunning(const SiteOnDisk& dir, const fs::path& page,
                                        const std::function<void()>& other) {
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
  other();
  const std::string code = "alert(1);";
  EXPECT_EQ(::write(input[1], code.data(), code.size()), static_cast<ssize_t>(code.size()));
  ::close(input[1]);
  ::close(watch);

  int raw = 0;
  ::waitpid(pid, &raw, 0);
  const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  if (status == 0) return std::nullopt;
  EXPECT_EQ(status, 2);
  return readBytes(errFile);
}

TEST(PageChangedByAnotherProgram, IsNeverOverwrittenWhereverVelmoFindsIt) {
  const struct {
    const char* where;
    Place place;
  } places[] = {{"the page's save", pageSave},
                {"the page's save at the rename", pageSaveAtTheRename},
                {"the host's commit with imports", hostCommit},
                {"velmo as it runs", velmoRunning}};
  for (const auto& at : places) {
    for (const OtherProgram& other : kOtherPrograms) {
      SCOPED_TRACE(std::string(other.what) + ", found by " + at.where);
      SiteOnDisk dir;
      const fs::path page = dir.write("site/index.html", kDatePage);
      const auto message = at.place(dir, page, [&] { other.act(dir, page); });
      ASSERT_TRUE(message) << "the edit went through";
      EXPECT_NE(message->find(page.string()), std::string::npos) << *message;
      EXPECT_NE(message->find(other.said), std::string::npos) << *message;
      if (other.leaves) {
        EXPECT_EQ(readBytes(page), *other.leaves);
        EXPECT_EQ(namesIn(dir.site()), std::vector<std::string>{"index.html"});
      } else {
        EXPECT_FALSE(fs::exists(page));
        EXPECT_EQ(namesIn(dir.site()), std::vector<std::string>{});
      }
    }
  }
}

}  // namespace
}  // namespace velmo
