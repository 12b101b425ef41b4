#pragma once
// Which pages the help windows of this process open. HTML Help shows a compiled help file's
// page by its "mk:@MSITStore:FILE::/PAGE" address; while a recorder lives, those addresses come
// to it instead of their usual handler, so a test sees the topic a help window went to even
// where no page can be drawn. The window then shows no page.

#include <windows.h>

#include <urlmon.h>
#include <wrl/client.h>

#include <string>
#include <vector>

namespace velmo::win::test {

class HelpPageRecorder {
 public:
  HelpPageRecorder();
  ~HelpPageRecorder();
  HelpPageRecorder(const HelpPageRecorder&) = delete;
  HelpPageRecorder& operator=(const HelpPageRecorder&) = delete;

  // The pages asked for since the recorder was made, as their paths inside the help file
  // ("scrollbar_colours.htm"), oldest first.
  std::vector<std::wstring> pages() const;

 private:
  Microsoft::WRL::ComPtr<IInternetSession> session_;
  Microsoft::WRL::ComPtr<IClassFactory> factory_;
};

}  // namespace velmo::win::test
