#pragma once
// Named HEAD scripts: a script whose start tag carries a name in double quotes goes into the
// page HEAD at most once.

#include <string>

#include "core/page_host/page_host.h"

namespace velmo {

// True when the HEAD's inner HTML holds the name between double quotes, in any letter case.
bool headHasName(PageHost& host, const std::u16string& name);

// Appends text to the HEAD's inner HTML unless headHasName(name).
void addHeadScript(PageHost& host, const std::u16string& text, const std::u16string& name);

}  // namespace velmo
