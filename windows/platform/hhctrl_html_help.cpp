#include "windows/platform/hhctrl_html_help.h"

#include "windows/platform/win_text.h"
#include "windows/platform/window_handle.h"

namespace velmo::win {
namespace {

// HH_FTS_QUERY with its strings as UTF-16, whatever the build's TCHAR.
struct WideFtsQuery {
  int cbStruct;
  BOOL fUniCodeStrings;
  LPCWSTR pszSearchQuery;
  LONG iProximity;
  BOOL fStemmedSearch;
  BOOL fTitleOnly;
  BOOL fExecute;
  LPCWSTR pszWindow;
};

}  // namespace

HhctrlHtmlHelp::HtmlHelpWFunction HhctrlHtmlHelp::entry() {
  if (htmlHelpW_) return htmlHelpW_;
  // Pinned: help windows live on after the library lets go of them (a posted close is handled
  // later), so hhctrl.ocx must stay loaded for the life of the process.
  HMODULE module = nullptr;
  if (!LoadLibraryW(L"hhctrl.ocx") ||
      !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN, L"hhctrl.ocx", &module)) {
    throw lastWin32Error(u"HTML Help (hhctrl.ocx) cannot be loaded");
  }
  htmlHelpW_ = reinterpret_cast<HtmlHelpWFunction>(
      reinterpret_cast<void*>(GetProcAddress(module, "HtmlHelpW")));
  if (!htmlHelpW_) throw lastWin32Error(u"hhctrl.ocx has no HtmlHelpW");
  return htmlHelpW_;
}

WindowHandle HhctrlHtmlHelp::show(WindowHandle parent, const std::u16string& helpFile,
                                  HelpCommand command, const HelpData& data) {
  const HtmlHelpWFunction htmlHelp = entry();
  const std::wstring file = wide(helpFile);
  HWND window = nullptr;
  if (const auto* query = std::get_if<HelpSearchQuery>(&data)) {
    // The wide entry takes the record's strings as UTF-16, which the record then says.
    const std::wstring searchQuery = wide(utf8ToUtf16(query->searchQuery));
    const std::wstring windowName = wide(utf8ToUtf16(query->window));
    WideFtsQuery record{};
    record.cbStruct = sizeof(record);
    record.fUniCodeStrings = TRUE;
    record.pszSearchQuery = searchQuery.c_str();
    record.iProximity = query->proximity;
    record.fStemmedSearch = query->stemmedSearch;
    record.fTitleOnly = query->titleOnly;
    record.fExecute = query->execute;
    record.pszWindow = windowName.c_str();
    window = htmlHelp(toHwnd(parent), file.c_str(), static_cast<UINT>(command),
                      reinterpret_cast<DWORD_PTR>(&record));
  } else {
    window = htmlHelp(toHwnd(parent), file.c_str(), static_cast<UINT>(command),
                      static_cast<DWORD_PTR>(std::get<std::uint32_t>(data)));
  }
  return toWindowHandle(window);
}

bool HhctrlHtmlHelp::isWindow(WindowHandle window) {
  return IsWindow(toHwnd(window)) != FALSE;
}

void HhctrlHtmlHelp::postClose(WindowHandle window) {
  PostMessageW(toHwnd(window), WM_CLOSE, 0, 0);
}

}  // namespace velmo::win
