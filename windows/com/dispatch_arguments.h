#pragma once
// The arguments of one IDispatch::Invoke, checked against the member's description in the type
// information before anything runs. A caller may send any DISPPARAMS: too many or too few
// arguments, names the member does not have or names given twice, by-reference arguments whose
// pointer is null, values of types that are no text. The system's type-library invoke copies
// references without looking at the pointer and leaves the argument index unset on some refusals,
// so every such call is answered here, with the index of the argument at fault, and never reaches
// the method.

#include <windows.h>

#include <vector>

#include "windows/com/com_values.h"

namespace velmo::win {

// A call ready for ITypeInfo::Invoke: every argument a value of its parameter's type, given by
// position (right to left, as DISPPARAMS lists them), plus the named value of a property put.
class CheckedArguments {
 public:
  CheckedArguments() = default;
  CheckedArguments(const CheckedArguments&) = delete;
  CheckedArguments& operator=(const CheckedArguments&) = delete;

  // Checks `given` for member `id` called with `flags`. On a refusal returns the DISP_E_ code
  // (or E_POINTER, E_OUTOFMEMORY) and, where the fault lies in one argument, sets *argError to
  // its index in given.rgvarg.
  HRESULT check(ITypeInfo* info, DISPID id, WORD flags, const DISPPARAMS& given, UINT* argError);

  DISPPARAMS* params() { return &params_; }
  // The index in the caller's rgvarg of the argument that is `index` in params().
  UINT callerIndex(UINT index) const;

 private:
  std::vector<Variant> values_;
  std::vector<UINT> callerIndex_;
  DISPID putId_ = DISPID_PROPERTYPUT;
  DISPPARAMS params_{};
};

// S_OK when a by-reference argument's pointer, and that of a variant it refers to, can be
// followed; DISP_E_TYPEMISMATCH when one is null.
HRESULT checkReferences(const VARIANT& value);

}  // namespace velmo::win
