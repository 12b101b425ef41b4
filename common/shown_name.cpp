#include "common/shown_name.h"

#include <cstdio>

namespace velmo {
namespace {

// The length of the UTF-8 sequence at `i` that encodes a character which is no control
// character (C0, DEL, C1); 0 when there is none.
std::size_t printableSequence(std::string_view s, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = byte(i);
  if (c >= 0x20 && c < 0x7F) return 1;
  std::size_t length = 0;
  char32_t code = 0;
  if (c >= 0xC2 && c <= 0xDF) {
    length = 2;
    code = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    length = 3;
    code = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    length = 4;
    code = c & 0x07;
  } else {
    return 0;
  }
  if (i + length > s.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
  const bool invalid = overlong || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF);
  if (invalid || (code >= 0x80 && code < 0xA0)) return 0;
  return length;
}

bool plain(std::string_view name) {
  for (std::size_t i = 0; i < name.size();) {
    const std::size_t n = printableSequence(name, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

}  // namespace

std::string shownName(std::string_view name) {
  if (plain(name)) return std::string(name);
  std::string shown;
  for (std::size_t i = 0; i < name.size();) {
    if (const std::size_t n = printableSequence(name, i)) {
      if (name[i] == '\\') {
        shown += "\\\\";
      } else {
        shown.append(name.substr(i, n));
      }
      i += n;
      continue;
    }
    const unsigned char c = static_cast<unsigned char>(name[i++]);
    switch (c) {
      case '\a':
        shown += "\\a";
        break;
      case '\b':
        shown += "\\b";
        break;
      case '\t':
        shown += "\\t";
        break;
      case '\n':
        shown += "\\n";
        break;
      case '\v':
        shown += "\\v";
        break;
      case '\f':
        shown += "\\f";
        break;
      case '\r':
        shown += "\\r";
        break;
      case 0x1B:
        shown += "\\e";
        break;
      default: {
        char hex[5];
        std::snprintf(hex, sizeof hex, "\\x%02X", c);
        shown += hex;
      }
    }
  }
  return shown;
}

}  // namespace velmo
