// Every velmo command on a copy of every HTML page that the installed packages ship under
// /usr/share/doc: real pages written by others. Each run must succeed and change nothing but the
// one span its command targets, whatever encoding the page is in. Only a page velmo cannot hold
// byte for byte (UTF-16 that does not convert back, an encoding browsers refuse) may be refused,
// with exit status 2 and the page left as it was. The counts go to standard output and to
// installed-pages.txt in the build folder, where ./test.sh shows them.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "core/common/text.h"
#include "tests/support/installed_pages.h"
#include "tests/support/temp_dir.h"
#include "tests/support/velmo_program.h"

namespace velmo {
namespace {
namespace fs = std::filesystem;

using testing::readBytes;
using testing::runVelmo;
using testing::shellQuote;

// What a command may do to the page.
enum class Effect { None, Insert, Remove };

struct Command {
  std::string name;
  std::string arguments;  // after PAGE
  Effect effect;
  // A refusal the page may rightly earn (exit 2, the page left as it was), by its message.
  std::string rightfulRefusal;
};

const Command kCommands[] = {
    {"botfound", "NoSuchBot", Effect::None, ""},
    {"erase-bot", "NoSuchBot", Effect::None, ""},
    {"script-head", "'window.status = \"ready\";'", Effect::Insert, ""},
    {"date", "--yes", Effect::Insert, ""},
    // A page whose first style sheet is a link to another site or to a missing file.
    {"style", "--face 00FF00", Effect::Insert, "cannot be changed"},
};

// The commands that velmo lists in its help, in the order of the table above.
std::vector<Command> availableCommands() {
  const std::string help = runVelmo("--help").out;
  std::vector<Command> out;
  for (const Command& c : kCommands) {
    if (help.find("\n  " + c.name + " ") != std::string::npos) out.push_back(c);
  }
  return out;
}

// True when `after` is `before` with one stretch of text inserted (Insert) or taken out
// (Remove): the two share a prefix and a suffix that together cover the shorter one.
bool oneSpanChanged(const std::string& before, const std::string& after, Effect effect) {
  if (effect == Effect::None) return before == after;
  const std::string& shorter = effect == Effect::Insert ? before : after;
  const std::string& longer = effect == Effect::Insert ? after : before;
  if (longer.size() <= shorter.size()) return false;
  const auto prefix = static_cast<std::size_t>(
      std::mismatch(shorter.begin(), shorter.end(), longer.begin()).first - shorter.begin());
  const auto suffix = static_cast<std::size_t>(
      std::mismatch(shorter.rbegin(), shorter.rend(), longer.rbegin()).first - shorter.rbegin());
  return prefix + suffix >= shorter.size();
}

TEST(VelmoOnInstalledPages, EveryCommandOnEveryPage) {
  const auto pages = testing::installedPages();
  if (pages.empty()) GTEST_SKIP() << "no HTML pages under /usr/share/doc";
  const auto commands = availableCommands();
  ASSERT_FALSE(commands.empty());

  testing::TempDir dir;
  const fs::path copy = dir / "site/page.html";
  std::size_t operations = 0, failures = 0, notUtf8 = 0, unreadable = 0, rightfullyRefused = 0;
  for (const fs::path& page : pages) {
    const std::string original = readBytes(page);
    const bool utf8 = isValidUtf8(original);
    for (const Command& c : commands) {
      dir.write("site/page.html", original);
      const auto run = runVelmo(c.name + " " + shellQuote(copy.string()) + " " + c.arguments);
      const std::string after = readBytes(copy);
      ++operations;
      const auto refusedFor = [&](const std::string& reason) {
        return !reason.empty() && run.status == 2 && after == original &&
               run.err.find(copy.string()) != std::string::npos &&
               run.err.find(reason) != std::string::npos;
      };
      bool ok = true;
      if (refusedFor("text; it was left as it is") ||
          refusedFor("declares an encoding that browsers do not read")) {
        ++unreadable;
      } else if (refusedFor(c.rightfulRefusal)) {
        ++rightfullyRefused;
      } else {
        ok = run.status == 0 && oneSpanChanged(original, after, c.effect);
        notUtf8 += ok && !utf8;
      }
      if (!ok) {
        ++failures;
        ADD_FAILURE() << "velmo " << c.name << " on " << page << ": exit " << run.status << "\n"
                      << run.err;
      }
    }
  }

  std::ostringstream summary;
  summary << "velmo on the installed HTML pages: " << pages.size() << " pages, " << operations
          << " operations (";
  for (std::size_t i = 0; i < commands.size(); ++i) summary << (i ? ", " : "") << commands[i].name;
  summary << "), " << failures << " failures; " << notUtf8
          << " edits of pages that are not UTF-8; refused with the page left as it was: "
          << unreadable << " not convertible back to their bytes, " << rightfullyRefused
          << " whose first style sheet cannot be changed\n";
  std::cout << summary.str();
  std::ofstream(VELMO_BINARY_DIR "/installed-pages.txt") << summary.str();
}

}  // namespace
}  // namespace velmo
