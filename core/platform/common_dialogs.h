#pragma once
// The common dialogs: the open-file dialog and the colour chooser.

#include <cstdint>
#include <optional>
#include <string>

namespace velmo {

struct ChosenFile {
  std::u16string fullPath;
  std::u16string fileTitle;  // the name without its folder
};

class OpenFileDialog {
 public:
  virtual ~OpenFileDialog() = default;
  // `filter` is "Description|pattern|Description|pattern"; nothing when the user cancels.
  virtual std::optional<ChosenFile> showOpen(const std::u16string& filter) = 0;
};

class ColourChooser {
 public:
  virtual ~ColourChooser() = default;
  // `start` is the colour the chooser opens on (0x00BBGGRR); nothing when the user cancels.
  virtual std::optional<std::uint32_t> showColor(std::uint32_t start) = 0;
};

}  // namespace velmo
