#include "cli/run/replace_blocks.h"

#include "core/common/text.h"
#include "core/page_host/page_access.h"
#include "features/slideshow/slide_show.h"

namespace velmo::cli {
namespace {

std::unique_ptr<Element> head(file_host::FileHost& host) {
  auto document = requireObject(host.activeDocument(), u"The active page");
  return headElement(*document);
}

}  // namespace

void addReplaceOption(CLI::App& command, PageOptions& options, const std::string& what) {
  command.add_flag("--replace", options.replace,
                   "Replace " + what +
                       " the page holds already instead of adding another "
                       "(without one, paste at the selection)");
}

void addOnceOption(CLI::App& command, PageOptions& options) {
  command.add_flag("--once", options.once,
                   "Add the script only when the HEAD does not hold the same script already");
}

void selectBlockToReplace(file_host::FileHost& host, std::u16string_view botName) {
  host.selectWebbotBlock(botName);
}

void prepareSlideShowReplace(file_host::FileHost& host) {
  auto element = head(host);
  std::u16string inner = element->innerHTML();
  const std::size_t name =
      findIgnoreAsciiCase(inner, u"\"" + std::u16string(kSlideScriptName) + u"\"");
  if (name != std::u16string::npos) {
    // The viewer script as the slide show writes it: from its start tag to its end tag and the
    // line break after it.
    const std::size_t begin = inner.rfind(u"<script", name);
    const std::size_t close = findIgnoreAsciiCase(inner, u"</script>", name);
    if (begin != std::u16string::npos && close != std::u16string::npos) {
      std::size_t end = close + 9;
      if (inner.compare(end, 2, u"\r\n") == 0) end += 2;
      inner.erase(begin, end - begin);
      element->setInnerHTML(inner);
    }
  }
  // A table inside a comment or a script is no show of the page's: the new one goes to the
  // selection then.
  try {
    host.select(slideTable(), file_host::SelectMode::Select);
  } catch (const HostError&) {
  }
}

bool headHolds(file_host::FileHost& host, std::u16string_view block) {
  // As written, escapes included: a block the page's encoding needed escapes for is still found.
  return head(host)->innerHTML().find(host.asWritten(block)) != std::u16string::npos;
}

}  // namespace velmo::cli
