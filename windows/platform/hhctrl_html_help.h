#pragma once
// HTML Help through hhctrl.ocx, loaded on first use. The wide entry point HtmlHelpW is used, so
// that a help file in a folder whose name the ANSI code page cannot spell still opens.

#include <windows.h>

#include "core/platform/html_help.h"

namespace velmo::win {

class HhctrlHtmlHelp : public HtmlHelpApi {
 public:
  WindowHandle show(WindowHandle parent, const std::u16string& helpFile, HelpCommand command,
                    const HelpData& data) override;
  bool isWindow(WindowHandle window) override;
  void postClose(WindowHandle window) override;

 private:
  using HtmlHelpWFunction = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);
  HtmlHelpWFunction entry();

  HtmlHelpWFunction htmlHelpW_ = nullptr;
};

}  // namespace velmo::win
