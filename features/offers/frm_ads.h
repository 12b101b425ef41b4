#pragma once
// frmAds: the offers window. A fixed layout without handlers of its own: each offer's hyperlink
// label opens its stored address unchanged, and the window handles none of their events.

#include <string_view>

#include "core/forms/form.h"
#include "core/platform/platform.h"
#include "features/offers/url_link.h"

namespace velmo {

class frmAds : public forms::Form {
 public:
  explicit frmAds(Platform& platform);

  // The hyperlink label's control of the current (or last) load; std::out_of_range for a name
  // that is no hyperlink label.
  URLLink& hyperlink(std::u16string_view controlName);

 protected:
  // Every hyperlink label is loaded from its saved state in the layout.
  void Form_Load() override;

 private:
  Platform& platform_;
};

}  // namespace velmo
