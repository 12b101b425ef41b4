#pragma once
// frmAds: the offers window. A fixed layout without handlers of its own: each offer's hyperlink
// label opens its stored address unchanged, and the window handles none of their events.

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "forms/form.h"
#include "offers/url_link.h"
#include "platform/platform.h"

namespace velmo {

class frmAds : public forms::Form, public HyperlinkLabelHost {
 public:
  explicit frmAds(Platform& platform);

  URLLink& hyperlink(std::u16string_view controlName) override;

 protected:
  // Every hyperlink label is loaded from its saved state in the layout.
  void Form_Load() override;

 private:
  Platform& platform_;
  std::map<std::u16string, std::unique_ptr<URLLink>, std::less<>> links_;
};

}  // namespace velmo
