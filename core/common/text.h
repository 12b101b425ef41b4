#pragma once
// Text helpers shared by the core and the platform code. The core keeps all text as UTF-16;
// files and the command line speak UTF-8.

#include <cstddef>
#include <string>
#include <string_view>

namespace velmo {

// True when `bytes` is well-formed UTF-8 (no overlong forms, no surrogates, at most U+10FFFF).
bool isValidUtf8(std::string_view bytes);

// Decodes the code point at byte `at`: its length in bytes, or 0 when the bytes there are no
// well-formed UTF-8.
std::size_t decodeUtf8(std::string_view bytes, std::size_t at, char32_t& codePoint);

// Converts well-formed UTF-8; throws std::invalid_argument naming the byte offset otherwise.
std::u16string utf8ToUtf16(std::string_view bytes);

// Unpaired surrogates become U+FFFD: a page is never written with ill-formed UTF-8.
std::string utf16ToUtf8(std::u16string_view text);

// ASCII letters compare without case; every other code unit compares exactly. These are the
// case rules of HTML names, CSS keywords and encoding labels, whatever the locale.
constexpr char16_t asciiLower(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}
constexpr char asciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}
constexpr bool isAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
std::string asciiLowered(std::string_view text);
bool equalsIgnoreAsciiCase(std::u16string_view a, std::u16string_view b);
std::size_t findIgnoreAsciiCase(std::u16string_view haystack, std::u16string_view needle,
                                std::size_t from = 0);

// Lines joined with CR LF, the line break of every generated block.
std::u16string joinCrLf(std::initializer_list<std::u16string_view> lines);

}  // namespace velmo
