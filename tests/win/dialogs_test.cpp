// The other dialogs as real windows, each through its clstestt method: the same generic
// renderer shows option buttons in frames, a list box, swatches, a picture, a scrolling
// container with hyperlink labels, and a modeless window.

#include <windows.h>

#include <commctrl.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "features/favourites/frm_add_to_favor2_layout.h"
#include "features/offers/frm_ads_layout.h"
#include "features/slideshow/frm_slide_layout.h"
#include "features/style/frm_style_test_layout.h"
#include "features/style/scrollbar_style.h"
#include "tests/win/command_on_page.h"
#include "tests/win/help_page_recorder.h"
#include "tests/win/ui_driver.h"
#include "windows/renderer/control_windows.h"
#include "windows/renderer/metrics.h"

namespace velmo::win::test {
namespace {

namespace fs = std::filesystem;

class Dialogs : public CommandOnPage {
 protected:
  // The window of `id` in `dialog`.
  static HWND item(UiDriver& user, HWND dialog, int id) {
    return user.controlById(dialog, id).hwnd;
  }
};

std::wstring classOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

int favouritesId(std::u16string_view name) {
  return controlId(frmAddToFavor2Design(), name);
}

struct FavouritesState {
  std::wstring typeLabel;
  std::wstring typeText;
  bool linkChosen = false;
  bool browseVisible = false;
  bool httpEnabled = false;
  bool titleEnabled = false;
  bool messageEnabled = false;
  std::wstring message;
  bool operator==(const FavouritesState&) const = default;
};

FavouritesState favouritesState(UiDriver& user, HWND dialog) {
  const auto seen = [&](std::u16string_view name) {
    return user.controlById(dialog, favouritesId(name));
  };
  return {
      seen(u"lblType").text,       seen(u"txtType").text,    user.isChecked(seen(u"opType2").hwnd),
      seen(u"cmdBrowse").visible,  seen(u"txtHTTP").enabled, seen(u"txtTitle").enabled,
      seen(u"txtMessage").enabled, seen(u"txtMessage").text};
}

TEST_F(Dialogs, FavouritesStartsFromItsDefaultsOnEveryShow) {
  const std::wstring caption = L"Velmo - Add To Favorite";
  const FavouritesState defaults{L"Link Text", L"",   true,  false,
                                 false,        false, false, L"Don't forget to bookmark us!"};
  std::vector<FavouritesState> seen;
  for (int show = 0; show < 2; ++show) {
    asUser(
        [&](UiDriver& user) {
          HWND dialog = user.waitForWindow(caption);
          seen.push_back(favouritesState(user, dialog));
          // The user changes everything that can change, then cancels.
          user.click(item(user, dialog, favouritesId(u"opType1")));
          user.click(item(user, dialog, favouritesId(u"opURL2")));
          user.click(item(user, dialog, favouritesId(u"opTitle2")));
          user.click(item(user, dialog, favouritesId(u"opBrowsers2")));
          user.type(item(user, dialog, favouritesId(u"txtType")), L"images/logo.gif");
          user.waitUntil("the image choice", [&] {
            return favouritesState(user, dialog) ==
                   FavouritesState{L"Image Source",
                                   L"images/logo.gif",
                                   false,
                                   true,
                                   true,
                                   true,
                                   true,
                                   L"Don't forget to bookmark us!"};
          });
          user.click(user.control(dialog, L"Cancel").hwnd);
          user.waitUntilGone(dialog);
        },
        [&] { EXPECT_EQ(command_->addtofavor(), S_OK); });
  }
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], defaults);
  EXPECT_EQ(seen[1], defaults);
  EXPECT_EQ(page_.bytes(), kOneLineHelloPage);
}

