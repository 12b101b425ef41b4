// The fuzzer's invariant over a few seeds and every case the fuzzer has found.

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/fuzz/page_check.h"
#include "tests/support/temp_dir.h"

namespace velmo::testing {
namespace {

using namespace std::string_view_literals;

const std::string_view kSeeds[] = {
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
    // Found by the fuzzer: a bot attribute without a value.
    "<!--webbot bot\f<=a -->S/head>\t\f\td>",
    "<!--webbot bot startspan -->x<!--webbot bot= endspan -->",
    // Found by the fuzzer: a '<' that implies the head's end, whose next byte an erase changes.
    "=\"<<svg><<!--webbot bota\" rd<style> pnen-->![CDATA[<ht\0\0\0\0"sv,
    "<<!--webbot a -->!x",
    // Pages in other encodings: kept as bytes, held as UTF-8, or refused.
    "<meta charset=windows-1252><title>caf\xE9</title><style>a{}</style>"
    "<!--webbot bot=\"\xE9\" startspan -->\x81<!--webbot bot=\"\xE9\" endspan --></body>",
    "<meta charset=shift_jis><p>\x93\xFA\x81</p><!--webbot bot=\x83\x5C -->",
    "<meta charset=utf-8><p>caf\xE9</p><!--webbot bot=\xFF startspan --></body>",
    "\xFF\xFE<\0b\0>\0\x05\x26<\0/\0b\0o\0d\0y\0>\0"sv,
    "\xFF\xFE<\0\x00\xD8"sv,
    "<meta charset=iso-2022-kr><p>x</p>",
};

TEST(PageOperations, KeepEverythingOutsideTheirSpan) {
  for (std::string_view seed : kSeeds) {
    for (const std::string& failure : checkPageOperations(seed))
      ADD_FAILURE() << seed << "\n" << failure;
  }
}

// Every input kept in the fuzzer's seed folder: the cases it found, as files.
TEST(PageOperations, KeepEverythingOutsideTheirSpanOnKeptFuzzCases) {
  const std::filesystem::path folder = VELMO_SOURCE_DIR "/tests/fuzz/corpus/page";
  int cases = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    ++cases;
    for (const std::string& failure : checkPageOperations(readBytes(entry.path())))
      ADD_FAILURE() << entry.path().filename() << "\n" << failure;
  }
  EXPECT_GT(cases, 0);
}

}  // namespace
}  // namespace velmo::testing
