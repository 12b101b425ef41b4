#pragma once
// The one writer of velmo's JSON documents (--json), built on nlohmann::json.

#include <string>

#include <nlohmann/json.hpp>

namespace velmo::cli {

// `document` as compact JSON text. Bytes that are not UTF-8 in a string (a page's output or diff
// in a legacy encoding) become U+FFFD, so the text is always valid JSON; names are shown by
// shownName (core/common/shown_name.h) before they get here, and so stay readable back.
std::string jsonText(const nlohmann::ordered_json& document);

}  // namespace velmo::cli
