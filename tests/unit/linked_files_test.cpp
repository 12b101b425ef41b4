// Saving a file reached through links: a symbolic link stays a link and its file takes the
// change, every name of a hard-linked file sees it, mode and owner stay, and a save cut short
// while writing in place is finished from its journal, never leaving half a file.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "core/common/host_error.h"
#include "file_host/files/atomic_file.h"
#include "file_host/files/posix_save_journal.h"
#include "file_host/files/temporary_file.h"
#include "file_host/html_page.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace velmo::file_host {
namespace {
namespace fs = std::filesystem;

using testing::readBytes;
using testing::ScopedEnv;
using testing::TempDir;

std::vector<std::string> namesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

mode_t modeOf(const fs::path& file) {
  struct stat st {};
  EXPECT_EQ(::stat(file.c_str(), &st), 0) << file;
  return st.st_mode & 07777;
}

// The same text as `oldText` with its start overwritten by the start of `newText`: what a kill
// in the middle of writing in place leaves.
std::string halfWritten(const std::string& oldText, const std::string& newText) {
  std::string half = oldText;
  const std::size_t cut = std::min(oldText.size(), newText.size()) / 2;
  half.replace(0, cut, newText.substr(0, cut));
  return half;
}

// ---- symbolic links ---------------------------------------------------------------------

struct LinkCase {
  const char* kind;
  // Makes the name a save is given, leading to `real`, in the scratch folder.
  std::function<fs::path(const TempDir&, const fs::path& real)> link;
};

const LinkCase kLinkCases[] = {
    {"absolute link",
     [](const TempDir& dir, const fs::path& real) {
       fs::create_symlink(real, dir / "page.html");
       return dir / "page.html";
     }},
    {"relative link from another folder",
     [](const TempDir& dir, const fs::path&) {
       fs::create_directories(dir / "site");
       fs::create_symlink("../real/page.html", dir / "site/page.html");
       return dir / "site/page.html";
     }},
    {"chain of links",
     [](const TempDir& dir, const fs::path&) {
       fs::create_symlink("real/page.html", dir / "second.html");
       fs::create_symlink(dir / "second.html", dir / "first.html");
       return dir / "first.html";
     }},
    {"link through a linked folder",
     [](const TempDir& dir, const fs::path&) {
       fs::create_directory_symlink("real", dir / "alias");
       fs::create_symlink("page.html", dir / "real/link.html");
       return dir / "alias/link.html";
     }},
};

TEST(SymbolicLinks, TheFileBehindTakesTheSaveAndEveryLinkStays) {
  for (const LinkCase& c : kLinkCases) {
    SCOPED_TRACE(c.kind);
    TempDir dir;
    const fs::path real = dir.write("real/page.html", "old");
    fs::permissions(real, fs::perms(0640));
    const fs::path name = c.link(dir, real);
    const auto namesBefore = namesIn(dir.path());
    const auto realNamesBefore = namesIn(dir / "real");

    writeFileAtomically(name, "new");

    EXPECT_TRUE(fs::is_symlink(name));
    EXPECT_EQ(readBytes(real), "new");
    EXPECT_EQ(modeOf(real), 0640u);
    EXPECT_EQ(namesIn(dir.path()), namesBefore);
    EXPECT_EQ(namesIn(dir / "real"), realNamesBefore);
  }
}

TEST(SymbolicLinks, ADanglingLinkGetsTheFileItNames) {
  TempDir dir;
  fs::create_directories(dir / "real");
  fs::create_symlink("real/new.html", dir / "out.html");
  writeFileAtomically(dir / "out.html", "made");
  EXPECT_TRUE(fs::is_symlink(dir / "out.html"));
  EXPECT_EQ(readBytes(dir / "real/new.html"), "made");
}

TEST(SymbolicLinks, ALoopIsRefusedNamingTheLink) {
  TempDir dir;
  fs::create_symlink("b.html", dir / "a.html");
  fs::create_symlink("a.html", dir / "b.html");
  try {
    writeFileAtomically(dir / "a.html", "x");
    FAIL() << "wrote through a loop of links";
  } catch (const HostError& e) {
    EXPECT_NE(e.description().find(pathToText(dir / "a.html")), std::u16string::npos);
  }
  EXPECT_TRUE(fs::is_symlink(dir / "a.html"));
  EXPECT_TRUE(fs::is_symlink(dir / "b.html"));
}

TEST(SymbolicLinks, AnImportOverALinkedPictureWritesThePicture) {
  TempDir dir;
  const fs::path real = dir.write("pictures/logo.png", "old picture");
  fs::create_directories(dir / "site");
  fs::create_symlink("../pictures/logo.png", dir / "site/logo.png");
  TemporaryFile staged = TemporaryFile::createIn(dir / "site", dir / "site/logo.png");
  ASSERT_EQ(staged.write("new picture"), 0);
  const fs::path stagedPath = staged.path();

  moveIntoPlace(staged, dir / "site/logo.png");

  EXPECT_TRUE(fs::is_symlink(dir / "site/logo.png"));
  EXPECT_EQ(readBytes(real), "new picture");
  EXPECT_FALSE(fs::exists(stagedPath));
}

// ---- hard links -------------------------------------------------------------------------

TEST(HardLinks, EveryNameSeesTheSaveAndNothingIsLeftBeside) {
  for (const bool throughSecondName : {false, true}) {
    SCOPED_TRACE(throughSecondName ? "saved through the second name" : "saved through the first");
    TempDir dir;
    const fs::path first = dir.write("site/page.html", "the old text, longer than the new");
    const fs::path second = dir / "site/copy.html";
    fs::create_hard_link(first, second);

    writeFileAtomically(throughSecondName ? second : first, "the new text");

    EXPECT_EQ(readBytes(first), "the new text");
    EXPECT_EQ(readBytes(second), "the new text");
    EXPECT_EQ(fs::hard_link_count(first), 2u);
    EXPECT_TRUE(fs::equivalent(first, second));
    EXPECT_EQ(namesIn(dir / "site"), (std::vector<std::string>{"copy.html", "page.html"}));
  }
}

TEST(HardLinks, AJournalFolderThatCannotBeMadeRefusesTheSaveAndKeepsTheFile) {
  TempDir dir;
  const fs::path page = dir.write("site/page.html", "old");
  fs::create_hard_link(page, dir / "site/copy.html");
  // The state folder is a file: no journal folder can be made in it.
  const ScopedEnv state("XDG_STATE_HOME", dir.write("state", "not a folder").string());
  try {
    writeFileAtomically(page, "new");
    ADD_FAILURE() << "saved without a journal";
  } catch (const HostError& e) {
    EXPECT_EQ(e.hresult(), hr::kAccessDenied);
    EXPECT_NE(e.description().find(pathToText(page)), std::u16string::npos);
  }
  EXPECT_EQ(readBytes(page), "old");
  EXPECT_EQ(namesIn(dir / "site"), (std::vector<std::string>{"copy.html", "page.html"}));
}

// A run killed between writing its journal and finishing the save, then a save through a name
// in another folder: that save finishes the first one and adds its own edit, and reading
// through the first name afterwards finds both, never the first run's text alone again.
TEST(HardLinks, ANameInAnotherFolderFindsTheJournalAndKeepsItsOwnEdit) {
  TempDir dir;
  const ScopedEnv state("XDG_STATE_HOME", (dir / "state").string());
  const fs::path first = dir.write("one/page.html", "old text");
  const fs::path second = dir / "two/page.html";
  fs::create_directories(second.parent_path());
  fs::create_hard_link(first, second);
  writeJournal(first, "first run's text");
  dir.write("one/page.html", halfWritten("old text", "first run's text"));

  const std::string read = readFile(second);
  EXPECT_EQ(read, "first run's text");
  writeFileAtomically(second, read + " and the second run's edit");

  EXPECT_EQ(readFile(first), "first run's text and the second run's edit");
  EXPECT_TRUE(fs::is_empty(dir / "state/velmo/journals"));
  EXPECT_EQ(namesIn(dir / "one"), (std::vector<std::string>{"page.html"}));
}

// ---- mode and owner ---------------------------------------------------------------------

struct NameKind {
  const char* kind;
  std::function<fs::path(const fs::path& page)> name;  // what the save is given
};

const NameKind kNameKinds[] = {
    {"the file itself", [](const fs::path& page) { return page; }},
    {"a symbolic link",
     [](const fs::path& page) {
       fs::create_symlink(page.filename(), page.parent_path() / "link.html");
       return page.parent_path() / "link.html";
     }},
    {"one of two hard links",
     [](const fs::path& page) {
       fs::create_hard_link(page, page.parent_path() / "copy.html");
       return page;
     }},
};

TEST(FileAttributes, ModeStaysWhateverTheName) {
  for (const NameKind& k : kNameKinds) {
    for (const mode_t mode : {mode_t{0640}, mode_t{0604}, mode_t{0755}}) {
      SCOPED_TRACE(std::string(k.kind) + " mode " + std::to_string(mode));
      TempDir dir;
      const fs::path page = dir.write("page.html", "old");
      ASSERT_EQ(::chmod(page.c_str(), mode), 0);
      writeFileAtomically(k.name(page), "new");
      EXPECT_EQ(readBytes(page), "new");
      EXPECT_EQ(modeOf(page), mode);
    }
  }
}

TEST(FileAttributes, OwnerAndGroupStayWhenRunAsRoot) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file to someone else";
  for (const NameKind& k : kNameKinds) {
    SCOPED_TRACE(k.kind);
    TempDir dir;
    const fs::path page = dir.write("page.html", "old");
    ASSERT_EQ(::chown(page.c_str(), 4321, 8765), 0);
    writeFileAtomically(k.name(page), "new");
    struct stat st {};
    ASSERT_EQ(::stat(page.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 4321u);
    EXPECT_EQ(st.st_gid, 8765u);
  }
}

TEST(FileAttributes, TheJournalIsNoWiderThanTheFile) {
  for (const mode_t mode : {mode_t{0600}, mode_t{0640}, mode_t{0755}}) {
    SCOPED_TRACE(mode);
    TempDir dir;
    const fs::path page = dir.write("page.html", "old");
    ASSERT_EQ(::chmod(page.c_str(), mode), 0);
    writeJournal(page, "new");
    EXPECT_EQ(modeOf(journalPathFor(page)) & ~mode, 0u);
    EXPECT_EQ(modeOf(journalPathFor(page)) & 0111, 0u);
  }
}

// ---- a save cut short -------------------------------------------------------------------

TEST(InterruptedSave, AJournalIsPutInPlaceBeforeTheFileIsRead) {
  const std::string oldText = "<html><body>the old text of the page</body></html>";
  const std::string newText = "<html><body>NEW</body></html>";
  struct Kill {
    const char* when;
    std::string fileAfterKill;
  };
  for (const Kill& kill : {Kill{"before writing in place", oldText},
                           Kill{"halfway through writing in place", halfWritten(oldText, newText)},
                           Kill{"after writing in place", newText}}) {
    SCOPED_TRACE(kill.when);
    TempDir dir;
    const fs::path page = dir.write("page.html", oldText);
    fs::create_hard_link(page, dir / "copy.html");
    writeJournal(page, newText);
    dir.write("page.html", kill.fileAfterKill);  // in place: both names see it

    EXPECT_EQ(readFile(dir / "copy.html"), newText);
    EXPECT_EQ(readBytes(page), newText);
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"copy.html", "page.html"}));
  }
}

