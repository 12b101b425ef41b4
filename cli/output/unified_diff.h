#pragma once
// The look before a change (--dry-run): what a page would become, as a unified diff of its
// lines, which `patch` applies and a terminal shows in colour.

#include <string>
#include <string_view>

namespace velmo::cli {

// The unified diff from `before` to `after`, both shown under the name `label`, with three lines
// of context; empty when they are equal. Lines end at LF; a CR before it belongs to the line.
// Memory grows with the lines of the two texts, not with the number of differences.
std::string unifiedDiff(std::string_view before, std::string_view after, const std::string& label);

// `label` as a file header names it, for patch and git apply alike: followed by the tab diff
// writes before a time stamp (so a name with spaces is read whole), or, when it holds a control
// character, a quote, a backslash or bytes that are not UTF-8, quoted with C escapes and octal.
// A leading "./" is left out: git apply refuses a "." in a path. On Windows '\' becomes '/',
// the separator both read everywhere.
std::string diffFileName(std::string_view label);

// The diff with ANSI colours: removed lines red, added lines green, hunk heads cyan, file heads
// bold.
std::string colourDiff(std::string_view diff);

}  // namespace velmo::cli
