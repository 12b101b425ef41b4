#pragma once
// Keeps the landmarks after an edit. Before the edit they are copied, moved to the new text's
// places; the scan then goes on from the last landmark the edit could not have changed, and at
// the first new landmark that stands where an old one stood, found in the same scan state, the
// rest of the old ones are taken over and scanning goes on where the old scan had got to.

#include <cstddef>
#include <deque>
#include <memory_resource>
#include <optional>

#include "file_host/html/landmark_list.h"
#include "file_host/html/page_landmarks.h"
#include "file_host/html/page_scanner.h"

namespace velmo::file_host {

class LandmarkResync {
 public:
  LandmarkResync(LandmarkList& marks, PageScanner& scanner, std::pmr::memory_resource* pool)
      : marks_(marks), scanner_(scanner), stale_(pool) {}

  // Notes the landmarks after [begin, end) of the text before it becomes `inserted` bytes.
  void remember(std::size_t begin, std::size_t end, std::size_t inserted);
  // Once the landmarks the edit may have changed are dropped: scans on until the scan meets
  // an old landmark again, or has passed them all.
  void scanOn();

 private:
  void afterStep(std::size_t from);
  void dropStale();

  LandmarkList& marks_;
  PageScanner& scanner_;
  // The landmarks found after the edit before it, and the scan's state then, all moved to the
  // new text's places.
  std::pmr::deque<Landmark> stale_;
  ScanState staleState_;
  bool staleDone_ = false;
  std::optional<std::ptrdiff_t> staleBodyEnd_;  // old first </body>, from the first stale landmark
  std::size_t staleDropped_ = 0;                // stale landmarks passed so far
  std::size_t staleDangling_ = 0;               // old first unclosed "<%" after the edit
};

}  // namespace velmo::file_host
