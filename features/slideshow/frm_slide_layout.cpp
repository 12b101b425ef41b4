#include "features/slideshow/frm_slide_layout.h"

namespace velmo {

namespace ctl = slide_controls;

using forms::ControlKind;

const forms::FormDesign& frmSlideDesign() {
  static const forms::FormDesign design{
      .name = u"frmSlide",
      .caption = u"Velmo - Slide Show",
      .clientWidth = 5925,
      .clientHeight = 3750,
      .border = forms::BorderStyle::FixedSingle,
      .minButton = false,
      .maxButton = false,
      .controls = {
          {.kind = ControlKind::Label,
           .name = ctl::lblName,
           .text = u"Pictures to add",
           .rect = {1320, 360, 1695, 255},
           .tabIndex = 1},
          {.kind = ControlKind::ListBox,
           .name = ctl::lstPic,
           .rect = {1080, 720, 2295, 2010},
           .tabIndex = 0},
          {.kind = ControlKind::CommandButton,
           .name = ctl::cmdBrowse,
           .text = u"Add Picture...",
           .rect = {3720, 720, 1335, 375},
           .tabIndex = 2},
          {.kind = ControlKind::CommandButton,
           .name = ctl::cmdRemove,
           .text = u"Remove Picture",
           .rect = {3720, 1200, 1335, 375},
           .tabIndex = 3},
          {.kind = ControlKind::CommandButton,
           .name = ctl::cmdUp,
           .text = u"Up",
           .rect = {240, 1200, 615, 255},
           .tabIndex = 4,
           .toolTip = u"Moves picture up in order"},
          {.kind = ControlKind::CommandButton,
           .name = ctl::cmdDown,
           .text = u"Down",
           .rect = {240, 1560, 615, 255},
           .tabIndex = 5,
           .toolTip = u"Moves picture Down in order"},
          {.kind = ControlKind::CommandButton,
           .name = ctl::cmdDoit,
           .text = u"Do it",
           .rect = {360, 3000, 855, 375},
           .tabIndex = 6},
          {.kind = ControlKind::CommandButton,
           .name = ctl::cmdCancel,
           .text = u"Cancel",
           .rect = {1440, 3000, 855, 375},
           .tabIndex = 7},
          {.kind = ControlKind::CommandButton,
           .name = ctl::Command1,
           .text = u"Help",
           .rect = {2520, 3000, 855, 375},
           .tabIndex = 8},
          // The open-file dialog has no window of its own on the form.
          {.kind = ControlKind::CommonDialog, .name = ctl::cmnBrowse},
      }};
  return design;
}

}  // namespace velmo
