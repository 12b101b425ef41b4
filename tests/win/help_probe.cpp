// Opens helptest.chm from the folder of the DLL registered for VelmoCls.clstestt in this
// process's registry view, where the DLL's Help buttons look for it, and prints the file's path.
// Exit status 0 when HTML Help showed a window for it, 1 otherwise. The installer package tests
// run it against an installed package.

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "windows/com/registry_table.h"

namespace {

struct LibraryRelease {
  void operator()(HMODULE module) const { FreeLibrary(module); }
};

std::wstring registeredServer() {
  CLSID clsid;
  if (FAILED(CLSIDFromProgID(L"VelmoCls.clstestt", &clsid))) return {};
  const std::wstring key = L"CLSID\\" + velmo::win::guidText(clsid) + L"\\InprocServer32";
  wchar_t path[MAX_PATH * 2];
  DWORD size = sizeof path;
  if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, path, &size) !=
      ERROR_SUCCESS) {
    return {};
  }
  return path;
}

}  // namespace

int wmain() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const std::wstring server = registeredServer();
  if (server.empty()) {
    std::fputs("FAIL: VelmoCls.clstestt is not registered\n", stdout);
    return 1;
  }
  const std::wstring file = server.substr(0, server.find_last_of(L'\\') + 1) + L"helptest.chm";
  std::printf("%ls\n", file.c_str());
  const std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryRelease> hhctrl(
      LoadLibraryW(L"hhctrl.ocx"));
  using HtmlHelpFunction = HWND(WINAPI*)(HWND, const wchar_t*, UINT, DWORD_PTR);
  const auto htmlHelp = hhctrl ? reinterpret_cast<HtmlHelpFunction>(reinterpret_cast<void*>(
                                     GetProcAddress(hhctrl.get(), "HtmlHelpW")))
                               : nullptr;
  constexpr UINT kDisplayToc = 0x0001;
  constexpr UINT kCloseAll = 0x0012;
  const HWND window =
      htmlHelp ? htmlHelp(GetDesktopWindow(), file.c_str(), kDisplayToc, 0) : nullptr;
  if (window == nullptr) {
    std::fputs("FAIL: HTML Help opened no window for it\n", stdout);
    return 1;
  }
  htmlHelp(nullptr, nullptr, kCloseAll, 0);
  CoUninitialize();
  return 0;
}
