#pragma once
// A declaration's value apart from its importance. CSS reads a trailing `!` and `important` (in
// any ASCII case, with white space or comments around and between them) as a flag of the
// declaration, not as part of its value: `color: red ! /* x */ IMPORTANT` has the value `red`.

#include <string_view>

#include "file_host/css/css_text.h"

namespace velmo::file_host::css::detail {

struct ValueParts {
  Span value;       // without the importance, trimmed of white space and comments
  Span importance;  // from the `!` through `important`; empty (at value.end) when there is none
  bool important() const { return importance.end > importance.begin; }
};

// Splits text[span.begin, span.end), a declaration's value as written.
ValueParts splitImportance(std::string_view text, Span span);

}  // namespace velmo::file_host::css::detail
