#pragma once
// frmstyletest: the scrollbar colour dialog. Eight colour fields, each with a swatch, filled from
// the page when the dialog loads; a colour chooser on double click; one saved scheme per user;
// "Do It!" writes the colours into the page.

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/forms/form.h"
#include "core/help/dialog_help.h"
#include "core/page_host/page_host.h"
#include "core/platform/platform.h"
#include "features/style/scrollbar_style.h"

namespace velmo {

// Where the saved scheme lives in the settings store; the keys are the entries' settings keys.
inline constexpr std::u16string_view kSchemeApplication = u"velmoed";
inline constexpr std::u16string_view kSchemeSection = u"color";

class frmstyletest : public forms::Form {
 public:
  frmstyletest(PageHost& host, Platform& platform);

  // Text1_DblClick to Text8_DblClick for `entry` 0 to 7: the colour chooser fills the field and
  // its swatch. A cancelled chooser leaves both as they were.
  void Text_DblClick(std::size_t entry);
  // Loads the saved scheme into the fields; an empty text leaves its swatch alone.
  void cmdLoad_Click();
  // Saves all eight field texts, empty ones included.
  void cmdSave_Click();
  // Applies the colours to the page, confirms and unloads. A host failure leaves it open.
  void cmdDoIt_Click();
  void cmdCancel_Click();
  // Help topic 3.
  void Command1_Click();

  // The eight field texts in entry order: while loaded, or as the last show left them.
  ScrollbarTexts fieldTexts();

 protected:
  // Fills the fields and swatches from the page's first `body` rule.
  void Form_Load() override;

 private:
  // Puts the text into the entry's field; the swatch follows when the text is a colour.
  void showEntry(std::size_t entry, std::u16string text);

  PageHost& host_;
  Platform& platform_;
  DialogHelp help_;
  // The chooser's colour: the last one confirmed during this opening, black at first.
  std::uint32_t chooserColour_ = 0;
};

}  // namespace velmo
