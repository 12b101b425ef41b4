#include "features/favourites/frm_add_to_favor2_layout.h"

namespace velmo {

namespace ctl = favourites_controls;
namespace {

using forms::ControlDesign;
using forms::ControlKind;
using forms::TwipsRect;

// Frames and labels take no focus, so they stay out of the tab order.
ControlDesign frame(std::u16string name, std::u16string caption, TwipsRect rect) {
  return {.kind = ControlKind::Frame, .name = name, .text = caption, .rect = rect};
}

ControlDesign label(std::u16string name, std::u16string parent, std::u16string caption,
                    TwipsRect rect) {
  return {
      .kind = ControlKind::Label, .name = name, .parent = parent, .text = caption, .rect = rect};
}

// The option buttons are only as wide as their round button; a separate label names each one.
ControlDesign option(std::u16string name, std::u16string parent, TwipsRect rect, int tabIndex,
                     bool selected) {
  return {.kind = ControlKind::OptionButton,
          .name = name,
          .parent = parent,
          .rect = rect,
          .tabIndex = tabIndex,
          .value = selected};
}

ControlDesign textBox(std::u16string name, std::u16string parent, TwipsRect rect, int tabIndex) {
  return {.kind = ControlKind::TextBox,
          .name = name,
          .parent = parent,
          .rect = rect,
          .tabIndex = tabIndex};
}

ControlDesign button(std::u16string name, std::u16string caption, TwipsRect rect, int tabIndex) {
  return {.kind = ControlKind::CommandButton,
          .name = name,
          .text = caption,
          .rect = rect,
          .tabIndex = tabIndex};
}

forms::FormDesign makeDesign() {
  ControlDesign browse = button(ctl::cmdBrowse, u"Browse...", {3000, 1080, 975, 255}, 3);
  browse.parent = ctl::Frame1;
  browse.toolTip = u"Adds a picture from your hardisk to the website folder.";
  browse.visible = false;

  ControlDesign message = textBox(ctl::txtMessage, ctl::Frame4, {3480, 360, 2055, 285}, 15);
  message.text = kFavouritesDefaultMessage;
  message.enabled = false;

  return {
      .name = u"frmAddToFavor2",
      .caption = u"Velmo - Add To Favorite",
      .clientWidth = 7275,
      .clientHeight = 5145,
      .controls =
          {
              frame(ctl::Frame1, u"Type", {120, 120, 5775, 1575}),
              option(ctl::opType1, ctl::Frame1, {120, 360, 255, 195}, 0, false),
              label(ctl::Label1, ctl::Frame1, u"Image", {600, 360, 495, 255}),
              option(ctl::opType2, ctl::Frame1, {120, 720, 255, 195}, 1, true),
              label(ctl::Label2, ctl::Frame1, u"Link", {600, 720, 495, 255}),
              label(ctl::lblType, ctl::Frame1, u"Link Text", {120, 1080, 1095, 255}),
              textBox(ctl::txtType, ctl::Frame1, {1200, 1080, 1575, 285}, 2),
              browse,

              frame(ctl::Frame2, u"URL To Add", {120, 1800, 5775, 975}),
              option(ctl::opURL1, ctl::Frame2, {240, 480, 255, 255}, 4, true),
              label(ctl::Label6, ctl::Frame2, u"Current Page", {600, 480, 1095, 255}),
              option(ctl::opURL2, ctl::Frame2, {1920, 480, 255, 255}, 6, false),
              label(ctl::Label7, ctl::Frame2, u"Other HTTP//:", {2280, 480, 1215, 255}),
              textBox(ctl::txtHTTP, ctl::Frame2, {3480, 480, 2055, 285}, 5),

              frame(ctl::Frame3, u"Title To Add", {120, 2880, 5775, 975}),
              option(ctl::opTitle1, ctl::Frame3, {240, 480, 255, 195}, 9, true),
              label(ctl::Label9, ctl::Frame3, u"Page Title", {600, 480, 855, 255}),
              option(ctl::opTitle2, ctl::Frame3, {1920, 480, 255, 195}, 8, false),
              label(ctl::Label10, ctl::Frame3, u"Other", {2280, 480, 735, 255}),
              textBox(ctl::txtTitle, ctl::Frame3, {3480, 480, 2055, 285}, 7),

              frame(ctl::Frame4, u"Other Browsers See", {120, 3960, 5775, 855}),
              option(ctl::opBrowsers1, ctl::Frame4, {240, 360, 255, 195}, 13, true),
              label(ctl::Label3, ctl::Frame4, u"Nothing", {600, 360, 735, 255}),
              option(ctl::opBrowsers2, ctl::Frame4, {1920, 360, 255, 195}, 14, false),
              label(ctl::Label4, ctl::Frame4, u"Message", {2280, 360, 855, 255}),
              message,

              button(ctl::cmdDoIt, u"Do it!", {6000, 240, 1215, 375}, 10),
              button(ctl::cmdCancel, u"Cancel", {6000, 720, 1215, 375}, 11),
              button(ctl::cmdHelp, u"Help", {6000, 1200, 1215, 375}, 12),
              // The open-file dialog of Browse: never drawn.
              {.kind = ControlKind::CommonDialog, .name = ctl::cmnBrowse},
          },
  };
}

}  // namespace

const forms::FormDesign& frmAddToFavor2Design() {
  static const forms::FormDesign design = makeDesign();
  return design;
}

}  // namespace velmo
