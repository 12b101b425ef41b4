#pragma once
// An open file as Windows names it: a HANDLE, without <windows.h> (native_file.h leads here on
// Windows).

namespace velmo::file_host {

using NativeFile = void*;
inline constexpr NativeFile kNoNativeFile = nullptr;

}  // namespace velmo::file_host
