#pragma once
// File names are bytes; this is how velmo shows one, on a terminal and in JSON alike.

#include <string>
#include <string_view>

namespace velmo {

// `name` as velmo shows it: itself when it is UTF-8 without control characters; otherwise with
// each control character as a C escape (\a \b \t \n \v \f \r \e, others \xHH), each byte that
// is not UTF-8 as \xHH and, where '\' is no path separator, '\' itself as \\, so that the form
// reads back to the bytes. On Windows every '/' shows as '\', the system's own separator. The
// result is always UTF-8 and never draws on a terminal.
std::string shownName(std::string_view name);

// A message (UTF-8) as velmo prints it: line feeds and tabs as they are, every other control
// character as shownName shows it, so that a name quoted inside a message draws nothing either.
std::string shownText(std::string_view text);

}  // namespace velmo
