#pragma once
// What a page command may do only once its page and site are written: print the dialog's
// confirmations and store the settings it saved. The dialogs do both as they go; velmo holds
// them here, runs them after a commit that succeeded and drops them when the command fails, so
// that a failed command neither reports success nor changes the saved settings.
//
// Each thread keeps its own list (one page at a time); runOnPage (page_session.h) runs or drops
// it.

#include <functional>

namespace velmo::cli {

void holdUntilCommitted(std::function<void()> effect);

// Runs the held effects in the order they were held and forgets them. A HostError of one ends
// the run and drops the rest.
void runCommittedEffects();

void dropHeldEffects() noexcept;

}  // namespace velmo::cli
