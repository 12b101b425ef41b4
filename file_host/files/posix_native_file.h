#pragma once
// An open file as POSIX names it: a descriptor (native_file.h leads here on POSIX).

namespace velmo::file_host {

using NativeFile = int;
inline constexpr NativeFile kNoNativeFile = -1;

}  // namespace velmo::file_host
