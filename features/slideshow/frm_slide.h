#pragma once
// frmSlide: the user builds an ordered list of pictures from disk and "Do it" turns it into a
// slide show on the page.

#include <array>
#include <string>
#include <vector>

#include "core/forms/form.h"
#include "core/help/dialog_help.h"
#include "core/page_host/page_host.h"
#include "core/platform/platform.h"
#include "features/slideshow/slide_show.h"

namespace velmo {

// The list and the path table beside it hold this many pictures.
inline constexpr std::size_t kMaximumSlides = 71;

// Shown when the user adds a picture to a full list; the list stays as it was.
inline constexpr char16_t kFullListMessage[] =
    u"A slide show holds at most 71 pictures. Remove a picture before you add another.";
inline constexpr char16_t kTooFewMessage[] = u"You must have at least two pictures, add more";
inline constexpr char16_t kPictureFilter[] = u"GIF pictures |*.gif|JPEG pictures |*.jpg";
inline constexpr std::int16_t kSlideHelpTopic = 4;

class frmSlide : public forms::Form {
 public:
  frmSlide(PageHost& host, Platform& platform);

  // "Add Picture...": appends the chosen file's name to the list and its full path to the table.
  void cmdBrowse_Click();
  // Remove, Up and Down act on the selected entry, keep names and paths paired, and leave
  // nothing selected.
  void cmdRemove_Click();
  void cmdUp_Click();
  void cmdDown_Click();
  // "Do it": the slide show from the list, then unloads. A host failure leaves the dialog open.
  void cmdDoit_Click();
  void cmdCancel_Click();
  void Command1_Click();

  // The list as it stands (or stood at the last unload), each name with its path.
  std::vector<SlidePicture> pictures();
  const DialogHelp& help() const { return help_; }

 private:
  forms::Control& list() { return control(u"lstPic"); }
  // The selected entry's position; nothing selected is -1.
  int selectedEntry();
  // Moves entry k to position k + step, with its path.
  void moveEntry(int k, int step);

  PageHost& host_;
  Platform& platform_;
  DialogHelp help_;
  // Position k holds the full path of list entry k; positions from the list's count on may be
  // stale and are never read.
  std::array<std::u16string, kMaximumSlides> paths_;
};

}  // namespace velmo
