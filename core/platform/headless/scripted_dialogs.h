#pragma once
// Common dialogs answered from a list prepared beforehand, one answer per opening. When the list
// is used up the user cancels.

#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "core/platform/common_dialogs.h"

namespace velmo {

class ScriptedOpenFileDialog : public OpenFileDialog {
 public:
  // An empty path stands for a cancelled dialog.
  void answer(std::u16string fullPath) { answers_.push_back(std::move(fullPath)); }
  std::optional<ChosenFile> showOpen(const std::u16string& filter) override;
  // The filter of the last opening.
  const std::u16string& lastFilter() const { return lastFilter_; }

 private:
  std::deque<std::u16string> answers_;
  std::u16string lastFilter_;
};

class ScriptedColourChooser : public ColourChooser {
 public:
  // Nothing stands for a cancelled chooser.
  void answer(std::optional<std::uint32_t> colour) { answers_.push_back(colour); }
  std::optional<std::uint32_t> showColor(std::uint32_t start) override;

 private:
  std::deque<std::optional<std::uint32_t>> answers_;
};

}  // namespace velmo
