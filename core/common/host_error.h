#pragma once
// The one error type for failures of the editor, the page or the site. It carries what the
// COM boundary hands back to the caller: an HRESULT and a description.

#include <cstdint>
#include <exception>
#include <stdexcept>
#include <string>

#include "core/common/text.h"

namespace velmo {

// HRESULT values used by the core and the page host over files, spelled out so that the portable
// code needs no Windows headers.
namespace hr {
inline constexpr std::int32_t kFail = static_cast<std::int32_t>(0x80004005);        // E_FAIL
inline constexpr std::int32_t kNotImpl = static_cast<std::int32_t>(0x80004001);     // E_NOTIMPL
inline constexpr std::int32_t kInvalidArg = static_cast<std::int32_t>(0x80070057);  // E_INVALIDARG
inline constexpr std::int32_t kAccessDenied =
    static_cast<std::int32_t>(0x80070005);  // E_ACCESSDENIED
inline constexpr std::int32_t kFileNotFound =
    static_cast<std::int32_t>(0x80070002);  // ERROR_FILE_NOT_FOUND
inline constexpr std::int32_t kPathNotFound =
    static_cast<std::int32_t>(0x80070003);  // ERROR_PATH_NOT_FOUND
inline constexpr std::int32_t kFileExists =
    static_cast<std::int32_t>(0x80070050);  // ERROR_FILE_EXISTS
inline constexpr std::int32_t kDiskFull = static_cast<std::int32_t>(0x80070070);  // ERROR_DISK_FULL
inline constexpr std::int32_t kInvalidData =
    static_cast<std::int32_t>(0x8007000D);  // ERROR_INVALID_DATA
inline constexpr std::int32_t kBadIndex = static_cast<std::int32_t>(0x8002000B);  // DISP_E_BADINDEX
inline constexpr std::int32_t kOutOfMemory =
    static_cast<std::int32_t>(0x8007000E);                                        // E_OUTOFMEMORY
inline constexpr std::int32_t kOverflow = static_cast<std::int32_t>(0x8002000A);  // DISP_E_OVERFLOW
// "Object variable not set": what a late-bound client gets when a lookup yields nothing.
inline constexpr std::int32_t kObjectNotSet = static_cast<std::int32_t>(0x800A005B);
}  // namespace hr

class HostError : public std::runtime_error {
 public:
  HostError(std::int32_t hresult, std::u16string description)
      : std::runtime_error(utf16ToUtf8(description)),
        hresult_(hresult),
        description_(std::move(description)) {}

  std::int32_t hresult() const noexcept { return hresult_; }
  const std::u16string& description() const noexcept { return description_; }

 private:
  std::int32_t hresult_;
  std::u16string description_;
};

// The error an exception stands for, wherever a failure must become a message or an HRESULT: a
// HostError as it is; running out of memory as E_OUTOFMEMORY; anything else as E_FAIL with its
// what() when that is readable text, otherwise `unknown`.
HostError hostErrorOf(std::exception_ptr error, std::u16string_view unknown);

}  // namespace velmo
