// The fuzzer's invariant over a few seeds and every case the fuzzer has found.

#include <gtest/gtest.h>

#include "tests/fuzz/page_check.h"

namespace velmo::testing {
namespace {

const char* const kSeeds[] = {
    "",
    "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<title>t</title>\r\n<style>\r\nbody {color: red}\r\n"
    "</style>\r\n</head>\r\n<body>\r\n<!--webbot bot=\"V_Date\" startspan -->\r\n<script>x</script>"
    "\r\n<!--webbot bot=\"V_Date\" endspan -->\r\n</body>\r\n</html>\r\n",
    "\xEF\xBB\xBF<title>x</title><p>caf\xC3\xA9<!--webbot bot=a startspan -->",
    "<head><template><style>a{}</style></template><!--webbot bot=x endspan --></head>\n<style>b",
    "<svg><style><!--webbot bot=s --></style><![CDATA[</body>]]></svg></body>",
    "<select><style><!--webbot bot=s --></style></select><script><!--<script></script>-->",
    "<!-- <!--webbot bot=\"x\" startspan --> -->",
    "<head><title>unterminated",
    "<html><head></head><body><style>x</style>",
    // Found by the fuzzer: a percent escape that decodes to a byte that is no UTF-8.
    "<link rel=stylesheet href=a%bb>",
};

TEST(PageOperations, KeepEverythingOutsideTheirSpan) {
  for (const char* seed : kSeeds) {
    for (const std::string& failure : checkPageOperations(seed))
      ADD_FAILURE() << seed << "\n" << failure;
  }
}

}  // namespace
}  // namespace velmo::testing
