#include "features/offers/frm_ads.h"

#include <stdexcept>

#include "core/common/text.h"
#include "core/platform/memory_property_bag.h"
#include "features/offers/frm_ads_layout.h"

namespace velmo {

frmAds::frmAds(Platform& platform) : Form(frmAdsDesign(), platform.messages), platform_(platform) {}

void frmAds::Form_Load() {
  // Every user control of the window is a hyperlink label.
  for (const auto& control : controls()) {
    if (control->kind() != forms::ControlKind::UserControl) continue;
    auto& link = host(control->name(), std::make_unique<URLLink>(URLLinkServices::of(platform_)));
    MemoryPropertyBag saved(control->state().saved);
    link.UserControl_ReadProperties(saved);
  }
}

URLLink& frmAds::hyperlink(std::u16string_view controlName) {
  auto* link = dynamic_cast<URLLink*>(userControl(controlName));
  if (link == nullptr) {
    throw std::out_of_range("frmAds has no hyperlink label " + utf16ToUtf8(controlName));
  }
  return *link;
}

}  // namespace velmo
