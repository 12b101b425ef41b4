#pragma once
// IDispatch by member name without a type library: each object lists its member names, and one
// Invoke turns a late-bound call into a call of the object's `invoke` with the arguments as
// values. Failures reach the caller as DISP_E_EXCEPTION with the description in EXCEPINFO.

#include <windows.h>

#include <span>
#include <string_view>
#include <vector>

#include "windows/com/com_object.h"
#include "windows/com/com_values.h"

namespace velmo::standin {

using win::ComPtr;
using win::Variant;

// One late-bound call: the arguments in call order, each resolved to its value.
class Call {
 public:
  Call(WORD flags, const DISPPARAMS& params);

  bool isPut() const { return put_; }
  std::size_t count() const { return args_.size(); }
  // The argument at `index`; DISP_E_PARAMNOTOPTIONAL when the caller gave fewer.
  const Variant& arg(std::size_t index) const;
  std::u16string text(std::size_t index) const { return arg(index).toText(); }
  std::int32_t int32(std::size_t index, std::int32_t fallback) const;
  bool boolean(std::size_t index, bool fallback) const;
  std::u16string text(std::size_t index, std::u16string_view fallback) const;
  // The value of a property put (the last argument).
  const Variant& value() const;

 private:
  bool put_;
  std::vector<Variant> args_;
};

// Thrown for calls that do not fit the member (wrong argument count, read-only property); the
// caller gets the code itself rather than an exception.
struct DispatchFault {
  HRESULT code;
};

class AutomationObject : public win::ComObject<IDispatch> {
 public:
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** out) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argError) override;

 protected:
  // Member names; a member's DISPID is its index plus one. Names match ignoring ASCII case.
  virtual std::span<const std::u16string_view> members() const = 0;
  virtual Variant invoke(std::size_t member, const Call& call) = 0;
  // Whether the member is a property that can be set; puts of other members are refused.
  virtual bool writable(std::size_t) const { return false; }
};

// A new object of type T handed out in a VARIANT (the VARIANT holds its one reference).
template <typename T, typename... Args>
Variant objectResult(Args&&... args) {
  T* object = new T(std::forward<Args>(args)...);
  Variant result;
  V_VT(&result) = VT_DISPATCH;
  V_DISPATCH(&result) = object;
  return result;
}

}  // namespace velmo::standin
