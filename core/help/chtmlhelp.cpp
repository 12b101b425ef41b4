#include "core/help/chtmlhelp.h"

namespace velmo {

std::u16string helpFileIn(const std::u16string& folder, char16_t separator) {
  return folder + separator + std::u16string(kHelpFileName);
}

CHTMLHelp::CHTMLHelp(HtmlHelpApi& help, FileProbe& files, MessageBoxes& messages,
                     std::u16string helpFile)
    : help_(help), files_(files), messages_(messages), m_sHelpFile(std::move(helpFile)) {}

CHTMLHelp::~CHTMLHelp() {
  CloseHelpWindow();
}

void CHTMLHelp::ShowContents(WindowHandle hWndParent) {
  show(hWndParent, HelpCommand::DisplayToc, std::uint32_t{0});
}

void CHTMLHelp::ShowIndex(WindowHandle hWndParent) {
  show(hWndParent, HelpCommand::DisplayIndex, std::uint32_t{0});
}

void CHTMLHelp::ShowSearch(WindowHandle hWndParent) {
  show(hWndParent, HelpCommand::DisplaySearch, HelpSearchQuery{});
}

void CHTMLHelp::ShowTopic(const std::int16_t& TopicID, WindowHandle hWndParent) {
  // Sign-extended: topic -1 goes out as 0xFFFFFFFF.
  const auto contextId = static_cast<std::uint32_t>(static_cast<std::int32_t>(TopicID));
  show(hWndParent, HelpCommand::HelpContext, contextId);
}

void CHTMLHelp::show(WindowHandle hWndParent, HelpCommand command, const HelpData& data) {
  if (!FileExist(m_sHelpFile)) {
    msgBox(messages_, u"Help File '" + m_sHelpFile + u"' not found.", MsgButtons::Ok,
           MsgIcon::Information);
    return;
  }
  // Whatever comes back replaces the remembered window, 0 included.
  m_hWndHelp = help_.show(hWndParent, m_sHelpFile, command, data);
}

void CHTMLHelp::CloseHelpWindow() {
  if (m_hWndHelp != 0 && help_.isWindow(m_hWndHelp)) help_.postClose(m_hWndHelp);
  m_hWndHelp = 0;
}

bool CHTMLHelp::FileExist(const std::u16string& sFileName) {
  const auto first = sFileName.find_first_not_of(u' ');
  if (first == std::u16string::npos) return false;
  const auto last = sFileName.find_last_not_of(u' ');
  // Any failure of the test counts as a missing file.
  try {
    return files_.canOpenForReading(sFileName.substr(first, last - first + 1));
  } catch (...) {
    return false;
  }
}

}  // namespace velmo
