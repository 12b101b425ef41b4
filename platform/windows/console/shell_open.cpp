#include <windows.h>
// windows.h first: shellapi.h needs its types.
#include <shellapi.h>

#include "common/host_error.h"
#include "common/text.h"
#include "platform/linux/xdg_open.h"

namespace velmo::linux_desktop {
namespace {

constexpr std::int32_t kInvalidProcedureCall = static_cast<std::int32_t>(0x800A0005);

bool convertsWhole(const std::u16string& text) {
  if (text.find(u'\0') != std::u16string::npos) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return false;
      ++i;
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      return false;
    }
  }
  return true;
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

}  // namespace velmo::linux_desktop
