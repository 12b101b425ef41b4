// What velmo writes on each channel, over a site of awkward names (a space, a Latin-1 byte,
// terminal escapes) and encodings (UTF-16, Shift_JIS, CR-only lines): the text a terminal or a
// pipe gets, the JSON a parser reads, and the diff patch and git apply apply.

#include <gtest/gtest.h>

#include "cli/output/progress_bar.h"
#include "tests/support/program_test.h"

namespace velmo {
namespace {

const std::string kEscapes = "\x1b]2;t\a\x1b[2J.html";

std::string utf16le(const std::string& ascii) {
  std::string bytes = "\xFF\xFE";
  for (const char c : ascii) bytes += {c, '\0'};
  return bytes;
}

class OutputChannels : public ::testing::Test {
 protected:
  OutputChannels() {
    dir_.write("site/" + kEscapes, pageWith(kDateBlock));
    dir_.write("site/about us/our team.html", pageWith(kDateBlock));
    dir_.write("site/caf\xE9.html", pageWith("caf\xE9 " + kDateBlock));
    dir_.write("site/mac.html", "<html>\r<body>\r<p>x</p>\r" + kDateBlock + "\r</body>\r</html>\r");
    dir_.write("site/sjis.html",
               "<html>\r\n<head>\r\n<meta charset=\"shift_jis\">\r\n</head>\r\n<body>\r\n"
               "\x93\xfa\x96\x7b " +
                   kDateBlock + "\r\n</body>\r\n</html>\r\n");
    dir_.write("site/utf16.html", utf16le(pageWith("<p>x</p>" + kDateBlock)));
    std::filesystem::create_directories(dir_ / "site/images");
  }

  // A shell line run in the site folder; VELMO stands for the program.
  testing::ProgramResult run(const std::string& line) const {
    std::string full = line;
    for (std::size_t at; (at = full.find("VELMO")) != std::string::npos;) {
      full.replace(at, 5, shellQuote(testing::kVelmo));
    }
    return testing::runProgram("cd " + shellQuote((dir_ / "site").string()) + " && { " + full +
                               "; }");
  }

  SiteOnDisk dir_;
};

TEST_F(OutputChannels, TextNamesEveryPageOneSafeWayAndSizesInThePagesBytes) {
  const auto bots = run("VELMO bots .");
  EXPECT_EQ(bots.status, 0) << bots.err;
  EXPECT_EQ(bots.out,
            "./\\e]2;t\\a\\e[2J.html\t6\tV_Date\t73\n"
            "./about us/our team.html\t6\tV_Date\t73\n"
            "./caf\\xe9.html\t6\tV_Date\t73\n"
            "./mac.html\t4\tV_Date\t73\n"
            "./sjis.html\t6\tV_Date\t73\n"
            "./utf16.html\t6\tV_Date\t146\n");
  const auto found = run("VELMO botfound . V_Date");
  EXPECT_EQ(found.out,
            "./\\e]2;t\\a\\e[2J.html\n./about us/our team.html\n./caf\\xe9.html\n./mac.html\n"
            "./sjis.html\n./utf16.html\n");
  // A message names its page the same way.
  const auto refused = run("chmod a-w " + shellQuote(kEscapes) + " && VELMO erase-bot . V_Date");
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("velmo: ./\\e]2;t\\a\\e[2J.html: "), std::string::npos) << refused.err;
  EXPECT_EQ(refused.err.find('\x1b'), std::string::npos) << refused.err;
  // The progress bar draws the name as text too.
  const std::string bar = cli::ProgressBar::line(1, 6, "./" + kEscapes, -1, 80);
  EXPECT_NE(bar.find("./\\e]2;t\\a\\e[2J.html"), std::string::npos) << bar;
  EXPECT_EQ(bar.find('\x1b'), std::string::npos);
}

TEST_F(OutputChannels, JsonParsesAndShowsNamesAsTheTerminalDoes) {
  const std::string rows =
      " | python3 -c 'import json,sys; d=json.load(sys.stdin); "
      "[print(p[\"page\"], p[\"status\"], [(r[\"line\"], r[\"size\"]) for r in p.get(\"rows\", "
      "[])]) "
      "for p in d[\"pages\"]]'";
  const auto bots = run("VELMO bots . --json" + rows);
  EXPECT_EQ(bots.status, 0) << bots.err;
  EXPECT_EQ(bots.out,
            "./\\e]2;t\\a\\e[2J.html unchanged [(6, 73)]\n"
            "./about us/our team.html unchanged [(6, 73)]\n"
            "./caf\\xe9.html unchanged [(6, 73)]\n"
            "./mac.html unchanged [(4, 73)]\n"
            "./sjis.html unchanged [(6, 73)]\n"
            "./utf16.html unchanged [(6, 146)]\n");
  const auto look = run("VELMO erase-bot . V_Date --dry-run --json" + rows);
  EXPECT_EQ(look.status, 0) << look.err;
  EXPECT_NE(look.out.find("./caf\\xe9.html would change []\n"), std::string::npos) << look.out;
  // A page printed on standard output is reported beside it, and only as printed.
  const auto printed = run("VELMO script-head mac.html 'x();' --output - --json 2>&1 >page" + rows +
                           " && grep -c 'x();' page");
  EXPECT_EQ(printed.out, "mac.html printed []\n1\n") << printed.err;
}

TEST_F(OutputChannels, DiffAppliesWithPatchAndGitApply) {
  const auto look = run("VELMO erase-bot . V_Date --dry-run >../look.diff");
  ASSERT_EQ(look.status, 0) << look.err;
  // git apply refuses a path holding control characters, whatever its quoting.
  const auto applied = run(
      "cp -r . ../by-patch && cp -r . ../by-git && VELMO erase-bot . V_Date && "
      "(cd ../by-patch && patch -p0 --binary -s <../look.diff) && "
      "(cd ../by-git && git apply -p0 --exclude='*]2;*' ../look.diff) && diff -r . ../by-patch && "
      "diff -r -x '*]2;*' . ../by-git");
  EXPECT_EQ(applied.status, 0) << applied.out << applied.err;
}

TEST_F(OutputChannels, InputAsUsersWriteIt) {
  // A list with CR LF line ends names its pages without the CR.
  const auto crlf = run("printf 'mac.html\\r\\nsjis.html\\r\\n' | VELMO botfound --pages - V_Date");
  EXPECT_EQ(crlf.status, 0) << crlf.err;
  EXPECT_EQ(crlf.out, "mac.html\nsjis.html\n");
  // PAGE beside --page would become the script code.
  const auto both = run("VELMO script-head mac.html --page sjis.html");
  EXPECT_EQ(both.status, 2);
  EXPECT_NE(both.err.find("'mac.html' and --page/--pages both name pages"), std::string::npos)
      << both.err;
  // A refused picture is reported once, naming the page.
  const auto picture = run("VELMO favourites mac.html --image sjis.html");
  EXPECT_EQ(picture.status, 2);
  EXPECT_EQ(picture.err.find("Velmopro:"), std::string::npos) << picture.err;
  EXPECT_NE(picture.err.find("velmo: mac.html: Cannot import"), std::string::npos) << picture.err;
}

}  // namespace
}  // namespace velmo
