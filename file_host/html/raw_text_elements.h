#pragma once
// The elements whose start tag switches the tokenizer to reading their content as text, and how
// it reads it. The tokenizer, the tree rules and the scanner's quick pass over the body all ask
// this one table.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace velmo::file_host::html {

// How the content of an element whose start tag switches the tokenizer is read.
enum class TextMode { RawText, Rcdata, ScriptData, Plaintext };

struct RawTextElement {
  std::string_view name;  // lower case
  TextMode mode;
};

// <noscript> counts as raw text, as it does in a browser with scripting enabled.
inline constexpr RawTextElement kRawTextElements[] = {
    {"script", TextMode::ScriptData}, {"style", TextMode::RawText},
    {"xmp", TextMode::RawText},       {"iframe", TextMode::RawText},
    {"noembed", TextMode::RawText},   {"noframes", TextMode::RawText},
    {"noscript", TextMode::RawText},  {"title", TextMode::Rcdata},
    {"textarea", TextMode::Rcdata},   {"plaintext", TextMode::Plaintext},
};

// What a quick filter over tag names needs to know of a set of lower-case names: the shortest
// and longest name and their first letters. A name that fails it is none of the set.
struct NameShape {
  std::size_t shortest = SIZE_MAX;
  std::size_t longest = 0;
  std::uint32_t firstLetters = 0;  // bit i: a name begins with 'a' + i

  constexpr void add(std::string_view lowerName) {
    shortest = lowerName.size() < shortest ? lowerName.size() : shortest;
    longest = lowerName.size() > longest ? lowerName.size() : longest;
    firstLetters |= std::uint32_t{1} << (lowerName[0] - 'a');
  }
  // `name` starts with an ASCII letter, in either case.
  constexpr bool mayHold(std::string_view name) const {
    if (name.size() < shortest || name.size() > longest) return false;
    return (firstLetters >> ((name[0] | 0x20) - 'a')) & 1;
  }
};

constexpr NameShape rawTextNameShape() {
  NameShape shape;
  for (const RawTextElement& e : kRawTextElements) shape.add(e.name);
  return shape;
}

}  // namespace velmo::file_host::html
