#pragma once
// The seam between a page's (or style sheet's) bytes and the core's UTF-16. Markup is found on
// the bytes as they are; only text read out of the page is decoded, and only text written into
// it is encoded, with an escape fit for where it lands for each character the encoding lacks.

#include <optional>
#include <string>
#include <string_view>

#include "file_host/html/text_encoding.h"

namespace velmo::file_host {

class PageCodec {
 public:
  // Bytes held in `encoding` (ASCII-compatible), as in the file.
  explicit PageCodec(Encoding encoding = Encoding::Utf8) : PageCodec(encoding, encoding) {}
  // A file in a transcoded encoding, held in memory as UTF-8: text written in is limited to
  // what the file's encoding can hold, so that saving never meets a character it lacks.
  PageCodec(Encoding memory, Encoding file);

  // The encoding of the bytes in memory.
  Encoding encoding() const { return memory_; }
  // The encoding of the file.
  Encoding fileEncoding() const { return file_; }
  // UTF-8 in memory for a file that holds every character: text passes as it is.
  bool isUtf8() const { return plainUtf8_; }

  // Bytes of the page as text; bytes invalid in the encoding read as U+FFFD.
  std::u16string read(std::string_view bytes) const;
  // An attribute value as written in a tag, with its character references decoded.
  std::u16string readAttribute(std::string_view raw) const;

  // HTML for the page. A character the encoding lacks becomes a JavaScript escape inside the
  // content of a SCRIPT element of `html`, a CSS escape inside a STYLE element, and a numeric
  // character reference everywhere else.
  std::string writeHtml(std::u16string_view html) const;
  // The part [begin, end) of `html` (UTF-16 offsets) as writeHtml writes it within the whole.
  std::string writeHtml(std::u16string_view html, std::size_t begin, std::size_t end) const;

  // How bytes of the page that read as some text become `html`: [begin, end) of them give way to
  // `bytes`. What the old and the new text share at the start and at the end keeps its bytes,
  // valid in the encoding or not; only the text between is written.
  struct Splice {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::string bytes;
  };
  Splice spliceHtml(std::string_view old, std::u16string_view html) const;
  // Style sheet text; lacking characters become CSS escapes.
  std::string writeCss(std::u16string_view css) const;
  // The text as it would stand in the page; nothing when the encoding lacks a character of it.
  std::optional<std::string> writeExact(std::u16string_view text) const;

 private:
  std::string encode(std::u16string_view text, std::string (*escape)(char32_t)) const;

  Encoding memory_;
  Encoding file_;
  bool plainUtf8_;
};

// Escapes that stand for a character (a code point) in place of its bytes.
std::string htmlCharacterReference(char32_t c);  // &#9733;
std::string javaScriptEscape(char32_t c);        // \u2605, a surrogate pair above U+FFFF
std::string cssEscape(char32_t c);               // "\2605 ": hex digits, then one space

}  // namespace velmo::file_host
