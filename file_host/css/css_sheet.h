#pragma once
// The top level of a style sheet: its style rules, and what the text leaves open at its end.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "file_host/css/css_text.h"

namespace velmo::file_host::css::detail {

struct SheetScan {
  std::vector<Rule> rules;
  // Text that closes whatever the sheet leaves open at its end (a comment, a string, blocks, a
  // rule prelude without its block, an at-rule without its `;`), so that text appended after it
  // starts at the top level. Empty for a well-formed sheet.
  std::string closer;
  // Where the sheet's content ends: the start of a trailing `-->` marker (so that new rules stay
  // inside the HTML comment that hides the sheet from old browsers), else the end of the text.
  std::size_t contentEnd = 0;
};

SheetScan scanSheet(std::string_view sheet);

}  // namespace velmo::file_host::css::detail
