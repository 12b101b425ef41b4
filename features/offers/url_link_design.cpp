#include "features/offers/url_link_design.h"

namespace velmo {

forms::Font urlLinkFont() {
  return {.name = u"MS Sans Serif", .points = 9.75};
}

const forms::ControlDesign& lblURLDesign() {
  static const forms::ControlDesign design{
      .kind = forms::ControlKind::Label,
      .name = u"lblURL",
      .font = forms::Font{.name = u"MS Sans Serif", .points = 9.75, .underline = true},
      .foreColour = forms::rgb(255, 255, 0),
      .backColour = kURLLinkBackColour,
  };
  return design;
}

}  // namespace velmo
