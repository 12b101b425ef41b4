// The behaviour examples through velmo as a user runs it.

#include "tests/support/behaviour_examples.h"
#include "tests/support/program_test.h"

namespace velmo {
namespace {

TEST(BehaviourExamples, VelmoLeavesTheGoldenBytes) {
  for (const auto& example : testing::behaviourExamples()) {
    SCOPED_TRACE(example.name);
    SiteOnDisk dir;
    const auto page = dir.write("site/index.html", example.page);
    std::string line = shellQuote(kVelmo);
    for (const auto& argument : testing::velmoArguments(example, page.string())) {
      line += " " + shellQuote(argument);
    }
    const auto run = runProgram(line, example.text);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out + run.err, "");
    EXPECT_EQ(readBytes(page), example.expected());
  }
}

}  // namespace
}  // namespace velmo
