#pragma once
// HTML's named character references, generated at build time from the list the HTML standard
// gives (file_host/html/generate_character_references.py).

#include <span>
#include <string_view>

namespace velmo::file_host::html {

struct NamedReference {
  std::string_view name;  // as written after '&': with its ';', or without it for a legacy name
  std::string_view text;  // UTF-8
};

// Sorted by name.
extern const std::span<const NamedReference> kNamedReferences;

}  // namespace velmo::file_host::html
