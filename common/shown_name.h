#pragma once
// A file name as velmo shows it in messages, listings and JSON. File names are bytes: a name
// from an old archive may be Latin-1, and a hostile one may hold terminal escapes. A name that
// is UTF-8 without control characters shows as itself; any other shows with each control
// character as a C escape (\a \b \t \n \v \f \r \e, else \xHH), each byte that is not UTF-8 as
// \xHH, and each backslash as \\, so that the shown form can be read back and cannot steer a
// terminal.

#include <string>
#include <string_view>

namespace velmo {

std::string shownName(std::string_view name);

}  // namespace velmo
