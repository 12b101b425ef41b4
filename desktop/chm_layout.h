#pragma once
// The layout checks a compiled help file passes before libchm reads it. libchm trusts every
// offset, length and index in the file: a damaged file makes it read and write outside its
// buffers or loop for ever. These checks cover every value libchm uses, as libchm reads it.

#include <optional>
#include <string>
#include <string_view>

namespace velmo::desktop {

// The largest help file read, and the most an object of it may unpack to.
inline constexpr std::size_t kHelpFileLimit = std::size_t{64} << 20;
inline constexpr std::uint64_t kUnpackedLimit = std::uint64_t{256} << 20;

// What is wrong with the file's layout, in words; nothing when libchm may read it.
std::optional<std::string> chmLayoutFault(std::string_view file);

}  // namespace velmo::desktop
