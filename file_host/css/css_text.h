#pragma once
// Source-preserving reading and editing of CSS style sheet text (UTF-8). Only what a change
// targets is rewritten; comments, at-rules and all other text stay byte for byte.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmo::file_host::css {

// Byte offsets [begin, end) into the text that was parsed.
struct Span {
  std::size_t begin = 0;
  std::size_t end = 0;
};

// A top-level style rule: `selector { block }`.
struct Rule {
  Span whole;     // from the selector's first character through the closing brace
  Span selector;  // the prelude as written (may hold comments and white space)
  Span block;     // between the braces
};

// A replacement of [begin, end) of the parsed text by `text`.
struct Edit {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::string text;
};

// The sheet's top-level style rules in order. At-rules (and the rules inside them), comments,
// and HTML comment markers at the top level of a STYLE element are skipped. An unterminated
// last rule runs to the end of the text.
std::vector<Rule> parseRules(std::string_view sheet);

// The rule's selector text with leading and trailing white space (and comments) removed.
std::string selectorText(std::string_view sheet, const Rule& rule);

// Property names compare ignoring ASCII case, as CSS compares them; only custom properties
// (`--name`) compare exactly. `!important` (in any case and spacing) is the declaration's
// importance, never part of its value. When a rule declares a property more than once, the
// declaration that counts is the one a browser applies: the last important one, else the last.

// The value of the declaration of `name` that counts, trimmed, without its importance; nothing
// when the block has no such declaration.
std::optional<std::string> getProperty(std::string_view sheet, const Rule& rule,
                                       std::string_view name);

// Sets the property: replaces the value of the declaration that counts, keeping its importance
// as written (unless `value` brings its own), or appends `name: value;` at the end of the block
// when there is none (adding a `;` after a last declaration that lacks one).
// The new declaration follows the block's layout: it gets the white space that stands in front
// of the last declaration (its line break and indentation when it has one), so `{ a: 1; }` gives
// `{ a: 1; name: value; }` and one declaration per line stays one per line. In an unterminated
// rule, a string, comment or bracket left open is closed first.
Edit setProperty(std::string_view sheet, const Rule& rule, std::string_view name,
                 std::string_view value);

// Removes every declaration of the property, important or not, with its `;` and the white space
// before it; nothing when the block has none.
std::optional<Edit> removeProperty(std::string_view sheet, const Rule& rule, std::string_view name);

// Appends `selector { style }` (`selector { }` for an empty style) as a new last rule of the
// sheet, on a line of its own, using the line break that the sheet already uses (LF when it has
// none). It goes before a trailing `-->` and before the white space that ends the sheet's last
// line. Whatever the sheet leaves open at its end (an unterminated rule, comment or string, a
// selector without a block, an at-rule without its `;`) is closed first, so that the new rule
// stands at the top level and is the sheet's last rule.
Edit appendRule(std::string_view sheet, std::string_view selector, std::string_view style);

}  // namespace velmo::file_host::css
