// What every dialog's layout must hold, whatever its numbers: each control inside its parent,
// tab indexes unique, option buttons grouped in their frame, and every handler on a control the
// layout has (a dialog with a misspelt handler cannot be made).

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "core/common/text.h"
#include "core/forms/form.h"
#include "features/command_class/dialogs.h"
#include "features/date/frm_date.h"
#include "features/favourites/frm_add_to_favor2.h"
#include "features/offers/frm_ads.h"
#include "features/offers/frm_ads_layout.h"
#include "features/slideshow/frm_slide.h"
#include "features/style/frm_style_test.h"
#include "tests/support/recording_ui.h"
#include "tests/support/selection_page_host.h"

namespace velmo {
namespace {

using forms::ControlDesign;
using forms::ControlKind;

// Every dialog, as the command class makes it.
std::vector<forms::Form*> everyDialog(UiEnvironment& ui, PageHost& host) {
  return {&styleDialog(ui, host), &favouritesDialog(ui, host), &slideDialog(ui, host),
          &dateDialog(ui, host), &offersWindow(ui)};
}

class Layouts : public ::testing::Test {
 protected:
  testing::SelectionPageHost host_;
  testing::RecordingUi ui_;
};

TEST_F(Layouts, EveryControlLiesInsideItsParentAndComesAfterIt) {
  for (forms::Form* form : everyDialog(ui_.ui, host_)) {
    const forms::FormDesign& design = form->design();
    std::map<std::u16string, const ControlDesign*> seen;
    for (const ControlDesign& control : design.controls) {
      SCOPED_TRACE(utf16ToUtf8(design.name + u"." + control.name));
      EXPECT_TRUE(seen.emplace(control.name, &control).second) << "a second control of the name";
      if (control.kind == ControlKind::CommonDialog) continue;  // never drawn
      int width = design.clientWidth;
      int height = design.clientHeight;
      if (!control.parent.empty()) {
        const auto parent = seen.find(control.parent);
        ASSERT_NE(parent, seen.end()) << "the parent is missing or comes later";
        // A scrolling container's child is larger than it on purpose.
        if (parent->second->kind == ControlKind::ScrollContainer) continue;
        width = parent->second->rect.width;
        height = parent->second->rect.height;
      }
      const forms::TwipsRect& r = control.rect;
      EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.width > 0 && r.height > 0);
      EXPECT_LE(r.left + r.width, width);
      EXPECT_LE(r.top + r.height, height);
    }
  }
}

TEST_F(Layouts, TabIndexesAreUniqueAndOptionButtonsSitInAFrame) {
  for (forms::Form* form : everyDialog(ui_.ui, host_)) {
    const forms::FormDesign& design = form->design();
    SCOPED_TRACE(utf16ToUtf8(design.name));
    std::set<int> tabs;
    std::map<std::u16string, int> optionsPerFrame;
    for (const ControlDesign& control : design.controls) {
      if (control.tabIndex >= 0) {
        EXPECT_TRUE(tabs.insert(control.tabIndex).second) << utf16ToUtf8(control.name);
      }
      if (control.kind != ControlKind::OptionButton) continue;
      const auto frame = std::find_if(design.controls.begin(), design.controls.end(),
                                      [&](const auto& c) { return c.name == control.parent; });
      ASSERT_NE(frame, design.controls.end()) << utf16ToUtf8(control.name);
      EXPECT_EQ(frame->kind, ControlKind::Frame) << utf16ToUtf8(control.name);
      optionsPerFrame[control.parent] += control.value ? 1 : 0;
    }
    // One button of each group starts selected.
    for (const auto& [frame, selected] : optionsPerFrame) {
      EXPECT_EQ(selected, 1) << utf16ToUtf8(frame);
    }
  }
}

TEST(OffersTable, EachOfferIsAHyperlinkLabelAboveItsDescription) {
  const forms::FormDesign& design = frmAdsDesign();
  const auto find = [&](std::u16string_view name) -> const ControlDesign& {
    for (const ControlDesign& control : design.controls) {
      if (control.name == name) return control;
    }
    throw std::out_of_range(utf16ToUtf8(name));
  };
  int previousBottom = 0;
  for (const Offer& offer : frmAdsOffers()) {
    const ControlDesign& link = find(offer.link);
    const ControlDesign& description = find(offer.description);
    EXPECT_EQ(link.kind, ControlKind::UserControl);
    EXPECT_EQ(description.kind, ControlKind::Label);
    EXPECT_EQ(description.text, offer.text);
    EXPECT_GE(link.rect.top, previousBottom);
    EXPECT_GT(description.rect.top, link.rect.top);
    previousBottom = description.rect.top + description.rect.height;
  }
}

}  // namespace
}  // namespace velmo
