#pragma once
// Short paths through the editor's object model that several commands walk. Each call fetches
// every object anew.

#include <memory>
#include <string>

#include "core/page_host/page_host.h"

namespace velmo {

// The document of the editor's active page window ("ActivePageWindow", then "Document").
std::unique_ptr<Document> activePageWindowDocument(PageHost& host);

// Item 0 of tags(tagName) on the document's `all` collection; HostError when there is none.
std::unique_ptr<Element> headElement(Document& document, std::u16string_view tagName = u"HEAD");

// Pastes html at the selection's text range of the active page window's document: replaces the
// selection, or goes in at the caret when nothing is selected.
void pasteAtSelection(PageHost& host, const std::u16string& html);

}  // namespace velmo
