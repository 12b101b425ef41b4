#include "file_host/html/text_codec.h"

#include <stdexcept>

#include "core/common/code_points.h"
#include "core/common/text.h"
#include "file_host/html/legacy_encodings.h"

namespace velmo::file_host {
namespace {

constexpr char16_t kReplacement = kReplacementCharacter;

// The code point starting at text[i] and how many code units it takes; an unpaired surrogate
// is U+FFFD.
char32_t codePointOrReplacement(std::u16string_view text, std::size_t i, std::size_t& units) {
  const char32_t c = codePointAt(text, i, units);
  return isSurrogate(c) ? kReplacement : c;
}

// The run of ASCII bytes from `i` as text, behind one mark; returns where the run ends. Pages
// are mostly ASCII, so this is most of a decode.
std::size_t appendAsciiRun(std::string_view s, std::size_t i, std::u16string& out,
                           std::vector<DecodeMark>* marks) {
  std::size_t end = i + 1;
  while (end < s.size() && static_cast<unsigned char>(s[end]) < 0x80) ++end;
  if (marks) marks->push_back({i, out.size(), true});
  const std::size_t at = out.size();
  out.resize(at + (end - i));
  for (char16_t* to = out.data() + at; i < end; ++i) *to++ = static_cast<unsigned char>(s[i]);
  return end;
}

// Each invalid sequence (its maximal valid beginning) becomes one U+FFFD, as browsers decode.
std::u16string decodeUtf8Leniently(std::string_view s, std::vector<DecodeMark>* marks = nullptr) {
  std::u16string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
      i = appendAsciiRun(s, i, out, marks);
      continue;
    }
    if (marks) marks->push_back({i, out.size()});
    int need = 0;
    char32_t cp = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
      need = 1;
      cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      need = 2;
      cp = b & 0x0F;
      if (b == 0xE0) low = 0xA0;
      if (b == 0xED) high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      need = 3;
      cp = b & 0x07;
      if (b == 0xF0) low = 0x90;
      if (b == 0xF4) high = 0x8F;
    }
    ++i;
    bool ok = need > 0;
    for (int k = 0; ok && k < need; ++k) {
      const auto c = i < s.size() ? static_cast<unsigned char>(s[i]) : 0;
      if (i >= s.size() || c < low || c > high) {
        ok = false;
        break;
      }
      cp = (cp << 6) | (c & 0x3F);
      low = 0x80;
      high = 0xBF;
      ++i;
    }
    if (ok) {
      appendUtf16(out, cp);
    } else {
      out += kReplacement;
    }
  }
  return out;
}

std::u16string decodeUtf8(std::string_view s) {
  try {
    return utf8ToUtf16(s);
  } catch (const std::invalid_argument&) {
    return decodeUtf8Leniently(s);
  }
}

// Unpaired surrogates become U+FFFD and an odd last byte one more.
std::u16string decodeUtf16(std::string_view s, bool bigEndian) {
  std::u16string out;
  out.reserve(s.size() / 2 + 1);
  const auto unit = [&](std::size_t i) {
    const auto a = static_cast<unsigned char>(s[i]), b = static_cast<unsigned char>(s[i + 1]);
    return static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
  };
  const std::size_t n = s.size() / 2;
  for (std::size_t k = 0; k < n; ++k) {
    const char16_t c = unit(2 * k);
    if (isHighSurrogate(c) && k + 1 < n && isLowSurrogate(unit(2 * k + 2))) {
      out += c;
      out += unit(2 * ++k);
    } else {
      out += isSurrogate(c) ? kReplacement : c;
    }
  }
  if (s.size() % 2) out += kReplacement;
  return out;
}

std::string encodeUtf16(std::u16string_view text, bool bigEndian) {
  std::string out;
  out.reserve(text.size() * 2);
  for (const char16_t c : text) {
    const char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
    out += bigEndian ? hi : lo;
    out += bigEndian ? lo : hi;
  }
  return out;
}

// x-user-defined puts the bytes 0x80-0xFF at U+F780-U+F7FF.
std::u16string decodeUserDefined(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (const char ch : s) {
    const auto b = static_cast<unsigned char>(ch);
    out += static_cast<char16_t>(b < 0x80 ? b : 0xF700 + b);
  }
  return out;
}

