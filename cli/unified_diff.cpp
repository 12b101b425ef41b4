#include "cli/unified_diff.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace velmo::cli {
namespace {

constexpr std::size_t kContext = 3;

std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t from = 0;
  while (from < text.size()) {
    const std::size_t lf = text.find('\n', from);
    const std::size_t end = lf == std::string_view::npos ? text.size() : lf + 1;
    lines.push_back(text.substr(from, end - from));
    from = end;
  }
  return lines;
}

enum class Op : char { Same = ' ', Remove = '-', Add = '+' };

struct Step {
  Op op;
  std::size_t line;  // in `before` for Same and Remove, in `after` for Add
};

// Myers' greedy shortest edit script over a[0, n) and b[0, m). A page edit touches a few
// lines, so the number of differences D stays small and the O((n + m) D) walk is quick.
std::vector<Step> editScript(const std::vector<std::string_view>& a, std::size_t aFrom,
                             std::size_t n, const std::vector<std::string_view>& b,
                             std::size_t bFrom, std::size_t m) {
  const std::ptrdiff_t max = static_cast<std::ptrdiff_t>(n + m);
  const std::ptrdiff_t offset = max + 1;
  std::vector<std::ptrdiff_t> v(static_cast<std::size_t>(2 * max + 3), 0);
  std::vector<std::vector<std::ptrdiff_t>> trace;
  const auto equal = [&](std::ptrdiff_t x, std::ptrdiff_t y) {
    return a[aFrom + static_cast<std::size_t>(x)] == b[bFrom + static_cast<std::size_t>(y)];
  };
  std::ptrdiff_t found = -1;
  for (std::ptrdiff_t d = 0; d <= max && found < 0; ++d) {
    trace.push_back(v);
    for (std::ptrdiff_t k = -d; k <= d; k += 2) {
      std::ptrdiff_t x;
      if (k == -d || (k != d && v[offset + k - 1] < v[offset + k + 1])) {
        x = v[offset + k + 1];
      } else {
        x = v[offset + k - 1] + 1;
      }
      std::ptrdiff_t y = x - k;
      while (x < static_cast<std::ptrdiff_t>(n) && y < static_cast<std::ptrdiff_t>(m) &&
             equal(x, y)) {
        ++x;
        ++y;
      }
      v[offset + k] = x;
      if (x >= static_cast<std::ptrdiff_t>(n) && y >= static_cast<std::ptrdiff_t>(m)) {
        found = d;
        break;
      }
    }
  }
  // Walk back through the kept frontiers.
  std::vector<Step> steps;
  std::ptrdiff_t x = static_cast<std::ptrdiff_t>(n);
  std::ptrdiff_t y = static_cast<std::ptrdiff_t>(m);
  for (std::ptrdiff_t d = found; d > 0; --d) {
    const std::vector<std::ptrdiff_t>& vd = trace[static_cast<std::size_t>(d)];
    const std::ptrdiff_t k = x - y;
    const bool down = k == -d || (k != d && vd[offset + k - 1] < vd[offset + k + 1]);
    const std::ptrdiff_t prevK = down ? k + 1 : k - 1;
    const std::ptrdiff_t prevX = vd[offset + prevK];
    const std::ptrdiff_t prevY = prevX - prevK;
    while (x > prevX && y > prevY) {
      --x;
      --y;
      steps.push_back({Op::Same, aFrom + static_cast<std::size_t>(x)});
    }
    if (down) {
      --y;
      steps.push_back({Op::Add, bFrom + static_cast<std::size_t>(y)});
    } else {
      --x;
      steps.push_back({Op::Remove, aFrom + static_cast<std::size_t>(x)});
    }
  }
  while (x > 0 && y > 0) {
    --x;
    --y;
    steps.push_back({Op::Same, aFrom + static_cast<std::size_t>(x)});
  }
  std::reverse(steps.begin(), steps.end());
  return steps;
}

std::string range(std::size_t start, std::size_t count) {
  // A hunk that holds no line of one side names the line before it.
  const std::size_t first = count == 0 ? start : start + 1;
  return count == 1 ? std::to_string(first) : std::to_string(first) + "," + std::to_string(count);
}

void appendLine(std::string& out, char op, std::string_view line) {
  out += op;
  out += line;
  if (line.empty() || line.back() != '\n') out += "\n\\ No newline at end of file\n";
}

}  // namespace

std::string unifiedDiff(std::string_view before, std::string_view after, const std::string& label) {
  if (before == after) return {};
  const auto a = splitLines(before);
  const auto b = splitLines(after);
  // Lines both sides share at the start and the end need no search.
  std::size_t head = 0;
  while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
  std::size_t tail = 0;
  while (tail < a.size() - head && tail < b.size() - head &&
         a[a.size() - 1 - tail] == b[b.size() - 1 - tail]) {
    ++tail;
  }
  std::vector<Step> steps;
  for (std::size_t i = 0; i < head; ++i) steps.push_back({Op::Same, i});
  for (const Step& s :
       editScript(a, head, a.size() - head - tail, b, head, b.size() - head - tail)) {
    steps.push_back(s);
  }
  for (std::size_t i = a.size() - tail; i < a.size(); ++i) steps.push_back({Op::Same, i});

  std::string out = "--- " + label + "\n+++ " + label + "\n";
  std::size_t i = 0;
  // Lines of each side before step i.
  std::vector<std::size_t> aAt(steps.size() + 1, 0), bAt(steps.size() + 1, 0);
  for (std::size_t s = 0; s < steps.size(); ++s) {
    aAt[s + 1] = aAt[s] + (steps[s].op != Op::Add);
    bAt[s + 1] = bAt[s] + (steps[s].op != Op::Remove);
  }
  while (i < steps.size()) {
    if (steps[i].op == Op::Same) {
      ++i;
      continue;
    }
    // A hunk: kContext lines around a run of changes, joined with the next run when no more
    // than 2 * kContext unchanged lines stand between them.
    const std::size_t start = i >= kContext ? i - kContext : 0;
    std::size_t end = i;
    for (;;) {
      while (end < steps.size() && steps[end].op != Op::Same) ++end;
      std::size_t next = end;
      while (next < steps.size() && steps[next].op == Op::Same) ++next;
      if (next == steps.size() || next - end > 2 * kContext) break;
      end = next;
    }
    const std::size_t stop = std::min(steps.size(), end + kContext);
    out += "@@ -" + range(aAt[start], aAt[stop] - aAt[start]) + " +" +
           range(bAt[start], bAt[stop] - bAt[start]) + " @@\n";
    for (std::size_t s = start; s < stop; ++s) {
      const Step& step = steps[s];
      appendLine(out, static_cast<char>(step.op), step.op == Op::Add ? b[step.line] : a[step.line]);
    }
    i = stop;
  }
  return out;
}

std::string colourDiff(std::string_view diff) {
  std::string out;
  for (const std::string_view line : splitLines(diff)) {
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
