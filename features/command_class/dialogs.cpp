#include "features/command_class/dialogs.h"

#include <memory>

#include "features/date/frm_date.h"
#include "features/favourites/frm_add_to_favor2.h"
#include "features/offers/frm_ads.h"
#include "features/slideshow/frm_slide.h"
#include "features/style/frm_style_test.h"

namespace velmo {
namespace {

template <typename Dialog>
Dialog& pageDialog(UiEnvironment& ui, PageHost& host) {
  return ui.dialog<Dialog>([&] { return std::make_unique<Dialog>(host, ui.platform()); });
}

}  // namespace

frmstyletest& styleDialog(UiEnvironment& ui, PageHost& host) {
  return pageDialog<frmstyletest>(ui, host);
}

frmAddToFavor2& favouritesDialog(UiEnvironment& ui, PageHost& host) {
  return pageDialog<frmAddToFavor2>(ui, host);
}

frmSlide& slideDialog(UiEnvironment& ui, PageHost& host) {
  return pageDialog<frmSlide>(ui, host);
}

frmDate& dateDialog(UiEnvironment& ui, PageHost& host) {
  return pageDialog<frmDate>(ui, host);
}

frmAds& offersWindow(UiEnvironment& ui) {
  return ui.dialog<frmAds>([&] { return std::make_unique<frmAds>(ui.platform()); });
}

}  // namespace velmo
