#pragma once
// Where an offset of page source stands in the page's markup, for placing a caret or selection
// where pasted text stays text: between tags, in character data, never inside a tag, a comment,
// a server block or the text of a raw-text element.

#include <cstddef>
#include <string>
#include <string_view>

#include "file_host/html/template_syntax.h"

namespace velmo::file_host {

struct MarkupPlace {
  enum class Kind {
    Outside,  // at a token boundary or in character data
    Tag,
    Comment,
    WebbotComment,
    Doctype,
    ServerBlock,
    RawText,  // the content of a script, style, title, textarea ... element
  } kind = Kind::Outside;
  std::string element;  // RawText: the element's name, as written
};

// The places of `begin` and `end` (begin <= end) in the UTF-8 page source, found in one pass of
// the page scanner from the page's start, so that an element's content is raw text where the
// tree rules make it so (not inside <select>, SVG or MathML). An offset at the very start or end of
// a raw-text element's content is inside it, since text put there becomes part of it; so is the end
// of a token that the end of the page leaves open.
struct MarkupPlaces {
  MarkupPlace begin, end;
};
MarkupPlaces markupPlaces(const std::string& source, std::size_t begin, std::size_t end,
                          html::TemplateSyntax syntax = html::TemplateSyntax::None);

// "a tag", "a comment", ..., "the text of a <script> element".
std::u16string describe(const MarkupPlace& place);

}  // namespace velmo::file_host
