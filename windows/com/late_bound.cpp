#include "windows/com/late_bound.h"

#include <algorithm>

namespace velmo::win {

bool isGone(HRESULT hr) {
  switch (hr) {
    case RPC_E_DISCONNECTED:
    case RPC_E_SERVER_DIED:
    case RPC_E_SERVER_DIED_DNE:
    case CO_E_OBJNOTCONNECTED:
    case HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE):
    case HRESULT_FROM_WIN32(RPC_S_CALL_FAILED):
    // Wine's answer through a proxy whose object went with its apartment's thread.
    case HRESULT_FROM_WIN32(RPC_S_UNKNOWN_IF):
      return true;
    default:
      return false;
  }
}

namespace {

HostError goneFailure(std::u16string_view name, HRESULT hr) {
  return HostError(hr, u"The program behind this object has gone away, so \"" +
                           std::u16string(name) + u"\" cannot be called");
}

}  // namespace

HostError callFailure(std::u16string_view name, HRESULT hr, EXCEPINFO& info) {
  if (isGone(hr)) return goneFailure(name, hr);
  if (hr != DISP_E_EXCEPTION) {
    return HostError(hr, u"The call of \"" + std::u16string(name) + u"\" failed");
  }
  if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
  const Bstr description(textOf(info.bstrDescription));
  SysFreeString(info.bstrDescription);
  SysFreeString(info.bstrSource);
  SysFreeString(info.bstrHelpFile);
  HRESULT code = info.scode;
  if (!FAILED(code)) code = info.wCode ? MAKE_HRESULT(1, FACILITY_CONTROL, info.wCode) : E_FAIL;
  std::u16string text = description.text();
  if (text.empty()) text = u"The call of \"" + std::u16string(name) + u"\" failed";
  return HostError(code, std::move(text));
}

Variant LateBound::get(std::u16string_view name, std::vector<Variant> args) const {
  return invoke(name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, args, false);
}

void LateBound::put(std::u16string_view name, Variant value) const {
  std::vector<Variant> args;
  args.push_back(std::move(value));
  invoke(name, DISPATCH_PROPERTYPUT, args, true);
}

Variant LateBound::call(std::u16string_view name, std::vector<Variant> args) const {
  return invoke(name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, false);
}

std::optional<HostError> LateBound::tryGet(std::u16string_view name, Variant& result) const {
  std::vector<Variant> args;
  return attempt(name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, args, false, result);
}

Variant LateBound::invoke(std::u16string_view name, WORD flags, std::vector<Variant>& args,
                          bool propertyPut) const {
  Variant result;
  if (auto failure = attempt(name, flags, args, propertyPut, result)) throw std::move(*failure);
  return result;
}

std::optional<HostError> LateBound::attempt(std::u16string_view name, WORD flags,
                                            std::vector<Variant>& args, bool propertyPut,
                                            Variant& result) const {
  if (!object_) return HostError(velmo::hr::kObjectNotSet, u"Object variable not set");
  std::u16string nameText(name);
  LPOLESTR names[] = {reinterpret_cast<LPOLESTR>(nameText.data())};
  DISPID id = DISPID_UNKNOWN;
  HRESULT hr = object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (isGone(hr)) return goneFailure(name, hr);
  if (FAILED(hr)) return HostError(hr, u"The object does not support \"" + nameText + u"\"");
  // Arguments go right to left.
  std::reverse(args.begin(), args.end());
  DISPID putId = DISPID_PROPERTYPUT;
  DISPPARAMS params{args.data(), propertyPut ? &putId : nullptr, static_cast<UINT>(args.size()),
                    propertyPut ? 1u : 0u};
  EXCEPINFO info{};
  UINT argError = 0;
  hr = object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                       propertyPut ? nullptr : result.put(), &info, &argError);
  if (FAILED(hr)) return callFailure(name, hr, info);
  return std::nullopt;
}

}  // namespace velmo::win
