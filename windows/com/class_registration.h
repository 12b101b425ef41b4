#pragma once
// The registry rows of the classes a DLL serves, from the same table DllGetClassObject uses.

#include <windows.h>

#include <span>
#include <string>
#include <vector>

#include "windows/com/class_factory.h"
#include "windows/com/registry_table.h"

namespace velmo::win {

// For each class: CLSID\{...} named by its description, with this module as its apartment-
// threaded in-process server and its ProgID, and the ProgID key leading back to the CLSID. A DLL
// that carries a type library passes its id, and each class names it (version 1.0).
std::vector<RegistryValue> classRegistryValues(std::span<const ServedClass> classes,
                                               const GUID* typeLibrary = nullptr);

// Removes what classRegistryValues wrote. The CLSID keys belong to this module's registry view
// and always go. The ProgID keys are shared by the 32-bit and the 64-bit views, so a ProgID goes
// only when the other view no longer registers its class: a DLL of the other bitness that is
// still registered stays creatable by name. A key that is already gone is no failure.
HRESULT removeClassRegistration(std::span<const ServedClass> classes);

}  // namespace velmo::win
