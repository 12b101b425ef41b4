#pragma once
// Pieces shared by the Document objects over an HtmlPage.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/page_host/page_host.h"

namespace velmo::file_host {

class HtmlPage;
class PageCodec;

// The document's element collection, the webbot collection and the style sheets.
std::unique_ptr<ElementCollection> makeAllElements(HtmlPage& page);
std::unique_ptr<ElementCollection> makeWebbots(HtmlPage& page);
std::unique_ptr<StyleSheets> makeStyleSheets(HtmlPage& page);

// A tag name or attribute name from the core, lower-cased for comparing without ASCII case.
std::string lowerAsciiName(std::u16string_view name);

// The attribute of a tag given from its "<", with character references decoded.
std::optional<std::u16string> tagAttribute(const PageCodec& codec, std::string_view tag,
                                           std::u16string_view name);

// What an object denoted is no longer in the page (an edit removed it).
[[noreturn]] void throwGone(std::u16string_view what);

}  // namespace velmo::file_host
