// Shows every dialog of the library, one after the other, for tools/screenshots.sh to take a
// picture of each: the command runs on this thread as in the editor, and a user thread waits
// for the dialog, writes FOLDER\NAME.ready with the window's place on the screen
// ("x y width height"), waits until the script has taken the picture and removed the file, and
// closes the dialog with its close box.
//
//   velmo_dialog_gallery.exe FOLDER PAGE
//
// PAGE is opened in the stand-in editor first (its folder is the site).

#include <windows.h>

#include <VelmoCls_h.h>

#include <filesystem>
#include <fstream>
#include <iostream>

#include "tests/win/ui_driver.h"
#include "tests/win/win_test_support.h"

namespace velmo::win::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct Dialog {
  const wchar_t* name;
  const wchar_t* caption;
  HRESULT (STDMETHODCALLTYPE _clstestt::*command)();
};

constexpr Dialog kDialogs[] = {
    {L"frmDate", L"Velmo- Current Date", &_clstestt::CurDate},
    {L"frmstyletest", L"Velmo - Scrollbar color", &_clstestt::style},
    {L"frmAddToFavor2", L"Velmo - Add To Favorite", &_clstestt::addtofavor},
    {L"frmSlide", L"Velmo - Slide Show", &_clstestt::slide},
    {L"frmAds", L"Offers", &_clstestt::ads},
};

void photograph(UiDriver& user, const Dialog& dialog, const fs::path& folder) {
  HWND window = user.waitForWindow(dialog.caption);
  // Time to paint, including the frame that the desktop draws.
  std::this_thread::sleep_for(500ms);
  RECT rect;
  GetWindowRect(window, &rect);
  const fs::path ready = folder / (std::wstring(dialog.name) + L".ready");
  // Written aside and renamed, so that the script never reads half a line.
  const fs::path part = folder / (std::wstring(dialog.name) + L".part");
  {
    std::ofstream out(part);
    out << rect.left << ' ' << rect.top << ' ' << rect.right - rect.left << ' '
        << rect.bottom - rect.top << '\n';
  }
  fs::rename(part, ready);
  for (int waited = 0; fs::exists(ready); ++waited) {
    if (waited > 600) throw std::runtime_error("no picture was taken");
    std::this_thread::sleep_for(50ms);
  }
  user.closeBox(window);
  user.waitUntilGone(window);
}

int run(const fs::path& folder, const std::wstring& page) {
  auto editor = createByProgId(L"FrontPage.Application");
  ComPtr<_clstestt> command;
  if (!editor || FAILED(CoCreateInstance(CLSID_clstestt, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_PPV_ARGS(&command)))) {
    std::cerr << "dialog gallery: the stand-in editor or VelmoCls is not registered\n";
    return 1;
  }
  LateBound(editor).call(u"OpenPage", {Variant::text(asText(page))});
  int failures = 0;
  for (const Dialog& dialog : kDialogs) {
    try {
      asUser([&](UiDriver& user) { photograph(user, dialog, folder); },
             [&] {
               ((*command.Get()).*dialog.command)();
               pumpWhileOpen(dialog.caption);
             });
    } catch (const std::exception& error) {
      std::cerr << "dialog gallery: " << narrow(asText(dialog.name)) << ": " << error.what()
                << '\n';
      ++failures;
    }
  }
  LateBound(editor).call(u"ClosePage");
  return failures == 0 ? 0 : 1;
}

}  // namespace
}  // namespace velmo::win::test

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::cerr << "usage: velmo_dialog_gallery FOLDER PAGE\n";
    return 2;
  }
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
  const int status = velmo::win::test::run(argv[1], argv[2]);
  CoUninitialize();
  return status;
}
