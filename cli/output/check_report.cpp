#include "cli/output/check_report.h"

#include "cli/check/check_rules.h"
#include "cli/run/process_platform.h"

namespace velmo::cli {
namespace {

std::string field(const ResultRow& row, std::string_view name) {
  for (const ResultField& f : row) {
    if (f.name == name) return f.value;
  }
  return {};
}

// A page's name as shown, as a relative URI reference: '/' between folders and every byte
// but the unreserved ones %-escaped.
std::string uriOf(const std::string& shown) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string uri;
  for (const char c : os::withSlashes(shown)) {
    const auto byte = static_cast<unsigned char>(c);
    const bool unreserved = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                            (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' ||
                            c == '~' || c == '/';
    if (unreserved) {
      uri += c;
    } else {
      uri += '%';
      uri += kHex[byte >> 4];
      uri += kHex[byte & 0xF];
    }
  }
  return uri;
}

}  // namespace

std::string findingLine(const std::string& shownPage, const ResultRow& row) {
  std::string line = shownPage + ":";
  const std::string at = field(row, "line");
  if (!at.empty()) line += at + ":" + field(row, "column") + ":";
  line +=
      " " + field(row, "severity") + ": " + field(row, "message") + " [" + field(row, "rule") + "]";
  const std::string fix = field(row, "fix");
  if (!fix.empty()) line += " (" + fix + ")";
  return line;
}

nlohmann::ordered_json sarifLog(const nlohmann::ordered_json& checkDocument) {
  using json = nlohmann::ordered_json;
  json rules = json::array();
  for (const check::Rule& rule : check::kRules) {
    rules.push_back({{"id", rule.name},
                     {"shortDescription", {{"text", rule.description}}},
                     {"defaultConfiguration", {{"level", check::severityName(rule.severity)}}}});
  }
  json results = json::array();
  json notifications = json::array();
  for (const json& page : checkDocument.at("pages")) {
    const std::string uri = uriOf(page.at("page").get<std::string>());
    if (page.contains("messages")) {
      for (const json& message : page.at("messages")) {
        notifications.push_back(
            {{"level", "error"},
             {"message", {{"text", message}}},
             {"locations", {{{"physicalLocation", {{"artifactLocation", {{"uri", uri}}}}}}}}});
      }
    }
    if (!page.contains("rows")) continue;
    for (const json& row : page.at("rows")) {
      // A finding --fix mended is no longer in the page.
      if (row.value("fix", "") == "fixed") continue;
      const std::string id = row.at("rule").get<std::string>();
      json location = {{"artifactLocation", {{"uri", uri}}}};
      if (row.contains("line")) {
        location["region"] = {{"startLine", row.at("line")}, {"startColumn", row.at("column")}};
      }
      std::size_t index = 0;
      while (index < std::size(check::kRules) && check::kRules[index].name != id) ++index;
      results.push_back({{"ruleId", id},
                         {"ruleIndex", index},
                         {"level", row.at("severity")},
                         {"message", {{"text", row.at("message")}}},
                         {"locations", {{{"physicalLocation", std::move(location)}}}}});
    }
  }
  json run = {{"tool", {{"driver", {{"name", "velmo check"}, {"rules", std::move(rules)}}}}},
              {"invocations",
               {{{"executionSuccessful", notifications.empty()},
                 {"toolExecutionNotifications", std::move(notifications)}}}},
              {"columnKind", "unicodeCodePoints"},
              {"results", std::move(results)}};
  return {{"$schema", "https://json.schemastore.org/sarif-2.1.0.json"},
          {"version", "2.1.0"},
          {"runs", json::array({std::move(run)})}};
}

std::string checkSummary(std::size_t pages, std::size_t findings, std::size_t failed) {
  std::string text = "velmo: " + std::to_string(pages) + (pages == 1 ? " page: " : " pages: ") +
                     std::to_string(findings) + (findings == 1 ? " finding" : " findings");
  if (failed) text += ", " + std::to_string(failed) + " failed";
  return text;
}

}  // namespace velmo::cli
