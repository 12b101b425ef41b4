#pragma once
// The common dialogs of comdlg32: GetOpenFileNameW and ChooseColorW, owned by the thread's
// active window.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/platform/common_dialogs.h"

namespace velmo::win {

// Only existing files can be chosen: a typed name that names nothing is refused by the dialog
// itself, instead of reaching an import that fails later. The host's current folder stays as it
// was (the dialog would otherwise move it to the chosen file's folder).
class Win32OpenFileDialog : public OpenFileDialog {
 public:
  std::optional<ChosenFile> showOpen(const std::u16string& filter) override;
};

class Win32ColourChooser : public ColourChooser {
 public:
  // Flags 0: the basic chooser, opening on `start`.
  std::optional<std::uint32_t> showColor(std::uint32_t start) override;

 private:
  // The chooser's sixteen custom colours, kept while the library lives.
  std::array<std::uint32_t, 16> customColours_{};
};

// "Description|pattern|..." as GetOpenFileNameW takes it: each part ended by a NUL, the list by
// a second NUL.
std::wstring openFileFilter(std::u16string_view filter);

}  // namespace velmo::win
