#pragma once
// `Class1`: the library's public data class, two text properties and nothing else.

#include <windows.h>

namespace velmo::win {

HRESULT createClass1(REFIID iid, void** out);

}  // namespace velmo::win
