// The in-process server's exports: class objects, unload test and self-registration, and its
// entry point: the DLL stays loaded once loaded, and each thread's dialogs end with the thread.

#include <windows.h>

#include <olectl.h>

#include <VelmoCls_h.h>

#include "windows/com/class_registration.h"
#include "windows/dll/class1_object.h"
#include "windows/dll/clstestt_object.h"
#include "windows/dll/type_info_dispatch.h"
#include "windows/dll/windows_ui.h"
#include "windows/editor_binding/editor_binding.h"

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

// The DLL pins itself on its first load. Its C++ and thread runtimes are linked into it, and
// those leave handles and memory behind each time a DLL carrying them is unloaded; a host that
// frees unused libraries often would lose them for every cycle. Pinned, it is loaded once per
// process, and a thread's dialogs can end with the thread whenever that comes.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID processEnding) {
  switch (reason) {
    case DLL_PROCESS_ATTACH: {
      HMODULE pinned = nullptr;
      GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                         reinterpret_cast<LPCWSTR>(&DllMain), &pinned);
      break;
    }
    case DLL_THREAD_DETACH:
      endThreadUi();
      break;
    case DLL_PROCESS_DETACH:
      if (processEnding) abandonWindowsUi();
      break;
    default:
      break;
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  return getClassObject(kClasses, clsid, iid, out);
}

STDAPI DllCanUnloadNow() {
  // An open dialog runs the DLL's code even when no object is left (the offers window). When
  // nothing is in use the editor is let go, so that the library keeps no program running; COM's
  // FreeLibrary then leaves the pinned DLL where it is, and the next object made finds the
  // editor anew.
  if (!moduleUnused() || windowsUiInUse()) return S_FALSE;
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
