#include "file_host/files/file_error.h"

#include <cerrno>
#include <string>
#include <system_error>

#include "core/common/host_error.h"
#include "core/common/text.h"
#include "file_host/files/atomic_file.h"

namespace velmo::file_host {

std::int32_t hresultOfErrno(int err) {
  switch (err) {
    case ENOENT:
      return hr::kPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
      return hr::kAccessDenied;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
      return hr::kDiskFull;
    default:
      return hr::kFail;
  }
}

void failOnFile(int err, std::u16string_view action, const std::filesystem::path& path) {
  throw HostError(hresultOfErrno(err), std::u16string(action) + u" '" + shownPath(path) + u"': " +
                                           utf8ToUtf16(std::generic_category().message(err)));
}

}  // namespace velmo::file_host
