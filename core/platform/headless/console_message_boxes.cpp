#include "core/platform/headless/console_message_boxes.h"

#include <string>

#include "core/common/shown_name.h"
#include "core/common/text.h"

namespace velmo {
namespace {

// CR LF inside a message is one line break on a console; other control characters (a file
// name's terminal escapes) are shown, not obeyed.
std::string consoleText(std::u16string_view text) {
  std::string utf8 = utf16ToUtf8(text);
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') continue;
    out += utf8[i];
  }
  return shownText(out);
}

bool isQuestion(MsgButtons buttons) {
  return buttons != MsgButtons::Ok;
}

MsgAnswer positive(MsgButtons buttons) {
  return buttons == MsgButtons::OkCancel ? MsgAnswer::Ok : MsgAnswer::Yes;
}
MsgAnswer negative(MsgButtons buttons) {
  return buttons == MsgButtons::OkCancel ? MsgAnswer::Cancel : MsgAnswer::No;
}

bool answerYes(const std::string& line) {
  const std::u16string answer = utf8ToUtf16(isValidUtf8(line) ? line : std::string());
  return equalsIgnoreAsciiCase(answer, u"y") || equalsIgnoreAsciiCase(answer, u"yes");
}

}  // namespace

MsgAnswer ConsoleMessageBoxes::show(const MessageRequest& request) {
  const std::string line = consoleText(request.title) + ": " + consoleText(request.text);
  if (!isQuestion(request.buttons)) {
    (request.reportsSuccess ? out_ : err_) << line << '\n' << std::flush;
    return MsgAnswer::Ok;
  }
  bool yes = policy_ == QuestionPolicy::Yes;
  if (policy_ == QuestionPolicy::Ask && terminal_ != nullptr) {
    err_ << line << " [y/N] " << std::flush;
    std::string answer;
    yes = std::getline(*terminal_, answer) && answerYes(answer);
  } else {
    err_ << line << " -> " << (yes ? "Yes" : "No") << '\n' << std::flush;
  }
  return yes ? positive(request.buttons) : negative(request.buttons);
}

}  // namespace velmo
