// The in-process server's exports: class objects, unload test and self-registration.

#include <windows.h>

#include <olectl.h>

#include <VelmoCls_h.h>

#include "com/class_registration.h"
#include "comserver/class1_object.h"
#include "comserver/clstestt_object.h"
#include "comserver/editor_binding.h"
#include "comserver/type_info_dispatch.h"
#include "comserver/windows_ui.h"

namespace velmo::win {
namespace {

constexpr ServedClass kClasses[] = {
    {&CLSID_clstestt, createClstestt, L"VelmoCls.clstestt", L"VelmoCls.clstestt"},
    {&CLSID_Class1, createClass1, L"VelmoCls.Class1", L"VelmoCls.Class1"},
};

// The library's entry for locale 0, beside the one RegisterTypeLib writes for its own locale.
// A type-library marshaller may look the library up there only (Wine's does): without it, a
// reference to _clstestt cannot be marshalled to another apartment. Locale 0 serves every locale.
std::wstring neutralTypeLibraryKey() {
  return L"TypeLib\\" + guidText(LIBID_VelmoCls) + L"\\1.0\\0";
}

// The type library keys are shared by the 32-bit and the 64-bit registry views, and each DLL
// has its own platform key below the locale: unregistering one leaves the other's.
const wchar_t* platformKey() {
  return sizeof(void*) == 8 ? L"win64" : L"win32";
}

HRESULT registerTypeLibrary() {
  std::wstring path = modulePath(thisModule());
  ComPtr<ITypeLib> library;
  try {
    library = ownTypeLibrary();
  } catch (const HostError& error) {
    return error.hresult();
  }
  // helptest.chm lies beside the DLL. Its folder is named with the closing backslash, the form an
  // installer package writes a folder in, so the packages carry this very row.
  std::wstring helpFolder = path.substr(0, path.find_last_of(L'\\') + 1);
  HRESULT hr = RegisterTypeLib(library.Get(), path.data(), helpFolder.data());
  if (SUCCEEDED(hr)) {
    hr = writeRegistryValues({{neutralTypeLibraryKey() + L"\\" + platformKey(), L"", path}});
  }
  return hr;
}

HRESULT unregisterTypeLibrary() {
  removeRegistryKeys({neutralTypeLibraryKey() + L"\\" + platformKey()});
  removeRegistryKeyIfEmpty(neutralTypeLibraryKey());
  // Unregistering what is not registered is no failure.
  Bstr registeredPath;
  if (FAILED(QueryPathOfRegTypeLib(LIBID_VelmoCls, 1, 0, 0x409, registeredPath.put()))) return S_OK;
  return UnRegisterTypeLib(LIBID_VelmoCls, 1, 0, 0x409, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
}

}  // namespace

}  // namespace velmo::win

using namespace velmo::win;

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  return getClassObject(kClasses, clsid, iid, out);
}

STDAPI DllCanUnloadNow() {
  // An open dialog runs the DLL's code even when no object is left (the offers window).
  if (!moduleUnused() || windowsUiInUse()) return S_FALSE;
  releaseWindowsUi();
  editorBinding().releaseEditor();
  return S_OK;
}

STDAPI DllRegisterServer() {
  try {
    HRESULT hr = writeRegistryValues(classRegistryValues(kClasses, &LIBID_VelmoCls));
    if (SUCCEEDED(hr)) hr = registerTypeLibrary();
    if (FAILED(hr)) DllUnregisterServer();
    return hr;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

STDAPI DllUnregisterServer() {
  try {
    const HRESULT keys = removeClassRegistration(kClasses);
    const HRESULT library = unregisterTypeLibrary();
    return FAILED(keys) ? keys : library;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}
