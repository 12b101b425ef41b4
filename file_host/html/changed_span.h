#pragma once
// What a text looked like at some earlier moment, kept as the one stretch that edits have touched
// since: outside [begin, end) of the current text every byte is as it was then (shifted by the
// change in length). A page edited in one place keeps a few bytes of history instead of a copy of
// the whole page.

#include <cstddef>
#include <string>
#include <string_view>

namespace velmo::file_host {

class ChangedSpan {
 public:
  // Call before `current` has [begin, end) replaced by `inserted` bytes.
  void record(std::string_view current, std::size_t begin, std::size_t end, std::size_t inserted);
  // Forget the history: the current text becomes the earlier text.
  void clear();

  bool touched() const { return touched_; }
  // True when the current text differs from the earlier one.
  bool differs(std::string_view current) const;

  // The touched stretch of the current text, and what it was.
  std::size_t begin() const { return begin_; }
  std::size_t end() const { return end_; }
  const std::string& original() const { return original_; }

 private:
  bool touched_ = false;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  std::string original_;
};

}  // namespace velmo::file_host
