#pragma once
// What keeps a DLL in use: its live objects and the server locks its clients hold, counted apart,
// so that a client's unbalanced unlock can neither take an object's place nor go below zero.
// DllCanUnloadNow answers from them. Each DLL that links this library gets its own counts.

namespace velmo::win {

void objectCreated() noexcept;
void objectDestroyed() noexcept;
// IClassFactory::LockServer. An unlock without a lock changes nothing and gives false.
bool lockServer(bool lock) noexcept;
// True when no object and no lock remains.
bool moduleUnused() noexcept;

}  // namespace velmo::win
