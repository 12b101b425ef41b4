// velmo on ASP and PHP pages: the commands work on the markup around the server blocks and keep
// every byte outside their edit.

#include <gtest/gtest.h>

#include "tests/support/program_test.h"

namespace velmo {
namespace {

class VelmoServerPage : public ::testing::Test {
 protected:
  // Runs the command on a page holding `bytes` and returns the page afterwards.
  std::string run(const std::string& command, const std::string& bytes,
                  const std::string& args = "") {
    const auto page = dir_.write("site/page.asp", bytes);
    const auto result =
        testing::runVelmo(command + " " + shellQuote(page.string()) + args + " </dev/null");
    EXPECT_EQ(result.status, 0) << result.err;
    return readBytes(page);
  }

  SiteOnDisk dir_;
};

// What a page becomes when `added` is written at the first occurrence of `before`.
std::string insertedBefore(std::string page, const std::string& before, const std::string& added) {
  page.insert(page.find(before), added);
  return page;
}

TEST_F(VelmoServerPage, ScriptHeadAppendsToTheHeadAfterAnAspDirective) {
  const std::string page =
      "<%@ Language=VBScript %>\r\n<html>\r\n<head>\r\n<title>Orders</title>\r\n</head>\r\n"
      "<body>\r\n<% Response.Write Now() %>\r\n</body>\r\n</html>\r\n";
  EXPECT_EQ(run("script-head", page, " 'alert(\"hi\");'"),
            insertedBefore(page, "</head>", golden("script-head2-alert.txt")));
}

TEST_F(VelmoServerPage, ScriptHeadPassesAHeadEndTagWrittenByPhp) {
  const std::string page =
      "<?php echo \"</head>\"; ?>\n<html>\n<head>\n<title>Shop</title>\n</head>\n"
      "<body>\n<p>Hi</p>\n</body>\n</html>\n";
  const std::string after = run("script-head", page, " 'alert(\"hi\");'");
  EXPECT_EQ(after, insertedBefore(page, "</head>\n<body>", golden("script-head2-alert.txt")));
}

TEST_F(VelmoServerPage, DatePastesBeforeTheBodyEndTagOfTheMarkup) {
  const std::string page =
      "<html>\r\n<head>\r\n<title>Shop</title>\r\n</head>\r\n<body>\r\n"
      "<?php if ($done) { echo \"<p>Done</p></body></html>\"; exit; } ?>\r\n<p>Hello</p>\r\n"
      "</body>\r\n</html>\r\n";
  EXPECT_EQ(run("date", page),
            insertedBefore(page, "</body>\r\n</html>", golden("date-block.txt")));
}

TEST_F(VelmoServerPage, PastesBeforeAPhpBlockLeftOpenToTheEndOfAPageWithoutBodyEnd) {
  const std::string page = "<html><body>\n<p>Hi</p>\n<?php\nlog_visit();\n";
  EXPECT_EQ(run("date", page), insertedBefore(page, "<?php", golden("date-block.txt")));
  const std::string closed = "<p>Hi</p>\n<?php log_visit(); ?>";
  EXPECT_EQ(run("date", closed), closed + golden("date-block.txt"));
}

TEST_F(VelmoServerPage, EraseBotPassesAWebbotCommentInsideABlock) {
  const std::string page =
      "<html>\r\n<head></head>\r\n<body>\r\n"
      "<% Response.Write('<!--webbot bot=\"Hit\" -->') %>\r\n"
      "<!--webbot bot=\"Hit\" startspan -->7<!--webbot bot=\"Hit\" endspan -->\r\n"
      "</body>\r\n</html>\r\n";
  std::string expected = page;
  const std::string block =
      "<!--webbot bot=\"Hit\" startspan -->7<!--webbot bot=\"Hit\" endspan -->";
  expected.erase(expected.find(block), block.size());
  EXPECT_EQ(run("erase-bot", page, " Hit"), expected);
}

}  // namespace
}  // namespace velmo
