#include "windows/platform/win32_message_boxes.h"

#include <windows.h>

#include "windows/platform/win_text.h"

namespace velmo::win {

unsigned messageBoxStyle(MsgButtons buttons, MsgIcon icon) {
  unsigned style = 0;
  switch (buttons) {
    case MsgButtons::Ok:
      style = MB_OK;
      break;
    case MsgButtons::OkCancel:
      style = MB_OKCANCEL;
      break;
    case MsgButtons::YesNo:
      style = MB_YESNO;
      break;
    case MsgButtons::YesNoCancel:
      style = MB_YESNOCANCEL;
      break;
  }
  switch (icon) {
    case MsgIcon::None:
      break;
    case MsgIcon::Critical:
      style |= MB_ICONHAND;
      break;
    case MsgIcon::Question:
      style |= MB_ICONQUESTION;
      break;
    case MsgIcon::Exclamation:
      style |= MB_ICONEXCLAMATION;
      break;
    case MsgIcon::Information:
      style |= MB_ICONASTERISK;
      break;
  }
  return style;
}

MsgAnswer Win32MessageBoxes::show(const MessageRequest& request) {
  HWND owner = GetActiveWindow();
  // Without an owner the box still keeps the thread's other windows from taking input.
  const unsigned modality = owner ? MB_APPLMODAL : MB_TASKMODAL;
  const int answer =
      MessageBoxW(owner, wide(request.text).c_str(), wide(request.title).c_str(),
                  messageBoxStyle(request.buttons, request.icon) | modality | MB_SETFOREGROUND);
  switch (answer) {
    case IDOK:
      return MsgAnswer::Ok;
    case IDCANCEL:
      return MsgAnswer::Cancel;
    case IDYES:
      return MsgAnswer::Yes;
    case IDNO:
      return MsgAnswer::No;
    default:
      throw lastWin32Error(u"The message box cannot be shown");
  }
}

}  // namespace velmo::win
