#include "windows/platform/win32_common_dialogs.h"

#include <windows.h>

#include <commdlg.h>

#include <vector>

#include "windows/platform/win_text.h"

namespace velmo::win {
namespace {

// Room for a long path (\\?\ form); the dialog reports a buffer too small as an error.
constexpr std::size_t kPathRoom = 32768;

HostError dialogError(DWORD code) {
  return HostError(static_cast<std::int32_t>(E_FAIL),
                   u"The common dialog failed (error " + utf8ToUtf16(std::to_string(code)) + u")");
}

}  // namespace

std::wstring openFileFilter(std::u16string_view filter) {
  std::wstring result = wide(filter);
  for (wchar_t& c : result) {
    if (c == L'|') c = L'\0';
  }
  result.push_back(L'\0');
  result.push_back(L'\0');
  return result;
}

std::optional<ChosenFile> Win32OpenFileDialog::showOpen(const std::u16string& filter) {
  const std::wstring filters = openFileFilter(filter);
  std::vector<wchar_t> path(kPathRoom, L'\0');
  std::vector<wchar_t> title(kPathRoom, L'\0');
  OPENFILENAMEW request{};
  request.lStructSize = sizeof(request);
  request.hwndOwner = GetActiveWindow();
  request.lpstrFilter = filters.c_str();
  request.nFilterIndex = 1;
  request.lpstrFile = path.data();
  request.nMaxFile = static_cast<DWORD>(path.size());
  request.lpstrFileTitle = title.data();
  request.nMaxFileTitle = static_cast<DWORD>(title.size());
  request.Flags =
      OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameW(&request)) {
    const DWORD code = CommDlgExtendedError();
    if (code == 0) return std::nullopt;  // cancelled
    throw dialogError(code);
  }
  return ChosenFile{utf16(path.data()), utf16(title.data())};
}

std::optional<std::uint32_t> Win32ColourChooser::showColor(std::uint32_t start) {
  static_assert(sizeof(COLORREF) == sizeof(std::uint32_t));
  CHOOSECOLORW request{};
  request.lStructSize = sizeof(request);
  request.hwndOwner = GetActiveWindow();
  request.rgbResult = start;
  request.lpCustColors = reinterpret_cast<COLORREF*>(customColours_.data());
  request.Flags = 0;
  if (!ChooseColorW(&request)) {
    const DWORD code = CommDlgExtendedError();
    if (code == 0) return std::nullopt;
    throw dialogError(code);
  }
  return request.rgbResult;
}

}  // namespace velmo::win
