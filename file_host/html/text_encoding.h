#pragma once
// The character encodings a web page can be written in, named and labelled as browsers name and
// label them.

#include <optional>
#include <string_view>

namespace velmo::file_host {

enum class Encoding {
  Utf8,
  Ibm866,
  Iso8859_2,
  Iso8859_3,
  Iso8859_4,
  Iso8859_5,
  Iso8859_6,
  Iso8859_7,
  Iso8859_8,
  Iso8859_8I,
  Iso8859_10,
  Iso8859_13,
  Iso8859_14,
  Iso8859_15,
  Iso8859_16,
  Koi8R,
  Koi8U,
  Macintosh,
  Windows874,
  Windows1250,
  Windows1251,
  Windows1252,
  Windows1253,
  Windows1254,
  Windows1255,
  Windows1256,
  Windows1257,
  Windows1258,
  MacCyrillic,
  Gbk,
  Gb18030,
  Big5,
  EucJp,
  Iso2022Jp,
  ShiftJis,
  EucKr,
  Replacement,
  Utf16Be,
  Utf16Le,
  UserDefined,
};

// How a page in the encoding is held in memory.
enum class EncodingKind {
  // Every byte below 0x80 is the ASCII character, also inside multi-byte characters' lead
  // positions: markup can be found and edited on the bytes as they are.
  AsciiCompatible,
  // Markup is not ASCII bytes (UTF-16) or depends on shift state (ISO-2022-JP): the text is
  // converted to UTF-8 for editing and back on saving.
  Transcoded,
  // Labels browsers refuse to decode (ISO-2022-KR, HZ, ...): every byte would show as U+FFFD.
  Replacement,
};

struct EncodingInfo {
  std::string_view name;  // as browsers name it
  EncodingKind kind;
};

const EncodingInfo& encodingInfo(Encoding encoding);

// The encoding a label names, compared without ASCII case and surrounding white space; nothing
// for a label no browser knows.
std::optional<Encoding> encodingForLabel(std::string_view label);

}  // namespace velmo::file_host