TEST_F(Dialogs, FavouritesTabOrderFollowsTheLayout) {
  const std::u16string_view order[] = {u"opType1",  u"opType2",     u"txtType",     u"cmdBrowse",
                                       u"opURL1",   u"txtHTTP",     u"opURL2",      u"txtTitle",
                                       u"opTitle2", u"opTitle1",    u"cmdDoIt",     u"cmdCancel",
                                       u"cmdHelp",  u"opBrowsers1", u"opBrowsers2", u"txtMessage"};
  std::vector<int> walked;
  std::vector<int> stacked;
  int startFocus = 0;
  asUser(
      [&](UiDriver& user) {
        HWND dialog = user.waitForWindow(L"Velmo - Add To Favorite");
        user.waitUntil("the focus", [&] {
          GUITHREADINFO thread{};
          thread.cbSize = sizeof(thread);
          GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &thread);
          startFocus = GetDlgCtrlID(thread.hwndFocus);
          return thread.hwndFocus != nullptr;
        });
        // Everything that can take the focus is shown and enabled first.
        for (std::u16string_view name : {u"opType1", u"opURL2", u"opTitle2", u"opBrowsers2"}) {
          user.click(item(user, dialog, favouritesId(name)));
        }
        user.waitUntil("every field enabled", [&] {
          return user.controlById(dialog, favouritesId(u"txtMessage")).enabled &&
                 user.controlById(dialog, favouritesId(u"cmdBrowse")).visible;
        });
        for (const SeenControl& seen : user.controls(dialog)) {
          for (std::u16string_view name : order) {
            if (seen.id == favouritesId(name)) stacked.push_back(seen.id);
          }
        }
        HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
        for (HWND at = first; at && walked.size() < 40;) {
          walked.push_back(GetDlgCtrlID(at));
          at = GetNextDlgTabItem(dialog, at, FALSE);
          if (at == first) break;
        }
        user.closeBox(dialog);
        user.waitUntilGone(dialog);
      },
      [&] { EXPECT_EQ(command_->addtofavor(), S_OK); });
  // The first control in tab order that takes the focus: the selected option button "Link".
  EXPECT_EQ(startFocus, favouritesId(u"opType2"));
  // The windows lie in tab order, frames by the first tab index inside them.
  std::vector<int> expected;
  for (std::u16string_view name : order) expected.push_back(favouritesId(name));
  EXPECT_EQ(stacked, expected);
  // The Tab key visits them so, stopping at the selected option button of each pair.
  std::erase_if(expected, [](int id) {
    return id == favouritesId(u"opType2") || id == favouritesId(u"opURL1") ||
           id == favouritesId(u"opTitle1") || id == favouritesId(u"opBrowsers1");
  });
  EXPECT_EQ(walked, expected);
}

TEST_F(Dialogs, FavouritesFramesHoldTheirOptionButtons) {
  asUser(
      [&](UiDriver& user) {
        HWND dialog = user.waitForWindow(L"Velmo - Add To Favorite");
        // An option button lies inside its frame's window, at its place relative to the frame.
        const SeenControl opURL2 = user.controlById(dialog, favouritesId(u"opURL2"));
        HWND frame2 = GetParent(opURL2.hwnd);
        EXPECT_EQ(GetDlgCtrlID(frame2), favouritesId(u"Frame2"));
        const int dpi = systemDpi();
        EXPECT_EQ(opURL2.rect.left, twipsToPixels(120, dpi) + twipsToPixels(1920, dpi));
        EXPECT_EQ(opURL2.rect.top, twipsToPixels(1800, dpi) + twipsToPixels(480, dpi));
        user.closeBox(dialog);
        user.waitUntilGone(dialog);
      },
      [&] { EXPECT_EQ(command_->addtofavor(), S_OK); });
}

TEST_F(Dialogs, FavouritesOptionsEnableTheirFieldsAndDoItPastesTheImageLink) {
  const auto enabled = [](UiDriver& user, HWND dialog, std::u16string_view name) {
    return user.controlById(dialog, favouritesId(name)).enabled;
  };
  // txtHTTP and txtTitle enabled after each click, in turn.
  std::vector<std::pair<bool, bool>> fields;
  FavouritesState browsed;
  asUser(
      [&](UiDriver& user) {
        HWND dialog = user.waitForWindow(L"Velmo - Add To Favorite");
        const auto after = [&](std::u16string_view option, std::pair<bool, bool> expected) {
          user.click(item(user, dialog, favouritesId(option)));
          user.waitUntil("the option's fields", [&] {
            return std::pair{enabled(user, dialog, u"txtHTTP"),
                             enabled(user, dialog, u"txtTitle")} == expected;
          });
          fields.push_back(expected);
        };
        after(u"opURL2", {true, false});
        after(u"opTitle2", {true, true});
        after(u"opURL1", {false, true});
        after(u"opTitle1", {false, false});
        user.click(item(user, dialog, favouritesId(u"opType1")));
        user.waitUntil("the Browse button",
                       [&] { return favouritesState(user, dialog).browseVisible; });
        user.type(item(user, dialog, favouritesId(u"txtType")), L"images/logo.gif");
        user.waitUntil("the image source", [&] {
          return favouritesState(user, dialog).typeText == L"images/logo.gif";
        });
        browsed = favouritesState(user, dialog);
        user.click(user.control(dialog, L"Do it!").hwnd);
        user.waitUntilGone(dialog);
      },
      [&] { EXPECT_EQ(command_->addtofavor(), S_OK); });
  EXPECT_EQ(fields.size(), 4u);
  EXPECT_EQ(browsed, (FavouritesState{L"Image Source", L"images/logo.gif", false, true, false,
                                      false, false, L"Don't forget to bookmark us!"}));
  const std::string page = page_.bytes();
  EXPECT_NE(page.find("images/logo.gif"), std::string::npos);
  EXPECT_NE(page.find("AddFavorite"), std::string::npos);
  EXPECT_LT(page.find("<p>Hello</p>"), page.find("images/logo.gif"));
}

