#include "core/help/dialog_help.h"

namespace velmo {

void DialogHelp::showTopic(std::int16_t topicId) {
  if (!help_) {
    help_ = std::make_unique<CHTMLHelp>(platform_.help, platform_.files, platform_.messages,
                                        platform_.helpFile);
  }
  help_->ShowTopic(topicId, 0);
}

}  // namespace velmo
