// The file layer on Windows: replacing a page by rename, the page lock, the file stamp, names
// that are not ASCII, read-only pages and the temporary files of a refused write.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <string>
#include <thread>

#include "core/common/host_error.h"
#include "file_host/files/atomic_file.h"
#include "file_host/files/file_lock.h"
#include "file_host/files/staged_import.h"
#include "file_host/files/temporary_file.h"
#include "file_host/files/windows_file.h"
#include "file_host/files/write_target.h"

namespace velmo::file_host {
namespace {

namespace fs = std::filesystem;

// A folder of its own below the temporary folder, named with characters beyond ASCII and
// beyond the system's code page, removed again with the object.
class Folder {
 public:
  explicit Folder(const std::wstring& name = L"velmo files test \u00e9\u2615") {
    path_ = fs::temp_directory_path() / name;
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~Folder() {
    std::error_code ec;
    for (const auto& entry : fs::recursive_directory_iterator(path_, ec)) {
      SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }
  fs::path page(const char* name, const std::string& content) const {
    const fs::path file = path_ / name;
    std::ofstream(file, std::ios::binary) << content;
    return file;
  }
  // The names in the folder other than those given.
  std::vector<std::wstring> others(std::initializer_list<const wchar_t*> known) const {
    std::vector<std::wstring> found;
    for (const auto& entry : fs::directory_iterator(path_)) {
      const std::wstring name = entry.path().filename().native();
      if (std::find(known.begin(), known.end(), name) == known.end()) found.push_back(name);
    }
    return found;
  }

 private:
  fs::path path_;
};

std::string contentOf(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

UniqueHandle openForReading(const fs::path& file, DWORD share) {
  return UniqueHandle(CreateFileW(file.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::string readThrough(HANDLE file) {
  char buffer[64] = {};
  DWORD got = 0;
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  ReadFile(file, buffer, sizeof buffer - 1, &got, nullptr);
  return std::string(buffer, got);
}

TEST(WindowsFiles, PageInAFolderWhoseNameIsNotAsciiIsReadStampedAndReplaced) {
  const Folder folder(L"Caf\u00e9 \u2615");
  const fs::path page = folder.page("index.html", "<p>old</p>");
  const auto before = stampOf(page);
  ASSERT_TRUE(before);
  writeFileAtomically(page, "<p>new text</p>");
  EXPECT_EQ(readFile(page), "<p>new text</p>");
  const auto after = stampOf(page);
  ASSERT_TRUE(after);
  // A new file took the name: another file index, and the size with it.
  EXPECT_NE(before->inode, after->inode);
  EXPECT_EQ(after->size, 15u);
  EXPECT_EQ(pathToText(page).find(u"Caf\u00e9 \u2615"), pathToText(page).rfind(u"Caf\u00e9"));
  EXPECT_EQ(textToPath(pathToText(page)), page);
  EXPECT_TRUE(folder.others({L"index.html"}).empty());
}

TEST(WindowsFiles, StampTellsAnotherProgramsSaveAndNoFile) {
  const Folder folder;
  const fs::path page = folder.page("a.html", "12345");
  const auto first = stampOf(page);
  ASSERT_TRUE(first);
  EXPECT_EQ(stampOf(page), first);
  std::ofstream(page, std::ios::binary | std::ios::app) << "6";
  EXPECT_NE(stampOf(page), first);
  EXPECT_FALSE(stampOf(folder.path() / "missing.html"));
}

TEST(WindowsFiles, ReplacingAPageAnotherProgramHoldsOpenNeverLeavesAPart) {
  const Folder folder;
  const fs::path page = folder.page("open.html", "old");
  // A reader that lets others delete (as browsers do) and one that does not (as old editors).
  for (const DWORD share : {kShareAll, DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE}}) {
    std::ofstream(page, std::ios::binary | std::ios::trunc) << "old";
    const UniqueHandle reader = openForReading(page, share);
    ASSERT_TRUE(reader);
    bool replaced = true;
    try {
      writeFileAtomically(page, "new!");
    } catch (const HostError& error) {
      replaced = false;
      EXPECT_NE(error.description().find(u"open.html"), std::u16string::npos);
    }
    // Either the page is the new file whole (Windows 10 renames over a reader that shares
    // deletion) or the write was refused and the page is the old file whole; the reader reads
    // the old bytes in both cases, and nothing is left beside the page.
    EXPECT_EQ(contentOf(page), replaced ? "new!" : "old");
    EXPECT_EQ(readThrough(reader.get()), "old");
    EXPECT_TRUE(folder.others({L"open.html"}).empty());
    if (share != kShareAll) {
      EXPECT_FALSE(replaced) << "a reader that does not share deletion keeps its file";
    }
  }
}

TEST(WindowsFiles, ARefusedWriteLeavesThePageAndRemovesItsTemporaryFile) {
  const Folder folder;
  const fs::path page = folder.page("p.html", "before");
  ReplaceSteps steps;
  bool checked = false;
  steps.beforeReplace = [&] {
    checked = true;
    // The new text is on disk beside the page when the last check runs.
    EXPECT_EQ(folder.others({L"p.html"}).size(), 1u);
    throw HostError(hr::kFail, u"changed by another program");
  };
  EXPECT_THROW(writeFileAtomically(page, "after", steps), HostError);
  EXPECT_TRUE(checked);
  EXPECT_EQ(contentOf(page), "before");
  EXPECT_TRUE(folder.others({L"p.html"}).empty());
}

TEST(WindowsFiles, ReadOnlyPageIsRefusedAndStaysReadOnlyWhenWrittenAnyway) {
  const Folder folder;
  const fs::path page = folder.page("ro.html", "kept");
  ASSERT_TRUE(SetFileAttributesW(page.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_THROW(checkNotReadOnly(page, u"page", false), ReadOnlyFile);
  EXPECT_NO_THROW(checkNotReadOnly(page, u"page", true));
  writeFileAtomically(page, "written anyway");
  EXPECT_EQ(contentOf(page), "written anyway");
  EXPECT_TRUE(GetFileAttributesW(page.c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(folder.others({L"ro.html"}).empty());
}

TEST(WindowsFiles, ALockHeldElsewhereMakesTheSecondWaitOrGiveUp) {
  const Folder folder;
  const fs::path page = folder.page("locked.html", "x");
  FileLock held = FileLock::acquire(page);
  ASSERT_TRUE(held.held());
  // The holding thread takes it again without waiting for itself.
  EXPECT_TRUE(FileLock::acquireWithin(page, 0).held());
  // Another thread, as another run, cannot have it while it is held...
  auto refused = std::async(std::launch::async, [&] {
    try {
      FileLock::acquireWithin(page, 0);
      return std::u16string(u"taken");
    } catch (const HostError& error) {
      return error.description();
    }
  });
  EXPECT_NE(refused.get().find(u"another run is changing it"), std::u16string::npos);
  // ...and still holds it after the page was replaced under the same name.
  writeFileAtomically(page, "y");
  auto stillRefused = std::async(std::launch::async, [&] {
    try {
      return FileLock::acquireWithin(page, 0).held();
    } catch (const HostError&) {
      return false;
    }
  });
  EXPECT_FALSE(stillRefused.get());
  held = FileLock();
  auto granted = std::async(std::launch::async, [&] { return FileLock::acquire(page).held(); });
  EXPECT_TRUE(granted.get());
}

TEST(WindowsFiles, StagingFilesAreNewFilesThatGoAgain) {
  const Folder folder;
  const fs::path source = folder.page("pic.gif", "GIF89a...");
  TemporaryFile first = stageCopy(folder.path(), "GIF89a...", source, source);
  TemporaryFile second = stageCopy(folder.path(), "GIF89a...", source, source);
  EXPECT_NE(first.path(), second.path());
  EXPECT_TRUE(isTemporaryName(first.path().filename()));
  EXPECT_EQ(contentOf(first.path()), "GIF89a...");
  first.remove();
  second.remove();
  EXPECT_TRUE(folder.others({L"pic.gif"}).empty());
}

}  // namespace
}  // namespace velmo::file_host
