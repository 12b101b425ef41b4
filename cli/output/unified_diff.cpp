#include "cli/output/unified_diff.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <vector>

#include "cli/run/process_platform.h"
#include "core/common/text.h"

namespace velmo::cli {
namespace {

constexpr std::size_t kContext = 3;

// A text cut into lines (each ends after its LF, the last perhaps without one), held as the
// offsets where they start: eight bytes a line beside the text itself.
class Lines {
 public:
  explicit Lines(std::string_view text) : text_(text) {
    for (std::size_t from = 0; from < text.size();) {
      starts_.push_back(from);
      const std::size_t lf = text.find('\n', from);
      from = lf == std::string_view::npos ? text.size() : lf + 1;
    }
    starts_.push_back(text.size());
  }
  std::size_t size() const { return starts_.size() - 1; }
  std::string_view operator[](std::size_t i) const {
    return text_.substr(starts_[i], starts_[i + 1] - starts_[i]);
  }

 private:
  std::string_view text_;
  std::vector<std::size_t> starts_;
};

// Marks the lines of `a` removed and the lines of `b` added by a shortest edit script, with
// Myers' linear-space refinement: the middle snake of each box splits it into two smaller boxes,
// so memory stays proportional to the number of lines whatever the number of differences.
class EditScript {
 public:
  EditScript(const Lines& a, const Lines& b)
      : a_(a), b_(b), removed(a.size(), false), added(b.size(), false) {
    const std::size_t most = (a.size() + b.size() + 1) / 2 + 1;
    offset_ = static_cast<std::ptrdiff_t>(most) + 1;
    forward_.assign(2 * most + 3, 0);
    backward_.assign(2 * most + 3, 0);
    compare(0, static_cast<std::ptrdiff_t>(a.size()), 0, static_cast<std::ptrdiff_t>(b.size()));
  }

  const Lines& a_;
  const Lines& b_;
  std::vector<bool> removed;
  std::vector<bool> added;

 private:
  struct Point {
    std::ptrdiff_t x, y;
  };
  struct Snake {
    Point start, finish;
    bool editFirst;  // the edit step comes before the diagonal run (found going forward)
  };

  bool same(std::ptrdiff_t x, std::ptrdiff_t y) const {
    return a_[static_cast<std::size_t>(x)] == b_[static_cast<std::size_t>(y)];
  }
  std::ptrdiff_t& f(std::ptrdiff_t k) { return forward_[static_cast<std::size_t>(offset_ + k)]; }
  std::ptrdiff_t& r(std::ptrdiff_t c) { return backward_[static_cast<std::size_t>(offset_ + c)]; }

  void compare(std::ptrdiff_t left, std::ptrdiff_t right, std::ptrdiff_t top,
               std::ptrdiff_t bottom) {
    // Shared first and last lines need no search, and a side with nothing left is all change.
    while (left < right && top < bottom && same(left, top)) ++left, ++top;
    while (left < right && top < bottom && same(right - 1, bottom - 1)) --right, --bottom;
    if (left == right) {
      for (std::ptrdiff_t y = top; y < bottom; ++y) added[static_cast<std::size_t>(y)] = true;
      return;
    }
    if (top == bottom) {
      for (std::ptrdiff_t x = left; x < right; ++x) removed[static_cast<std::size_t>(x)] = true;
      return;
    }
    const Snake snake = middleSnake(left, right, top, bottom);
    compare(left, snake.start.x, top, snake.start.y);
    const std::ptrdiff_t dx = snake.finish.x - snake.start.x;
    const std::ptrdiff_t dy = snake.finish.y - snake.start.y;
    if (dx > dy) {
      removed[static_cast<std::size_t>(snake.editFirst ? snake.start.x : snake.finish.x - 1)] =
          true;
    } else if (dy > dx) {
      added[static_cast<std::size_t>(snake.editFirst ? snake.start.y : snake.finish.y - 1)] = true;
    }
    compare(snake.finish.x, right, snake.finish.y, bottom);
  }

