#include "file_host/css/css_text.h"

#include <algorithm>

#include "file_host/css/css_block.h"
#include "file_host/css/css_importance.h"
#include "file_host/css/css_sheet.h"
#include "file_host/css/css_tokenizer.h"

namespace velmo::file_host::css {
using namespace detail;

namespace {

// A rule may come from another parse; keep its spans inside this text.
Span inside(Span span, std::size_t size) {
  const std::size_t begin = std::min(span.begin, size);
  return {begin, std::clamp(span.end, begin, size)};
}

std::string_view textOf(std::string_view sheet, Span span) {
  return sheet.substr(span.begin, span.end - span.begin);
}

// The first line break of the text: CR LF, LF or a lone CR; LF when there is none.
std::string_view lineBreakOf(std::string_view text) {
  const std::size_t at = text.find_first_of("\r\n");
  if (at == std::string_view::npos || text[at] == '\n') return "\n";
  return text.substr(at + 1, 1) == "\n" ? "\r\n" : "\r";
}

// White space put in front of a new declaration: what stands in front of the part it follows,
// reduced to its last line break and the indentation after it.
std::string separatorBefore(std::string_view sheet, const Part& part) {
  const std::string_view lead = sheet.substr(part.begin, part.contentBegin - part.begin);
  const std::size_t lastBreak = lead.find_last_of("\r\n");
  if (lastBreak == std::string_view::npos) return std::string(lead);
  const bool crlf = lead[lastBreak] == '\n' && lastBreak > 0 && lead[lastBreak - 1] == '\r';
  return std::string(lead.substr(lastBreak - (crlf ? 1 : 0)));
}

// Custom properties are case-sensitive; every other property name is not.
bool sameProperty(std::string_view a, std::string_view b) {
  if (a.starts_with("--") || b.starts_with("--")) return a == b;
  return equalsIgnoringAsciiCase(a, b);
}

// The declaration that a browser applies: the last important one, else the last one.
const Part* appliedDeclaration(std::string_view sheet, const BlockScan& scan,
                               std::string_view name) {
  const Part* last = nullptr;
  const Part* lastImportant = nullptr;
  for (const Part& part : scan.parts) {
    if (!part.declaration || !sameProperty(textOf(sheet, part.name), name)) continue;
    last = &part;
    if (part.important()) lastImportant = &part;
  }
  return lastImportant ? lastImportant : last;
}

}  // namespace

std::vector<Rule> parseRules(std::string_view sheet) {
  return scanSheet(sheet).rules;
}

std::string selectorText(std::string_view sheet, const Rule& rule) {
  const Span selector = inside(rule.selector, sheet.size());
  Tokenizer tokens(sheet, selector.begin, selector.end);
  std::size_t begin = selector.end;
  std::size_t end = selector.end;
  while (!tokens.atEnd()) {
    const Token t = tokens.next();
    if (isBlank(t.kind)) continue;
    if (begin == selector.end) begin = t.begin;
    end = t.end;
  }
  return std::string(textOf(sheet, {begin, std::max(begin, end)}));
}

std::optional<std::string> getProperty(std::string_view sheet, const Rule& rule,
                                       std::string_view name) {
  const BlockScan scan = scanBlock(sheet, inside(rule.block, sheet.size()));
  const Part* part = appliedDeclaration(sheet, scan, name);
  if (!part) return std::nullopt;
  return std::string(textOf(sheet, part->value));
}

Edit setProperty(std::string_view sheet, const Rule& rule, std::string_view name,
                 std::string_view value) {
  const Span block = inside(rule.block, sheet.size());
  const BlockScan scan = scanBlock(sheet, block);
  if (const Part* part = appliedDeclaration(sheet, scan, name)) {
    if (splitImportance(value, {0, value.size()}).important()) {
      return {part->value.begin, part->importance.end, std::string(value)};
    }
    // `color: !important` has an empty value right at the `!`.
    const bool beforeBang = part->important() && part->value.begin == part->value.end;
    return {part->value.begin, part->value.end, std::string(value) + (beforeBang ? " " : "")};
  }

  const std::string declaration = std::string(name) + ": " + std::string(value) + ";";
  if (scan.parts.empty()) {
    // Nothing but white space between the braces.
    const std::string_view space = textOf(sheet, block);
    if (space.empty()) return {block.begin, block.begin, declaration};
    if (space.find_first_of("\r\n") == std::string_view::npos) {
      return {block.begin, block.begin, " " + declaration};
    }
    return {block.begin, block.begin, std::string(lineBreakOf(space)) + "  " + declaration};
  }

  const Part& last = scan.parts.back();
  const bool needsSemicolon =
      !last.semicolon && !last.onlyComments && (!last.hasBlock || last.declaration);
  const std::size_t at = last.semicolon ? last.end + 1 : last.appendAt;
  return {at, at,
          scan.closer + (needsSemicolon ? ";" : "") + separatorBefore(sheet, last) + declaration};
}

std::optional<Edit> removeProperty(std::string_view sheet, const Rule& rule,
                                   std::string_view name) {
  const BlockScan scan = scanBlock(sheet, inside(rule.block, sheet.size()));
  std::optional<Edit> edit;
  for (const Part& part : scan.parts) {
    if (!part.declaration || !sameProperty(textOf(sheet, part.name), name)) continue;
    std::size_t begin = part.name.begin;
    while (begin > part.begin && isSpaceByte(sheet[begin - 1])) --begin;
    const std::size_t end = part.semicolon ? part.end + 1 : part.contentEnd;
    if (!edit) {
      edit = Edit{begin, end, {}};
    } else {
      // One edit for all of them: keep the text between the removed declarations.
      edit->text += textOf(sheet, {edit->end, begin});
      edit->end = end;
    }
  }
  return edit;
}

Edit appendRule(std::string_view sheet, std::string_view selector, std::string_view style) {
  const std::string_view lineBreak = lineBreakOf(sheet);
  std::string rule(selector);
  rule += style.empty() ? " { }" : " { " + std::string(style) + " }";

  const SheetScan scan = scanSheet(sheet);
  if (!scan.closer.empty()) {
    // Close what the sheet left open, or the new rule would end up inside it.
    return {sheet.size(), sheet.size(), scan.closer + std::string(lineBreak) + rule};
  }
  const std::size_t end = scan.contentEnd;
  std::size_t spaceBegin = end;
  while (spaceBegin > 0 && isSpaceByte(sheet[spaceBegin - 1])) --spaceBegin;
  const std::string_view space = textOf(sheet, {spaceBegin, end});
  const std::size_t lastBreak = space.find_last_of("\r\n");
  if (lastBreak != std::string_view::npos) {
    const std::size_t at = spaceBegin + lastBreak + 1;
    return {at, at, rule + std::string(lineBreak)};
  }
  const std::string after = end < sheet.size() ? std::string(lineBreak) : std::string();
  if (spaceBegin == 0) return {end, end, rule + after};
  return {end, end, std::string(lineBreak) + rule + after};
}

}  // namespace velmo::file_host::css
