#include "offers/frm_ads.h"

#include <stdexcept>

#include "common/text.h"
#include "offers/frm_ads_layout.h"
#include "platform/memory_property_bag.h"

namespace velmo {

frmAds::frmAds(Platform& platform) : Form(frmAdsDesign(), platform.messages), platform_(platform) {}

void frmAds::Form_Load() {
  links_.clear();
  for (const auto& control : controls()) {
    if (control->kind() != forms::ControlKind::HyperlinkLabel) continue;
    auto link = std::make_unique<URLLink>(URLLinkServices::of(platform_));
    MemoryPropertyBag saved(control->state().saved);
    link->UserControl_ReadProperties(saved);
    links_.emplace(control->name(), std::move(link));
  }
}

URLLink& frmAds::hyperlink(std::u16string_view controlName) {
  const auto found = links_.find(controlName);
  if (found == links_.end()) {
    throw std::out_of_range("frmAds has no hyperlink label " + utf16ToUtf8(controlName));
  }
  return *found->second;
}

}  // namespace velmo
