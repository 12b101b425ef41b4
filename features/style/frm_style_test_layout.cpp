#include "features/style/frm_style_test_layout.h"

#include "features/style/scrollbar_style.h"

namespace velmo {

namespace ctl = style_controls;

using forms::ControlDesign;
using forms::ControlKind;
using forms::Font;

namespace {

// The eight rows of label, field and swatch start at 960 and are 480 apart.
int rowTop(std::size_t entry) {
  return 960 + 480 * static_cast<int>(entry);
}

// Control names number the entries 1 to 8.
std::u16string withDigit(std::u16string_view prefix, std::size_t digit) {
  return std::u16string(prefix) + static_cast<char16_t>(u'0' + digit);
}

std::vector<ControlDesign> controls() {
  int tab = 0;
  std::vector<ControlDesign> all;
  all.push_back({.kind = ControlKind::Label,
                 .name = ctl::Label8,
                 .text =
                     u"Double click the appropriate empty field to choose a color or enter "
                     u"the hexadecimal color value.\r\nYou don't have to fill all the fields !!",
                 .rect = {120, 120, 7095, 615},
                 .tabIndex = tab++,
                 .font = Font{.bold = true},
                 .backColour = forms::sys::kInfoBackground,
                 .wordWrap = true});
  for (std::size_t i = 0; i < kScrollbarEntryCount; ++i) {
    all.push_back({.kind = ControlKind::Label,
                   .name = styleLabelName(i),
                   .text = std::u16string(kScrollbarEntries[i].label),
                   .rect = {360, rowTop(i), 1575, 255},
                   .tabIndex = tab++});
  }
  // The track colour's field, Text6, is drawn 30 twips taller than the others.
  for (std::size_t i = 0; i < kScrollbarEntryCount; ++i) {
    all.push_back({.kind = ControlKind::TextBox,
                   .name = styleFieldName(i),
                   .rect = {2160, rowTop(i), 1215, i == 5 ? 405 : 375},
                   .tabIndex = tab++});
  }
  for (std::size_t i = 0; i < kScrollbarEntryCount; ++i) {
    all.push_back({.kind = ControlKind::Swatch,
                   .name = styleSwatchName(i),
                   .rect = {3480, rowTop(i), 255, 255},
                   .tabIndex = tab++});
  }
  all.push_back({.kind = ControlKind::Label,
                 .name = ctl::Label,
                 .text = u"Reference Image",
                 .rect = {5040, 960, 1935, 375},
                 .tabIndex = tab++,
                 .font = Font{.points = 12}});
  all.push_back({.kind = ControlKind::Image,
                 .name = ctl::Image1,
                 .rect = {4200, 1560, 2895, 3285},
                 .picture = std::u16string(kScrollbarReferencePicture)});
  const struct {
    const char16_t* name;
    const char16_t* caption;
    forms::TwipsRect rect;
    const char16_t* toolTip;
  } buttons[] = {
      {ctl::cmdDoIt, u"Do It!", {240, 5040, 975, 375}, u""},
      {ctl::cmdCancel, u"Cancel", {1440, 5040, 975, 375}, u""},
      {ctl::Command1, u"Help", {2640, 5040, 855, 375}, u""},
      {ctl::cmdSave, u"Save", {4200, 5040, 735, 375}, u"Saves scrollbar colors to be used later"},
      {ctl::cmdLoad, u"Load", {5040, 5040, 735, 375}, u"Loads  Scrollbar colors previously saved"},
  };
  for (const auto& button : buttons) {
    all.push_back({.kind = ControlKind::CommandButton,
                   .name = button.name,
                   .text = button.caption,
                   .rect = button.rect,
                   .tabIndex = tab++,
                   .toolTip = button.toolTip});
  }
  all.push_back({.kind = ControlKind::CommonDialog, .name = ctl::CommonDialog1, .visible = false});
  return all;
}

}  // namespace

std::u16string styleLabelName(std::size_t entry) {
  // The base colour's label was added last, as Label10; the others are Label1 to Label7.
  return entry == 0 ? u"Label10" : withDigit(u"Label", entry);
}
std::u16string styleFieldName(std::size_t entry) {
  return withDigit(u"Text", entry + 1);
}
std::u16string styleSwatchName(std::size_t entry) {
  return withDigit(u"cl", entry + 1);
}

const forms::FormDesign& frmstyletestDesign() {
  static const forms::FormDesign design{.name = u"frmstyletest",
                                        .caption = u"Velmo - Scrollbar color",
                                        .clientWidth = 7380,
                                        .clientHeight = 5760,
                                        .controls = controls()};
  return design;
}

}  // namespace velmo
