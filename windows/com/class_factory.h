#pragma once
// The class factory of one creatable class. Aggregation is refused: no class of ours is built to
// be an inner object.

#include <windows.h>

#include <span>

#include "windows/com/com_object.h"

namespace velmo::win {

using CreateFunction = HRESULT (*)(REFIID iid, void** out);

class ClassFactory : public ComObject<IClassFactory> {
 public:
  explicit ClassFactory(CreateFunction create) : create_(create) {}

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return create_(iid, out);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    return lockServer(lock != FALSE) ? S_OK : E_UNEXPECTED;
  }

 private:
  CreateFunction create_;
};

// A class this DLL serves: what DllGetClassObject makes, and what self-registration writes
// (windows/com/class_registration.h). One table per DLL holds both.
struct ServedClass {
  const CLSID* clsid;
  CreateFunction create;
  const wchar_t* progId;
  const wchar_t* description;
};

// DllGetClassObject over a table of served classes.
inline HRESULT getClassObject(std::span<const ServedClass> classes, REFCLSID clsid, REFIID iid,
                              void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  for (const ServedClass& served : classes) {
    if (*served.clsid == clsid) return createObject<ClassFactory>(iid, out, served.create);
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

}  // namespace velmo::win
