#pragma once
// JSON text for --json.

#include <string>
#include <string_view>

namespace velmo::cli {

// `text` as a JSON string, quotes included. Bytes that are not UTF-8 (a path or a page in a
// legacy encoding) become U+FFFD, so the document stays valid.
std::string jsonString(std::string_view text);

}  // namespace velmo::cli
