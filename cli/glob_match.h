#pragma once
// The --include and --exclude globs, matched the same way on every system: shell globs as
// fnmatch(3) reads them in the C locale with FNM_PERIOD (and FNM_PATHNAME for paths), but
// character by character in UTF-8. '*' and '?', bracket expressions (ranges of code points, '!'
// or '^' to negate, the classes [:alpha:], [:digit:] and the rest of POSIX's, taken in ASCII as
// the C locale has them, and single-character [.c.] and [=c=]), and '\' quoting the next
// character. A leading dot is matched only by a dot; with `wholePath`, in every name of the
// path, and only a '/' in the glob matches a '/'. Bytes that are not UTF-8 stand each for
// itself. A glob that ends in a lone '\' or names no class POSIX has matches nothing, as with
// fnmatch.

#include <string_view>

namespace velmo::cli {

bool globMatch(std::string_view glob, std::string_view text, bool wholePath);

}  // namespace velmo::cli
