#pragma once
// IDispatch through the type information of the library's own type library, for the dual
// interfaces. Script clients pass variables by reference (VT_BYREF | VT_VARIANT), which a plain
// type-library invoke refuses for a BSTR* parameter; every argument is therefore checked and
// resolved to a value copy first (CheckedArguments). The methods then see copies, so a caller's
// variable is never changed.

#include <windows.h>

#include <vector>

#include "windows/com/com_object.h"
#include "windows/com/com_values.h"
#include "windows/com/dispatch_arguments.h"

namespace velmo::win {

// The type library embedded in this DLL; HostError when it cannot be loaded.
ComPtr<ITypeLib> ownTypeLibrary();

// The type information of `iid` in the type library embedded in this DLL.
ComPtr<ITypeInfo> ownTypeInfo(REFIID iid);

template <typename Interface>
class TypeInfoDispatch : public ComObject<Interface, ISupportErrorInfo> {
 public:
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    return withTypeInfo([&](ITypeInfo* info) {
      info->AddRef();
      *out = info;
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (!names || !ids) return E_POINTER;
    return withTypeInfo(
        [&](ITypeInfo* info) { return DispGetIDsOfNames(info, names, count, ids); });
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argError) override {
    const typename TypeInfoDispatch::CallReference alive(*this);
    // A refused call must not leave an earlier call's description for the caller to find.
    clearErrorInfo();
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (!params || (params->cArgs && !params->rgvarg) ||
        (params->cNamedArgs && !params->rgdispidNamedArgs)) {
      return E_POINTER;
    }
    return withTypeInfo([&](ITypeInfo* info) {
      CheckedArguments arguments;
      HRESULT hr = arguments.check(info, id, flags, *params, argError);
      if (FAILED(hr)) return hr;
      UINT index = 0;
      hr = info->Invoke(static_cast<Interface*>(this), id, flags, arguments.params(), result,
                        exception, &index);
      if ((hr == DISP_E_TYPEMISMATCH || hr == DISP_E_PARAMNOTFOUND) && argError) {
        *argError = arguments.callerIndex(index);
      }
      return hr;
    });
  }

  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override {
    return iid == __uuidof(Interface) ? S_OK : S_FALSE;
  }

 protected:
  // Runs a method body behind the error barrier, reporting errors against this interface.
  template <typename Body>
  HRESULT guarded(Body&& body) noexcept {
    const typename TypeInfoDispatch::CallReference alive(*this);
    return errorBarrier(__uuidof(Interface), std::forward<Body>(body), source());
  }
  virtual std::u16string_view source() const = 0;

 private:
  template <typename Use>
  static HRESULT withTypeInfo(Use&& use) noexcept {
    try {
      static const ComPtr<ITypeInfo> info = ownTypeInfo(__uuidof(Interface));
      return use(info.Get());
    } catch (...) {
      return failureCode(currentError().hresult());
    }
  }
};

}  // namespace velmo::win
