#pragma once
// The registry rows of the classes a DLL serves, from the same table DllGetClassObject uses.

#include <windows.h>

#include <span>
#include <string>
#include <vector>

#include "com/class_factory.h"
#include "com/registry_table.h"

namespace velmo::win {

// For each class: CLSID\{...} named by its description, with this module as its apartment-
// threaded in-process server and its ProgID, and the ProgID key leading back to the CLSID. A DLL
// that carries a type library passes its id, and each class names it (version 1.0).
std::vector<RegistryValue> classRegistryValues(std::span<const ServedClass> classes,
                                               const GUID* typeLibrary = nullptr);

// The keys the values above create, for unregistration.
std::vector<std::wstring> classRegistryKeys(std::span<const ServedClass> classes);

}  // namespace velmo::win
