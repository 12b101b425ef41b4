#include "core/common/text.h"

#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "core/common/code_points.h"

namespace velmo {

std::size_t decodeUtf8(std::string_view s, std::size_t i, char32_t& cp) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  std::size_t len;
  char32_t min;
  if ((b0 & 0xE0) == 0xC0) {
    len = 2, cp = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3, cp = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4, cp = b0 & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || isSurrogate(cp)) return 0;
  return len;
}

bool isValidUtf8(std::string_view bytes) {
  char32_t cp;
  const std::size_t n = bytes.size();
  for (std::size_t i = 0; i < n;) {
    // Runs of ASCII are the common case in pages: skip them 16 bytes at a time.
    while (i + 16 <= n) {
      std::uint64_t a, b;
      std::memcpy(&a, bytes.data() + i, 8);
      std::memcpy(&b, bytes.data() + i + 8, 8);
      if ((a | b) & 0x8080808080808080u) break;
      i += 16;
    }
    if (i >= n) break;
    if (static_cast<unsigned char>(bytes[i]) < 0x80) {
      ++i;
      continue;
    }
    const std::size_t len = decodeUtf8(bytes, i, cp);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

std::u16string utf8ToUtf16(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    if (static_cast<unsigned char>(bytes[i]) < 0x80) {
      out.push_back(static_cast<char16_t>(bytes[i++]));
      continue;
    }
    char32_t cp;
    const std::size_t len = decodeUtf8(bytes, i, cp);
    if (len == 0) {
      throw std::invalid_argument("invalid UTF-8 at byte offset " + std::to_string(i));
    }
    appendUtf16(out, cp);
    i += len;
  }
  return out;
}

std::string utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0, units = 1; i < text.size(); i += units) {
    const char32_t cp = codePointAt(text, i, units);
    appendUtf8(out, isSurrogate(cp) ? kReplacementCharacter : cp);
  }
  return out;
}

std::string asciiLowered(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = asciiLower(c);
  return out;
}

bool equalsIgnoreAsciiCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (asciiLower(a[i]) != asciiLower(b[i])) return false;
  }
  return true;
}

std::size_t findIgnoreAsciiCase(std::u16string_view haystack, std::u16string_view needle,
                                std::size_t from) {
  if (needle.size() > haystack.size()) return std::u16string_view::npos;
  for (std::size_t i = from; i + needle.size() <= haystack.size(); ++i) {
    if (equalsIgnoreAsciiCase(haystack.substr(i, needle.size()), needle)) return i;
  }
  return std::u16string_view::npos;
}

std::u16string joinCrLf(std::initializer_list<std::u16string_view> lines) {
  std::u16string out;
  bool first = true;
  for (auto line : lines) {
    if (!first) out += u"\r\n";
    out += line;
    first = false;
  }
  return out;
}

}  // namespace velmo
