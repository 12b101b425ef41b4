#include "features/style/frm_style_test.h"

#include "features/style/frm_style_test_layout.h"

namespace velmo {

namespace ctl = style_controls;

frmstyletest::frmstyletest(PageHost& host, Platform& platform)
    : Form(frmstyletestDesign(), platform.messages),
      host_(host),
      platform_(platform),
      help_(platform) {
  for (std::size_t i = 0; i < kScrollbarEntryCount; ++i) {
    on(styleFieldName(i), forms::Event::DblClick, [this, i] { Text_DblClick(i); });
  }
  on(ctl::cmdLoad, forms::Event::Click, [this] { cmdLoad_Click(); });
  on(ctl::cmdSave, forms::Event::Click, [this] { cmdSave_Click(); });
  on(ctl::cmdDoIt, forms::Event::Click, [this] { cmdDoIt_Click(); });
  on(ctl::cmdCancel, forms::Event::Click, [this] { cmdCancel_Click(); });
  on(ctl::Command1, forms::Event::Click, [this] { Command1_Click(); });
}

void frmstyletest::Form_Load() {
  chooserColour_ = 0;
  const auto colours = readPageColors(host_);
  if (!colours) return;
  for (std::size_t i = 0; i < kScrollbarEntryCount; ++i) showEntry(i, (*colours)[i]);
}

void frmstyletest::showEntry(std::size_t entry, std::u16string text) {
  // A text that is no six-digit colour (a colour name, "#" in front) stays in the field as it
  // is; its swatch keeps the colour it has rather than showing a guess.
  const auto colour = hexToColor(text);
  control(styleFieldName(entry)).setText(std::move(text));
  if (colour) control(styleSwatchName(entry)).setBackColour(*colour);
}

void frmstyletest::Text_DblClick(std::size_t entry) {
  const auto chosen = platform_.colours.showColor(chooserColour_);
  // Cancelling keeps what the user typed: the field is not overwritten with an old colour.
  if (!chosen) return;
  chooserColour_ = *chosen;
  control(styleFieldName(entry)).setText(colorToHex(*chosen));
  control(styleSwatchName(entry)).setBackColour(*chosen);
}

void frmstyletest::cmdLoad_Click() {
  for (std::size_t i = 0; i < kScrollbarEntryCount; ++i) {
    showEntry(i, platform_.settings.get(std::u16string(kSchemeApplication),
                                        std::u16string(kSchemeSection),
                                        std::u16string(kScrollbarEntries[i].settingsKey), u""));
  }
}

void frmstyletest::cmdSave_Click() {
  for (std::size_t i = 0; i < kScrollbarEntryCount; ++i) {
    platform_.settings.save(std::u16string(kSchemeApplication), std::u16string(kSchemeSection),
                            std::u16string(kScrollbarEntries[i].settingsKey),
                            control(styleFieldName(i)).text());
  }
}

void frmstyletest::cmdDoIt_Click() {
  applyScrollbarColors(host_, fieldTexts());
  hide();
  msgBoxSuccess(messages(), u"ScrollBar Color has been applied successfully");
  unload();
}

void frmstyletest::cmdCancel_Click() {
  unload();
}

void frmstyletest::Command1_Click() {
  help_.showTopic(3);
}

ScrollbarTexts frmstyletest::fieldTexts() {
  ScrollbarTexts texts;
  for (std::size_t i = 0; i < kScrollbarEntryCount; ++i) {
    texts[i] = control(styleFieldName(i)).text();
  }
  return texts;
}

}  // namespace velmo
