#pragma once
// Conversion between an encoding's bytes and the core's UTF-16, as browsers convert: the
// Encoding Standard's decoders and encoders, the same on every system.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "file_host/html/text_encoding.h"

namespace velmo::file_host {

// Where the decoder stands in its initial state: `byte` in the bytes, `unit` in the text. The
// bytes before a mark decode alone to the text before it. A mark that begins a run of ASCII
// bytes (`asciiRun`) stands for every byte of the run up to the next mark: each is a fresh
// start that reads as one unit, so those marks are not kept one by one.
struct DecodeMark {
  std::size_t byte;
  std::size_t unit;
  bool asciiRun = false;
};

// A byte sequence the encoding does not define becomes U+FFFD, as a browser shows it. With
// `marks`, they receive the marks in order, the start and the end included (only those two for
// UTF-16, x-user-defined and ISO-2022-JP).
std::u16string decodeText(Encoding encoding, std::string_view bytes,
                          std::vector<DecodeMark>* marks = nullptr);

// ASCII text written in place of a character (a code point) that an encoding lacks.
using Escape = std::function<std::string(char32_t)>;

// The text in `encoding`. A character the encoding lacks (an unpaired surrogate counts as
// U+FFFD), or one its encoder would write as bytes that read back as another character (¥ as
// 0x5C in Shift_JIS), is never written as such bytes: `escape` gives the text that stands for it.
std::string encodeText(Encoding encoding, std::u16string_view text, const Escape& escape);

// The text, when encoding it again gives exactly `bytes`; nothing when the bytes hold a sequence
// the encoding does not define or write that way.
std::optional<std::u16string> decodeExactly(Encoding encoding, std::string_view bytes);

}  // namespace velmo::file_host
