#pragma once
// The decoders and encoders of the legacy encodings, as browsers run them (the Encoding
// Standard's algorithms over the tables of encoding_tables.h). Every encoding here but
// ISO-2022-JP decodes in steps that each start from the decoder's initial state, so a text can be
// cut between two steps and each part decoded alone.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "file_host/html/text_encoding.h"

namespace velmo::file_host::legacy {

// True for the encodings decodeStep and encodeCodePoint serve.
bool isStepwise(Encoding encoding);

// One step of the decoder from its initial state at bytes[at]: the bytes it takes (at least one)
// and the code points it gives; none for a sequence the encoding does not define, which reads as
// U+FFFD.
struct DecodeStep {
  std::size_t length = 1;
  int count = 0;
  char32_t codePoints[2] = {0, 0};
};
DecodeStep decodeStep(Encoding encoding, std::string_view bytes, std::size_t at);

// Appends the bytes of a non-ASCII code point to `out`; false, with nothing appended, when the
// encoding lacks it or a browser's encoder would write it as bytes that read back as another
// character (¥ in Shift_JIS is 0x5C, a backslash once read).
bool encodeCodePoint(Encoding encoding, char32_t c, std::string& out);

// ISO-2022-JP, whose escape sequences keep a state across characters.
std::u16string decodeIso2022Jp(std::string_view bytes);

class Iso2022JpEncoder {
 public:
  // Appends the bytes of `c` (escape sequences included); false, with nothing appended, when the
  // encoding lacks it or would write it as another character (half-width katakana as full-width).
  bool put(char32_t c, std::string& out);
  // Returns to the ASCII state: before text written for a lacking character, and at the end.
  void toAscii(std::string& out);

 private:
  enum class State { Ascii, Roman, Jis0208 };
  State state_ = State::Ascii;
};

}  // namespace velmo::file_host::legacy
