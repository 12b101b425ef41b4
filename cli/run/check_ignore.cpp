#include "cli/run/check_ignore.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "cli/check/check_rules.h"
#include "cli/run/glob_match.h"
#include "cli/run/process_platform.h"
#include "core/common/shown_name.h"

namespace velmo::cli {
namespace {

std::vector<std::string> words(const std::string& line) {
  std::string kept;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '#' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t')) break;
    kept += line[i];
  }
  std::istringstream in(kept);
  std::vector<std::string> out;
  for (std::string word; in >> word;) out.push_back(word);
  return out;
}

}  // namespace

IgnoreList::IgnoreList(const std::vector<std::string>& rules, const std::filesystem::path& site) {
  for (const std::string& rule : rules) entries_.push_back({rule, {}});
  const std::filesystem::path file = site / kIgnoreFileName;
  std::ifstream in(file, std::ios::binary);
  if (!in) return;
  const std::string named = shownName(os::textOf(file));
  std::size_t number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto fail = [&](const std::string& why) {
      throw std::runtime_error(named + ":" + std::to_string(number) + ": " + why);
    };
    const std::vector<std::string> found = words(line);
    if (found.empty()) continue;
    if (found.size() > 2) fail("an entry is RULE, GLOB or RULE GLOB");
    std::string rule, glob;
    if (found.size() == 2 || check::ruleNamed(found[0])) rule = found[0];
    if (found.size() == 2) glob = found[1];
    if (found.size() == 1 && rule.empty()) glob = found[0];
    if (!rule.empty() && !check::ruleNamed(rule)) fail("no rule is named '" + rule + "'");
    if (!glob.empty()) {
      if (const std::string problem = globProblem(glob); !problem.empty()) fail(problem);
    }
    entries_.push_back({rule, glob.empty() ? PageFilter{} : PageFilter{{glob}, {}}});
  }
  if (in.bad()) throw std::runtime_error(named + ": cannot be read");
}

bool IgnoreList::ignores(std::string_view rule, const std::string& relative) const {
  for (const Entry& entry : entries_) {
    if (!entry.rule.empty() && entry.rule != rule) continue;
    if (entry.files.include.empty() || entry.files.takesFile(relative)) return true;
  }
  return false;
}

}  // namespace velmo::cli
