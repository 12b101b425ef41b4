#pragma once
// The mappings of the legacy encodings, generated at build time from the published index files
// in resources/encoding/ (file_host/html/generate_encoding_tables.py). A pointer is a character's
// place in its index; the decoders and encoders of text_codec.cpp turn bytes into pointers and
// back.

#include <cstdint>
#include <span>

#include "file_host/html/text_encoding.h"

namespace velmo::file_host::tables {

struct CodePointPointer {
  char32_t codePoint;
  std::uint32_t pointer;
};

// Code points by pointer; 0 where the index has none.
extern const std::span<const char32_t> kJis0208;
extern const std::span<const char32_t> kJis0212;
extern const std::span<const char32_t> kBig5;
extern const std::span<const char32_t> kGb18030;
extern const std::span<const char32_t> kEucKr;
// The first code point and pointer of each range of gb18030's four-byte codes, by both.
extern const std::span<const CodePointPointer> kGb18030Ranges;

// The pointer an encoder writes for each code point, sorted by code point.
extern const std::span<const CodePointPointer> kJis0208Reverse;   // EUC-JP, ISO-2022-JP
extern const std::span<const CodePointPointer> kShiftJisReverse;  // without NEC's selection
extern const std::span<const CodePointPointer> kBig5Reverse;
extern const std::span<const CodePointPointer> kGb18030Reverse;
extern const std::span<const CodePointPointer> kEucKrReverse;

// The code points of the bytes 0x80-0xFF of a single-byte encoding (0 where a byte has none);
// nullptr for the other encodings.
const char16_t* singleByteIndex(Encoding encoding);

}  // namespace velmo::file_host::tables
