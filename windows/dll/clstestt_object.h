#pragma once
// The COM face of the command class: `_clstestt` over velmo::clstestt and the editor binding.

#include <windows.h>

namespace velmo::win {

HRESULT createClstestt(REFIID iid, void** out);

}  // namespace velmo::win
