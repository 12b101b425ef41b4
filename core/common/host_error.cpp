#include "core/common/host_error.h"

#include <new>

namespace velmo {

HostError hostErrorOf(std::exception_ptr error, std::u16string_view unknown) {
  try {
    std::rethrow_exception(error);
  } catch (const HostError& e) {
    return e;
  } catch (const std::bad_alloc&) {
    return HostError(hr::kOutOfMemory, u"Out of memory");
  } catch (const std::exception& e) {
    const std::string_view what = e.what();
    return HostError(hr::kFail, isValidUtf8(what) ? utf8ToUtf16(what) : std::u16string(unknown));
  } catch (...) {
    return HostError(hr::kFail, std::u16string(unknown));
  }
}

}  // namespace velmo
