// Prints the registry rows a DLL's own registration writes, for the installer packages to carry:
// the DLL is loaded and its DllRegisterServer called while HKEY_CLASSES_ROOT of this process
// leads to a scratch key, so nothing reaches the real classes, and the scratch key is read back.
//   velmo_registry_rows.exe DLL
// Output, UTF-8: "module<TAB>PATH" (the DLL's path as it sees itself, which the rows hold where
// they name it), then one line per row: KEY<TAB>NAME<TAB>KIND<TAB>DATA. Exit status 0, or 1 with
// the reason on standard error.

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

#include "packaging/windows/registry_snapshot.h"
#include "windows/com/registry_table.h"

namespace velmo::win::packaging {
namespace {

std::string utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                      nullptr, nullptr);
  return bytes;
}

// A field with a tab or a line break would split the line; no registration of ours writes one.
std::string field(const std::wstring& text) {
  if (text.find_first_of(L"\t\r\n") != std::wstring::npos) {
    throw std::runtime_error("a registry row holds a tab or a line break: " + utf8(text));
  }
  return utf8(text);
}

struct LibraryRelease {
  void operator()(HMODULE module) const { FreeLibrary(module); }
};
using OwnedLibrary = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryRelease>;

struct ComApartment {
  ComApartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  ~ComApartment() { CoUninitialize(); }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
};

// A key of its own under HKEY_CURRENT_USER, removed with its content when it goes. (It cannot be
// volatile: a volatile key takes only volatile subkeys, and registration makes ordinary ones.)
class ScratchKey {
 public:
  ScratchKey()
      : name_(L"Software\\VelmoCls registry rows " + std::to_wstring(GetCurrentProcessId())) {
    RegDeleteTreeW(HKEY_CURRENT_USER, name_.c_str());
    if (RegCreateKeyExW(HKEY_CURRENT_USER, name_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, key_.put(), nullptr) != ERROR_SUCCESS) {
      throw std::runtime_error("cannot create a scratch registry key");
    }
  }
  ~ScratchKey() {
    RegDeleteTreeW(key_.get(), nullptr);
    RegDeleteKeyW(HKEY_CURRENT_USER, name_.c_str());
  }
  ScratchKey(const ScratchKey&) = delete;
  ScratchKey& operator=(const ScratchKey&) = delete;

  HKEY get() const { return key_.get(); }

 private:
  std::wstring name_;
  OwnedKey key_;
};

// HKEY_CLASSES_ROOT of this process leads to `key` while this lives.
class ClassesRedirect {
 public:
  explicit ClassesRedirect(HKEY key) {
    if (RegOverridePredefKey(HKEY_CLASSES_ROOT, key) != ERROR_SUCCESS) {
      throw std::runtime_error("cannot redirect HKEY_CLASSES_ROOT");
    }
  }
  ~ClassesRedirect() { RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr); }
  ClassesRedirect(const ClassesRedirect&) = delete;
  ClassesRedirect& operator=(const ClassesRedirect&) = delete;
};

void printRows(const std::wstring& dllPath) {
  const ComApartment apartment;
  const ScratchKey scratch;
  OwnedLibrary library(LoadLibraryExW(dllPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  if (!library) throw std::runtime_error("cannot load " + utf8(dllPath));
  using Register = HRESULT(STDAPICALLTYPE*)();
  const auto registerServer = reinterpret_cast<Register>(
      reinterpret_cast<void*>(GetProcAddress(library.get(), "DllRegisterServer")));
  if (registerServer == nullptr) throw std::runtime_error("the DLL has no DllRegisterServer");
  {
    const ClassesRedirect redirect(scratch.get());
    const HRESULT hr = registerServer();
    if (FAILED(hr)) {
      char code[16];
      std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
      throw std::runtime_error(std::string("DllRegisterServer failed: ") + code);
    }
  }
  std::string out = "module\t" + field(modulePath(library.get())) + "\n";
  for (const RegistryRow& row : readRegistryRows(scratch.get())) {
    out += field(row.key) + "\t" + field(row.name) + "\t" + field(row.kind) + "\t" +
           field(row.data) + "\n";
  }
  _setmode(_fileno(stdout), _O_BINARY);
  if (fwrite(out.data(), 1, out.size(), stdout) != out.size() || fflush(stdout) != 0) {
    throw std::runtime_error("cannot write the rows");
  }
}

}  // namespace
}  // namespace velmo::win::packaging

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fputs("usage: velmo_registry_rows DLL\n", stderr);
    return 1;
  }
  try {
    velmo::win::packaging::printRows(argv[1]);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "velmo_registry_rows: %s\n", error.what());
    return 1;
  }
}
