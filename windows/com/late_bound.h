#pragma once
// Calls on an automation object by member name, the way a late-bound client makes them. Failures
// are thrown as HostError with the callee's HRESULT and description.

#include <windows.h>

#include <optional>
#include <string_view>
#include <vector>

#include "core/common/host_error.h"
#include "windows/com/com_values.h"

namespace velmo::win {

class LateBound {
 public:
  explicit LateBound(ComPtr<IDispatch> object) : object_(std::move(object)) {}

  // A property read, or a read with arguments (an indexed property or a method's result).
  Variant get(std::u16string_view name, std::vector<Variant> args = {}) const;
  void put(std::u16string_view name, Variant value) const;
  Variant call(std::u16string_view name, std::vector<Variant> args = {}) const;
  // A property read that hands back its failure instead of throwing it, for callers that try
  // again elsewhere: no exception is in flight while they do.
  std::optional<HostError> tryGet(std::u16string_view name, Variant& result) const;

  IDispatch* object() const { return object_.Get(); }

 private:
  Variant invoke(std::u16string_view name, WORD flags, std::vector<Variant>& args,
                 bool propertyPut) const;
  std::optional<HostError> attempt(std::u16string_view name, WORD flags, std::vector<Variant>& args,
                                   bool propertyPut, Variant& result) const;
  ComPtr<IDispatch> object_;
};

// The description a failed call reports, from its EXCEPINFO when the callee filled one in.
HostError callFailure(std::u16string_view name, HRESULT hr, EXCEPINFO& info);

// True for the codes COM gives for an object whose program has ended or cut its connections.
bool isGone(HRESULT hr);

}  // namespace velmo::win
