#pragma once
// The current-date block: a client-side script in a "V_Date" webbot block that writes the
// viewer's date in words, such as "Tuesday, March 05, 2002.".

#include <string>

namespace velmo {

// The bot name of the block's webbot comments.
inline constexpr char16_t kDateBotName[] = u"V_Date";

// The 21 lines joined with CR LF, without a line break after the last one.
std::u16string dateBlock();

}  // namespace velmo
