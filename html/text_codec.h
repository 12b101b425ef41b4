#pragma once
// Conversion between an encoding's bytes and the core's UTF-16: glibc iconv on Linux, the
// Windows code pages on Windows. UTF-8, UTF-16 and x-user-defined are converted here on both.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "html/text_encoding.h"

namespace velmo::standalone {

// A byte sequence the encoding does not define becomes U+FFFD, as a browser shows it;
// windows-1252's unassigned bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D become U+0081... as browsers
// decode them. HostError when this system has no converter for the encoding.
std::u16string decodeText(Encoding encoding, std::string_view bytes);

// ASCII text written in place of a character (a code point) that an encoding lacks.
using Escape = std::function<std::string(char32_t)>;

// The text in `encoding`. A character the encoding lacks (an unpaired surrogate counts as
// U+FFFD) is never written as a substitute byte: `escape` gives the text that stands for it.
std::string encodeText(Encoding encoding, std::u16string_view text, const Escape& escape);

// The text, when encoding it again gives exactly `bytes`; nothing when the bytes hold a sequence
// the encoding does not define or write that way.
std::optional<std::u16string> decodeExactly(Encoding encoding, std::string_view bytes);

}  // namespace velmo::standalone
