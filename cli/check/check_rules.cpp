#include "cli/check/check_rules.h"

namespace velmo::check {

const Rule* ruleNamed(std::string_view name) {
  for (const Rule& rule : kRules) {
    if (rule.name == name) return &rule;
  }
  return nullptr;
}

std::string_view severityName(Severity severity) {
  return severity == Severity::Error ? "error" : "warning";
}

}  // namespace velmo::check
