#include "windows/com/dispatch_arguments.h"

#include <memory>
#include <new>

namespace velmo::win {
namespace {

// One FUNCDESC of a type information, released with the owner.
class FunctionDescription {
 public:
  FunctionDescription(ITypeInfo* info, UINT index) : info_(info) {
    if (FAILED(info->GetFuncDesc(index, &desc_))) desc_ = nullptr;
  }
  ~FunctionDescription() {
    if (desc_) info_->ReleaseFuncDesc(desc_);
  }
  FunctionDescription(const FunctionDescription&) = delete;
  FunctionDescription& operator=(const FunctionDescription&) = delete;
  const FUNCDESC* get() const { return desc_; }

 private:
  ITypeInfo* info_;
  FUNCDESC* desc_ = nullptr;
};

UINT functionCount(ITypeInfo* info) {
  TYPEATTR* attr = nullptr;
  if (FAILED(info->GetTypeAttr(&attr))) return 0;
  const UINT count = attr->cFuncs;
  info->ReleaseTypeAttr(attr);
  return count;
}

// The description of member `id` that answers a call with `flags`, or null when none does.
std::unique_ptr<FunctionDescription> describedMember(ITypeInfo* info, DISPID id, WORD flags) {
  for (UINT i = 0, count = functionCount(info); i < count; ++i) {
    auto candidate = std::make_unique<FunctionDescription>(info, i);
    const FUNCDESC* desc = candidate->get();
    if (desc && desc->memid == id && (desc->invkind & flags)) return candidate;
  }
  return nullptr;
}

bool isReturnValue(const ELEMDESC& param) {
  return (param.paramdesc.wParamFlags & PARAMFLAG_FRETVAL) != 0;
}

// The type a parameter takes its value in; VT_VARIANT takes any value.
VARTYPE valueType(const ELEMDESC& param) {
  const TYPEDESC* type = &param.tdesc;
  if (type->vt == VT_PTR && type->lptdesc) type = type->lptdesc;
  return type->vt;
}

HRESULT refuse(HRESULT hr, UINT* argError, UINT index) {
  if (argError) *argError = index;
  return hr;
}

constexpr UINT kNoArgument = ~0u;

// An object argument stands for its default value (DISPID_VALUE), read here once. The system's
// conversion would read the default value of that value again for as long as it is an object:
// for ever for an object whose default value is itself. An object whose default value is an
// object is no value.
HRESULT replaceByDefaultValue(Variant& value) {
  ComPtr<IDispatch> object;
  if (V_VT(&value) == VT_DISPATCH) {
    object = V_DISPATCH(&value);
  } else if (V_UNKNOWN(&value) &&
             FAILED(V_UNKNOWN(&value)->QueryInterface(IID_PPV_ARGS(&object)))) {
    object.Reset();
  }
  if (!object) return DISP_E_TYPEMISMATCH;
  DISPPARAMS none{};
  Variant result;
  HRESULT hr = object->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                              &none, result.put(), nullptr, nullptr);
  if (FAILED(hr)) return DISP_E_TYPEMISMATCH;
  if (FAILED(checkReferences(result))) return DISP_E_TYPEMISMATCH;
  Variant resolved;
  hr = VariantCopyInd(&resolved, &result);
  if (FAILED(hr)) return hr;
  const VARTYPE type = V_VT(&resolved);
  if (type == VT_DISPATCH || type == VT_UNKNOWN) return DISP_E_TYPEMISMATCH;
  value = std::move(resolved);
  return S_OK;
}

}  // namespace

HRESULT checkReferences(const VARIANT& value) {
  if (!(V_VT(&value) & VT_BYREF)) return S_OK;
  if (!V_BYREF(&value)) return DISP_E_TYPEMISMATCH;
  if (V_VT(&value) == (VT_BYREF | VT_VARIANT)) {
    const VARIANT& inner = *V_VARIANTREF(&value);
    // A reference to a reference to a variant is no automation value.
    if (V_VT(&inner) == (VT_BYREF | VT_VARIANT)) return DISP_E_TYPEMISMATCH;
    if ((V_VT(&inner) & VT_BYREF) && !V_BYREF(&inner)) return DISP_E_TYPEMISMATCH;
  }
  return S_OK;
}

