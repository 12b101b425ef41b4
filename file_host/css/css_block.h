#pragma once
// The inside of a style rule's block, cut into its top-level parts: declarations, nested rules
// and stray comments.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "file_host/css/css_text.h"

namespace velmo::file_host::css::detail {

// One part of a block: the text after the previous part up to its own `;`, or through the
// closing brace of a nested rule, or to the end of the block.
struct Part {
  std::size_t begin = 0;         // just after the previous part
  std::size_t contentBegin = 0;  // first byte that is not white space (a comment counts)
  std::size_t contentEnd = 0;    // end of the last token that is not white space
  std::size_t end = 0;           // the `;` when there is one, else the end of the part
  std::size_t appendAt = 0;      // where text may follow the content without joining it
  bool semicolon = false;
  bool onlyComments = true;
  bool hasBlock = false;  // holds a `{...}` at its top level: a nested rule, not a declaration
  bool declaration = false;
  Span name;        // trimmed of white space and comments
  Span value;       // likewise, without the importance; empty (begin == end) when there is none
  Span importance;  // `!important` as written; empty (at value.end) when there is none
  bool important() const { return importance.end > importance.begin; }
};

struct BlockScan {
  std::vector<Part> parts;  // only parts with content
  // Closes what the block leaves open at its end; empty unless the rule is unterminated.
  std::string closer;
};

BlockScan scanBlock(std::string_view sheet, Span block);

}  // namespace velmo::file_host::css::detail
