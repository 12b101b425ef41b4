// The look before a change: the diff velmo prints must be one that patch applies.

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/output/unified_diff.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace velmo {
namespace {

using testing::readBytes;
using testing::shellQuote;

// patch applied to `before` with the diff; what it gives.
std::string patched(const std::string& before, const std::string& diff) {
  testing::TempDir dir;
  const auto file = dir.write("page", before);
  const auto patchFile = dir.write("diff", diff);
  const auto run = testing::runProgram("patch -s " + shellQuote(file.string()) + " " +
                                       shellQuote(patchFile.string()));
  EXPECT_EQ(run.status, 0) << run.out << run.err << diff;
  return readBytes(file);
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t from = 0; from < text.size();) {
    const std::size_t end = std::min(text.find('\n', from), text.size() - 1) + 1;
    lines.push_back(text.substr(from, end - from));
    from = end;
  }
  return lines;
}

// Lines removed plus lines added by the shortest edit script, from the quadratic table.
std::size_t shortestEdit(const std::string& before, const std::string& after) {
  const auto a = linesOf(before);
  const auto b = linesOf(after);
  std::vector<std::vector<std::size_t>> common(a.size() + 1,
                                               std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = a.size(); i-- > 0;) {
    for (std::size_t j = b.size(); j-- > 0;) {
      common[i][j] =
          a[i] == b[j] ? common[i + 1][j + 1] + 1 : std::max(common[i + 1][j], common[i][j + 1]);
    }
  }
  return a.size() + b.size() - 2 * common[0][0];
}

std::size_t changedLines(const std::string& diff) {
  std::size_t changed = 0;
  for (const std::string& line : linesOf(diff)) {
    changed +=
        (line[0] == '-' || line[0] == '+') && !line.starts_with("---") && !line.starts_with("+++");
  }
  return changed;
}

TEST(UnifiedDiff, EqualTextsHaveNoDiff) {
  EXPECT_EQ(cli::unifiedDiff("a\nb\n", "a\nb\n", "p"), "");
}

TEST(UnifiedDiff, OneChangedLineWithContext) {
  EXPECT_EQ(cli::unifiedDiff("1\n2\n3\n4\n5\n6\n7\n8\n", "1\n2\n3\n4\nfive\n6\n7\n8\n", "p"),
            "--- p\t\n+++ p\t\n@@ -2,7 +2,7 @@\n 2\n 3\n 4\n-5\n+five\n 6\n 7\n 8\n");
}

TEST(UnifiedDiff, MissingFinalLineBreakAndCrLf) {
  const std::string before = "<p>\r\na\r\nend";
  const std::string after = "<p>\r\nb\r\nend\r\n";
  EXPECT_EQ(patched(before, cli::unifiedDiff(before, after, "page")), after);
}

TEST(UnifiedDiff, RandomEditsApply) {
  std::mt19937 random(7);
  for (int round = 0; round < 40; ++round) {
    std::vector<std::string> lines;
    const int count = static_cast<int>(random() % 60);
    for (int i = 0; i < count; ++i) lines.push_back("line " + std::to_string(random() % 12) + "\n");
    std::string before;
    for (const auto& line : lines) before += line;
    // Several edits far apart and near each other: hunks apart and joined.
    const int edits = static_cast<int>(random() % 5);
    for (int e = 0; e < edits; ++e) {
      const std::size_t at = lines.empty() ? 0 : random() % (lines.size() + 1);
      switch (random() % 3) {
        case 0:
          lines.insert(lines.begin() + static_cast<long>(at), "new " + std::to_string(e) + "\n");
          break;
        case 1:
          if (at < lines.size()) lines.erase(lines.begin() + static_cast<long>(at));
          break;
        default:
          if (at < lines.size()) lines[at] = "changed " + std::to_string(e) + "\n";
      }
    }
    std::string after;
    for (const auto& line : lines) after += line;
    const std::string diff = cli::unifiedDiff(before, after, "page");
    if (before == after) {
      EXPECT_EQ(diff, "");
      continue;
    }
    EXPECT_EQ(patched(before, diff), after) << "round " << round;
    // The script is a shortest one: as many changed lines as the longest common subsequence
    // leaves.
    EXPECT_EQ(changedLines(diff), shortestEdit(before, after)) << diff;
  }
}

TEST(UnifiedDiff, FileNamesReadWholeByPatchAndGitApply) {
  const struct {
    std::string label, header;
  } cases[] = {
      {"site/index.html", "site/index.html\t"},
      {"./site/about us/our team.html", "site/about us/our team.html\t"},
      {"caf\xC3\xA9.html", "caf\xC3\xA9.html\t"},
      {"caf\xE9.html", "\"caf\\351.html\""},
      {"a\tb\n\x1b\"q\\.html", "\"a\\tb\\n\\033\\\"q\\\\.html\""},
  };
  for (const auto& c : cases) EXPECT_EQ(cli::diffFileName(c.label), c.header) << c.label;
}

TEST(UnifiedDiff, ColourMarksLinesByKind) {
  EXPECT_EQ(cli::colourDiff("--- p\n+++ p\n@@ -1 +1 @@\n-a\r\n+b\n c\n"),
            "\x1b[1m--- p\x1b[0m\n\x1b[1m+++ p\x1b[0m\n\x1b[36m@@ -1 +1 @@\x1b[0m\n"
            "\x1b[31m-a\x1b[0m\r\n\x1b[32m+b\x1b[0m\n c\n");
}

}  // namespace
}  // namespace velmo
