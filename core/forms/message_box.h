#pragma once
// Message boxes. The seam receives the finished request; msgBox() fills in the library's title
// when a caller gives none.

#include <string>
#include <string_view>

namespace velmo {

// The title of every message box that has none of its own.
inline constexpr std::u16string_view kAppTitle = u"Velmopro";

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgAnswer { Ok, Cancel, Yes, No };

struct MessageRequest {
  std::u16string text;
  std::u16string title;
  MsgButtons buttons = MsgButtons::Ok;
  MsgIcon icon = MsgIcon::None;
  // A confirmation that the command succeeded; a console shows it as normal output.
  bool reportsSuccess = false;
  // The error that ends a dialog's handler: the caller reports it again as the command's
  // failure, so a console that ends with that report need not show it twice.
  bool reportsFailure = false;
};

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Waits until the user answers.
  virtual MsgAnswer show(const MessageRequest& request) = 0;
};

// An empty title means the library's title.
inline MsgAnswer msgBox(MessageBoxes& boxes, std::u16string text,
                        MsgButtons buttons = MsgButtons::Ok, MsgIcon icon = MsgIcon::None,
                        std::u16string title = {}) {
  if (title.empty()) title = kAppTitle;
  return boxes.show({std::move(text), std::move(title), buttons, icon, false, false});
}

// A confirmation that the command succeeded: OK button, no icon.
inline void msgBoxSuccess(MessageBoxes& boxes, std::u16string text, std::u16string title = {}) {
  if (title.empty()) title = kAppTitle;
  boxes.show({std::move(text), std::move(title), MsgButtons::Ok, MsgIcon::None, true, false});
}

}  // namespace velmo
