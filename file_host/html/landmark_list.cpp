#include "file_host/html/landmark_list.h"

namespace velmo::file_host {

void LandmarkList::truncate(std::size_t n) {
  marks_.resize(n);
  while (!sheets_.empty() && sheets_.back() >= n) sheets_.pop_back();
  while (!webbots_.empty() && webbots_.back() >= n) webbots_.pop_back();
  for (auto* slot : {&headStart_, &headEnd_, &bodyEnd_}) {
    if (*slot && **slot >= n) slot->reset();
  }
}

std::size_t LandmarkList::decidedBefore(std::size_t offset) const {
  std::size_t n = marks_.size();
  while (n > 0) {
    const Landmark& m = marks_[n - 1];
    if (m.reach < offset || (m.reach == offset && m.closed)) break;
    --n;
  }
  return n;
}

std::pmr::deque<Landmark> LandmarkList::copyFrom(std::size_t first) const {
  return std::pmr::deque<Landmark>(marks_.begin() + static_cast<std::ptrdiff_t>(first),
                                   marks_.end(), marks_.get_allocator());
}

std::optional<std::string_view> LandmarkList::botName(std::size_t i, std::string_view src) const {
  const Landmark& m = marks_[i];
  if (m.nameSize == Landmark::kNoName) return std::nullopt;
  if (m.nameSize <= m.shortName.size()) return std::string_view(m.shortName.data(), m.nameSize);
  return src.substr(m.begin + m.nameOffset, m.nameSize);
}

}  // namespace velmo::file_host
