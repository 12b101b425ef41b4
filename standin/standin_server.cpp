// Exports of the stand-in editor DLL: its one class, unload test and self-registration under the
// editor's programmatic identifier.

#include <windows.h>

#include <olectl.h>

#include "com/class_factory.h"
#include "com/registry_table.h"
#include "standin/application.h"

namespace {

constexpr velmo::win::ServedClass kClasses[] = {
    {&velmo::standin::kStandInClsid, velmo::standin::createApplication},
};

constexpr wchar_t kProgId[] = L"FrontPage.Application";

std::wstring clsidKey() {
  return L"CLSID\\" + velmo::win::guidText(velmo::standin::kStandInClsid);
}

}  // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  return velmo::win::getClassObject(kClasses, clsid, iid, out);
}

STDAPI DllCanUnloadNow() {
  return velmo::win::moduleUnused() ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
  try {
    const std::wstring key = clsidKey();
    return velmo::win::writeRegistryValues({
        {key, L"", L"VelmoCls stand-in editor"},
        {key + L"\\InprocServer32", L"", velmo::win::modulePath(velmo::win::thisModule())},
        {key + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {key + L"\\ProgID", L"", kProgId},
        {kProgId, L"", L"VelmoCls stand-in editor"},
        {std::wstring(kProgId) + L"\\CLSID", L"",
         velmo::win::guidText(velmo::standin::kStandInClsid)},
    });
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

STDAPI DllUnregisterServer() {
  try {
    return velmo::win::removeRegistryKeys({clsidKey(), kProgId});
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}