  // The furthest-reaching paths from both corners, one difference more each round, until they
  // overlap; the step where they meet lies on a shortest edit script.
  Snake middleSnake(std::ptrdiff_t left, std::ptrdiff_t right, std::ptrdiff_t top,
                    std::ptrdiff_t bottom) {
    const std::ptrdiff_t width = right - left;
    const std::ptrdiff_t height = bottom - top;
    const std::ptrdiff_t delta = width - height;
    const bool odd = (delta & 1) != 0;
    const std::ptrdiff_t most = (width + height + 1) / 2;
    f(1) = left;
    r(1) = bottom;
    for (std::ptrdiff_t d = 0; d <= most; ++d) {
      for (std::ptrdiff_t k = -d; k <= d; k += 2) {
        const std::ptrdiff_t c = k - delta;
        std::ptrdiff_t x;
        const bool down = k == -d || (k != d && f(k - 1) < f(k + 1));
        const std::ptrdiff_t px = down ? f(k + 1) : f(k - 1);
        x = down ? px : px + 1;
        std::ptrdiff_t y = top + (x - left) - k;
        const std::ptrdiff_t py = (d == 0 || x != px) ? y : y - 1;
        while (x < right && y < bottom && same(x, y)) ++x, ++y;
        f(k) = x;
        if (odd && c >= -(d - 1) && c <= d - 1 && y >= r(c)) return {{px, py}, {x, y}, true};
      }
      for (std::ptrdiff_t c = -d; c <= d; c += 2) {
        const std::ptrdiff_t k = c + delta;
        const bool up = c == -d || (c != d && r(c - 1) > r(c + 1));
        const std::ptrdiff_t py = up ? r(c + 1) : r(c - 1);
        std::ptrdiff_t y = up ? py : py - 1;
        std::ptrdiff_t x = left + (y - top) + k;
        const std::ptrdiff_t px = (d == 0 || y != py) ? x : x + 1;
        while (x > left && y > top && same(x - 1, y - 1)) --x, --y;
        r(c) = y;
        if (!odd && k >= -d && k <= d && x <= f(k)) return {{x, y}, {px, py}, false};
      }
    }
    return {{left, top}, {right, bottom}, true};  // not reached: the paths always meet
  }

  std::ptrdiff_t offset_ = 0;
  std::vector<std::ptrdiff_t> forward_;   // by diagonal k: the furthest x going forward
  std::vector<std::ptrdiff_t> backward_;  // by diagonal c: the furthest y going backward
};

std::string range(std::size_t start, std::size_t count) {
  // A hunk that holds no line of one side names the line before it.
  const std::size_t first = count == 0 ? start : start + 1;
  return count == 1 ? std::to_string(first) : std::to_string(first) + "," + std::to_string(count);
}

// The diff is written twice by the same walk: once to count its bytes, once into a string of
// that size, so that building it never holds two copies of a large diff.
class DiffText {
 public:
  void add(std::string_view piece) {
    if (counting_) {
      size_ += piece.size();
    } else {
      text_ += piece;
    }
  }
  void line(char op, std::string_view line) {
    add(std::string_view(&op, 1));
    add(line);
    if (line.empty() || line.back() != '\n') add("\n\\ No newline at end of file\n");
  }
  void startWriting() {
    counting_ = false;
    text_.reserve(size_);
  }
  std::string take() { return std::move(text_); }

 private:
  bool counting_ = true;
  std::size_t size_ = 0;
  std::string text_;
};

// Whether `label` must be quoted for patch and git apply to read it whole.
bool needsQuotes(std::string_view label) {
  if (!isValidUtf8(label)) return true;
  return std::any_of(label.begin(), label.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F || c == '"' || c == '\\';
  });
}

}  // namespace

