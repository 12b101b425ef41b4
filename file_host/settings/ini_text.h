#pragma once
// Reading and changing one value in the text of an INI file, leaving every other line as it is.
//
// Sections are `[name]` lines, values `key=value` lines; lines starting with `;` or `#` are
// comments. Section names and keys compare ignoring ASCII case. Names and values are stored
// with backslash escapes (`\\`, `\r`, `\n`, `\uXXXX` for a lone surrogate, and a backslash before
// a `=` or a leading `[`, `;`, `#` of a key), so that every text comes back exactly.

#include <optional>
#include <string>
#include <string_view>

namespace velmo::file_host {

// The value of the first `key` in the first section `section` that has it.
std::optional<std::u16string> iniValue(std::u16string_view text, std::u16string_view section,
                                       std::u16string_view key);

// The text with that value set: the key's line is rewritten in place, a new key goes after the
// last entry of its section, a new section at the end. Uses the text's line break (LF if none).
std::u16string withIniValue(std::u16string_view text, std::u16string_view section,
                            std::u16string_view key, std::u16string_view value);

}  // namespace velmo::file_host
