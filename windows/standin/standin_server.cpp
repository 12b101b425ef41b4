// Exports of the stand-in editor DLL: its one class, unload test and self-registration under the
// editor's programmatic identifier.

#include <windows.h>

#include <olectl.h>

#include "windows/com/class_registration.h"
#include "windows/standin/application.h"

namespace {

constexpr velmo::win::ServedClass kClasses[] = {
    {&velmo::standin::kStandInClsid, velmo::standin::createApplication, L"FrontPage.Application",
     L"VelmoCls stand-in editor"},
};

}  // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  return velmo::win::getClassObject(kClasses, clsid, iid, out);
}

STDAPI DllCanUnloadNow() {
  return velmo::win::moduleUnused() ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
  try {
    return velmo::win::writeRegistryValues(velmo::win::classRegistryValues(kClasses));
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

STDAPI DllUnregisterServer() {
  try {
    return velmo::win::removeClassRegistration(kClasses);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}