TEST(InterruptedSave, ASaveFinishesAnEarlierOneFirst) {
  TempDir dir;
  const fs::path page = dir.write("page.html", "old");
  fs::create_hard_link(page, dir / "copy.html");
  writeJournal(page, "earlier");
  writeFileAtomically(dir / "copy.html", "later");
  EXPECT_EQ(readBytes(page), "later");
  EXPECT_FALSE(fs::exists(journalPathFor(page)));
}

TEST(InterruptedSave, AJournalOfAFileReplacedSinceIsDropped) {
  TempDir dir;
  const fs::path page = dir.write("page.html", "old");
  fs::create_hard_link(page, dir / "copy.html");
  writeJournal(page, "velmo's text");
  dir.write("theirs.tmp", "their text");
  fs::rename(dir / "theirs.tmp", page);

  EXPECT_EQ(readFile(page), "their text");
  EXPECT_FALSE(fs::exists(journalPathFor(page)));
}

// Files a killed run left beside the pages (new text, staged copies, half journals, under this
// version's names and earlier ones) go when their folder is next written, once old enough that
// no live run can own them; younger ones and look-alike names stay.
TEST(InterruptedSave, FilesAKilledRunLeftGoWhenTheirFolderIsNextWritten) {
  const std::vector<std::string> leftovers = {".velmo-0123456789abcdef", ".velmo-a1B2c3",
                                              ".velmo-stage-0123456789abcdef",
                                              ".page.html.velmo-journal.part"};
  const std::vector<std::string> keep = {".velmo-notes", "velmo-0123456789abcdef", ".velmo-xyz"};
  TempDir dir;
  const fs::path page = dir.write("page.html", "old");
  for (const auto& name : leftovers) dir.write(name, "left");
  for (const auto& name : keep) dir.write(name, "theirs");
  const fs::path young = dir.write(".velmo-fedcba9876543210", "a live run's");
  const auto old = fs::file_time_type::clock::now() - std::chrono::minutes(5);
  for (const auto& name : leftovers) fs::last_write_time(dir / name, old);
  for (const auto& name : keep) fs::last_write_time(dir / name, old);

  EXPECT_EQ(readFile(page), "old");
  EXPECT_TRUE(fs::exists(dir / leftovers.front())) << "reading writes nothing";
  writeFileAtomically(page, "new");

  std::vector<std::string> expected = keep;
  expected.push_back(".velmo-fedcba9876543210");
  expected.push_back("page.html");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(namesIn(dir.path()), expected);
  EXPECT_TRUE(fs::exists(young));
}

