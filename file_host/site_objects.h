#pragma once
// The editor's site objects over a SiteState.

#include <memory>

#include "core/page_host/page_host.h"

namespace velmo::file_host {

class SiteState;

// The objects keep only a weak reference: once the site is gone, each call is a HostError.
std::unique_ptr<Web> makeSiteWeb(std::weak_ptr<SiteState> state);

}  // namespace velmo::file_host
