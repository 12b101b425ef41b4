// The current-date command end to end: a COM client calls clstestt.CurDate, the real frmDate
// window comes up, a user on a helper thread works it, and the page in the stand-in editor
// changes (or does not).

#include "tests/support/golden.h"
#include "tests/win/command_on_page.h"
#include "tests/win/ui_driver.h"
#include "windows/renderer/metrics.h"

namespace velmo::win::test {
namespace {

const std::wstring kCaption = L"Velmo- Current Date";

RECT pixels(int left, int top, int width, int height) {
  const int dpi = systemDpi();
  const int x = twipsToPixels(left, dpi);
  const int y = twipsToPixels(top, dpi);
  return {x, y, x + twipsToPixels(width, dpi), y + twipsToPixels(height, dpi)};
}

class DateDialog : public CommandOnPage {
 protected:
  // CurDate while `user` works the dialog; CurDate's HRESULT.
  template <typename User>
  HRESULT curDate(User user) {
    HRESULT hr = E_UNEXPECTED;
    asUser(user, [&] { hr = command_->CurDate(); });
    return hr;
  }
  static std::string withBlockAfterHello() {
    std::string page = kOneLineHelloPage;
    page.insert(page.find("</p>") + 4, velmo::testing::golden("date-block.txt"));
    return page;
  }
};

TEST_F(DateDialog, ShowsTheLayoutInPixels) {
  std::vector<SeenControl> seen;
  RECT client{};
  ASSERT_EQ(curDate([&](UiDriver& user) {
              HWND dialog = user.waitForWindow(kCaption);
              client = user.clientRect(dialog);
              seen = user.controls(dialog);
              user.click(user.control(dialog, L"Cancel").hwnd);
              user.waitUntilGone(dialog);
            }),
            S_OK);
  const RECT size = pixels(0, 0, 4680, 1365);
  EXPECT_EQ(client.right, size.right);
  EXPECT_EQ(client.bottom, size.bottom);
  const struct {
    const wchar_t* className;
    const wchar_t* text;
    RECT rect;
  } expected[] = {
      {L"Static", L"Enters current date", pixels(120, 240, 1815, 375)},
      {L"Button", L"Do it", pixels(3480, 240, 975, 375)},
      {L"Button", L"Cancel", pixels(3480, 720, 975, 375)},
  };
  ASSERT_EQ(seen.size(), std::size(expected));
  for (std::size_t i = 0; i < seen.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(seen[i].className, expected[i].className);
    EXPECT_EQ(seen[i].text, expected[i].text);
    EXPECT_TRUE(EqualRect(&seen[i].rect, &expected[i].rect));
    EXPECT_TRUE(seen[i].enabled && seen[i].visible);
  }
  EXPECT_EQ(page_.bytes(), kOneLineHelloPage);
}

TEST_F(DateDialog, DoItPastesOneBlockAndCloses) {
  ASSERT_EQ(curDate([](UiDriver& user) {
              HWND dialog = user.waitForWindow(kCaption);
              user.click(user.control(dialog, L"Do it").hwnd);
              user.waitUntilGone(dialog);
            }),
            S_OK);
  EXPECT_EQ(page_.bytes(), withBlockAfterHello());
}

TEST_F(DateDialog, CancelEscapeAndTheCloseBoxLeaveThePageAlone) {
  const std::pair<const char*, std::function<void(UiDriver&, HWND)>> ways[] = {
      {"Cancel",
       [](UiDriver& user, HWND dialog) { user.click(user.control(dialog, L"Cancel").hwnd); }},
      {"Escape", [](UiDriver& user, HWND dialog) { user.pressEscape(dialog); }},
      {"close box", [](UiDriver& user, HWND dialog) { user.closeBox(dialog); }},
  };
  for (const auto& [name, close] : ways) {
    SCOPED_TRACE(name);
    EXPECT_EQ(curDate([&](UiDriver& user) {
                HWND dialog = user.waitForWindow(kCaption);
                close(user, dialog);
                user.waitUntilGone(dialog);
              }),
              S_OK);
    EXPECT_EQ(page_.bytes(), kOneLineHelloPage);
  }
}

TEST_F(DateDialog, AHostErrorKeepsTheDialogOpenAndShowsItsDescription) {
  page_.closePage();
  SeenMessageBox box;
  bool openAfterError = false;
  ASSERT_EQ(curDate([&](UiDriver& user) {
              HWND dialog = user.waitForWindow(kCaption);
              user.click(user.control(dialog, L"Do it").hwnd);
              box = user.answerMessageBox(L"Velmopro");
              openAfterError = user.isOpen(kCaption);
              user.click(user.control(dialog, L"Cancel").hwnd);
              user.waitUntilGone(dialog);
            }),
            S_OK);
  EXPECT_EQ(box.text, L"No page is open in the editor");
  EXPECT_EQ(box.buttons, std::vector<std::wstring>{L"OK"});
  EXPECT_EQ(box.icon, LoadIconW(nullptr, IDI_HAND));
  EXPECT_TRUE(openAfterError);
}

TEST_F(DateDialog, TheCallersWindowOwnsTheDialogAndWaitsForIt) {
  // The editor's window, active when the add-in calls.
  HWND caller = CreateWindowExW(0, L"STATIC", L"Editor", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                300, 200, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(caller);
  SetActiveWindow(caller);
  ASSERT_EQ(GetActiveWindow(), caller);
  HWND dialog = nullptr;
  HWND owner = nullptr;
  bool callerTookInput = true;
  ASSERT_EQ(curDate([&](UiDriver& user) {
              dialog = user.waitForWindow(kCaption);
              owner = GetWindow(dialog, GW_OWNER);
              callerTookInput = IsWindowEnabled(caller) != FALSE;
              user.closeBox(dialog);
              user.waitUntilGone(dialog);
            }),
            S_OK);
  EXPECT_EQ(owner, caller);
  EXPECT_FALSE(callerTookInput);
  EXPECT_TRUE(IsWindowEnabled(caller));
  EXPECT_FALSE(IsWindow(dialog)) << "unloading destroys the window";
  DestroyWindow(caller);
}

TEST_F(DateDialog, EachUseShowsTheDialogAgainAndPastesAnotherBlock) {
  for (int use = 0; use < 2; ++use) {
    ASSERT_EQ(curDate([](UiDriver& user) {
                HWND dialog = user.waitForWindow(kCaption);
                user.click(user.control(dialog, L"Do it").hwnd);
                user.waitUntilGone(dialog);
              }),
              S_OK);
  }
  std::string twice = kOneLineHelloPage;
  const std::string block = velmo::testing::golden("date-block.txt");
  twice.insert(twice.find("</p>") + 4, block + block);
  EXPECT_EQ(page_.bytes(), twice);
}

}  // namespace
}  // namespace velmo::win::test
