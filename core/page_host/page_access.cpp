#include "core/page_host/page_access.h"

namespace velmo {

std::unique_ptr<Document> activePageWindowDocument(PageHost& host) {
  auto window = requireObject(host.activePageWindow(), u"The active page window");
  return requireObject(window->document(), u"The page window's document");
}

std::unique_ptr<Element> headElement(Document& document, std::u16string_view tagName) {
  auto all = requireObject(document.all(), u"The page's element collection");
  auto heads = requireObject(all->tags(std::u16string(tagName)), u"The page's HEAD collection");
  return requireObject(heads->item(0), u"The page's HEAD element");
}

void pasteAtSelection(PageHost& host, const std::u16string& html) {
  auto document = activePageWindowDocument(host);
  auto selection = requireObject(document->selection(), u"The page's selection");
  auto range = requireObject(selection->createRange(), u"The selection's text range");
  range->pasteHTML(html);
}

}  // namespace velmo