TEST(InterruptedSave, ASymbolicLinkLeadsToTheJournalBesideTheRealFile) {
  TempDir dir;
  const fs::path page = dir.write("real/page.html", "old text");
  fs::create_hard_link(page, dir / "real/copy.html");
  fs::create_symlink("real/page.html", dir / "link.html");
  writeJournal(page, "new");
  dir.write("real/page.html", halfWritten("old text", "new"));

  EXPECT_EQ(readFile(dir / "link.html"), "new");
  EXPECT_EQ(readBytes(dir / "real/copy.html"), "new");
}

// ---- the page's stamp ---------------------------------------------------------------------

TEST(PageStamp, SavesAgainAfterSavingThroughALinkAndStillSeesAReplacement) {
  for (const NameKind& k : kNameKinds) {
    SCOPED_TRACE(k.kind);
    TempDir dir;
    const fs::path file = dir.write("site/page.html", "<html><head></head><body></body></html>");
    const fs::path name = k.name(file);
    auto page = HtmlPage::load(name, dir / "site");

    page->replace(0, 0, "<!-- one -->");
    page->save();
    page->replace(0, 0, "<!-- two -->");
    EXPECT_NO_THROW(page->save());
    EXPECT_EQ(readBytes(file), "<!-- two --><!-- one --><html><head></head><body></body></html>");

    dir.write("site/theirs.tmp", "their page");
    fs::rename(dir / "site/theirs.tmp", file);
    page->replace(0, 0, "<!-- three -->");
    EXPECT_THROW(page->save(), HostError);
    EXPECT_EQ(readBytes(file), "their page");
  }
}

TEST(PageStamp, APageWhoseSaveWasCutShortLoadsWithTheNewTextAndSaves) {
  TempDir dir;
  const fs::path file = dir.write("page.html", "<html><body>old</body></html>");
  fs::create_hard_link(file, dir / "copy.html");
  writeJournal(file, "<html><body>new</body></html>");
  dir.write("page.html",
            halfWritten("<html><body>old</body></html>", "<html><body>new</body></html>"));

  auto page = HtmlPage::load(file, dir.path());
  EXPECT_EQ(page->source(), "<html><body>new</body></html>");
  page->replace(0, 0, "<!-- more -->");
  EXPECT_NO_THROW(page->save());
  EXPECT_EQ(readBytes(dir / "copy.html"), "<!-- more --><html><body>new</body></html>");
}

}  // namespace
}  // namespace velmo::file_host
