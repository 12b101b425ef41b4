#pragma once
// The landmarks found so far, in document order, with the ones that queries look up by kind
// (the head's edges, the first </body>, the sheets, the webbot comments) kept at hand.

#include <algorithm>
#include <cstddef>
#include <deque>
#include <memory_resource>
#include <optional>
#include <string_view>
#include <vector>

#include "file_host/html/page_landmarks.h"

namespace velmo::file_host {

class LandmarkList {
 public:
  explicit LandmarkList(std::pmr::memory_resource* pool) : marks_(pool), webbots_(pool) {}

  std::size_t size() const { return marks_.size(); }
  bool empty() const { return marks_.empty(); }
  const Landmark& operator[](std::size_t i) const { return marks_[i]; }
  const Landmark& back() const { return marks_.back(); }

  // Inline: after an edit, the resync records every landmark it takes over again.
  void record(Landmark mark);
  // Keeps the first `n`.
  void truncate(std::size_t n);
  // How many landmarks, from the first on, no byte from `offset` on decided.
  std::size_t decidedBefore(std::size_t offset) const;
  // The first landmark that begins at or after `pos`; size() when there is none.
  std::size_t firstFrom(std::size_t pos) const {
    return static_cast<std::size_t>(lowerBound(pos) - marks_.begin());
  }
  // The landmark of `kind` that begins at `begin`. Inline: the style sheet objects ask for
  // their landmark on every rule they read.
  std::optional<std::size_t> find(MarkKind kind, std::size_t begin) const {
    for (auto it = lowerBound(begin); it != marks_.end() && it->begin == begin; ++it) {
      if (it->kind == kind) return static_cast<std::size_t>(it - marks_.begin());
    }
    return std::nullopt;
  }
  // Copies of the landmarks from `first` on.
  std::pmr::deque<Landmark> copyFrom(std::size_t first) const;

  std::optional<std::size_t> headStart() const { return headStart_; }
  std::optional<std::size_t> headEnd() const { return headEnd_; }
  std::optional<std::size_t> bodyEnd() const { return bodyEnd_; }
  // Style and Link landmarks.
  const std::vector<std::size_t>& sheets() const { return sheets_; }
  const std::pmr::vector<std::size_t>& webbots() const { return webbots_; }

  // The bot name of webbot landmark i as written in `src`; nothing when it has no bot attribute.
  std::optional<std::string_view> botName(std::size_t i, std::string_view src) const;

 private:
  std::pmr::deque<Landmark>::const_iterator lowerBound(std::size_t pos) const {
    return std::lower_bound(marks_.begin(), marks_.end(), pos,
                            [](const Landmark& m, std::size_t x) { return m.begin < x; });
  }

  // A deque: a page of many blocks grows it without moving what it holds.
  std::pmr::deque<Landmark> marks_;
  std::vector<std::size_t> sheets_;
  std::pmr::vector<std::size_t> webbots_;
  std::optional<std::size_t> headStart_, headEnd_, bodyEnd_;
};

inline void LandmarkList::record(Landmark mark) {
  const std::size_t i = marks_.size();
  switch (mark.kind) {
    case MarkKind::HeadStart:
      headStart_ = i;
      break;
    case MarkKind::HeadEnd:
      headEnd_ = i;
      break;
    case MarkKind::BodyEnd:
      bodyEnd_ = i;
      break;
    case MarkKind::Style:
    case MarkKind::Link:
      sheets_.push_back(i);
      break;
    case MarkKind::Webbot:
      webbots_.push_back(i);
      break;
  }
  marks_.push_back(std::move(mark));
}

}  // namespace velmo::file_host
