#pragma once
// How `velmo check` reports its findings: lines as compilers write them
// (`PAGE:LINE:COL: severity: message [rule]`, which editors jump to), and SARIF 2.1.0, the
// format code-scanning tools read, made from velmo's own --json document.

#include <string>

#include <nlohmann/json.hpp>

#include "cli/run/page_run.h"

namespace velmo::cli {

// One finding's row: rule, severity, line and column (absent for a file that is no page),
// message, and `fix` ("fixed", "would fix") when --fix mends it.
std::string findingLine(const std::string& shownPage, const ResultRow& row);

// The SARIF log of a `velmo check --json` document: one run of the tool, its rules, a result for
// each finding left in the pages, and the pages that could not be checked as notifications.
nlohmann::ordered_json sarifLog(const nlohmann::ordered_json& checkDocument);

// "velmo: 10 pages: 3 findings" (and the pages that failed).
std::string checkSummary(std::size_t pages, std::size_t findings, std::size_t failed);

}  // namespace velmo::cli
