#pragma once
// The progress of a run over many pages on a terminal: one line on standard error, redrawn in
// place, with the pages done, the page being worked on and the time left.

#include <chrono>
#include <cstddef>
#include <string>

namespace velmo::cli {

class ProgressBar {
 public:
  // Draws only when standard error is a terminal.
  ProgressBar();
  ~ProgressBar();
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  bool shown() const { return onTerminal_; }
  // Redraws at most ten times a second (always when `force`). `total` may grow while the
  // pages are still being counted.
  void update(std::size_t done, std::size_t total, const std::string& current, bool force = false);
  // Removes the line, so that what follows starts on a clean one.
  void clear();

  // The line for these figures, `width` columns wide at most.
  static std::string line(std::size_t done, std::size_t total, const std::string& current,
                          double secondsLeft, std::size_t width);

 private:
  using Clock = std::chrono::steady_clock;
  bool onTerminal_;
  bool drawn_ = false;
  Clock::time_point started_;
  Clock::time_point lastDrawn_;
};

}  // namespace velmo::cli
