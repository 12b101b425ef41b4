#pragma once
// Where the running program lies, and where its help file lies: beside the program in a build
// tree, under share/velmo when installed.

#include <string>
#include <string_view>

namespace velmo::desktop {

// The folder of the running program's file, without a trailing "/"; the current folder when it
// cannot be told.
std::u16string programFolder();

// The folder that holds the file `name` of a program in `program`: `program` itself when the file
// is there (a build tree), else `program/../share/velmo` when that folder exists (an installed
// tree, whatever its prefix), else `program`, so that a missing file is named beside the program.
std::u16string dataFolderFor(const std::u16string& program, std::u16string_view name);

}  // namespace velmo::desktop
