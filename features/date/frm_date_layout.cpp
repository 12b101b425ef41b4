#include "features/date/frm_date_layout.h"

namespace velmo {

namespace ctl = date_controls;

using forms::ControlKind;

const forms::FormDesign& frmDateDesign() {
  static const forms::FormDesign design{.name = u"frmDate",
                                        .caption = u"Velmo- Current Date",
                                        .clientWidth = 4680,
                                        .clientHeight = 1365,
                                        .controls = {
                                            {.kind = ControlKind::Label,
                                             .name = ctl::Label1,
                                             .text = u"Enters current date",
                                             .rect = {120, 240, 1815, 375},
                                             .tabIndex = 0},
                                            {.kind = ControlKind::CommandButton,
                                             .name = ctl::cmdDo,
                                             .text = u"Do it",
                                             .rect = {3480, 240, 975, 375},
                                             .tabIndex = 1},
                                            {.kind = ControlKind::CommandButton,
                                             .name = ctl::cmdCancel,
                                             .text = u"Cancel",
                                             .rect = {3480, 720, 975, 375},
                                             .tabIndex = 2},
                                        }};
  return design;
}

}  // namespace velmo
