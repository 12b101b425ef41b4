#include "windows/standin/automation_object.h"

#include "core/common/host_error.h"
#include "core/common/text.h"
#include "windows/com/error_barrier.h"

namespace velmo::standin {

Call::Call(WORD flags, const DISPPARAMS& params)
    : put_((flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0) {
  args_.reserve(params.cArgs);
  // DISPPARAMS lists the arguments right to left.
  for (UINT i = params.cArgs; i-- > 0;) args_.push_back(Variant::valueOf(params.rgvarg[i]));
}

const Variant& Call::arg(std::size_t index) const {
  if (index >= args_.size()) throw DispatchFault{DISP_E_PARAMNOTOPTIONAL};
  return args_[index];
}

std::int32_t Call::int32(std::size_t index, std::int32_t fallback) const {
  return index < args_.size() && V_VT(&args_[index]) != VT_ERROR ? args_[index].toInt32()
                                                                 : fallback;
}

bool Call::boolean(std::size_t index, bool fallback) const {
  return index < args_.size() && V_VT(&args_[index]) != VT_ERROR ? args_[index].toBool() : fallback;
}

std::u16string Call::text(std::size_t index, std::u16string_view fallback) const {
  return index < args_.size() && V_VT(&args_[index]) != VT_ERROR ? args_[index].toText()
                                                                 : std::u16string(fallback);
}

const Variant& Call::value() const {
  if (args_.empty()) throw DispatchFault{DISP_E_PARAMNOTOPTIONAL};
  return args_.back();
}

HRESULT AutomationObject::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT AutomationObject::GetTypeInfo(UINT, LCID, ITypeInfo** out) {
  if (out) *out = nullptr;
  return DISP_E_BADINDEX;
}

HRESULT AutomationObject::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                        DISPID* ids) {
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  if (!names || !ids) return E_POINTER;
  HRESULT result = S_OK;
  for (UINT i = 0; i < count; ++i) {
    ids[i] = DISPID_UNKNOWN;
    // Only the member name (the first) is looked up; argument names are not supported.
    if (i > 0) {
      result = DISP_E_UNKNOWNNAME;
      continue;
    }
    const std::u16string_view name(reinterpret_cast<const char16_t*>(names[i]));
    const auto list = members();
    for (std::size_t m = 0; m < list.size(); ++m) {
      if (equalsIgnoreAsciiCase(list[m], name)) ids[i] = static_cast<DISPID>(m + 1);
    }
    if (ids[i] == DISPID_UNKNOWN) result = DISP_E_UNKNOWNNAME;
  }
  return result;
}

HRESULT AutomationObject::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                 VARIANT* result, EXCEPINFO* exception, UINT*) {
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  if (!params) return E_INVALIDARG;
  if (id < 1 || static_cast<std::size_t>(id) > members().size()) return DISP_E_MEMBERNOTFOUND;
  if (result) VariantInit(result);
  try {
    const Call call(flags, *params);
    if (call.isPut() && !writable(static_cast<std::size_t>(id - 1))) return DISP_E_MEMBERNOTFOUND;
    Variant value = invoke(static_cast<std::size_t>(id - 1), call);
    if (result) value.moveTo(result);
    return S_OK;
  } catch (const DispatchFault& fault) {
    return fault.code;
  } catch (...) {
    try {
      const HostError error = win::currentError();
      if (exception) {
        *exception = EXCEPINFO{};
        exception->scode = win::failureCode(error.hresult());
        exception->bstrSource = win::allocBstr(u"FrontPage.Application");
        exception->bstrDescription = win::allocBstr(error.description());
      }
      return DISP_E_EXCEPTION;
    } catch (...) {
      return E_OUTOFMEMORY;
    }
  }
}

}  // namespace velmo::standin
