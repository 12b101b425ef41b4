// The platform seams on Windows: the registry settings store, message boxes, the common dialogs
// and the small conversions behind them.

#include <filesystem>
#include <fstream>

#include "tests/win/ui_driver.h"
#include "tests/win/win_test_support.h"
#include "windows/platform/registry_settings_store.h"
#include "windows/platform/win32_common_dialogs.h"
#include "windows/platform/win32_desktop.h"
#include "windows/platform/win32_message_boxes.h"
#include "windows/renderer/fonts.h"
#include "windows/renderer/gdi_text_measurer.h"
#include "windows/renderer/metrics.h"

namespace velmo::win::test {
namespace {

namespace fs = std::filesystem;

// A settings application of its own, removed again with the object.
class ScratchSettings {
 public:
  ScratchSettings() { remove(); }
  ~ScratchSettings() { remove(); }
  const std::u16string application = u"velmo-test-settings";

 private:
  void remove() {
    RegDeleteTreeW(HKEY_CURRENT_USER,
                   L"Software\\VB and VBA Program Settings\\velmo-test-settings");
  }
};

std::wstring rawRegistryText(const std::wstring& key, const std::wstring& name) {
  wchar_t text[256] = {};
  DWORD bytes = sizeof(text);
  if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, text,
                   &bytes) != ERROR_SUCCESS) {
    return L"<missing>";
  }
  return text;
}

TEST(SettingsStore, RoundTripsTextsWhereClassicCodeKeepsThem) {
  ScratchSettings scratch;
  RegistrySettingsStore store;
  const std::u16string values[] = {u"7A3E00", u"", u"caf\u00e9 \u20ac", std::u16string(600, u'x')};
  for (const std::u16string& value : values) {
    store.save(scratch.application, u"color", u"bc", value);
    EXPECT_EQ(store.get(scratch.application, u"color", u"bc", u"default"), value);
  }
  store.save(scratch.application, u"color", u"ac", u"FFFFFF");
  EXPECT_EQ(
      rawRegistryText(L"Software\\VB and VBA Program Settings\\velmo-test-settings\\color", L"ac"),
      L"FFFFFF");
  EXPECT_EQ(settingsKeyPath(u"velmoed", u"color"),
            L"Software\\VB and VBA Program Settings\\velmoed\\color");
}

TEST(SettingsStore, MissingKeysSectionsAndApplicationsGiveTheDefault) {
  ScratchSettings scratch;
  RegistrySettingsStore store;
  EXPECT_EQ(store.get(scratch.application, u"color", u"bc", u"none"), u"none");
  store.save(scratch.application, u"color", u"bc", u"123456");
  EXPECT_EQ(store.get(scratch.application, u"color", u"hc", u"none"), u"none");
  EXPECT_EQ(store.get(scratch.application, u"other", u"bc", u""), u"");
}

TEST(MessageBoxes, ShowExactTextTitleButtonsAndIcon) {
  Win32MessageBoxes boxes;
  const struct {
    MessageRequest request;
    int press;
    MsgAnswer answer;
    std::vector<std::wstring> buttons;
    LPCWSTR icon;
  } cases[] = {
      {{u"Saved.\r\nSecond line", u"Velmopro", MsgButtons::Ok, MsgIcon::None},
       IDOK,
       MsgAnswer::Ok,
       {L"OK"},
       nullptr},
      {{u"Use it?", u"Add to Favorite", MsgButtons::YesNo, MsgIcon::None},
       IDNO,
       MsgAnswer::No,
       {L"&Yes", L"&No"},
       nullptr},
      {{u"Sure?", u"Q", MsgButtons::YesNo, MsgIcon::Question},
       IDYES,
       MsgAnswer::Yes,
       {L"&Yes", L"&No"},
       IDI_QUESTION},
      {{u"Gone", u"E", MsgButtons::OkCancel, MsgIcon::Critical},
       IDCANCEL,
       MsgAnswer::Cancel,
       {L"OK", L"Cancel"},
       IDI_HAND},
      {{u"Note", u"I", MsgButtons::Ok, MsgIcon::Information},
       IDOK,
       MsgAnswer::Ok,
       {L"OK"},
       IDI_ASTERISK},
      {{u"Careful", u"W", MsgButtons::YesNoCancel, MsgIcon::Exclamation},
       IDCANCEL,
       MsgAnswer::Cancel,
       {L"&Yes", L"&No", L"Cancel"},
       IDI_EXCLAMATION},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(narrow(c.request.text));
    const std::wstring title(c.request.title.begin(), c.request.title.end());
    MsgAnswer answer{};
    const SeenMessageBox box =
        asUser([&](UiDriver& user) { return user.answerMessageBox(title, c.press); },
               [&] { answer = boxes.show(c.request); });
    EXPECT_EQ(answer, c.answer);
    EXPECT_EQ(asText(box.text), c.request.text);
    EXPECT_EQ(box.buttons, c.buttons);
    EXPECT_EQ(box.icon, c.icon ? LoadIconW(nullptr, c.icon) : nullptr);
  }
}

