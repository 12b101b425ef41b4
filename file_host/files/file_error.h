#pragma once
// The error a failed file operation reports: what was tried, on which file, and why.

#include <cstdint>
#include <filesystem>
#include <string_view>

namespace velmo::file_host {

// The HRESULT that tells the core what kind of failure an errno value is.
std::int32_t hresultOfErrno(int err);

// HostError "ACTION 'PATH': REASON", REASON being the system's words for `err`.
[[noreturn]] void failOnFile(int err, std::u16string_view action,
                             const std::filesystem::path& path);

}  // namespace velmo::file_host
