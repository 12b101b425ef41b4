#include "file_host/html/legacy_encodings.h"

#include <algorithm>
#include <optional>

#include "file_host/html/encoding_tables.h"

namespace velmo::file_host::legacy {
namespace {

using tables::CodePointPointer;

bool in(unsigned b, unsigned low, unsigned high) {
  return b >= low && b <= high;
}

unsigned byteAt(std::string_view s, std::size_t i) {
  return static_cast<unsigned char>(s[i]);
}

char32_t lookUp(std::span<const char32_t> index, std::size_t pointer) {
  return pointer < index.size() ? index[pointer] : 0;
}

std::optional<std::uint32_t> pointerOf(std::span<const CodePointPointer> reverse, char32_t c) {
  const auto it = std::lower_bound(
      reverse.begin(), reverse.end(), c,
      [](const CodePointPointer& e, char32_t value) { return e.codePoint < value; });
  if (it == reverse.end() || it->codePoint != c) return std::nullopt;
  return it->pointer;
}

DecodeStep one(std::size_t length, char32_t c) {
  DecodeStep s;
  s.length = length;
  if (c != 0) {
    s.count = 1;
    s.codePoints[0] = c;
  }
  return s;
}

DecodeStep error(std::size_t length) {
  return one(length, 0);
}

// A lead byte followed by `trail` that makes no character: an ASCII trail byte is read again on
// its own.
DecodeStep badPair(unsigned trail) {
  return error(trail < 0x80 ? 1 : 2);
}

DecodeStep decodeSingleByte(const char16_t* index, unsigned b) {
  return one(1, b < 0x80 ? b : index[b - 0x80]);
}

// The code point of a four-byte gb18030 code.
char32_t gb18030RangesCodePoint(std::uint32_t pointer) {
  if ((pointer > 39419 && pointer < 189000) || pointer > 1237575) return 0;
  if (pointer == 7457) return 0xE7C7;
  const auto ranges = tables::kGb18030Ranges;
  const auto it = std::upper_bound(
      ranges.begin(), ranges.end(), pointer,
      [](std::uint32_t value, const CodePointPointer& e) { return value < e.pointer; });
  const CodePointPointer& r = *std::prev(it);
  return r.codePoint + (pointer - r.pointer);
}

std::uint32_t gb18030RangesPointer(char32_t c) {
  if (c == 0xE7C7) return 7457;
  const auto ranges = tables::kGb18030Ranges;
  const auto it = std::upper_bound(
      ranges.begin(), ranges.end(), c,
      [](char32_t value, const CodePointPointer& e) { return value < e.codePoint; });
  const CodePointPointer& r = *std::prev(it);
  return r.pointer + (c - r.codePoint);
}

DecodeStep decodeGb18030(std::string_view s, std::size_t i) {
  const unsigned b = byteAt(s, i);
  if (b < 0x80) return one(1, b);
  if (b == 0x80) return one(1, 0x20AC);
  if (b == 0xFF) return error(1);
  const std::size_t left = s.size() - i;
  if (left < 2) return error(left);
  const unsigned b2 = byteAt(s, i + 1);
  if (in(b2, 0x30, 0x39)) {
    if (left < 3) return error(left);
    const unsigned b3 = byteAt(s, i + 2);
    if (!in(b3, 0x81, 0xFE)) return error(1);
    if (left < 4) return error(left);
    const unsigned b4 = byteAt(s, i + 3);
    if (!in(b4, 0x30, 0x39)) return error(1);
    const std::uint32_t pointer =
        (b - 0x81) * 12600 + (b2 - 0x30) * 1260 + (b3 - 0x81) * 10 + (b4 - 0x30);
    return one(4, gb18030RangesCodePoint(pointer));
  }
  if (in(b2, 0x40, 0x7E) || in(b2, 0x80, 0xFE)) {
    const unsigned offset = b2 < 0x7F ? 0x40 : 0x41;
    if (const char32_t c = lookUp(tables::kGb18030, (b - 0x81) * 190 + (b2 - offset))) {
      return one(2, c);
    }
  }
  return badPair(b2);
}

DecodeStep decodeBig5(std::string_view s, std::size_t i) {
  const unsigned b = byteAt(s, i);
  if (b < 0x80) return one(1, b);
  if (!in(b, 0x81, 0xFE)) return error(1);
  if (i + 1 >= s.size()) return error(1);
  const unsigned b2 = byteAt(s, i + 1);
  if (in(b2, 0x40, 0x7E) || in(b2, 0xA1, 0xFE)) {
    const unsigned offset = b2 < 0x7F ? 0x40 : 0x62;
    const std::size_t pointer = (b - 0x81) * 157 + (b2 - offset);
    // Characters with a combining mark, which the index cannot hold.
    if (pointer == 1133 || pointer == 1135 || pointer == 1164 || pointer == 1166) {
      DecodeStep two;
      two.length = 2;
      two.count = 2;
      two.codePoints[0] = pointer < 1164 ? 0x00CA : 0x00EA;
      two.codePoints[1] = pointer == 1133 || pointer == 1164 ? 0x0304 : 0x030C;
      return two;
    }
    if (const char32_t c = lookUp(tables::kBig5, pointer)) return one(2, c);
  }
  return badPair(b2);
}

DecodeStep decodeEucJp(std::string_view s, std::size_t i) {
  const unsigned b = byteAt(s, i);
  if (b < 0x80) return one(1, b);
  if (b != 0x8E && b != 0x8F && !in(b, 0xA1, 0xFE)) return error(1);
  if (i + 1 >= s.size()) return error(1);
  const unsigned b2 = byteAt(s, i + 1);
  if (b == 0x8E && in(b2, 0xA1, 0xDF)) return one(2, 0xFF61 - 0xA1 + b2);
  if (b == 0x8F && in(b2, 0xA1, 0xFE)) {
    if (i + 2 >= s.size()) return error(2);
    const unsigned b3 = byteAt(s, i + 2);
    if (in(b3, 0xA1, 0xFE)) {
      if (const char32_t c = lookUp(tables::kJis0212, (b2 - 0xA1) * 94 + b3 - 0xA1)) {
        return one(3, c);
      }
    }
    return error(b3 < 0x80 ? 2 : 3);
  }
  if (in(b, 0xA1, 0xFE) && in(b2, 0xA1, 0xFE)) {
    if (const char32_t c = lookUp(tables::kJis0208, (b - 0xA1) * 94 + b2 - 0xA1)) {
      return one(2, c);
    }
  }
  return badPair(b2);
}

DecodeStep decodeShiftJis(std::string_view s, std::size_t i) {
  const unsigned b = byteAt(s, i);
  if (b <= 0x80) return one(1, b);
  if (in(b, 0xA1, 0xDF)) return one(1, 0xFF61 - 0xA1 + b);
  if (!in(b, 0x81, 0x9F) && !in(b, 0xE0, 0xFC)) return error(1);
  if (i + 1 >= s.size()) return error(1);
  const unsigned b2 = byteAt(s, i + 1);
  if (in(b2, 0x40, 0x7E) || in(b2, 0x80, 0xFC)) {
    const unsigned offset = b2 < 0x7F ? 0x40 : 0x41;
    const unsigned leadOffset = b < 0xA0 ? 0x81 : 0xC1;
    const std::size_t pointer = (b - leadOffset) * 188 + b2 - offset;
    // The user-defined area, which Windows maps to private use.
    if (in(static_cast<unsigned>(pointer), 8836, 10715)) return one(2, 0xE000 - 8836 + pointer);
    if (const char32_t c = lookUp(tables::kJis0208, pointer)) return one(2, c);
  }
  return badPair(b2);
}

DecodeStep decodeEucKr(std::string_view s, std::size_t i) {
  const unsigned b = byteAt(s, i);
  if (b < 0x80) return one(1, b);
  if (!in(b, 0x81, 0xFE)) return error(1);
  if (i + 1 >= s.size()) return error(1);
  const unsigned b2 = byteAt(s, i + 1);
  if (in(b2, 0x41, 0xFE)) {
    if (const char32_t c = lookUp(tables::kEucKr, (b - 0x81) * 190 + (b2 - 0x41))) {
      return one(2, c);
    }
  }
  return badPair(b2);
}

void putTwo(std::string& out, unsigned lead, unsigned trail) {
  out += static_cast<char>(lead);
  out += static_cast<char>(trail);
}

// The bytes a browser's encoder writes for a non-ASCII code point; false where it fails.
bool encodeAsBrowsers(Encoding e, char32_t c, std::string& out) {
  if (const char16_t* index = tables::singleByteIndex(e)) {
    const auto* at = std::find(index, index + 128, c);
    if (at == index + 128) return false;
    out += static_cast<char>(0x80 + (at - index));
    return true;
  }
  switch (e) {
    case Encoding::Gbk:
    case Encoding::Gb18030: {
      const bool gbk = e == Encoding::Gbk;
      if (c == 0xE5E5) return false;
      if (gbk && c == 0x20AC) {
        out += '\x80';
        return true;
      }
      if (const auto p = pointerOf(tables::kGb18030Reverse, c)) {
        const unsigned trail = *p % 190;
        putTwo(out, *p / 190 + 0x81, trail + (trail < 0x3F ? 0x40 : 0x41));
        return true;
      }
      if (gbk) return false;
      std::uint32_t p = gb18030RangesPointer(c);
      const char b1 = static_cast<char>(p / 12600 + 0x81);
      p %= 12600;
      const char b2 = static_cast<char>(p / 1260 + 0x30);
      p %= 1260;
      out += b1;
      out += b2;
      out += static_cast<char>(p / 10 + 0x81);
      out += static_cast<char>(p % 10 + 0x30);
      return true;
    }
    case Encoding::Big5: {
      const auto p = pointerOf(tables::kBig5Reverse, c);
      if (!p) return false;
      const unsigned trail = *p % 157;
      putTwo(out, *p / 157 + 0x81, trail + (trail < 0x3F ? 0x40 : 0x62));
      return true;
    }
    case Encoding::EucJp: {
      if (c == 0xA5 || c == 0x203E) {
        out += c == 0xA5 ? '\x5C' : '\x7E';
        return true;
      }
      if (c >= 0xFF61 && c <= 0xFF9F) {
        putTwo(out, 0x8E, c - 0xFF61 + 0xA1);
        return true;
      }
      const auto p = pointerOf(tables::kJis0208Reverse, c == 0x2212 ? 0xFF0D : c);
      if (!p) return false;
      putTwo(out, *p / 94 + 0xA1, *p % 94 + 0xA1);
      return true;
    }
    case Encoding::ShiftJis: {
      if (c == 0x80 || c == 0xA5 || c == 0x203E) {
        out += c == 0x80 ? '\x80' : c == 0xA5 ? '\x5C' : '\x7E';
        return true;
      }
      if (c >= 0xFF61 && c <= 0xFF9F) {
        out += static_cast<char>(c - 0xFF61 + 0xA1);
        return true;
      }
      const auto p = pointerOf(tables::kShiftJisReverse, c == 0x2212 ? 0xFF0D : c);
      if (!p) return false;
      const unsigned lead = *p / 188, trail = *p % 188;
      putTwo(out, lead + (lead < 0x1F ? 0x81 : 0xC1), trail + (trail < 0x3F ? 0x40 : 0x41));
      return true;
    }
    case Encoding::EucKr: {
      const auto p = pointerOf(tables::kEucKrReverse, c);
      if (!p) return false;
      putTwo(out, *p / 190 + 0x81, *p % 190 + 0x41);
      return true;
    }
    default:
      return false;
  }
}

}  // namespace

bool isStepwise(Encoding e) {
  switch (e) {
    case Encoding::Gbk:
    case Encoding::Gb18030:
    case Encoding::Big5:
    case Encoding::EucJp:
    case Encoding::ShiftJis:
    case Encoding::EucKr:
      return true;
    default:
      return tables::singleByteIndex(e) != nullptr;
  }
}

DecodeStep decodeStep(Encoding e, std::string_view bytes, std::size_t at) {
  if (const char16_t* index = tables::singleByteIndex(e)) {
    return decodeSingleByte(index, byteAt(bytes, at));
  }
  switch (e) {
    case Encoding::Gbk:
    case Encoding::Gb18030:
      return decodeGb18030(bytes, at);
    case Encoding::Big5:
      return decodeBig5(bytes, at);
    case Encoding::EucJp:
      return decodeEucJp(bytes, at);
    case Encoding::ShiftJis:
      return decodeShiftJis(bytes, at);
    case Encoding::EucKr:
      return decodeEucKr(bytes, at);
    default:
      return error(1);
  }
}

bool encodeCodePoint(Encoding e, char32_t c, std::string& out) {
  const std::size_t start = out.size();
  if (!encodeAsBrowsers(e, c, out)) return false;
  // What reads back as another character is no way to write this one.
  const std::string_view written = std::string_view(out).substr(start);
  const DecodeStep back = decodeStep(e, written, 0);
  if (back.length == written.size() && back.count == 1 && back.codePoints[0] == c) return true;
  out.resize(start);
  return false;
}

std::u16string decodeIso2022Jp(std::string_view s) {
  enum class State { Ascii, Roman, Katakana, Lead, Trail, EscapeStart, Escape };
  State state = State::Ascii, outputState = State::Ascii;
  unsigned lead = 0;
  bool output = false;
  std::u16string out;
  out.reserve(s.size());
  const auto put = [&](char32_t c) {
    output = false;
    if (c < 0x10000) out += static_cast<char16_t>(c);
  };
  const auto fail = [&] { out += u'\uFFFD'; };
  std::size_t i = 0;
  // One pass more than there are bytes: the end of the input is a step of its own.
  while (i <= s.size()) {
    const bool end = i == s.size();
    const unsigned b = end ? 0 : byteAt(s, i);
    ++i;
    switch (state) {
      case State::Ascii:
      case State::Roman:
      case State::Katakana:
      case State::Lead:
        if (end) return out;
        if (b == 0x1B) {
          state = State::EscapeStart;
        } else if (state == State::Ascii && b < 0x80 && b != 0x0E && b != 0x0F) {
          put(b);
        } else if (state == State::Roman && b < 0x80 && b != 0x0E && b != 0x0F) {
          put(b == 0x5C ? 0xA5 : b == 0x7E ? 0x203E : b);
        } else if (state == State::Katakana && in(b, 0x21, 0x5F)) {
          put(0xFF61 - 0x21 + b);
        } else if (state == State::Lead && in(b, 0x21, 0x7E)) {
          output = false;
          lead = b;
          state = State::Trail;
        } else {
          output = false;
          fail();
        }
        break;
      case State::Trail:
        if (b == 0x1B && !end) {
          state = State::EscapeStart;
          fail();
          break;
        }
        state = State::Lead;
        if (!end && in(b, 0x21, 0x7E)) {
          if (const char32_t c = lookUp(tables::kJis0208, (lead - 0x21) * 94 + b - 0x21)) {
            put(c);
            break;
          }
        }
        fail();
        if (end) return out;
        break;
      case State::EscapeStart:
        if (!end && (b == 0x24 || b == 0x28)) {
          lead = b;
          state = State::Escape;
          break;
        }
        if (!end) --i;
        output = false;
        state = outputState;
        fail();
        break;
      case State::Escape: {
        const unsigned first = lead;
        lead = 0;
        std::optional<State> next;
        if (first == 0x28 && b == 0x42) next = State::Ascii;
        if (first == 0x28 && b == 0x4A) next = State::Roman;
        if (first == 0x28 && b == 0x49) next = State::Katakana;
        if (first == 0x24 && (b == 0x40 || b == 0x42)) next = State::Lead;
        if (!end && next) {
          state = outputState = *next;
          // Two escape sequences in a row with nothing between them are an error.
          if (output) fail();
          output = true;
          break;
        }
        // The two bytes are read again: back to before the second.
        i -= 2;
        output = false;
        state = outputState;
        fail();
        break;
      }
    }
  }
  return out;
}

bool Iso2022JpEncoder::put(char32_t c, std::string& out) {
  const auto shift = [&](State to, const char* bytes) {
    if (state_ == to) return;
    out += bytes;
    state_ = to;
  };
  if (c == 0x0E || c == 0x0F || c == 0x1B) return false;
  if (c < 0x80 && (state_ != State::Roman || (c != 0x5C && c != 0x7E))) {
    if (state_ == State::Jis0208) shift(State::Ascii, "\x1B(B");
    out += static_cast<char>(c);
    return true;
  }
  if (c < 0x80) {
    shift(State::Ascii, "\x1B(B");
    out += static_cast<char>(c);
    return true;
  }
  if (c == 0xA5 || c == 0x203E) {
    shift(State::Roman, "\x1B(J");
    out += c == 0xA5 ? '\x5C' : '\x7E';
    return true;
  }
  // U+2212 and half-width katakana would be written as other characters (U+FF0D, full-width).
  if (c == 0x2212 || (c >= 0xFF61 && c <= 0xFF9F)) return false;
  const auto p = pointerOf(tables::kJis0208Reverse, c);
  if (!p) return false;
  shift(State::Jis0208, "\x1B$B");
  putTwo(out, *p / 94 + 0x21, *p % 94 + 0x21);
  return true;
}

void Iso2022JpEncoder::toAscii(std::string& out) {
  if (state_ != State::Ascii) out += "\x1B(B";
  state_ = State::Ascii;
}

}  // namespace velmo::file_host::legacy
