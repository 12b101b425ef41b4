#pragma once
// Design-time description of a dialog: the window and every control with the values it starts
// from on each load. One table per dialog is read by every platform's renderer, so positions,
// captions and tab order live in exactly one place.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmo::forms {

enum class ControlKind {
  Label,
  Swatch,  // a label without caption that shows a colour
  TextBox,
  CommandButton,
  OptionButton,     // grouped with the other option buttons of the same parent
  Frame,            // a captioned container
  ListBox,          // single selection, unsorted
  Image,            // shows a picture asset
  PictureBox,       // a plain container
  ScrollContainer,  // clips one child and lets the user scroll it
  UserControl,      // the surface of a control made of its own children (core/forms/user_control.h)
  CommonDialog,     // invisible; stands for the open-file dialog or the colour chooser
};

// Colours as the Windows control framework stores them: 0x00BBGGRR, or a system colour index
// with the top bit set.
using OleColour = std::uint32_t;
constexpr OleColour systemColour(int index) {
  return 0x80000000u | static_cast<OleColour>(index);
}
constexpr bool isSystemColour(OleColour colour) {
  return (colour & 0x80000000u) != 0;
}
constexpr OleColour rgb(int r, int g, int b) {
  return static_cast<OleColour>(r) | static_cast<OleColour>(g) << 8 |
         static_cast<OleColour>(b) << 16;
}
namespace sys {
inline constexpr OleColour kDesktop = systemColour(1);
inline constexpr OleColour kWindow = systemColour(5);
inline constexpr OleColour kWindowText = systemColour(8);
inline constexpr OleColour kHighlightText = systemColour(14);
inline constexpr OleColour kButtonFace = systemColour(15);
inline constexpr OleColour kButtonText = systemColour(18);
inline constexpr OleColour kInfoBackground = systemColour(24);
}  // namespace sys

struct Font {
  std::u16string name = u"MS Sans Serif";
  double points = 8.25;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool operator==(const Font&) const = default;
};

// One entry of the saved state that a container keeps for a user control or an outside control
// (its property bag): the property's name as saved and its value as text.
struct SavedProperty {
  std::u16string name{};
  std::u16string value{};
  bool operator==(const SavedProperty&) const = default;
};

// Position and size in twips (1/1440 inch), relative to the parent's client area.
struct TwipsRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const TwipsRect&) const = default;
};

// One control. At run time the same fields are the control's current state.
struct ControlDesign {
  ControlKind kind = ControlKind::Label;
  std::u16string name{};
  std::u16string parent{};  // the containing control's name; empty for the form itself
  std::u16string text{};    // caption of labels, buttons and frames; content of text boxes
  TwipsRect rect{};
  int tabIndex = -1;  // -1: not in the tab order
  std::u16string toolTip{};
  std::optional<Font> font{};  // absent: the form's font
  std::optional<OleColour> foreColour{};
  std::optional<OleColour> backColour{};  // absent: the kind's default
  bool enabled = true;
  bool visible = true;
  bool value = false;                   // option buttons: selected
  std::vector<std::u16string> items{};  // list boxes
  int listIndex = -1;                   // list boxes: the selected item, -1 for none
  bool wordWrap = false;                // labels: wrap the caption within the width
  std::u16string picture{};             // images: the asset's name
  std::vector<SavedProperty> saved{};   // user and outside controls: their saved state
  bool operator==(const ControlDesign&) const = default;
};

enum class BorderStyle { FixedSingle, FixedDialog, Sizable };

struct FormDesign {
  std::u16string name{};
  std::u16string caption{};
  int clientWidth = 0;  // twips
  int clientHeight = 0;
  BorderStyle border = BorderStyle::FixedSingle;
  bool minButton = false;
  bool maxButton = false;
  Font font{};
  std::vector<ControlDesign> controls{};  // parents come before their children
};

}  // namespace velmo::forms
