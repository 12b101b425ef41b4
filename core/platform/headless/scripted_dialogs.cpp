#include "core/platform/headless/scripted_dialogs.h"

namespace velmo {

std::optional<ChosenFile> ScriptedOpenFileDialog::showOpen(const std::u16string& filter) {
  lastFilter_ = filter;
  if (answers_.empty()) return std::nullopt;
  std::u16string path = std::move(answers_.front());
  answers_.pop_front();
  if (path.empty()) return std::nullopt;
  // The title is what follows the last folder separator of either platform.
  const auto slash = path.find_last_of(u"/\\");
  std::u16string title = slash == std::u16string::npos ? path : path.substr(slash + 1);
  return ChosenFile{std::move(path), std::move(title)};
}

std::optional<std::uint32_t> ScriptedColourChooser::showColor(std::uint32_t) {
  if (answers_.empty()) return std::nullopt;
  const auto colour = answers_.front();
  answers_.pop_front();
  return colour;
}

}  // namespace velmo
