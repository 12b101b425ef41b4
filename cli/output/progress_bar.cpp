#include "cli/output/progress_bar.h"

#include <cstdio>

#include "cli/run/process_platform.h"
#include "core/common/shown_name.h"

namespace velmo::cli {
namespace {

std::size_t terminalWidth() {
  return os::terminalColumns();
}

std::string duration(double seconds) {
  const long total = static_cast<long>(seconds + 0.5);
  char text[32];
  if (total >= 3600) {
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
  } else {
    std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
  }
  return text;
}

}  // namespace

ProgressBar::ProgressBar() : onTerminal_(os::isTerminal(2)), started_(Clock::now()) {}

ProgressBar::~ProgressBar() {
  clear();
}

std::string ProgressBar::line(std::size_t done, std::size_t total, const std::string& current,
                              double secondsLeft, std::size_t width) {
  constexpr std::size_t kBar = 24;
  const std::size_t filled = total == 0 ? kBar : done * kBar / total;
  std::string text = "[" + std::string(filled, '#') + std::string(kBar - filled, '.') + "] " +
                     std::to_string(done) + "/" + std::to_string(total);
  text += secondsLeft >= 0 ? " " + duration(secondsLeft) + " left " : " ";
  // The page's name is cut at its start (its end tells more), between characters. It is shown
  // as every name is, so that a name holding terminal escapes draws as text.
  const std::string name = shownName(current);
  if (text.size() < width) {
    const std::size_t room = width - text.size() - 1;
    if (name.size() <= room) {
      text += name;
    } else if (room > 3) {
      std::size_t from = name.size() - (room - 3);
      while (from < name.size() && (static_cast<unsigned char>(name[from]) & 0xC0) == 0x80) ++from;
      text += "..." + name.substr(from);
    }
  }
  return text.size() < width ? text : text.substr(0, width - 1);
}

void ProgressBar::update(std::size_t done, std::size_t total, const std::string& current,
                         bool force) {
  if (!onTerminal_) return;
  const auto now = Clock::now();
  if (!force && drawn_ && now - lastDrawn_ < std::chrono::milliseconds(100)) return;
  lastDrawn_ = now;
  const double elapsed = std::chrono::duration<double>(now - started_).count();
  const double left =
      done == 0 ? -1.0 : elapsed / static_cast<double>(done) * static_cast<double>(total - done);
  const std::string text = line(done, total, current, left, terminalWidth());
  std::fprintf(stderr, "\r\x1b[K%s", text.c_str());
  std::fflush(stderr);
  drawn_ = true;
}

void ProgressBar::clear() {
  if (!drawn_) return;
  std::fprintf(stderr, "\r\x1b[K");
  std::fflush(stderr);
  drawn_ = false;
}

}  // namespace velmo::cli
