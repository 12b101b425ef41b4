// The help wrapper over the real HTML Help: helptest.chm beside the test program (the build
// puts it beside every DLL and program), a message box when the file is missing, and help
// windows that close with the wrapper.

#include <filesystem>

#include "core/help/chtmlhelp.h"
#include "tests/win/help_page_recorder.h"
#include "tests/win/ui_driver.h"
#include "tests/win/win_test_support.h"
#include "windows/platform/hhctrl_html_help.h"
#include "windows/platform/win32_desktop.h"
#include "windows/platform/win32_message_boxes.h"
#include "windows/platform/window_handle.h"

namespace velmo::win::test {
namespace {

class Help : public ::testing::Test {
 protected:
  std::unique_ptr<CHTMLHelp> wrapper(const std::wstring& file) {
    return std::make_unique<CHTMLHelp>(help_, files_, messages_, asText(file));
  }

  HhctrlHtmlHelp help_;
  Win32FileProbe files_;
  Win32MessageBoxes messages_;
};

TEST_F(Help, AMissingFileIsReportedWithItsFullPath) {
  const std::wstring missing =
      (std::filesystem::temp_directory_path() / L"velmo-no-help" / L"helptest.chm").wstring();
  auto help = wrapper(missing);
  const SeenMessageBox box =
      asUser([](UiDriver& user) { return user.answerMessageBox(L"Velmopro"); },
             [&] { help->ShowTopic(2, 0); });
  EXPECT_EQ(box.text, L"Help File '" + missing + L"' not found.");
  EXPECT_EQ(box.buttons, std::vector<std::wstring>{L"OK"});
  EXPECT_EQ(box.icon, LoadIconW(nullptr, IDI_ASTERISK));
  EXPECT_EQ(help->helpWindow(), 0u);
}

TEST_F(Help, TopicsTwoToFiveOpenTheirPagesInLiveWindowsThatCloseWithTheWrapper) {
  const std::wstring file = besideTests(L"helptest.chm");
  ASSERT_TRUE(std::filesystem::exists(file)) << "the build puts helptest.chm beside the tests";
  const std::pair<std::int16_t, const wchar_t*> topics[] = {{2, L"add_to_favourites.htm"},
                                                            {3, L"scrollbar_colours.htm"},
                                                            {4, L"slide_show.htm"},
                                                            {5, L"current_date.htm"}};
  for (const auto& [topic, page] : topics) {
    SCOPED_TRACE(topic);
    HelpPageRecorder recorder;
    auto help = wrapper(file);
    help->ShowTopic(topic, 0);
    const HWND window = toHwnd(help->helpWindow());
    ASSERT_TRUE(IsWindow(window));
    wchar_t className[32] = {};
    GetClassNameW(window, className, 32);
    EXPECT_STREQ(className, L"HH Parent");
    pumpFor(std::chrono::milliseconds(200));
    EXPECT_EQ(recorder.pages(), std::vector<std::wstring>{page});
    help.reset();
    pumpFor(std::chrono::milliseconds(300));
    EXPECT_FALSE(IsWindow(window));
  }
}

TEST_F(Help, AFolderNameOutsideTheAnsiCodePageStillOpens) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / L"velmo-\u30d8\u30eb\u30d7-\u0394";
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(besideTests(L"helptest.chm"), folder / L"helptest.chm",
                             std::filesystem::copy_options::overwrite_existing);
  auto help = wrapper((folder / L"helptest.chm").wstring());
  help->ShowTopic(5, 0);
  EXPECT_TRUE(IsWindow(toHwnd(help->helpWindow())));
  help.reset();
  pumpFor(std::chrono::milliseconds(300));
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

TEST_F(Help, AnUnknownTopicForgetsTheEarlierWindow) {
  auto help = wrapper(besideTests(L"helptest.chm"));
  help->ShowTopic(3, 0);
  const HWND first = toHwnd(help->helpWindow());
  EXPECT_TRUE(IsWindow(first));
  help->ShowTopic(999, 0);
  EXPECT_EQ(help->helpWindow(), 0u);
  help.reset();
  if (IsWindow(first)) PostMessageW(first, WM_CLOSE, 0, 0);
  pumpFor(std::chrono::milliseconds(300));
}

TEST_F(Help, ContentsIndexAndSearchOpenWindows) {
  auto help = wrapper(besideTests(L"helptest.chm"));
  const std::pair<const char*, void (CHTMLHelp::*)(WindowHandle)> shows[] = {
      {"contents", &CHTMLHelp::ShowContents},
      {"index", &CHTMLHelp::ShowIndex},
      {"search", &CHTMLHelp::ShowSearch},
  };
  for (const auto& [name, show] : shows) {
    SCOPED_TRACE(name);
    ((*help).*show)(0);
    EXPECT_TRUE(IsWindow(toHwnd(help->helpWindow())));
  }
  help.reset();
  pumpFor(std::chrono::milliseconds(300));
}

}  // namespace
}  // namespace velmo::win::test
