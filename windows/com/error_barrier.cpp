#include "windows/com/error_barrier.h"

#include "core/common/text.h"
#include "windows/com/com_values.h"

namespace velmo::win {

void setErrorInfo(REFIID iid, std::u16string_view source, std::u16string_view description) {
  ComPtr<ICreateErrorInfo> create;
  if (FAILED(CreateErrorInfo(&create))) return;
  const Bstr sourceText(source);
  const Bstr descriptionText(description);
  create->SetGUID(iid);
  create->SetSource(sourceText.get());
  create->SetDescription(descriptionText.get());
  ComPtr<IErrorInfo> info;
  if (SUCCEEDED(create.As(&info))) SetErrorInfo(0, info.Get());
}

void clearErrorInfo() {
  SetErrorInfo(0, nullptr);
}

HRESULT failureCode(std::int32_t code) {
  return FAILED(code) ? static_cast<HRESULT>(code) : E_FAIL;
}

HostError currentError() {
  return hostErrorOf(std::current_exception(), u"Unexpected failure");
}

}  // namespace velmo::win
