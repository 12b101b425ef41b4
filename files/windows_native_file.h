#pragma once
// An open file as Windows names it: a HANDLE, without <windows.h> (native_file.h leads here on
// Windows).

namespace velmo::standalone {

using NativeFile = void*;
inline constexpr NativeFile kNoNativeFile = nullptr;

}  // namespace velmo::standalone
