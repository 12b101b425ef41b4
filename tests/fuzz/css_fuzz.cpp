// libFuzzer target for the CSS scanner: any text parses into well-ordered rules inside it, and
// every edit stays inside the rule it targets and does what it says.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "file_host/css/css_text.h"

namespace css = velmo::file_host::css;

namespace {

void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "css_fuzz: %s\n", what);
    std::abort();
  }
}

std::string applied(std::string_view sheet, const css::Edit& edit) {
  check(edit.begin <= edit.end && edit.end <= sheet.size(), "edit outside the text");
  return std::string(sheet.substr(0, edit.begin)) + edit.text + std::string(sheet.substr(edit.end));
}

bool inside(const css::Edit& edit, const css::Rule& rule) {
  return edit.begin >= rule.block.begin && edit.end <= rule.block.end;
}

void checkSpans(std::string_view sheet, const std::vector<css::Rule>& rules) {
  std::size_t previousEnd = 0;
  for (const css::Rule& r : rules) {
    check(previousEnd <= r.whole.begin, "rules overlap");
    check(r.whole.begin == r.selector.begin && r.selector.begin <= r.selector.end, "selector span");
    check(r.block.begin == r.selector.end + 1 && sheet[r.selector.end] == '{', "block start");
    check(r.block.begin <= r.block.end && r.block.end <= r.whole.end, "block span");
    check(r.whole.end <= sheet.size(), "rule past the end");
    check(r.whole.end == r.block.end + 1 ||
              (r.block.end == sheet.size() && r.whole.end == sheet.size()),
          "rule end");
    previousEnd = r.whole.end;
  }
}

void checkEdits(std::string_view sheet, const std::vector<css::Rule>& rules, std::size_t i) {
  const css::Rule& rule = rules[i];
  (void)css::selectorText(sheet, rule);
  (void)css::getProperty(sheet, rule, "color");

  const css::Edit set = css::setProperty(sheet, rule, "color", "#0A0B0C");
  check(inside(set, rule), "setProperty outside the block");
  const std::string afterSet = applied(sheet, set);
  const std::vector<css::Rule> reparsed = css::parseRules(afterSet);
  check(reparsed.size() == rules.size(), "setProperty changed the rules");
  check(css::getProperty(afterSet, reparsed[i], "color") == "#0A0B0C",
        "setProperty value not read back");

  const auto removed = css::removeProperty(afterSet, reparsed[i], "color");
  check(removed.has_value() && inside(*removed, reparsed[i]), "removeProperty span");
  const std::string afterRemove = applied(afterSet, *removed);
  const std::vector<css::Rule> again = css::parseRules(afterRemove);
  check(again.size() == rules.size(), "removeProperty changed the rules");
  check(!css::getProperty(afterRemove, again[i], "color"), "removeProperty left a value");
}

void checkAppend(std::string_view sheet, const std::vector<css::Rule>& rules) {
  const css::Edit edit = css::appendRule(sheet, "body", "color: red");
  const std::string after = applied(sheet, edit);
  const std::vector<css::Rule> reparsed = css::parseRules(after);
  check(reparsed.size() > rules.size(), "appendRule added no rule");
  check(css::selectorText(after, reparsed.back()) == "body", "appended rule is not last");
  check(css::getProperty(after, reparsed.back(), "color") == "red", "appended style");
  for (std::size_t i = 0; i < rules.size(); ++i) {
    check(css::selectorText(after, reparsed[i]) == css::selectorText(sheet, rules[i]),
          "appendRule changed an earlier selector");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view sheet(reinterpret_cast<const char*>(data), size);
  const std::vector<css::Rule> rules = css::parseRules(sheet);
  checkSpans(sheet, rules);
  for (std::size_t i = 0; i < rules.size() && i < 8; ++i) checkEdits(sheet, rules, i);
  checkAppend(sheet, rules);
  return 0;
}
