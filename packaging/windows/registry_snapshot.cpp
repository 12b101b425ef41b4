#include "packaging/windows/registry_snapshot.h"

#include <algorithm>
#include <stdexcept>

namespace velmo::win::packaging {
namespace {

std::vector<std::wstring> subkeyNames(HKEY key) {
  std::vector<std::wstring> names;
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD length = 256;
    if (RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    names.emplace_back(name, length);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::wstring textOf(const std::vector<BYTE>& bytes, DWORD size) {
  std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), size / sizeof(wchar_t));
  while (!text.empty() && text.back() == L'\0') text.pop_back();
  return text;
}

RegistryRow valueRow(const std::wstring& path, const std::wstring& name, DWORD type,
                     const std::vector<BYTE>& bytes, DWORD size) {
  switch (type) {
    case REG_SZ:
      return {path, name, L"SZ", textOf(bytes, size)};
    case REG_EXPAND_SZ:
      return {path, name, L"EXPAND_SZ", textOf(bytes, size)};
    case REG_DWORD: {
      DWORD number = 0;
      std::copy_n(bytes.begin(), std::min<size_t>(size, sizeof number),
                  reinterpret_cast<BYTE*>(&number));
      return {path, name, L"DWORD", std::to_wstring(number)};
    }
    default:
      throw std::runtime_error("a registry value of a type a package row cannot carry");
  }
}

void readKey(HKEY key, const std::wstring& path, std::vector<RegistryRow>& rows) {
  std::vector<RegistryRow> values;
  for (DWORD index = 0;; ++index) {
    wchar_t name[16384];
    DWORD nameLength = 16384;
    DWORD type = 0;
    DWORD size = 0;
    if (RegEnumValueW(key, index, name, &nameLength, nullptr, &type, nullptr, &size) !=
        ERROR_SUCCESS) {
      break;
    }
    std::vector<BYTE> bytes(size + sizeof(wchar_t));
    nameLength = 16384;
    if (RegEnumValueW(key, index, name, &nameLength, nullptr, &type, bytes.data(), &size) !=
        ERROR_SUCCESS) {
      throw std::runtime_error("a registry value changed while it was read");
    }
    values.push_back(valueRow(path, std::wstring(name, nameLength), type, bytes, size));
  }
  std::sort(values.begin(), values.end(),
            [](const RegistryRow& a, const RegistryRow& b) { return a.name < b.name; });
  const std::vector<std::wstring> subkeys = subkeyNames(key);
  if (values.empty() && subkeys.empty() && !path.empty()) {
    rows.push_back({path, L"", L"KEY", L""});
  }
  rows.insert(rows.end(), values.begin(), values.end());
  for (const std::wstring& subkey : subkeys) {
    OwnedKey child;
    if (RegOpenKeyExW(key, subkey.c_str(), 0, KEY_READ, child.put()) != ERROR_SUCCESS) {
      throw std::runtime_error("a registry key could not be opened for reading");
    }
    readKey(child.get(), path.empty() ? subkey : path + L"\\" + subkey, rows);
  }
}

}  // namespace

std::vector<RegistryRow> readRegistryRows(HKEY root) {
  std::vector<RegistryRow> rows;
  readKey(root, L"", rows);
  return rows;
}

}  // namespace velmo::win::packaging
