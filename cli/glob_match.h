#pragma once
// Shell globs as fnmatch(3) reads them with FNM_PERIOD (and FNM_PATHNAME for paths), for systems
// that have no fnmatch: '*', '?', bracket sets with ranges and '!' or '^', and '\' quoting the
// next character.

#include <string_view>

namespace velmo::cli {

bool globMatch(std::string_view glob, std::string_view text, bool wholePath);

}  // namespace velmo::cli
