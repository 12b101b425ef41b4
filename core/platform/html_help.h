#pragma once
// The HTML Help API: open a help file on its contents, index, search page or a topic, and close
// the window it opened.

#include <cstdint>
#include <string>
#include <variant>

namespace velmo {

// A 32-bit window handle; 0 is no window.
using WindowHandle = std::uint32_t;

enum class HelpCommand : std::uint32_t {
  DisplayToc = 0x0001,
  DisplayIndex = 0x0002,
  DisplaySearch = 0x0003,
  HelpContext = 0x000F,
};

// The full-text search record, with the strings passed as ANSI.
struct HelpSearchQuery {
  std::int32_t cbStruct = 32;
  bool unicodeStrings = false;
  std::string searchQuery;
  std::int32_t proximity = 0;
  bool stemmedSearch = false;
  bool titleOnly = false;
  bool execute = true;
  std::string window;
  bool operator==(const HelpSearchQuery&) const = default;
};

// A number (context id, or 0) or the search record.
using HelpData = std::variant<std::uint32_t, HelpSearchQuery>;

class HtmlHelpApi {
 public:
  virtual ~HtmlHelpApi() = default;
  // The help window, or 0 when nothing could be shown (missing file, unknown context id).
  virtual WindowHandle show(WindowHandle parent, const std::u16string& helpFile,
                            HelpCommand command, const HelpData& data) = 0;
  virtual bool isWindow(WindowHandle window) = 0;
  // Posts WM_CLOSE with both parameters 0 and returns at once.
  virtual void postClose(WindowHandle window) = 0;
};

}  // namespace velmo
