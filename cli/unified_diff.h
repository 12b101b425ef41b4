#pragma once
// The look before a change (--dry-run): what a page would become, as a unified diff of its
// lines, which `patch` applies and a terminal shows in colour.

#include <string>
#include <string_view>

namespace velmo::cli {

// The unified diff from `before` to `after`, both shown under the name `label`, with three lines
// of context; empty when they are equal. Lines end at LF; a CR before it belongs to the line.
std::string unifiedDiff(std::string_view before, std::string_view after, const std::string& label);

// The diff with ANSI colours: removed lines red, added lines green, hunk heads cyan, file heads
// bold.
std::string colourDiff(std::string_view diff);

}  // namespace velmo::cli
