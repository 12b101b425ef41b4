#pragma once
// Message boxes with MessageBoxW, owned by the thread's active window so that they are modal to
// the dialog (or the editor) the user is working in.

#include "core/forms/message_box.h"

namespace velmo::win {

class Win32MessageBoxes : public MessageBoxes {
 public:
  MsgAnswer show(const MessageRequest& request) override;
};

// The MessageBoxW style for a request's buttons and icon.
unsigned messageBoxStyle(MsgButtons buttons, MsgIcon icon);

}  // namespace velmo::win
