#include <windows.h>
// windows.h first: shellapi.h needs its types.
#include <shellapi.h>

#include "core/common/code_points.h"
#include "core/common/host_error.h"
#include "core/common/text.h"
#include "desktop/xdg_open.h"

namespace velmo::desktop {
namespace {

constexpr std::int32_t kInvalidProcedureCall = static_cast<std::int32_t>(0x800A0005);

bool convertsWhole(const std::u16string& text) {
  return text.find(u'\0') == std::u16string::npos && isWellFormedUtf16(text);
}

}  // namespace

// The shell itself answers on Windows, with the same numbers the Linux opener imitates.
std::intptr_t XdgOpenShell::open(const std::u16string& address) {
  lastAnswer_.reset();
  if (!convertsWhole(address)) {
    throw HostError(kInvalidProcedureCall, u"Invalid procedure call or argument");
  }
  const std::wstring wide(address.begin(), address.end());
  lastAnswer_ = reinterpret_cast<std::intptr_t>(
      ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return *lastAnswer_;
}

}  // namespace velmo::desktop