// Browse goes through the real open-file dialog: a new picture is brought into the site's
// images folder and named there; a different picture of the same name asks first, and No
// leaves the source as it was.
TEST_F(Dialogs, FavouritesBrowsesForAnImageIntoTheSitesImagesFolder) {
  const fs::path site = page_.file().folder();
  fs::create_directories(site / L"images");
  const fs::path pictures = site / L"pictures";
  const fs::path other = site / L"other";
  fs::create_directories(pictures);
  fs::create_directories(other);
  std::ofstream(pictures / L"logo.gif") << "GIF89a first";
  std::ofstream(other / L"logo.gif") << "GIF89a second";
  const auto browse = [&](UiDriver& user, HWND dialog, const fs::path& file) {
    user.click(item(user, dialog, favouritesId(u"opType1")));
    user.waitUntil("the Browse button",
                   [&] { return favouritesState(user, dialog).browseVisible; });
    user.click(item(user, dialog, favouritesId(u"cmdBrowse")));
    user.answerOpenFile(file.wstring());
  };
  std::wstring browsed;
  asUser(
      [&](UiDriver& user) {
        HWND dialog = user.waitForWindow(L"Velmo - Add To Favorite");
        browse(user, dialog, pictures / L"logo.gif");
        user.waitUntil("the image source", [&] {
          return favouritesState(user, dialog).typeText == L"images/logo.gif";
        });
        browsed = favouritesState(user, dialog).typeText;
        user.click(user.control(dialog, L"Do it!").hwnd);
        user.waitUntilGone(dialog);
      },
      [&] { EXPECT_EQ(command_->addtofavor(), S_OK); });
  EXPECT_EQ(browsed, L"images/logo.gif");
  std::ifstream imported(site / L"images" / L"logo.gif");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(imported), {}), "GIF89a first");
  const std::string page = page_.bytes();
  EXPECT_NE(page.find("src=\"images/logo.gif\""), std::string::npos);
  EXPECT_LT(page.find("<p>Hello</p>"), page.find("images/logo.gif"));

  SeenMessageBox question;
  std::wstring afterNo;
  asUser(
      [&](UiDriver& user) {
        HWND dialog = user.waitForWindow(L"Velmo - Add To Favorite");
        browse(user, dialog, other / L"logo.gif");
        question = user.answerMessageBox(L"Add to Favorite", IDNO);
        afterNo = favouritesState(user, dialog).typeText;
        user.click(user.control(dialog, L"Cancel").hwnd);
        user.waitUntilGone(dialog);
      },
      [&] { EXPECT_EQ(command_->addtofavor(), S_OK); });
  EXPECT_EQ(question.text,
            L"The image logo.gif already exist in the image folder, click YES to "
            L"use it, click NO to Cancel");
  EXPECT_EQ(afterNo, L"");
  std::ifstream kept(site / L"images" / L"logo.gif");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "GIF89a first");
}

TEST_F(Dialogs, StyleTakesAChosenColourAndSavesTheScheme) {
  const int text1 = controlId(frmstyletestDesign(), u"Text1");
  const int text2 = controlId(frmstyletestDesign(), u"Text2");
  const int swatch1 = controlId(frmstyletestDesign(), u"cl1");
  std::wstring field;
  COLORREF swatch = CLR_INVALID;
  asUser(
      [&](UiDriver& user) {
        HWND dialog = user.waitForWindow(L"Velmo - Scrollbar color");
        user.doubleClick(item(user, dialog, text1));
        user.answerColour(RGB(0x12, 0x34, 0x56));
        user.waitUntil("the chosen colour",
                       [&] { return user.text(item(user, dialog, text1)) == L"123456"; });
        field = user.text(item(user, dialog, text1));
        HWND swatchWindow = item(user, dialog, swatch1);
        RedrawWindow(swatchWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
        user.waitUntil("the swatch", [&] {
          HDC dc = GetDC(swatchWindow);
          swatch = GetPixel(dc, 3, 3);
          ReleaseDC(swatchWindow, dc);
          return swatch == RGB(0x12, 0x34, 0x56);
        });
        user.type(item(user, dialog, text2), L"ABCDEF");
        user.click(user.control(dialog, L"Save").hwnd);
        user.click(user.control(dialog, L"Cancel").hwnd);
        user.waitUntilGone(dialog);
      },
      [&] { EXPECT_EQ(command_->style(), S_OK); });
  EXPECT_EQ(field, L"123456");
  EXPECT_EQ(swatch, RGB(0x12, 0x34, 0x56));
  wchar_t saved[32] = {};
  DWORD bytes = sizeof(saved);
  EXPECT_EQ(
      RegGetValueW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\velmoed\\color",
                   L"ac", RRF_RT_REG_SZ, nullptr, saved, &bytes),
      ERROR_SUCCESS);
  EXPECT_STREQ(saved, L"ABCDEF");
  EXPECT_EQ(page_.bytes(), kOneLineHelloPage);
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\velmoed");
}

