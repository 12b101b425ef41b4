#pragma once
// The page side of the scrollbar colour command: the eight colour entries, the text written for
// them, applying it to the page and reading the page's current colours back.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/page_host/page_host.h"

namespace velmo {

struct ScrollbarEntry {
  std::u16string_view label;        // the field's label in the dialog
  std::u16string_view property;     // the CSS property
  std::u16string_view settingsKey;  // key of the saved scheme
};

// The entries in their fixed order: declarations, rule updates and field filling follow it.
inline constexpr std::size_t kScrollbarEntryCount = 8;
extern const std::array<ScrollbarEntry, kScrollbarEntryCount> kScrollbarEntries;

using ScrollbarTexts = std::array<std::u16string, kScrollbarEntryCount>;

// "prop: #text;" for every non-empty entry, in entry order, with nothing between them.
std::u16string scrollbarDeclarations(const ScrollbarTexts& texts);
// "body {" declarations " }"
std::u16string scrollbarRuleLine(const ScrollbarTexts& texts);
// <style>, the rule line and </style>, joined by CR LF.
std::u16string scrollbarStyleBlock(const ScrollbarTexts& texts);

// True when the page's HEAD holds a STYLE element.
bool headHasStyle(PageHost& host);
// True when a rule of the document's first style sheet has exactly this selector text.
bool sheetHasRule(PageHost& host, const std::u16string& selector);
// The style of the first rule of the first style sheet with exactly this selector text.
std::unique_ptr<RuleStyle> ruleStyleOf(PageHost& host, const std::u16string& selector);
// The property's value without its first characters beyond the last six; empty when unset.
std::u16string readRuleColor(const std::u16string& property, RuleStyle& ruleStyle);

// The texts of the page's `body` rule, or nothing when the HEAD has no STYLE element or the first
// sheet has no `body` rule.
std::optional<ScrollbarTexts> readPageColors(PageHost& host);

// Writes the colours into the page: a style block appended to the HEAD when it has no STYLE
// element, else into the first sheet's first `body` rule, else as a new `body` rule there.
void applyScrollbarColors(PageHost& host, const ScrollbarTexts& texts);

// Colour values in the Windows layout 0x00BBGGRR and their field text RRGGBB.
std::u16string colorToHex(std::uint32_t color);
// The colour of a six-digit text; nothing for a text of any other form.
std::optional<std::uint32_t> hexToColor(std::u16string_view text);

}  // namespace velmo