UINT CheckedArguments::callerIndex(UINT index) const {
  return index < callerIndex_.size() ? callerIndex_[index] : 0;
}

HRESULT CheckedArguments::check(ITypeInfo* info, DISPID id, WORD flags, const DISPPARAMS& given,
                                UINT* argError) try {
  const std::unique_ptr<FunctionDescription> found = describedMember(info, id, flags);
  if (!found) return DISP_E_MEMBERNOTFOUND;
  const FUNCDESC* function = found->get();
  const bool put = (function->invkind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF)) != 0;

  std::vector<const ELEMDESC*> parameters;
  for (SHORT i = 0; i < function->cParams; ++i) {
    if (!isReturnValue(function->lprgelemdescParam[i])) {
      parameters.push_back(&function->lprgelemdescParam[i]);
    }
  }
  const UINT count = static_cast<UINT>(parameters.size());
  // Every put has its value parameter; a description without one is not called.
  if (put && count == 0) return DISP_E_BADPARAMCOUNT;
  if (given.cNamedArgs > given.cArgs) return DISP_E_BADPARAMCOUNT;

  // Where each parameter's argument stands in the caller's rgvarg: named ones first, in the order
  // named, then the positional ones right to left.
  std::vector<UINT> from(count, kNoArgument);
  bool namedValue = false;
  UINT named = 0;
  for (UINT k = 0; k < given.cNamedArgs; ++k) {
    const DISPID name = given.rgdispidNamedArgs[k];
    UINT parameter = 0;
    if (name == DISPID_PROPERTYPUT && put && count > 0) {
      parameter = count - 1;
      namedValue = true;
    } else if (name >= 0 && static_cast<UINT>(name) < (put ? count - 1 : count)) {
      parameter = static_cast<UINT>(name);
      ++named;
    } else {
      return refuse(DISP_E_PARAMNOTFOUND, argError, k);
    }
    if (from[parameter] != kNoArgument) return refuse(DISP_E_PARAMNOTFOUND, argError, k);
    from[parameter] = k;
  }
  // A property's new value comes named, as every automation client sends it.
  if (put && !namedValue) return DISP_E_PARAMNOTFOUND;
  if (given.cArgs > count) return DISP_E_BADPARAMCOUNT;
  const UINT positional = given.cArgs - given.cNamedArgs;
  for (UINT j = 0; j < positional; ++j) {
    const UINT index = given.cArgs - 1 - j;
    if (from[j] != kNoArgument) return refuse(DISP_E_PARAMNOTFOUND, argError, from[j]);
    from[j] = index;
  }
  for (UINT p = 0; p < count; ++p) {
    if (from[p] == kNoArgument) return named ? DISP_E_PARAMNOTOPTIONAL : DISP_E_BADPARAMCOUNT;
  }

  // Values in parameter order, checked and converted, then laid out right to left.
  values_.clear();
  values_.resize(count);
  callerIndex_.assign(count, 0);
  for (UINT p = 0; p < count; ++p) {
    const UINT index = from[p];
    const VARIANT& argument = given.rgvarg[index];
    Variant& value = values_[count - 1 - p];
    callerIndex_[count - 1 - p] = index;
    HRESULT hr = checkReferences(argument);
    if (SUCCEEDED(hr)) hr = VariantCopyInd(&value, const_cast<VARIANT*>(&argument));
    const VARTYPE type = valueType(*parameters[p]);
    const bool isObject = V_VT(&value) == VT_DISPATCH || V_VT(&value) == VT_UNKNOWN;
    if (SUCCEEDED(hr) && type != VT_VARIANT && V_VT(&value) != type && isObject) {
      hr = replaceByDefaultValue(value);
    }
    if (SUCCEEDED(hr) && type != VT_VARIANT && V_VT(&value) != type) {
      hr = VariantChangeType(&value, &value, 0, type);
    }
    if (hr == E_OUTOFMEMORY) return hr;
    if (FAILED(hr)) return refuse(DISP_E_TYPEMISMATCH, argError, index);
  }
  params_ = DISPPARAMS{values_.data(), put ? &putId_ : nullptr, count, put ? 1u : 0u};
  return S_OK;
} catch (const std::bad_alloc&) {
  return E_OUTOFMEMORY;
}

}  // namespace velmo::win
