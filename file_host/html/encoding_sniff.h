#pragma once
// Which encoding a file's bytes are in, decided as a browser decides it for a page or a style
// sheet read from disk (no transport layer tells it).

#include <cstddef>
#include <optional>
#include <string_view>

#include "file_host/html/text_encoding.h"

namespace velmo::file_host {

struct DetectedEncoding {
  Encoding encoding = Encoding::Utf8;
  std::size_t bomSize = 0;  // the byte order mark that decided it, 0 when none did
  bool declared = false;    // a byte order mark or a <meta> in the first 1024 bytes decided it
};

// A page: its byte order mark; else the <meta> declaration within the first 1024 bytes (one
// declaring UTF-16 means UTF-8, x-user-defined means windows-1252); else UTF-8 when the bytes
// are valid UTF-8, windows-1252 when not.
DetectedEncoding detectPageEncoding(std::string_view bytes);

// The encoding the first <meta> in `head` (the bytes of a page up to the end of its HEAD)
// declares, as a browser that meets it while parsing the HEAD obeys it when the first 1024 bytes
// declared nothing: comments, raw text and server blocks skipped, UTF-16 meaning UTF-8 and
// x-user-defined windows-1252.
std::optional<Encoding> headMetaDeclaration(std::string_view head);

// The encoding a page is read in once its HEAD, bytes [0, headEnd), has been read: `detected`,
// unless it was no declaration and a <meta> in the HEAD declares another.
DetectedEncoding encodingAfterHead(const DetectedEncoding& detected, std::string_view bytes,
                                   std::size_t headEnd);

// The encoding a <meta> element in the first 1024 bytes declares, as browsers prescan for it
// (comments and other markup skipped), before the UTF-16 and x-user-defined substitutions.
std::optional<Encoding> prescanForMeta(std::string_view bytes);

// A style sheet: its byte order mark; else `@charset "label";` at its very start (UTF-16 meaning
// UTF-8); else the encoding of the page that links to it (UTF-8 for a UTF-16 page).
DetectedEncoding detectSheetEncoding(std::string_view bytes, Encoding pageEncoding);

}  // namespace velmo::file_host
