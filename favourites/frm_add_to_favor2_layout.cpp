#include "favourites/frm_add_to_favor2_layout.h"

namespace velmo {
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
  ControlDesign browse = button(u"cmdBrowse", u"Browse...", {3000, 1080, 975, 255}, 3);
  browse.parent = u"Frame1";
  browse.toolTip = u"Adds a picture from your hardisk to the website folder.";
  browse.visible = false;

  ControlDesign message = textBox(u"txtMessage", u"Frame4", {3480, 360, 2055, 285}, 15);
  message.text = kFavouritesDefaultMessage;
  message.enabled = false;

  return {
      .name = u"frmAddToFavor2",
      .caption = u"Velmo - Add To Favorite",
      .clientWidth = 7275,
      .clientHeight = 5145,
      .controls =
          {
              frame(u"Frame1", u"Type", {120, 120, 5775, 1575}),
              option(u"opType1", u"Frame1", {120, 360, 255, 195}, 0, false),
              label(u"Label1", u"Frame1", u"Image", {600, 360, 495, 255}),
              option(u"opType2", u"Frame1", {120, 720, 255, 195}, 1, true),
              label(u"Label2", u"Frame1", u"Link", {600, 720, 495, 255}),
              label(u"lblType", u"Frame1", u"Link Text", {120, 1080, 1095, 255}),
              textBox(u"txtType", u"Frame1", {1200, 1080, 1575, 285}, 2),
              browse,

              frame(u"Frame2", u"URL To Add", {120, 1800, 5775, 975}),
              option(u"opURL1", u"Frame2", {240, 480, 255, 255}, 4, true),
              label(u"Label6", u"Frame2", u"Current Page", {600, 480, 1095, 255}),
              option(u"opURL2", u"Frame2", {1920, 480, 255, 255}, 6, false),
              label(u"Label7", u"Frame2", u"Other HTTP//:", {2280, 480, 1215, 255}),
              textBox(u"txtHTTP", u"Frame2", {3480, 480, 2055, 285}, 5),

              frame(u"Frame3", u"Title To Add", {120, 2880, 5775, 975}),
              option(u"opTitle1", u"Frame3", {240, 480, 255, 195}, 9, true),
              label(u"Label9", u"Frame3", u"Page Title", {600, 480, 855, 255}),
              option(u"opTitle2", u"Frame3", {1920, 480, 255, 195}, 8, false),
              label(u"Label10", u"Frame3", u"Other", {2280, 480, 735, 255}),
              textBox(u"txtTitle", u"Frame3", {3480, 480, 2055, 285}, 7),

              frame(u"Frame4", u"Other Browsers See", {120, 3960, 5775, 855}),
              option(u"opBrowsers1", u"Frame4", {240, 360, 255, 195}, 13, true),
              label(u"Label3", u"Frame4", u"Nothing", {600, 360, 735, 255}),
              option(u"opBrowsers2", u"Frame4", {1920, 360, 255, 195}, 14, false),
              label(u"Label4", u"Frame4", u"Message", {2280, 360, 855, 255}),
              message,

              button(u"cmdDoIt", u"Do it!", {6000, 240, 1215, 375}, 10),
              button(u"cmdCancel", u"Cancel", {6000, 720, 1215, 375}, 11),
              button(u"cmdHelp", u"Help", {6000, 1200, 1215, 375}, 12),
              // The open-file dialog of Browse: never drawn.
              {.kind = ControlKind::CommonDialog, .name = u"cmnBrowse"},
          },
  };
}

}  // namespace

const forms::FormDesign& frmAddToFavor2Design() {
  static const forms::FormDesign design = makeDesign();
  return design;
}

}  // namespace velmo
