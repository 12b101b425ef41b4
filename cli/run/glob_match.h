#pragma once
// The --include and --exclude globs, matched the same way on every system: shell globs as
// fnmatch(3) reads them in the C locale with FNM_PERIOD (and FNM_PATHNAME for paths), but
// character by character in UTF-8. '*' and '?', bracket expressions (ranges of code points, '!'
// or '^' to negate, the classes [:alpha:], [:digit:] and the rest of POSIX's, taken in ASCII as
// the C locale has them, and single-character [.c.] and [=c=]), and '\' quoting the next
// character. A leading dot is matched only by a dot; with `wholePath`, in every name of the
// path, and only a '/' in the glob matches a '/'. Bytes that are not UTF-8 stand each for
// itself.

#include <string>
#include <string_view>

namespace velmo::cli {

bool globMatch(std::string_view glob, std::string_view text, bool wholePath);

// Why a glob can match nothing at all (it ends in a lone '\', names no class POSIX has, holds a
// collating symbol of more than one character or a range the glob's end cuts short), or empty.
// fnmatch answers "no match" for such a glob; velmo refuses it as a usage error.
std::string globProblem(std::string_view glob);

}  // namespace velmo::cli