TEST(CommonDialogs, OpenFileReturnsThePathAndTheNameOrNothing) {
  const fs::path folder = fs::temp_directory_path() / L"velmo-open-test";
  fs::create_directories(folder);
  const fs::path picture = folder / L"sunrise.gif";
  std::ofstream(picture) << "GIF89a";
  Win32OpenFileDialog dialog;
  std::optional<ChosenFile> chosen;
  asUser([&](UiDriver& user) { user.answerOpenFile(picture.wstring()); },
         [&] { chosen = dialog.showOpen(u"GIF pictures |*.gif|JPEG pictures |*.jpg"); });
  ASSERT_TRUE(chosen);
  EXPECT_TRUE(fs::equivalent(fs::path(chosen->fullPath), picture)) << narrow(chosen->fullPath);
  EXPECT_EQ(chosen->fileTitle, u"sunrise.gif");

  asUser([](UiDriver& user) { user.answerOpenFile(std::nullopt); },
         [&] { chosen = dialog.showOpen(u"GIF pictures |*.gif"); });
  EXPECT_FALSE(chosen);
  fs::remove_all(folder);
}

TEST(CommonDialogs, ColourChooserReturnsTheColourOrNothing) {
  Win32ColourChooser chooser;
  std::optional<std::uint32_t> chosen;
  asUser([](UiDriver& user) { user.answerColour(RGB(0x12, 0x34, 0x56)); },
         [&] { chosen = chooser.showColor(0); });
  EXPECT_EQ(chosen, std::optional<std::uint32_t>(0x563412));
  asUser([](UiDriver& user) { user.answerColour(std::nullopt); },
         [&] { chosen = chooser.showColor(0); });
  EXPECT_FALSE(chosen);
}

TEST(Conversions, FiltersAndTwips) {
  EXPECT_EQ(openFileFilter(u"GIF pictures |*.gif|JPEG pictures |*.jpg"),
            std::wstring(L"GIF pictures \0*.gif\0JPEG pictures \0*.jpg\0\0", 42));
  const struct {
    int twips, dpi, pixels;
  } cases[] = {{4680, 96, 312}, {1365, 96, 91},   {15, 96, 1},    {7, 96, 0},
               {8, 96, 1},      {1440, 120, 120}, {975, 144, 98}, {0, 96, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(twipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " at " << c.dpi;
  }
  EXPECT_EQ(pixelsToTwips(13, 96), 195);
}

TEST(Fonts, AMissingFaceFallsBackToAnInstalledOne) {
  EXPECT_EQ(installedFace(u"Tahoma"), L"Tahoma");
  const std::wstring fallback = installedFace(u"No Such Face At All");
  EXPECT_FALSE(fallback.empty());
  EXPECT_EQ(installedFace(std::u16string(fallback.begin(), fallback.end())), fallback);
  const LOGFONTW bold = logFont({.name = u"Tahoma", .points = 12, .bold = true}, 96);
  EXPECT_EQ(bold.lfHeight, -16);
  EXPECT_EQ(bold.lfWeight, FW_BOLD);
}

TEST(TextMeasurer, LinesAddUpAndLongerTextIsWider) {
  GdiTextMeasurer measurer;
  const forms::Font font{.name = u"MS Sans Serif", .points = 9.75};
  const TextExtent one = measurer.measure(u"Lumtrace Home Page", font);
  const TextExtent two = measurer.measure(u"Lumtrace\r\nLumtrace Home Page", font);
  EXPECT_GT(one.width, 0);
  EXPECT_EQ(two.width, one.width);
  EXPECT_EQ(two.height, 2 * one.height);
  EXPECT_GT(measurer.measure(u"Lumtrace Home Page and more", font).width, one.width);
  EXPECT_EQ(measurer.measure(u"", font).height, one.height);
}

TEST(FileProbe, ReadableFilesOnly) {
  Win32FileProbe probe;
  const fs::path folder = fs::temp_directory_path() / L"velmo-probe-test";
  fs::create_directories(folder);
  std::ofstream(folder / L"here.chm") << "x";
  EXPECT_TRUE(probe.canOpenForReading(asText((folder / L"here.chm").wstring())));
  EXPECT_FALSE(probe.canOpenForReading(asText((folder / L"missing.chm").wstring())));
  EXPECT_FALSE(probe.canOpenForReading(asText(folder.wstring())));
  fs::remove_all(folder);
}

}  // namespace
}  // namespace velmo::win::test
