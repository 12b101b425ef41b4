#pragma once
// Where the running program lies: the help file is looked for beside it.

#include <string>

namespace velmo::linux_help {

// The folder of the running program's file, without a trailing "/"; the current folder when it
// cannot be told.
std::u16string programFolder();

}  // namespace velmo::linux_help