std::string diffFileName(std::string_view label) {
  // patch and git apply read '/' on every system, and git apply takes nothing else.
  const std::string portable = os::withSlashes(std::string(label));
  label = portable;
  // git apply takes no "." in a path; "./page.html" is "page.html" to patch as well.
  while (label.starts_with("./")) {
    label.remove_prefix(2);
    while (label.starts_with("/")) label.remove_prefix(1);
  }
  // A plain name ends at the tab diff writes before its time stamp, so spaces are safe.
  if (!needsQuotes(label)) return std::string(label) + "\t";
  std::string out = "\"";
  for (const char c : label) {
    const auto byte = static_cast<unsigned char>(c);
    static constexpr std::string_view kNamed = "\a\b\t\n\v\f\r\"\\";
    static constexpr std::string_view kLetters = "abtnvfr\"\\";
    if (const auto at = kNamed.find(c); at != std::string_view::npos) {
      out += '\\';
      out += kLetters[at];
    } else if (byte < 0x20 || byte >= 0x7F) {
      char octal[8];
      std::snprintf(octal, sizeof octal, "\\%03o", byte);
      out += octal;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string unifiedDiff(std::string_view before, std::string_view after, const std::string& label) {
  if (before == after) return {};
  const Lines a(before);
  const Lines b(after);
  const EditScript script(a, b);

  // Walk both sides at once: a line that is neither removed nor added is shared. A step is a
  // line of the diff; hunks gather the changed steps with kContext shared steps around them.
  struct Cursor {
    std::size_t x = 0, y = 0;
  };
  const auto atEnd = [&](const Cursor& at) { return at.x == a.size() && at.y == b.size(); };
  const auto changedAt = [&](const Cursor& at) {
    return (at.x < a.size() && script.removed[at.x]) || (at.y < b.size() && script.added[at.y]);
  };
  const auto step = [&](Cursor& at) {
    if (at.x < a.size() && script.removed[at.x]) {
      ++at.x;
    } else if (at.y < b.size() && script.added[at.y]) {
      ++at.y;
    } else {
      ++at.x, ++at.y;
    }
  };

  const std::string name = diffFileName(label);
  DiffText out;
  const auto write = [&] {
    out.add("--- " + name + "\n+++ " + name + "\n");
    Cursor at;
    // The last kContext shared lines walked, for the context before a hunk.
    std::vector<Cursor> recent;
    while (!atEnd(at)) {
      if (!changedAt(at)) {
        recent.push_back(at);
        if (recent.size() > kContext) recent.erase(recent.begin());
        step(at);
        continue;
      }
      const Cursor start = recent.empty() ? at : recent.front();
      // The hunk runs on while no more than 2 * kContext shared lines stand between changes.
      Cursor end = at;
      for (;;) {
        while (!atEnd(end) && changedAt(end)) step(end);
        Cursor next = end;
        std::size_t shared = 0;
        while (!atEnd(next) && !changedAt(next) && shared <= 2 * kContext) step(next), ++shared;
        if (atEnd(next) || shared > 2 * kContext) break;
        end = next;
      }
      Cursor stop = end;
      for (std::size_t i = 0; i < kContext && !atEnd(stop); ++i) step(stop);
      out.add("@@ -" + range(start.x, stop.x - start.x) + " +" + range(start.y, stop.y - start.y) +
              " @@\n");
      for (Cursor line = start; line.x != stop.x || line.y != stop.y; step(line)) {
        if (line.x < a.size() && script.removed[line.x]) {
          out.line('-', a[line.x]);
        } else if (line.y < b.size() && script.added[line.y]) {
          out.line('+', b[line.y]);
        } else {
          out.line(' ', a[line.x]);
        }
      }
      at = stop;
      recent.clear();
    }
  };
  write();
  out.startWriting();
  write();
  return out.take();
}

std::string colourDiff(std::string_view diff) {
  std::string out;
  const Lines lines(diff);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    const char* colour = nullptr;
    if (line.starts_with("---") || line.starts_with("+++")) {
      colour = "\x1b[1m";
    } else if (line.starts_with("@@")) {
      colour = "\x1b[36m";
    } else if (line.starts_with("-")) {
      colour = "\x1b[31m";
    } else if (line.starts_with("+")) {
      colour = "\x1b[32m";
    }
    if (!colour) {
      out += line;
      continue;
    }
    std::string_view body = line;
    std::string_view ending;
    if (body.ends_with("\r\n")) {
      body.remove_suffix(2), ending = "\r\n";
    } else if (body.ends_with("\n")) {
      body.remove_suffix(1), ending = "\n";
    }
    out += colour;
    out += body;
    out += "\x1b[0m";
    out += ending;
  }
  return out;
}

}  // namespace velmo::cli
