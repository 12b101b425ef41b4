#include "windows/platform/registry_settings_store.h"

#include <windows.h>

#include "windows/platform/win_text.h"

namespace velmo::win {
namespace {

class RegistryKey {
 public:
  RegistryKey() = default;
  ~RegistryKey() {
    if (key_) RegCloseKey(key_);
  }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  HKEY get() const { return key_; }
  HKEY* put() { return &key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

std::wstring settingsKeyPath(const std::u16string& application, const std::u16string& section) {
  return L"Software\\VB and VBA Program Settings\\" + wide(application) + L"\\" + wide(section);
}

std::u16string RegistrySettingsStore::get(const std::u16string& application,
                                          const std::u16string& section, const std::u16string& key,
                                          const std::u16string& fallback) {
  RegistryKey opened;
  LONG status = RegOpenKeyExW(HKEY_CURRENT_USER, settingsKeyPath(application, section).c_str(), 0,
                              KEY_QUERY_VALUE, opened.put());
  if (status == ERROR_FILE_NOT_FOUND) return fallback;
  if (status != ERROR_SUCCESS) throw win32Error(status, u"The settings cannot be read");

  const std::wstring name = wide(key);
  DWORD type = 0;
  DWORD bytes = 0;
  status = RegQueryValueExW(opened.get(), name.c_str(), nullptr, &type, nullptr, &bytes);
  if (status == ERROR_FILE_NOT_FOUND || (status == ERROR_SUCCESS && type != REG_SZ)) {
    return fallback;
  }
  // The value may change between the two reads; a grown value is read again.
  while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    status = RegQueryValueExW(opened.get(), name.c_str(), nullptr, &type,
                              reinterpret_cast<BYTE*>(text.data()), &bytes);
    if (status == ERROR_SUCCESS) {
      if (type != REG_SZ) return fallback;
      text.resize(bytes / sizeof(wchar_t));
      // A stored text may or may not end with its NUL.
      while (!text.empty() && text.back() == L'\0') text.pop_back();
      return utf16(text);
    }
  }
  if (status == ERROR_FILE_NOT_FOUND) return fallback;
  throw win32Error(status, u"The settings cannot be read");
}

void RegistrySettingsStore::save(const std::u16string& application, const std::u16string& section,
                                 const std::u16string& key, const std::u16string& value) {
  RegistryKey created;
  LONG status = RegCreateKeyExW(HKEY_CURRENT_USER, settingsKeyPath(application, section).c_str(), 0,
                                nullptr, 0, KEY_SET_VALUE, nullptr, created.put(), nullptr);
  if (status == ERROR_SUCCESS) {
    const std::wstring text = wide(value);
    status = RegSetValueExW(created.get(), wide(key).c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
  if (status != ERROR_SUCCESS) throw win32Error(status, u"The settings cannot be saved");
}

}  // namespace velmo::win