TEST_F(Dialogs, StyleShowsTheReferencePicture) {
  const int image = controlId(frmstyletestDesign(), u"Image1");
  HBITMAP picture = nullptr;
  RECT rect{};
  asUser(
      [&](UiDriver& user) {
        HWND dialog = user.waitForWindow(L"Velmo - Scrollbar color");
        const SeenControl seen = user.controlById(dialog, image);
        picture = reinterpret_cast<HBITMAP>(SendMessageW(seen.hwnd, STM_GETIMAGE, IMAGE_BITMAP, 0));
        rect = seen.rect;
        user.pressEscape(dialog);
        user.waitUntilGone(dialog);
      },
      [&] { EXPECT_EQ(command_->style(), S_OK); });
  ASSERT_TRUE(picture);
  EXPECT_EQ(rect.right - rect.left, twipsToPixels(2895, systemDpi()));
}

TEST_F(Dialogs, StyleButtonsHaveTheirTooltips) {
  std::vector<std::pair<std::wstring, std::wstring>> tips;  // button caption, tooltip
  asUser(
      [&](UiDriver& user) {
        HWND dialog = user.waitForWindow(L"Velmo - Scrollbar color");
        HWND tooltips = nullptr;
        for (HWND found = nullptr;
             (found = FindWindowExW(nullptr, found, TOOLTIPS_CLASSW, nullptr));) {
          if (GetWindow(found, GW_OWNER) == dialog) tooltips = found;
        }
        ASSERT_TRUE(tooltips);
        const auto count = SendMessageW(tooltips, TTM_GETTOOLCOUNT, 0, 0);
        for (int i = 0; i < count; ++i) {
          wchar_t text[128] = {};
          TTTOOLINFOW tool{};
          tool.cbSize = TTTOOLINFOW_V2_SIZE;
          tool.lpszText = text;
          SendMessageW(tooltips, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(&tool));
          tips.emplace_back(user.text(reinterpret_cast<HWND>(tool.uId)), text);
        }
        user.closeBox(dialog);
        user.waitUntilGone(dialog);
      },
      [&] { EXPECT_EQ(command_->style(), S_OK); });
  EXPECT_EQ(tips, (std::vector<std::pair<std::wstring, std::wstring>>{
                      {L"Save", L"Saves scrollbar colors to be used later"},
                      {L"Load", L"Loads  Scrollbar colors previously saved"}}));
}

// The swatch's colour as painted.
COLORREF swatchColour(HWND swatch) {
  RedrawWindow(swatch, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
  HDC dc = GetDC(swatch);
  const COLORREF colour = GetPixel(dc, 3, 3);
  ReleaseDC(swatch, dc);
  return colour;
}

// The style command on a page whose first sheet has a `body` rule with two of the colours.
class StyleOnStyledPage : public ::testing::Test {
 protected:
  static constexpr char kStyled[] =
      "<html><head><title>T</title><style>body { color: red; scrollbar-base-color: #ffcc00; "
      "scrollbar-face-color: #123456 }</style></head><body><p>Hello</p></body></html>";
  static constexpr const wchar_t* kScheme = L"Software\\VB and VBA Program Settings\\velmoed";

  void SetUp() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, kScheme);
    ASSERT_EQ(
        CoCreateInstance(CLSID_clstestt, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&command_)),
        S_OK);
  }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kScheme); }

  static int styleId(const std::u16string& name) { return controlId(frmstyletestDesign(), name); }
  // The eight fields' texts and their swatches' colours as the user sees them.
  static std::pair<std::vector<std::wstring>, std::vector<COLORREF>> entries(UiDriver& user,
                                                                             HWND dialog) {
    std::pair<std::vector<std::wstring>, std::vector<COLORREF>> seen;
    for (std::size_t i = 0; i < kScrollbarEntryCount; ++i) {
      seen.first.push_back(user.controlById(dialog, styleId(styleFieldName(i))).text);
      seen.second.push_back(
          swatchColour(user.controlById(dialog, styleId(styleSwatchName(i))).hwnd));
    }
    return seen;
  }

  PageInEditor page_{kStyled};
  ComPtr<_clstestt> command_;
};

