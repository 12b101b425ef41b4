#pragma once
// An open file as POSIX names it: a descriptor (native_file.h leads here on POSIX).

namespace velmo::standalone {

using NativeFile = int;
inline constexpr NativeFile kNoNativeFile = -1;

}  // namespace velmo::standalone
