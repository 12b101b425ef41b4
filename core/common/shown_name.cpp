#include "core/common/shown_name.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>

#include "core/common/text.h"

namespace velmo {
namespace {

constexpr bool kBackslashIsSeparator = std::filesystem::path::preferred_separator == '\\';

// The length of the UTF-8 sequence starting at name[i], or 0 when none starts there.
std::size_t sequenceAt(std::string_view name, std::size_t i) {
  const auto lead = static_cast<std::uint8_t>(name[i]);
  const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  if (i + length > name.size()) return 0;
  return isValidUtf8(name.substr(i, length)) ? length : 0;
}

// C0 controls, DEL and the C1 controls (U+0080 to U+009F, which some terminals obey too).
bool isControl(std::string_view name, std::size_t i, std::size_t length) {
  const auto lead = static_cast<std::uint8_t>(name[i]);
  if (length == 1) return lead < 0x20 || lead == 0x7F;
  return length == 2 && lead == 0xC2 && static_cast<std::uint8_t>(name[i + 1]) < 0xA0;
}

void appendHex(std::string& out, std::uint8_t byte) {
  static constexpr char kDigits[] = "0123456789abcdef";
  out += "\\x";
  out += kDigits[byte >> 4];
  out += kDigits[byte & 0xF];
}

// The control character of `length` bytes at name[i] as an escape.
void appendControl(std::string& out, std::string_view name, std::size_t i, std::size_t length) {
  static constexpr std::string_view kNamed = "\a\b\t\n\v\f\r\x1b";
  static constexpr std::string_view kLetters = "abtnvfre";
  if (const auto at = kNamed.find(name[i]); length == 1 && at != std::string_view::npos) {
    out += '\\';
    out += kLetters[at];
    return;
  }
  for (std::size_t k = 0; k < length; ++k) appendHex(out, static_cast<std::uint8_t>(name[i + k]));
}

}  // namespace

std::string shownName(std::string_view name) {
  if constexpr (kBackslashIsSeparator) {
    // Paths joined by velmo itself hold '/'; they show as the system writes them.
    if (name.find('/') != std::string_view::npos) {
      std::string native(name);
      for (char& c : native) c = c == '/' ? '\\' : c;
      return shownName(native);
    }
  }
  bool plain = isValidUtf8(name);
  for (std::size_t i = 0; plain && i < name.size(); i += sequenceAt(name, i)) {
    plain = !isControl(name, i, sequenceAt(name, i));
  }
  if (plain) return std::string(name);

  std::string out;
  for (std::size_t i = 0; i < name.size();) {
    const std::size_t length = sequenceAt(name, i);
    const auto byte = static_cast<std::uint8_t>(name[i]);
    if (length == 0) {
      appendHex(out, byte);
      ++i;
    } else if (isControl(name, i, length)) {
      appendControl(out, name, i, length);
      i += length;
    } else if (name[i] == '\\' && !kBackslashIsSeparator) {
      out += "\\\\";
      ++i;
    } else {
      out.append(name, i, length);
      i += length;
    }
  }
  return out;
}

std::string shownText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = std::max<std::size_t>(1, sequenceAt(text, i));
    if (isControl(text, i, length) && text[i] != '\n' && text[i] != '\t') {
      appendControl(out, text, i, length);
    } else {
      out.append(text, i, length);
    }
    i += length;
  }
  return out;
}

}  // namespace velmo
