#include "core/page_host/head_script.h"

#include "core/common/text.h"
#include "core/page_host/page_access.h"

namespace velmo {

bool headHasName(PageHost& host, const std::u16string& name) {
  auto document = activePageWindowDocument(host);
  const std::u16string inner = headElement(*document)->innerHTML();
  return findIgnoreAsciiCase(inner, u"\"" + name + u"\"") != std::u16string::npos;
}

void addHeadScript(PageHost& host, const std::u16string& text, const std::u16string& name) {
  auto document = requireObject(host.activeDocument(), u"The active page");
  auto head = headElement(*document);
  if (headHasName(host, name)) return;
  head->setInnerHTML(head->innerHTML() + text);
}

}  // namespace velmo
