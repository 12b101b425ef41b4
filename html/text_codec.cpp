#include "html/text_codec.h"

#include <bit>
#include <cstring>
#include <stdexcept>

#include "common/host_error.h"
#include "common/text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#include <cerrno>
#endif

namespace velmo::standalone {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool isHighSurrogate(char32_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool isLowSurrogate(char32_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

void appendCodePoint(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out += static_cast<char16_t>(cp);
  } else {
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  }
}

// The code point starting at text[i] and how many code units it takes; an unpaired surrogate
// is U+FFFD.
char32_t codePointAt(std::u16string_view text, std::size_t i, std::size_t& units) {
  const char32_t c = text[i];
  units = 1;
  if (isHighSurrogate(c) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
    units = 2;
    return 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
  }
  return isHighSurrogate(c) || isLowSurrogate(c) ? kReplacement : c;
}

[[noreturn]] void noConverter(Encoding e) {
  const std::string_view name = encodingInfo(e).name;
  throw HostError(hr::kNotImpl, u"This system cannot convert text in the encoding " +
                                    utf8ToUtf16(std::string(name)));
}

// Each invalid sequence (its maximal valid beginning) becomes one U+FFFD, as browsers decode.
std::u16string decodeUtf8Leniently(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
      out += static_cast<char16_t>(b);
      ++i;
      continue;
    }
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
      appendCodePoint(out, cp);
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
      out += isHighSurrogate(c) || isLowSurrogate(c) ? kReplacement : c;
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
    const char32_t cp = codePointAt(text, i, units);
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

// windows-1252 leaves these bytes unassigned; browsers map them to the C1 controls of the
// same number.
bool isUnassigned1252(unsigned value) {
  return value == 0x81 || value == 0x8D || value == 0x8F || value == 0x90 || value == 0x9D;
}

#ifdef _WIN32

int checkedInt(std::size_t n) {
  if (n > 0x3FFFFFFF) throw HostError(hr::kOverflow, u"The text is too long to convert");
  return static_cast<int>(n);
}

std::u16string decodeCodePage(unsigned cp, std::string_view bytes) {
  if (bytes.empty()) return {};
  const int inSize = checkedInt(bytes.size());
  const int n = MultiByteToWideChar(cp, 0, bytes.data(), inSize, nullptr, 0);
  std::u16string out(static_cast<std::size_t>(n), u'\0');
  if (n > 0) {
    MultiByteToWideChar(cp, 0, bytes.data(), inSize, reinterpret_cast<wchar_t*>(out.data()), n);
  }
  return out;
}

std::string encodeCodePageExactly(unsigned cp, std::u16string_view text) {
  const int inSize = checkedInt(text.size());
  const auto* in = reinterpret_cast<const wchar_t*>(text.data());
  const int n = WideCharToMultiByte(cp, 0, in, inSize, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(cp, 0, in, inSize, out.data(), n, nullptr, nullptr);
  return out;
}

// Code pages map a lacking character to a look-alike or to '?' without saying so (and the
// stateful ones accept no flags that would), so a conversion counts only when it reads back
// as the text it came from.
std::string encodeCodePage(Encoding e, unsigned cp, std::u16string_view text,
                           const Escape& escape) {
  if (text.empty()) return {};
  std::string whole = encodeCodePageExactly(cp, text);
  if (decodeCodePage(cp, whole) == text) return whole;
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t units = 1;
    const char32_t c = codePointAt(text, i, units);
    const std::u16string_view one = text.substr(i, units);
    i += units;
    std::string bytes = encodeCodePageExactly(cp, one);
    if (c != kReplacement && !bytes.empty() && decodeCodePage(cp, bytes) == one) {
      out += bytes;
    } else if (e == Encoding::Windows1252 && isUnassigned1252(c)) {
      out += static_cast<char>(c);
    } else {
      out += escape(c);
    }
  }
  return out;
}

#else

constexpr const char* kNativeUtf16 =
    std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

class IconvHandle {
 public:
  IconvHandle(Encoding e, const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) noConverter(e);
  }
  ~IconvHandle() { iconv_close(cd_); }
  IconvHandle(const IconvHandle&) = delete;
  IconvHandle& operator=(const IconvHandle&) = delete;

  // Converts what it can of `in` into `out`; -1 with errno set where it stops early.
  std::size_t convert(char** in, std::size_t* inLeft, char** out, std::size_t* outLeft) {
    return iconv(cd_, in, inLeft, out, outLeft);
  }

 private:
  iconv_t cd_;
};

constexpr std::size_t kChunk = 4096;

std::u16string decodeIconv(Encoding e, std::string_view bytes) {
  IconvHandle cd(e, kNativeUtf16, encodingInfo(e).iconvName);
  std::u16string out;
  out.reserve(bytes.size());
  char16_t chunk[kChunk];
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  bool flushed = false;
  while (!flushed) {
    char* o = reinterpret_cast<char*>(chunk);
    std::size_t oLeft = sizeof chunk;
    // With nothing left to read, the call returns the converter to its initial state.
    const bool flush = inLeft == 0;
    const std::size_t r =
        flush ? cd.convert(nullptr, nullptr, &o, &oLeft) : cd.convert(&in, &inLeft, &o, &oLeft);
    const int error = errno;
    out.append(chunk, static_cast<std::size_t>(reinterpret_cast<char16_t*>(o) - chunk));
    if (r != static_cast<std::size_t>(-1)) {
      flushed = flush;
      continue;
    }
    if (error == E2BIG) continue;
    if (error == EILSEQ && inLeft > 0) {
      const auto b = static_cast<unsigned char>(*in);
      out += e == Encoding::Windows1252 && isUnassigned1252(b) ? static_cast<char16_t>(b)
                                                               : kReplacement;
      ++in;
      --inLeft;
      continue;
    }
    // A sequence cut off by the end of the bytes.
    out += kReplacement;
    inLeft = 0;
  }
  return out;
}

std::string encodeIconv(Encoding e, std::u16string_view text, const Escape& escape) {
  IconvHandle cd(e, encodingInfo(e).iconvName, kNativeUtf16);
  std::string out;
  out.reserve(text.size());
  char chunk[kChunk];
  char* in = reinterpret_cast<char*>(const_cast<char16_t*>(text.data()));
  std::size_t inLeft = text.size() * sizeof(char16_t);
  const auto take = [&](char* end) { out.append(chunk, static_cast<std::size_t>(end - chunk)); };
  // Back to the initial state, so that ASCII written next reads as ASCII.
  const auto reset = [&] {
    char* o = chunk;
    std::size_t oLeft = sizeof chunk;
    cd.convert(nullptr, nullptr, &o, &oLeft);
    take(o);
  };
  while (inLeft > 0) {
    char* o = chunk;
    std::size_t oLeft = sizeof chunk;
    const std::size_t r = cd.convert(&in, &inLeft, &o, &oLeft);
    const int error = errno;
    take(o);
    if (r != static_cast<std::size_t>(-1) || error == E2BIG) continue;
    // The character at `in` is one the encoding lacks (or an unpaired surrogate).
    const std::size_t done = text.size() - inLeft / sizeof(char16_t);
    std::size_t units = 1;
    const char32_t cp = codePointAt(text, done, units);
    in += units * sizeof(char16_t);
    inLeft -= units * sizeof(char16_t);
    if (e == Encoding::Windows1252 && isUnassigned1252(cp)) {
      out += static_cast<char>(cp);
    } else {
      reset();
      out += escape(cp);
    }
  }
  reset();
  return out;
}

#endif

}  // namespace

std::u16string decodeText(Encoding e, std::string_view bytes) {
  switch (e) {
    case Encoding::Utf8:
      return decodeUtf8(bytes);
    case Encoding::Utf16Le:
      return decodeUtf16(bytes, false);
    case Encoding::Utf16Be:
      return decodeUtf16(bytes, true);
    case Encoding::UserDefined:
      return decodeUserDefined(bytes);
    case Encoding::Replacement:
      return bytes.empty() ? std::u16string() : std::u16string(1, kReplacement);
    default:
      break;
  }
#ifdef _WIN32
  const unsigned cp = encodingInfo(e).codePage;
  if (cp == 0) noConverter(e);
  return decodeCodePage(cp, bytes);
#else
  return decodeIconv(e, bytes);
#endif
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
    default:
      break;
  }
#ifdef _WIN32
  const unsigned cp = encodingInfo(e).codePage;
  if (cp == 0) noConverter(e);
  return encodeCodePage(e, cp, text, escape);
#else
  return encodeIconv(e, text, escape);
#endif
}

}  // namespace velmo::standalone

namespace velmo::standalone {

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

}  // namespace velmo::standalone
