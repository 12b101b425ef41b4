#pragma once
// Typed text and file names placed inside generated blocks. Each function changes only the
// characters that would end what the text stands in, so that ordinary text keeps its exact bytes.

#include <string>
#include <string_view>

namespace velmo {

// Text for a JavaScript string literal quoted with `quote` (' or ") in a <script> element. A
// backslash, the quote and the line breaks (CR, LF, U+2028, U+2029) would end or break the
// literal; "</" would end the element, and "<!--" or "<script" could keep its end tag from
// ending it. These are written as JavaScript escapes with the same value.
std::u16string jsStringText(std::u16string_view text, char16_t quote);

// Text for an HTML attribute value quoted with `quote`: the quote as a character reference.
std::u16string attributeText(std::u16string_view text, char16_t quote);

// Text for a double-quoted attribute value in a comment (a webbot comment's Preview): '"' as
// &quot;, and the '-' of a "-->" or "--!>" in the text as &#45;, since either would end the
// comment. A "--" anywhere else is harmless and stays.
std::u16string commentAttributeText(std::u16string_view text);

}  // namespace velmo
