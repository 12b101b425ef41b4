#pragma once
// The findings `velmo check` leaves out: the rules of --ignore, and what a site's ignore file
// lists. The ignore file is `.velmoignore` in the site's folder, one entry a line:
//
//   RULE          the rule, on every page of the site
//   GLOB          every finding in the files that match GLOB
//   RULE GLOB     the rule, in the files that match GLOB
//
// A GLOB matches as --include does: without '/' a file name wherever it stands, with '/' the
// path from the site's folder. '#' starts a comment (at the start of a line or after white
// space); blank lines count for nothing. A single word is a rule when a rule has that name.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "cli/run/page_selection.h"

namespace velmo::cli {

inline constexpr char kIgnoreFileName[] = ".velmoignore";

class IgnoreList {
 public:
  // --ignore's rules, and the site's ignore file when there is one. std::runtime_error naming the
  // file and line of an entry it cannot read (an unknown rule, a glob that matches nothing).
  IgnoreList(const std::vector<std::string>& rules, const std::filesystem::path& site);

  // `relative`: the file's path from the site's folder, '/'-separated.
  bool ignores(std::string_view rule, const std::string& relative) const;

 private:
  struct Entry {
    std::string rule;  // empty: every rule
    PageFilter files;  // no glob: every file
  };
  std::vector<Entry> entries_;
};

}  // namespace velmo::cli
