#pragma once
// The Help button of a dialog: the dialog's CHTMLHelp object is created on the first click and
// kept for as long as the dialog object lives, so a later click reuses it and the help window
// closes when the dialog object goes.

#include <cstdint>
#include <memory>

#include "core/help/chtmlhelp.h"
#include "core/platform/platform.h"

namespace velmo {

class DialogHelp {
 public:
  explicit DialogHelp(Platform& platform) : platform_(platform) {}

  // Shows the topic as a top-level help window (no owner).
  void showTopic(std::int16_t topicId);
  // The dialog's help object; nullptr before the first click.
  CHTMLHelp* object() const { return help_.get(); }

 private:
  Platform& platform_;
  std::unique_ptr<CHTMLHelp> help_;
};

}  // namespace velmo
