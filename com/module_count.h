#pragma once
// The one count of live objects and server locks of a DLL; DllCanUnloadNow answers from it.
// Each DLL that links this library gets its own count.

namespace velmo::win {

void moduleAddRef() noexcept;
void moduleRelease() noexcept;
// True when no object and no lock remains.
bool moduleUnused() noexcept;

}  // namespace velmo::win