TEST_F(StyleOnStyledPage, ShowsThePageColoursAndAppliesTheFieldsToItsBodyRule) {
  const int dpi = systemDpi();
  std::vector<RECT> fields, swatches;
  std::pair<std::vector<std::wstring>, std::vector<COLORREF>> loaded;
  SeenMessageBox confirmation;
  asUser(
      [&](UiDriver& user) {
        HWND dialog = user.waitForWindow(L"Velmo - Scrollbar color");
        for (std::size_t i = 0; i < kScrollbarEntryCount; ++i) {
          fields.push_back(user.controlById(dialog, styleId(styleFieldName(i))).rect);
          swatches.push_back(user.controlById(dialog, styleId(styleSwatchName(i))).rect);
        }
        loaded = entries(user, dialog);
        user.type(user.controlById(dialog, styleId(u"Text2")).hwnd, L"00ff00");
        user.type(user.controlById(dialog, styleId(u"Text5")).hwnd, L"");
        user.click(user.control(dialog, L"Do It!").hwnd);
        confirmation = user.answerMessageBox(L"Velmopro");
        user.waitUntilGone(dialog);
      },
      [&] { EXPECT_EQ(command_->style(), S_OK); });
  ASSERT_EQ(fields.size(), kScrollbarEntryCount);
  for (std::size_t i = 0; i < kScrollbarEntryCount; ++i) {
    SCOPED_TRACE(i);
    const int top = twipsToPixels(960 + 480 * static_cast<int>(i), dpi);
    EXPECT_EQ(fields[i].left, twipsToPixels(2160, dpi));
    EXPECT_EQ(fields[i].top, top);
    EXPECT_EQ(fields[i].bottom - fields[i].top, twipsToPixels(i == 5 ? 405 : 375, dpi));
    EXPECT_EQ(swatches[i].left, twipsToPixels(3480, dpi));
    EXPECT_EQ(swatches[i].top, top);
    EXPECT_EQ(swatches[i].right - swatches[i].left, twipsToPixels(255, dpi));
  }
  EXPECT_EQ(loaded.first,
            (std::vector<std::wstring>{L"ffcc00", L"", L"", L"", L"123456", L"", L"", L""}));
  EXPECT_EQ(loaded.second[0], RGB(0xff, 0xcc, 0x00));
  EXPECT_EQ(loaded.second[4], RGB(0x12, 0x34, 0x56));
  EXPECT_EQ(confirmation.text, L"ScrollBar Color has been applied successfully");
  const std::string page = page_.bytes();
  EXPECT_NE(page.find("color: red"), std::string::npos) << page;
  EXPECT_NE(page.find("scrollbar-base-color: #ffcc00"), std::string::npos) << page;
  EXPECT_NE(page.find("scrollbar-arrow-color: #00ff00"), std::string::npos) << page;
  EXPECT_EQ(page.find("scrollbar-face-color"), std::string::npos) << page;
  EXPECT_EQ(page.find("<style>", page.find("</style>")), std::string::npos) << page;
}

TEST_F(StyleOnStyledPage, LoadInANewShowBringsBackTheSavedScheme) {
  const std::vector<std::wstring> typed{L"", L"abcdef", L"", L"010203", L"", L"", L"", L"fedcba"};
  std::pair<std::vector<std::wstring>, std::vector<COLORREF>> loaded;
  for (int show = 0; show < 2; ++show) {
    asUser(
        [&](UiDriver& user) {
          HWND dialog = user.waitForWindow(L"Velmo - Scrollbar color");
          if (show == 0) {
            for (std::size_t i = 0; i < kScrollbarEntryCount; ++i) {
              user.type(user.controlById(dialog, styleId(styleFieldName(i))).hwnd, typed[i]);
            }
            user.click(user.control(dialog, L"Save").hwnd);
          } else {
            user.click(user.control(dialog, L"Load").hwnd);
            user.waitUntil("the loaded scheme", [&] {
              return user.text(user.controlById(dialog, styleId(u"Text2")).hwnd) == L"abcdef";
            });
            loaded = entries(user, dialog);
          }
          user.click(user.control(dialog, L"Cancel").hwnd);
          user.waitUntilGone(dialog);
        },
        [&] { EXPECT_EQ(command_->style(), S_OK); });
  }
  // The empty fields were saved empty: the page's colours read on load are cleared by Load.
  EXPECT_EQ(loaded.first, typed);
  EXPECT_EQ(loaded.second[1], RGB(0xab, 0xcd, 0xef));
  EXPECT_EQ(loaded.second[3], RGB(0x01, 0x02, 0x03));
  EXPECT_EQ(loaded.second[7], RGB(0xfe, 0xdc, 0xba));
  EXPECT_EQ(page_.bytes(), kStyled);
}

