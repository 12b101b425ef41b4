#pragma once
// Every value below one registry key, as rows a package can carry.

#include <windows.h>

#include <string>
#include <vector>

namespace velmo::win::packaging {

// A value under the key read, or (kind "KEY", no name or data) a key that holds nothing at all,
// which a package has to create on its own.
struct RegistryRow {
  std::wstring key;   // relative to the key read, "" for that key itself
  std::wstring name;  // "" for the default value
  std::wstring kind;  // "SZ", "EXPAND_SZ", "DWORD" or "KEY"
  std::wstring data;  // the text, or the number in decimal
};

// A registry key handle that closes itself.
class OwnedKey {
 public:
  OwnedKey() = default;
  explicit OwnedKey(HKEY key) : key_(key) {}
  ~OwnedKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  OwnedKey(const OwnedKey&) = delete;
  OwnedKey& operator=(const OwnedKey&) = delete;

  HKEY get() const { return key_; }
  HKEY* put() { return &key_; }

 private:
  HKEY key_ = nullptr;
};

// The rows of `root` and everything below it, subkeys and values in name order so that two reads
// of the same content give the same rows. Throws std::runtime_error on a value of another type
// (binary, multi-string): registration here writes none, and a package must not drop one.
std::vector<RegistryRow> readRegistryRows(HKEY root);

}  // namespace velmo::win::packaging
