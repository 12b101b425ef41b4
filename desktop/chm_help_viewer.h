#pragma once
// The HTML Help API on Linux: reads the help file with libchm and shows a topic's text on the
// terminal, or extracts the pages and opens the topic in the desktop's browser.

#include <filesystem>
#include <functional>
#include <ostream>

#include "core/platform/html_help.h"

namespace velmo::desktop {

class ChmArchive;

enum class HelpPresentation {
  Terminal,  // the text on the output stream
  Browser,   // the page opened with the desktop's opener
};

class ChmHelpViewer : public HtmlHelpApi {
 public:
  // Opens a file with the desktop's program for it; false when that failed.
  using Opener = std::function<bool(const std::filesystem::path&)>;

  // Pages for the browser go below `extractFolder`, made private (private_folder.h) together
  // with the `privateLevels` - 1 folders above it.
  ChmHelpViewer(std::ostream& out, std::ostream& err, HelpPresentation presentation, Opener opener,
                std::filesystem::path extractFolder, int privateLevels = 1);

  // The browser when the user sees a desktop (hasDisplay) and `textOnly` is false, opened by
  // openInBrowser; pages are extracted into the user's help cache, which outlives velmo as long
  // as the browser needs it.
  static ChmHelpViewer forThisSession(std::ostream& out, std::ostream& err, bool textOnly);

  // Every shown topic gets a new handle. The viewer owns no windows: a browser window is the
  // browser's, so no handle is ever a live window and a close is never needed.
  WindowHandle show(WindowHandle parent, const std::u16string& helpFile, HelpCommand command,
                    const HelpData& data) override;
  bool isWindow(WindowHandle) override { return false; }
  void postClose(WindowHandle) override {}

 private:
  WindowHandle showFrom(const std::filesystem::path& file, HelpCommand command,
                        const HelpData& data);
  // The topic's extracted page.
  std::filesystem::path extract(ChmArchive& archive, const std::filesystem::path& file,
                                const std::string& topic);

  std::ostream& out_;
  std::ostream& err_;
  HelpPresentation presentation_;
  Opener opener_;
  std::filesystem::path extractFolder_;
  int privateLevels_;
  WindowHandle lastHandle_ = 0;
};

// The halves each system gives (help_session.cpp): whether the user sees a desktop a browser can
// show on (DISPLAY or WAYLAND_DISPLAY on Linux, a visible window station on Windows), and the
// opening of a page in the user's browser (xdg-open, waited for; the shell's "open"). True when
// it succeeded.
bool hasDisplay();
bool openInBrowser(const std::filesystem::path& file);

}  // namespace velmo::desktop
