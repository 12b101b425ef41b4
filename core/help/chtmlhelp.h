#pragma once
// CHTMLHelp: opens the library's help file on its contents, index, search page or one topic, and
// closes the help window it opened (also when it is destroyed).

#include <cstdint>
#include <string>

#include "core/forms/message_box.h"
#include "core/platform/desktop.h"
#include "core/platform/html_help.h"

namespace velmo {

// The help file's name, beside the library file on Windows and beside velmo on Linux.
inline constexpr std::u16string_view kHelpFileName = u"helptest.chm";

// `folder`, the platform's separator, and the help file's name. No check for a separator
// already at the end of `folder` is made.
std::u16string helpFileIn(const std::u16string& folder, char16_t separator);

class CHTMLHelp {
 public:
  CHTMLHelp(HtmlHelpApi& help, FileProbe& files, MessageBoxes& messages, std::u16string helpFile);
  ~CHTMLHelp();
  CHTMLHelp(const CHTMLHelp&) = delete;
  CHTMLHelp& operator=(const CHTMLHelp&) = delete;

  void ShowContents(WindowHandle hWndParent);
  void ShowIndex(WindowHandle hWndParent);
  void ShowSearch(WindowHandle hWndParent);
  // Posts a close to the remembered window only while it still exists; forgets it in any case.
  void CloseHelpWindow();
  // True when the name, without leading and trailing spaces, is a file that can be read.
  bool FileExist(const std::u16string& sFileName);
  void ShowTopic(const std::int16_t& TopicID, WindowHandle hWndParent);

  const std::u16string& helpFile() const { return m_sHelpFile; }
  WindowHandle helpWindow() const { return m_hWndHelp; }

 private:
  void show(WindowHandle hWndParent, HelpCommand command, const HelpData& data);

  HtmlHelpApi& help_;
  FileProbe& files_;
  MessageBoxes& messages_;
  std::u16string m_sHelpFile;
  WindowHandle m_hWndHelp = 0;
};

}  // namespace velmo