TEST_F(Dialogs, SlideListsAddedPicturesAndMovesThem) {
  const fs::path folder = fs::path(page_.file().folder()) / L"pictures";
  fs::create_directories(folder);
  for (const wchar_t* name : {L"a.gif", L"b.jpg"}) std::ofstream(folder / name) << "GIF89a";
  const int list = controlId(frmSlideDesign(), u"lstPic");
  std::vector<std::wstring> items;
  asUser(
      [&](UiDriver& user) {
        HWND dialog = user.waitForWindow(L"Velmo - Slide Show");
        HWND listBox = item(user, dialog, list);
        const auto count = [&] { return SendMessageW(listBox, LB_GETCOUNT, 0, 0); };
        for (const wchar_t* name : {L"a.gif", L"b.jpg"}) {
          const LRESULT before = count();
          user.click(user.control(dialog, L"Add Picture...").hwnd);
          user.answerOpenFile((folder / name).wstring());
          user.waitUntil("the added picture", [&] { return count() == before + 1; });
        }
        user.selectItem(listBox, 1);
        user.click(user.control(dialog, L"Up").hwnd);
        user.waitUntil("the moved picture", [&] {
          wchar_t first[32] = {};
          SendMessageW(listBox, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(first));
          return std::wstring_view(first) == L"b.jpg";
        });
        for (int i = 0; i < count(); ++i) {
          wchar_t text[32] = {};
          SendMessageW(listBox, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
          items.push_back(text);
        }
        user.click(user.control(dialog, L"Do it").hwnd);
        user.waitUntilGone(dialog);
      },
      [&] { EXPECT_EQ(command_->slide(), S_OK); });
  EXPECT_EQ(items, (std::vector<std::wstring>{L"b.jpg", L"a.gif"}));
  const fs::path slides = fs::path(page_.file().folder()) / L"slide_img";
  EXPECT_TRUE(fs::exists(slides / L"a.gif"));
  EXPECT_TRUE(fs::exists(slides / L"b.jpg"));
  EXPECT_NE(page_.bytes().find("slide_img/b.jpg"), std::string::npos);
}

TEST_F(Dialogs, SlideRemovesAndMovesDownBeforeDoingIt) {
  const fs::path folder = fs::path(page_.file().folder()) / L"pictures";
  fs::create_directories(folder);
  for (const wchar_t* name : {L"a.gif", L"b.jpg", L"c.gif"})
    std::ofstream(folder / name) << "GIF89a";
  const int list = controlId(frmSlideDesign(), u"lstPic");
  std::vector<std::wstring> afterDown;
  std::vector<std::wstring> afterRemove;
  asUser(
      [&](UiDriver& user) {
        HWND dialog = user.waitForWindow(L"Velmo - Slide Show");
        HWND listBox = item(user, dialog, list);
        const auto items = [&] {
          std::vector<std::wstring> texts;
          for (LRESULT i = 0, n = SendMessageW(listBox, LB_GETCOUNT, 0, 0); i < n; ++i) {
            wchar_t text[32] = {};
            SendMessageW(listBox, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            texts.push_back(text);
          }
          return texts;
        };
        for (const wchar_t* name : {L"a.gif", L"b.jpg", L"c.gif"}) {
          const std::size_t before = items().size();
          user.click(user.control(dialog, L"Add Picture...").hwnd);
          user.answerOpenFile((folder / name).wstring());
          user.waitUntil("the added picture", [&] { return items().size() == before + 1; });
        }
        user.selectItem(listBox, 0);
        user.click(user.control(dialog, L"Down").hwnd);
        user.waitUntil("the moved picture", [&] { return items().front() == L"b.jpg"; });
        afterDown = items();
        user.selectItem(listBox, 2);
        user.click(user.control(dialog, L"Remove Picture").hwnd);
        user.waitUntil("the removed picture", [&] { return items().size() == 2; });
        afterRemove = items();
        user.click(user.control(dialog, L"Do it").hwnd);
        user.waitUntilGone(dialog);
      },
      [&] { EXPECT_EQ(command_->slide(), S_OK); });
  EXPECT_EQ(afterDown, (std::vector<std::wstring>{L"b.jpg", L"a.gif", L"c.gif"}));
  EXPECT_EQ(afterRemove, (std::vector<std::wstring>{L"b.jpg", L"a.gif"}));
  const fs::path slides = fs::path(page_.file().folder()) / L"slide_img";
  EXPECT_TRUE(fs::exists(slides / L"a.gif"));
  EXPECT_TRUE(fs::exists(slides / L"b.jpg"));
  EXPECT_FALSE(fs::exists(slides / L"c.gif"));
  // The paths stayed paired with the names: the script lists the pictures in the list's order.
  const std::string page = page_.bytes();
  const auto first = page.find("photos_VL[0] = \"slide_img/b.jpg\"");
  const auto second = page.find("photos_VL[1] = \"slide_img/a.gif\"");
  EXPECT_NE(first, std::string::npos);
  EXPECT_NE(second, std::string::npos);
  EXPECT_EQ(page.find("c.gif"), std::string::npos);
  EXPECT_NE(page.find("<p>Hello</p>"), std::string::npos);
}

// Each dialog's Help button opens its topic of the help file beside the DLL; the help window is
// no dialog's and stays when the dialog closes.
TEST_F(Dialogs, HelpButtonsOpenTheirTopicsOfTheHelpFileBesideTheDll) {
  struct Case {
    const wchar_t* caption;
    HRESULT (STDMETHODCALLTYPE _clstestt::*command)();
    const wchar_t* page;
  };
  const Case cases[] = {
      {L"Velmo - Add To Favorite", &_clstestt::addtofavor, L"add_to_favourites.htm"},
      {L"Velmo - Scrollbar color", &_clstestt::style, L"scrollbar_colours.htm"},
      {L"Velmo - Slide Show", &_clstestt::slide, L"slide_show.htm"},
  };
  for (const Case& shown : cases) {
    SCOPED_TRACE(narrow(asText(shown.caption)));
    HelpPageRecorder recorder;
    HWND help = nullptr;
    asUser(
        [&](UiDriver& user) {
          HWND dialog = user.waitForWindow(shown.caption);
          user.click(user.control(dialog, L"Help").hwnd);
          user.waitUntil("the help window and its page", [&] {
            help = FindWindowExW(nullptr, nullptr, L"HH Parent", nullptr);
            return help && IsWindowVisible(help) && !recorder.pages().empty();
          });
          user.click(user.control(dialog, L"Cancel").hwnd);
          user.waitUntilGone(dialog);
        },
        [&] { EXPECT_EQ((command_.Get()->*shown.command)(), S_OK); });
    EXPECT_EQ(recorder.pages(), std::vector<std::wstring>{shown.page});
    EXPECT_TRUE(IsWindow(help));
    PostMessageW(help, WM_CLOSE, 0, 0);
    pumpFor(std::chrono::milliseconds(300));
    EXPECT_FALSE(IsWindow(help));
  }
}

// The offers window is modeless: ads returns at once, and this thread pumps its messages until
// the user closes it.
void adsUntilClosed(_clstestt* command, int calls) {
  for (int i = 0; i < calls; ++i) EXPECT_EQ(command->ads(), S_OK);
  pumpWhileOpen(L"Offers");
}

TEST_F(Dialogs, OffersScrollsItsLinksAndStaysOneWindow) {
  const int dpi = systemDpi();
  RECT client{};
  bool lastDescriptionHidden = false;
  bool lastDescriptionShownAfterScrolling = false;
  std::vector<std::wstring> links;
  int windows = 0;
  asUser(
      [&](UiDriver& user) {
        HWND window = user.waitForWindow(L"Offers");
        client = user.clientRect(window);
        HWND scroller = FindWindowExW(window, nullptr, L"VelmoScroller", nullptr);
        HWND lbl1 = user.controlById(window, controlId(frmAdsDesign(), u"lbl1")).hwnd;
        const auto inView = [&] {
          RECT area, label;
          GetWindowRect(scroller, &area);
          GetWindowRect(lbl1, &label);
          return label.bottom <= area.bottom;
        };
        lastDescriptionHidden = !inView();
        PostMessageW(scroller, WM_VSCROLL, SB_BOTTOM, 0);
        user.waitUntil("scrolling", inView);
        lastDescriptionShownAfterScrolling = true;
        for (const SeenControl& seen : user.controls(window)) {
          if (classOf(GetParent(seen.hwnd)) == L"VelmoUserControl") links.push_back(seen.text);
        }
        for (HWND found = nullptr;
             (found = FindWindowExW(nullptr, found, L"VelmoForm", L"Offers"));)
          ++windows;
        user.closeBox(window);
        user.waitUntilGone(window);
      },
      [&] { adsUntilClosed(command_.Get(), 2); });
  EXPECT_EQ(client.right, twipsToPixels(7110, dpi));
  EXPECT_EQ(client.bottom, twipsToPixels(6420, dpi));
  EXPECT_TRUE(lastDescriptionHidden);
  EXPECT_TRUE(lastDescriptionShownAfterScrolling);
  EXPECT_EQ(links, (std::vector<std::wstring>{L"Powweb.com", L"2Checkout", L"Frontpage Templates",
                                              L"CJ.com"}));
  EXPECT_EQ(windows, 1);
}

// The address stored in a link's saved state.
std::wstring savedAddress(std::u16string_view link) {
  for (const auto& control : frmAdsDesign().controls) {
    if (control.name != link) continue;
    for (const auto& saved : control.saved) {
      if (saved.name == u"url") return std::wstring(saved.value.begin(), saved.value.end());
    }
  }
  return {};
}

// The shell's command for web addresses in this prefix, replaced for the life of the object by
// one that writes the address it is given into a file instead of opening a browser.
class RecordingBrowser {
 public:
  explicit RecordingBrowser(const fs::path& record) {
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                    nullptr);
    wchar_t old[1024] = {};
    DWORD bytes = sizeof(old);
    if (RegGetValueW(key_, nullptr, nullptr, RRF_RT_REG_SZ, nullptr, old, &bytes) ==
        ERROR_SUCCESS) {
      old_ = old;
    }
    const std::wstring command = L"cmd.exe /c echo %1>\"" + record.wstring() + L"\"";
    set(command);
  }
  ~RecordingBrowser() {
    if (old_) {
      set(*old_);
    } else {
      RegDeleteValueW(key_, nullptr);
    }
    RegCloseKey(key_);
  }
  RecordingBrowser(const RecordingBrowser&) = delete;
  RecordingBrowser& operator=(const RecordingBrowser&) = delete;

 private:
  static constexpr const wchar_t* kKey = L"Software\\Classes\\http\\shell\\open\\command";
  void set(const std::wstring& value) {
    RegSetValueExW(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  }
  HKEY key_ = nullptr;
  std::optional<std::wstring> old_;
};

TEST_F(Dialogs, OffersLinkHandsItsStoredAddressToTheShell) {
  const fs::path record = fs::path(page_.file().folder()) / L"opened.txt";
  RecordingBrowser browser(record);
  std::string opened;
  asUser(
      [&](UiDriver& user) {
        HWND window = user.waitForWindow(L"Offers");
        HWND link = user.controlById(window, controlId(frmAdsDesign(), u"URLLink2")).hwnd;
        HWND label = GetWindow(link, GW_CHILD);
        user.mouseDown(label, WM_LBUTTONDOWN);
        user.waitUntil("the recorded address", [&] {
          std::ifstream in(record);
          std::getline(in, opened);
          return !opened.empty();
        });
        user.closeBox(window);
        user.waitUntilGone(window);
      },
      [&] { adsUntilClosed(command_.Get(), 1); });
  while (!opened.empty() && (opened.back() == '\r' || opened.back() == ' ')) opened.pop_back();
  const std::wstring expected = savedAddress(u"URLLink2");
  ASSERT_EQ(expected.rfind(L"http://", 0), 0u);
  EXPECT_EQ(opened, std::string(expected.begin(), expected.end()));
}

TEST_F(Dialogs, OffersKeepsItsLayoutWhenEnlargedAndShowsTheHandOverLinksOnly) {
  std::vector<RECT> before, after;
  RECT clientBefore{}, clientAfter{};
  HCURSOR overLabel = nullptr, overLinkSurface = nullptr, overDescription = nullptr;
  HMODULE dll = GetModuleHandleW(L"VelmoCls.dll");
  asUser(
      [&](UiDriver& user) {
        HWND window = user.waitForWindow(L"Offers");
        const auto rects = [&] {
          std::vector<RECT> all;
          for (const SeenControl& seen : user.controls(window)) all.push_back(seen.rect);
          return all;
        };
        before = rects();
        clientBefore = user.clientRect(window);
        RECT outer{};
        GetWindowRect(window, &outer);
        SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left + 200,
                     outer.bottom - outer.top + 150, SWP_NOMOVE | SWP_NOZORDER);
        after = rects();
        clientAfter = user.clientRect(window);
        // The cursor a window sets is the one of the input queue it shares with this thread.
        const DWORD ui = GetWindowThreadProcessId(window, nullptr);
        AttachThreadInput(GetCurrentThreadId(), ui, TRUE);
        const auto cursorOver = [&](HWND over) {
          SetCursor(nullptr);
          SendMessageW(over, WM_SETCURSOR, reinterpret_cast<WPARAM>(over),
                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
          return GetCursor();
        };
        HWND link = user.controlById(window, controlId(frmAdsDesign(), u"URLLink3")).hwnd;
        overLabel = cursorOver(GetWindow(link, GW_CHILD));
        overLinkSurface = cursorOver(link);
        overDescription =
            cursorOver(user.controlById(window, controlId(frmAdsDesign(), u"lbl3")).hwnd);
        AttachThreadInput(GetCurrentThreadId(), ui, FALSE);
        user.closeBox(window);
        user.waitUntilGone(window);
      },
      [&] { adsUntilClosed(command_.Get(), 1); });
  EXPECT_EQ(clientAfter.right, clientBefore.right + 200);
  EXPECT_EQ(clientAfter.bottom, clientBefore.bottom + 150);
  EXPECT_FALSE(before.empty());
  ASSERT_EQ(before.size(), after.size());
  for (std::size_t i = 0; i < before.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(EqualRect(&before[i], &after[i]));
  }
  ASSERT_TRUE(dll);
  EXPECT_EQ(overLabel, LoadCursorW(dll, L"hand.cur"));
  EXPECT_EQ(overLinkSurface, LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_EQ(overDescription, LoadCursorW(nullptr, IDC_ARROW));
}

TEST(DialogResources, TheDllCarriesThePictureAndTheHandCursor) {
  HMODULE dll = LoadLibraryW(besideTests(L"VelmoCls.dll").c_str());
  ASSERT_TRUE(dll);
  HBITMAP picture = static_cast<HBITMAP>(
      LoadImageW(dll, L"scrollbar_reference.bmp", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  ASSERT_TRUE(picture);
  BITMAP size{};
  GetObjectW(picture, sizeof(size), &size);
  EXPECT_EQ(size.bmWidth, 193);
  EXPECT_EQ(size.bmHeight, 219);
  DeleteObject(picture);
  HCURSOR hand = LoadCursorW(dll, L"hand.cur");
  ASSERT_TRUE(hand);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(hand, &info));
  EXPECT_EQ(info.xHotspot, 13u);
  EXPECT_EQ(info.yHotspot, 5u);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  FreeLibrary(dll);
}

}  // namespace
}  // namespace velmo::win::test
