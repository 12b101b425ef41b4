#include "file_host/html/landmark_resync.h"

#include "file_host/html/html_scan.h"

namespace velmo::file_host {
namespace {

void shift(std::size_t& pos, std::ptrdiff_t delta) {
  pos = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(pos) + delta);
}

void shift(Landmark& m, std::ptrdiff_t delta) {
  for (std::size_t* p : {&m.begin, &m.end, &m.innerBegin, &m.innerEnd, &m.reach, &m.after.pos}) {
    shift(*p, delta);
  }
}

}  // namespace

void LandmarkResync::remember(std::size_t begin, std::size_t end, std::size_t inserted) {
  const std::ptrdiff_t delta =
      static_cast<std::ptrdiff_t>(inserted) - static_cast<std::ptrdiff_t>(end - begin);
  const std::size_t firstAfter = marks_.firstFrom(end);
  // The old scan's first </body>, counted from the first landmark after the edit.
  const auto bodyEnd = marks_.bodyEnd();
  staleBodyEnd_ = bodyEnd ? std::optional<std::ptrdiff_t>(static_cast<std::ptrdiff_t>(*bodyEnd) -
                                                          static_cast<std::ptrdiff_t>(firstAfter))
                          : std::nullopt;
  staleDropped_ = 0;
  stale_ = marks_.copyFrom(firstAfter);
  for (Landmark& m : stale_) shift(m, delta);
  staleState_ = scanner_.state();
  shift(staleState_.pos, delta);
  staleDone_ = scanner_.done();
  // An unclosed "<%" after the edit stays one: the bytes after it did not change.
  const std::size_t dangling = scanner_.firstDangling();
  staleDangling_ = dangling != html::ScanMemo::kNone && dangling >= end
                       ? dangling + static_cast<std::size_t>(delta)
                       : html::ScanMemo::kNone;
}

void LandmarkResync::scanOn() {
  while (!stale_.empty()) {
    const std::size_t before = marks_.size();
    if (!scanner_.step()) break;
    if (marks_.size() > before) afterStep(before);
    // A landmark begins at or after the token being scanned: old ones before it are passed.
    while (!stale_.empty() && stale_.front().begin < scanner_.state().pos) dropStale();
  }
  stale_.clear();
}

void LandmarkResync::dropStale() {
  stale_.pop_front();
  ++staleDropped_;
}

// Called after a step recorded the landmarks from `from` on.
void LandmarkResync::afterStep(std::size_t from) {
  for (std::size_t i = from; i < marks_.size() && !stale_.empty(); ++i) {
    const Landmark& m = marks_[i];
    while (!stale_.empty() && stale_.front().begin < m.begin) dropStale();
    if (stale_.empty()) return;
    const Landmark& old = stale_.front();
    // Whether the first </body> was found already is the one thing besides the state that
    // decides what a scan records later.
    const bool bodyEndBefore = marks_.bodyEnd() && *marks_.bodyEnd() < i;
    const bool oldBodyEndBefore =
        staleBodyEnd_ && *staleBodyEnd_ < static_cast<std::ptrdiff_t>(staleDropped_);
    if (old.begin != m.begin || old.kind != m.kind || !(old.after == m.after) ||
        bodyEndBefore != oldBodyEndBefore) {
      continue;
    }
    marks_.truncate(i + 1);
    stale_.pop_front();
    scanner_.noteDangling(staleDangling_);
    for (Landmark& l : stale_) {
      scanner_.hangOnDangling(l);
      marks_.record(std::move(l));
    }
    stale_.clear();
    scanner_.resume(staleState_, staleDone_);
    return;
  }
}

}  // namespace velmo::file_host
