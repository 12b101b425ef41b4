// The date block as readers see it: velmo pastes it into a page, headless Chromium runs the page
// with its clock fixed, and the page's text must hold the date in words.

#include <gtest/gtest.h>

#include "tests/support/headless_chromium.h"

namespace velmo {
namespace {

using testing::runProgram;
using testing::shellQuote;
using testing::TempDir;

// A page whose clock stands at noon of the given day before any other script runs.
std::string pageAt(int year, int month, int day) {
  const std::string date =
      std::to_string(year) + ", " + std::to_string(month - 1) + ", " + std::to_string(day);
  return "<html>\r\n<head>\r\n<script>\r\n"
         "(function () {\r\n"
         "  var RealDate = Date;\r\n"
         "  var fixed = new RealDate(" +
         date +
         ", 12, 0, 0).getTime();\r\n"
         "  function FixedDate() {\r\n"
         "    if (arguments.length === 0) return new RealDate(fixed);\r\n"
         "    var args = [null].concat(Array.prototype.slice.call(arguments));\r\n"
         "    return new (Function.prototype.bind.apply(RealDate, args))();\r\n"
         "  }\r\n"
         "  FixedDate.prototype = RealDate.prototype;\r\n"
         "  FixedDate.now = function () { return fixed; };\r\n"
         "  Date = FixedDate;\r\n"
         "})();\r\n"
         "</script>\r\n</head>\r\n<body>\r\n<p id=\"today\"></p>\r\n</body>\r\n</html>\r\n";
}

class DateInBrowser : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string missing = testing::chromiumMissing(); !missing.empty()) {
      GTEST_SKIP() << missing;
    }
  }

  // The text Chromium's DOM holds after the block ran, on a page whose clock shows that day.
  std::string renderedOn(int year, int month, int day) {
    const auto page = dir_.write("page-" + std::to_string(day) + ".html", pageAt(year, month, day));
    const auto pasted = runProgram(shellQuote(VELMO_BINARY_DIR "/bin/velmo") + " date " +
                                   shellQuote(page.string()) + " --caret-after '<p id=\"today\">'");
    EXPECT_EQ(pasted.status, 0) << pasted.err;
    const auto dom = testing::chromiumDom("file://" + page.string());
    EXPECT_EQ(dom.status, 0) << dom.err;
    return dom.out;
  }

  TempDir dir_;
};

TEST_F(DateInBrowser, WritesTheDateInWords) {
  const std::string dom = renderedOn(2002, 3, 5);
  EXPECT_NE(dom.find("</script>Tuesday, March 05, 2002.\n<!--webbot bot=\"V_Date\" endspan -->"),
            std::string::npos)
      << dom;
}

TEST_F(DateInBrowser, WritesTwoDigitDaysWithoutALeadingZero) {
  const std::string dom = renderedOn(2002, 3, 15);
  EXPECT_NE(dom.find("</script>Friday, March 15, 2002."), std::string::npos) << dom;
}

}  // namespace
}  // namespace velmo
