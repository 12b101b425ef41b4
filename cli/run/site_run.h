#pragma once
// A command over many pages: each page its own transaction, several at once, results printed in
// page order as they come, and a summary at the end.
//
// Exit status: 0 when every page was done, 1 when some were refused, 2 when any failed (a page,
// or a folder or list of pages that could not be read).

#include <string>

#include "cli/run/page_session.h"

namespace velmo::cli {

int runOnPages(const PageOptions& options, const PageWork& work);

// A single page's look before a change (--dry-run) on standard output.
void printLook(const std::string& page, const PageOutcome& outcome);

}  // namespace velmo::cli
