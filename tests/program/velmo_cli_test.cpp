// velmo as a user runs it: arguments, exit statuses, messages and what lands on disk.

#include <gtest/gtest.h>

#include "tests/support/program_test.h"

namespace velmo {
namespace {

// A page whose title is not ASCII, with a date block.
const std::string kCafePage = pageWith(kDateBlock, "Caf\xC3\xA9");

class VelmoCli : public ::testing::Test {
 protected:
  testing::ProgramResult velmo(const std::string& args, const std::string& input = "") {
    return testing::runVelmo(args, input);
  }
  std::string page() const { return shellQuote(page_.string()); }

  SiteOnDisk dir_;
  std::filesystem::path page_ = dir_.write("site/index.html", kCafePage);
};

TEST_F(VelmoCli, BotfoundPrintsTrueOrFalse) {
  auto found = velmo("botfound " + page() + " V_Date");
  EXPECT_EQ(found.status, 0);
  EXPECT_EQ(found.out, "true\n");
  auto missing = velmo("botfound " + page() + " v_date");
  EXPECT_EQ(missing.status, 0);
  EXPECT_EQ(missing.out, "false\n");
  EXPECT_EQ(readBytes(page_), kCafePage);
}

TEST_F(VelmoCli, EraseBotRewritesOnlyTheBlock) {
  ASSERT_EQ(velmo("erase-bot " + page() + " V_Date").status, 0);
  EXPECT_EQ(readBytes(page_),
            "<html>\r\n<head>\r\n<title>Caf\xC3\xA9</title>\r\n</head>\r\n<body>\r\n\r\n"
            "</body>\r\n</html>\r\n");
}

TEST_F(VelmoCli, ScriptHeadTakesCodeFromTheArgumentOrStandardInput) {
  const std::string expected = "<html>\r\n<head>\r\n<title>Caf\xC3\xA9</title>\r\n" +
                               golden("script-head2-alert.txt") +
                               "</head>\r\n<body>\r\n<!--webbot bot=\"V_Date\" startspan -->d"
                               "<!--webbot bot=\"V_Date\" endspan -->\r\n</body>\r\n</html>\r\n";
  ASSERT_EQ(velmo("script-head " + page() + " 'alert(\"hi\");'").status, 0);
  EXPECT_EQ(readBytes(page_), expected);

  dir_.write("site/index.html", kCafePage);
  ASSERT_EQ(velmo("script-head " + page() + " -", "alert(\"hi\");").status, 0);
  EXPECT_EQ(readBytes(page_), expected);
}

TEST_F(VelmoCli, OutputLeavesThePageAlone) {
  const auto output = dir_ / "out.html";
  ASSERT_EQ(velmo("erase-bot " + page() + " V_Date --output " + shellQuote(output.string())).status,
            0);
  EXPECT_EQ(readBytes(page_), kCafePage);
  EXPECT_EQ(readBytes(output).find("webbot"), std::string::npos);
}

TEST_F(VelmoCli, FailuresExitWithTwoNameTheFileAndChangeNothing) {
  // Browsers show a page in this encoding as one replacement character: nothing to edit.
  const std::string unreadable =
      "<html><head><meta charset=iso-2022-kr></head><body>\xFF</body></html>";
  const auto bad = dir_.write("site/bad.html", unreadable);
  auto refused = velmo("script-head " + shellQuote(bad.string()) + " x");
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("bad.html"), std::string::npos) << refused.err;
  EXPECT_EQ(readBytes(bad), unreadable);

  auto missing = velmo("botfound " + shellQuote((dir_ / "nope.html").string()) + " x");
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("nope.html"), std::string::npos) << missing.err;

  auto usage = velmo("botfound " + page());
  EXPECT_EQ(usage.status, 2);
  EXPECT_EQ(velmo("frobnicate").status, 2);
  EXPECT_EQ(readBytes(page_), kCafePage);
}

TEST_F(VelmoCli, HelpAndVersionSucceed) {
  auto help = velmo("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("botfound"), std::string::npos);
  auto version = velmo("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("velmo ", 0), 0u) << version.out;
}

}  // namespace
}  // namespace velmo