std::string encodeUserDefined(std::u16string_view text, const Escape& escape) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t units = 1;
    const char32_t cp = codePointOrReplacement(text, i, units);
    i += units;
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp >= 0xF780 && cp <= 0xF7FF) {
      out += static_cast<char>(cp - 0xF700);
    } else {
      out += escape(cp);
    }
  }
  return out;
}

std::u16string decodeStepwise(Encoding e, std::string_view bytes, std::vector<DecodeMark>* marks) {
  std::u16string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    // Every encoding decoded step by step reads an ASCII byte met afresh as itself.
    if (static_cast<unsigned char>(bytes[i]) < 0x80) {
      i = appendAsciiRun(bytes, i, out, marks);
      continue;
    }
    if (marks) marks->push_back({i, out.size()});
    const legacy::DecodeStep step = legacy::decodeStep(e, bytes, i);
    if (step.count == 0) out += kReplacement;
    for (int k = 0; k < step.count; ++k) appendUtf16(out, step.codePoints[k]);
    i += step.length;
  }
  return out;
}

std::string encodeStepwise(Encoding e, std::u16string_view text, const Escape& escape) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    std::size_t units = 1;
    const char32_t c = codePointOrReplacement(text, i, units);
    i += units;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (!legacy::encodeCodePoint(e, c, out)) {
      out += escape(c);
    }
  }
  return out;
}

std::string encodeIso2022Jp(std::u16string_view text, const Escape& escape) {
  std::string out;
  out.reserve(text.size());
  legacy::Iso2022JpEncoder encoder;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t units = 1;
    const char32_t c = codePointOrReplacement(text, i, units);
    i += units;
    if (!encoder.put(c, out)) {
      encoder.toAscii(out);
      out += escape(c);
    }
  }
  encoder.toAscii(out);
  return out;
}

}  // namespace

std::u16string decodeText(Encoding e, std::string_view bytes, std::vector<DecodeMark>* marks) {
  if (marks) marks->clear();
  std::u16string out;
  switch (e) {
    case Encoding::Utf8:
      out = marks ? decodeUtf8Leniently(bytes, marks) : decodeUtf8(bytes);
      break;
    case Encoding::Utf16Le:
      out = decodeUtf16(bytes, false);
      break;
    case Encoding::Utf16Be:
      out = decodeUtf16(bytes, true);
      break;
    case Encoding::UserDefined:
      out = decodeUserDefined(bytes);
      break;
    case Encoding::Replacement:
      if (!bytes.empty()) out = std::u16string(1, kReplacement);
      break;
    case Encoding::Iso2022Jp:
      out = legacy::decodeIso2022Jp(bytes);
      break;
    default:
      out = decodeStepwise(e, bytes, marks);
      break;
  }
  if (marks) {
    if (marks->empty() || marks->front().byte != 0) marks->insert(marks->begin(), {0, 0});
    marks->push_back({bytes.size(), out.size()});
  }
  return out;
}

std::string encodeText(Encoding e, std::u16string_view text, const Escape& escape) {
  switch (e) {
    case Encoding::Utf8:
    case Encoding::Replacement:
      return utf16ToUtf8(text);
    case Encoding::Utf16Le:
      return encodeUtf16(text, false);
    case Encoding::Utf16Be:
      return encodeUtf16(text, true);
    case Encoding::UserDefined:
      return encodeUserDefined(text, escape);
    case Encoding::Iso2022Jp:
      return encodeIso2022Jp(text, escape);
    default:
      return encodeStepwise(e, text, escape);
  }
}

}  // namespace velmo::file_host

namespace velmo::file_host {

std::optional<std::u16string> decodeExactly(Encoding e, std::string_view bytes) {
  std::u16string text = decodeText(e, bytes);
  bool lacking = false;
  const std::string back = encodeText(e, text, [&](char32_t) {
    lacking = true;
    return std::string();
  });
  if (lacking || back != bytes) return std::nullopt;
  return text;
}

}  // namespace velmo::file_host
