// The Windows halves of velmo.exe's platform: the help file read through ITStorage, the help
// cache folder, the settings folder, and the command line's paths and globs.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "cli/output/unified_diff.h"
#include "cli/run/process_platform.h"
#include "core/common/host_error.h"
#include "core/common/shown_name.h"
#include "desktop/chm_archive.h"
#include "desktop/private_folder.h"
#include "desktop/program_folder.h"
#include "file_host/settings/settings_store.h"
#include "tests/win/win_test_support.h"

namespace velmo::win::test {
namespace {

namespace fs = std::filesystem;
using desktop::ChmArchive;
using desktop::HelpFileError;

std::string bytesOf(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(VelmoExePlatform, HelpFileTablesAndPagesComeThroughItStorage) {
  const auto archive = ChmArchive::open(besideTests(L"helptest.chm"));
  const auto info = archive->systemInfo();
  EXPECT_EQ(info.title, "Velmo Help");
  EXPECT_EQ(info.contentsFile, "/helptest.hhc");
  EXPECT_EQ(info.indexFile, "/helptest.hhk");
  EXPECT_EQ(archive->topicOf(5), "/current_date.htm");
  EXPECT_FALSE(archive->topicOf(99));
  const auto page = archive->read("/current_date.htm");
  ASSERT_TRUE(page);
  EXPECT_EQ(*page, bytesOf(fs::path(VELMO_SOURCE_DIR) / "resources/help/current_date.htm"));
  EXPECT_FALSE(archive->read("/no_such_page.htm"));
  // The pages the browser is given: every page and its style sheet, none of the tables.
  auto files = archive->contentFiles();
  std::sort(files.begin(), files.end());
  for (const char* expected : {"/add_to_favourites.htm", "/contents.htm", "/help.css"}) {
    EXPECT_TRUE(std::binary_search(files.begin(), files.end(), std::string(expected))) << expected;
  }
  EXPECT_TRUE(std::none_of(files.begin(), files.end(),
                           [](const std::string& f) { return f.starts_with("/#"); }));
}

TEST(VelmoExePlatform, DamagedOrMissingHelpFileIsToldNotRead) {
  const std::string whole = bytesOf(besideTests(L"helptest.chm"));
  const fs::path cut = fs::temp_directory_path() / L"velmo cut \u00e9.chm";
  std::ofstream(cut, std::ios::binary) << whole.substr(0, whole.size() / 2);
  try {
    ChmArchive::open(cut);
    ADD_FAILURE() << "a help file cut in half was read";
  } catch (const HelpFileError& error) {
    EXPECT_NE(std::string(error.what()).find("is damaged"), std::string::npos) << error.what();
  }
  fs::remove(cut);
  EXPECT_THROW(ChmArchive::open(cut), HelpFileError);
}

TEST(VelmoExePlatform, HelpCacheIsMadeAndWrittenButNotThroughALink) {
  const fs::path root = fs::temp_directory_path() / L"velmo cache \u2615";
  fs::remove_all(root);
  const desktop::PrivateFolder folder(root / "velmo" / "help", 2);
  const fs::path page = folder.write("helptest/current_date.htm", "<p>x</p>");
  EXPECT_EQ(bytesOf(page), "<p>x</p>");
  EXPECT_EQ(folder.write("helptest/current_date.htm", "<p>y</p>"), page);
  EXPECT_EQ(bytesOf(page), "<p>y</p>");
  EXPECT_THROW(folder.write("../outside.htm", "z"), desktop::PrivateFolderError);
  EXPECT_FALSE(fs::exists(root / "velmo" / "outside.htm"));
  // A file where the folder should be is refused, never written through.
  std::ofstream(root / "velmo" / "help" / "taken") << "file";
  EXPECT_THROW(folder.write("taken/page.htm", "z"), desktop::PrivateFolderError);
  fs::remove_all(root);
  EXPECT_NE(desktop::PrivateFolder::userHelpCache().wstring().find(L"velmo\\help"),
            std::wstring::npos);
}

TEST(VelmoExePlatform, ProgramFolderHoldsTheHelpFile) {
  EXPECT_TRUE(fs::exists(fs::path(desktop::programFolder()) / L"helptest.chm"));
}

TEST(VelmoExePlatform, CommandLinePathsAreUtf8BothWays) {
  const fs::path folder = fs::temp_directory_path() / L"Caf\u00e9 \u2615";
  fs::create_directories(folder);
  const std::string utf8 = cli::os::textOf(folder);
  EXPECT_NE(utf8.find("Caf\xC3\xA9 \xE2\x98\x95"), std::string::npos);
  EXPECT_EQ(cli::os::pathOf(utf8), folder);
  EXPECT_TRUE(cli::os::isFolder(utf8));
  std::ofstream(folder / L"Index.html") << "x";
  // One file by two spellings of its name: the same identity, so a run works on it once.
  const auto a = cli::os::fileIdentity(cli::os::textOf(folder / L"Index.html"));
  const auto b = cli::os::fileIdentity(cli::os::textOf(folder / L"INDEX.HTML"));
  ASSERT_TRUE(a);
  EXPECT_EQ(a, b);
  EXPECT_FALSE(cli::os::fileIdentity(cli::os::textOf(folder / L"none.html")));
  EXPECT_FALSE(cli::os::isFolder(cli::os::textOf(folder / L"Index.html")));
  fs::remove_all(folder);
}

TEST(VelmoExePlatform, NamesShowWithTheSystemsSeparator) {
  // A folder given with backslashes and the pages found in it joined with '/'.
  EXPECT_EQ(shownName("Z:\\tmp\\site/sub/page.html"), "Z:\\tmp\\site\\sub\\page.html");
  EXPECT_EQ(shownName("site/a\x1b[2J.html"), "site\\a\\e[2J.html");
  // A diff names its file as patch and git apply read it on every system; the ignore file and
  // SARIF's addresses take '/' too.
  EXPECT_EQ(cli::diffFileName("site\\about us/page.html"), "site/about us/page.html\t");
  EXPECT_EQ(cli::os::withSlashes("site\\sub\\page.html"), "site/sub/page.html");
}

TEST(VelmoExePlatform, SettingsLiveInTheRoamingApplicationData) {
  const wchar_t* before = _wgetenv(L"APPDATA");
  const std::wstring saved = before ? before : L"";
  _wputenv_s(L"APPDATA", L"C:\\Users\\u\\AppData\\Roaming");
  EXPECT_EQ(file_host::IniSettingsStore::defaultConfigDir(),
            fs::path(L"C:\\Users\\u\\AppData\\Roaming"));
  _wputenv_s(L"APPDATA", L"");
  EXPECT_THROW(file_host::IniSettingsStore::defaultConfigDir(), HostError);
  _wputenv_s(L"APPDATA", saved.c_str());
}

}  // namespace
}  // namespace velmo::win::test
