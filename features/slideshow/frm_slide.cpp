#include "features/slideshow/frm_slide.h"

#include <utility>

#include "features/slideshow/frm_slide_layout.h"

namespace velmo {

namespace ctl = slide_controls;

frmSlide::frmSlide(PageHost& host, Platform& platform)
    : Form(frmSlideDesign(), platform.messages), host_(host), platform_(platform), help_(platform) {
  using forms::Event;
  on(ctl::cmdBrowse, Event::Click, [this] { cmdBrowse_Click(); });
  on(ctl::cmdRemove, Event::Click, [this] { cmdRemove_Click(); });
  on(ctl::cmdUp, Event::Click, [this] { cmdUp_Click(); });
  on(ctl::cmdDown, Event::Click, [this] { cmdDown_Click(); });
  on(ctl::cmdDoit, Event::Click, [this] { cmdDoit_Click(); });
  on(ctl::cmdCancel, Event::Click, [this] { cmdCancel_Click(); });
  on(ctl::Command1, Event::Click, [this] { Command1_Click(); });
}

void frmSlide::cmdBrowse_Click() {
  // Refused before the file dialog opens, so the user does not pick a file only to lose it; the
  // path table has no place for another path.
  if (static_cast<std::size_t>(list().listCount()) >= kMaximumSlides) {
    msgBox(messages(), kFullListMessage, MsgButtons::Ok, MsgIcon::Exclamation);
    return;
  }
  const auto chosen = platform_.openFile.showOpen(kPictureFilter);
  if (!chosen) return;
  list().addItem(chosen->fileTitle);
  paths_[static_cast<std::size_t>(list().listCount() - 1)] = chosen->fullPath;
}

void frmSlide::cmdRemove_Click() {
  const int k = selectedEntry();
  if (k < 0) return;
  const int n = list().listCount();
  list().removeItem(k);
  for (int j = k + 1; j < n; ++j) {
    paths_[static_cast<std::size_t>(j - 1)] = std::move(paths_[static_cast<std::size_t>(j)]);
  }
  list().setListIndex(-1);
}

void frmSlide::cmdUp_Click() {
  const int k = selectedEntry();
  if (k > 0) moveEntry(k, -1);
}

void frmSlide::cmdDown_Click() {
  const int k = selectedEntry();
  if (k >= 0 && k != list().listCount() - 1) moveEntry(k, +1);
}

void frmSlide::cmdDoit_Click() {
  if (static_cast<std::size_t>(list().listCount()) < kMinimumSlides) {
    msgBox(messages(), kTooFewMessage);
    return;
  }
  makeSlideShow(host_, pictures());
  unload();
}

void frmSlide::cmdCancel_Click() {
  unload();
}

void frmSlide::Command1_Click() {
  help_.showTopic(kSlideHelpTopic);
}

std::vector<SlidePicture> frmSlide::pictures() {
  std::vector<SlidePicture> result;
  const int count = list().listCount();
  result.reserve(static_cast<std::size_t>(count));
  for (int k = 0; k < count; ++k) {
    result.push_back({list().item(k), paths_[static_cast<std::size_t>(k)]});
  }
  return result;
}

int frmSlide::selectedEntry() {
  return list().selectedText().empty() ? -1 : list().listIndex();
}

void frmSlide::moveEntry(int k, int step) {
  const int target = k + step;
  const std::u16string name = list().item(k);
  list().removeItem(k);
  list().addItem(name, target);
  std::swap(paths_[static_cast<std::size_t>(k)], paths_[static_cast<std::size_t>(target)]);
  // To move the same picture again the user selects it again.
  list().setListIndex(-1);
}

}  // namespace velmo
