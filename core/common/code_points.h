#pragma once
// Code points in UTF-8 and UTF-16: writing one, reading one from UTF-16 (decodeUtf8 in text.h
// reads one from UTF-8), and the surrogate pairs that carry the code points above U+FFFF in
// UTF-16. Inline: the text conversions run them per character.

#include <cstddef>
#include <string>
#include <string_view>

namespace velmo {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

constexpr bool isHighSurrogate(char32_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
constexpr bool isLowSurrogate(char32_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}
constexpr bool isSurrogate(char32_t c) {
  return c >= 0xD800 && c <= 0xDFFF;
}
// The code point a high and a low surrogate stand for together.
constexpr char32_t fromSurrogatePair(char32_t high, char32_t low) {
  return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}
constexpr char16_t highSurrogateOf(char32_t cp) {
  return static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
}
constexpr char16_t lowSurrogateOf(char32_t cp) {
  return static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
}

// The code point at text[i] and how many code units it takes (1 or 2). An unpaired surrogate
// is itself, one unit long: the caller decides what it becomes.
inline char32_t codePointAt(std::u16string_view text, std::size_t i, std::size_t& units) {
  const char32_t c = text[i];
  units = 1;
  if (isHighSurrogate(c) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
    units = 2;
    return fromSurrogatePair(c, text[i + 1]);
  }
  return c;
}

// True when every surrogate in `text` is half of a pair: the text converts to UTF-8 whole.
inline bool isWellFormedUtf16(std::u16string_view text) {
  for (std::size_t i = 0, units = 1; i < text.size(); i += units) {
    if (isSurrogate(codePointAt(text, i, units))) return false;
  }
  return true;
}

// Appends a code point (no surrogate) as UTF-16: a surrogate pair above U+FFFF.
inline void appendUtf16(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out += static_cast<char16_t>(cp);
  } else {
    out += highSurrogateOf(cp);
    out += lowSurrogateOf(cp);
  }
}

// Appends a code point (no surrogate, at most U+10FFFF) as UTF-8.
inline void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace velmo
