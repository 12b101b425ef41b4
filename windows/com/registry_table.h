#pragma once
// Self-registration as a table: each DLL lists its keys and values, one loop writes them and
// one loop removes them.

#include <windows.h>

#include <string>
#include <vector>

namespace velmo::win {

// One value under HKEY_CLASSES_ROOT; an empty name is the key's default value.
struct RegistryValue {
  std::wstring key;
  std::wstring name;
  std::wstring data;
};

// Writes every value, creating keys as needed. Returns the first failure.
HRESULT writeRegistryValues(const std::vector<RegistryValue>& values);

// Removes each key with everything below it; a key that is already gone is no failure.
HRESULT removeRegistryKeys(const std::vector<std::wstring>& keys);

// Whether the key exists in the registry view of the other bitness (the 32-bit view for a 64-bit
// module and the other way round). Where there is one view only, that is this module's own.
bool otherViewHasKey(const std::wstring& key);

// Removes the key when it has no subkey and no value left.
void removeRegistryKeyIfEmpty(const std::wstring& key);

// The text form of a GUID, "{...}" in upper case.
std::wstring guidText(REFGUID guid);

// The full path of a loaded module (DLL).
std::wstring modulePath(HMODULE module);

// The DLL (or program) this library is linked into.
HMODULE thisModule() noexcept;

}  // namespace velmo::win
