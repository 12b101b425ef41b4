// velmo date and velmo help as a user runs them.

#include <gtest/gtest.h>

#include "tests/support/program_test.h"

namespace velmo {
namespace {

class VelmoDialogs : public ::testing::Test {
 protected:
  testing::ProgramResult velmo(const std::string& args) {
    return testing::runVelmo(args + " </dev/null");
  }
  std::string page() const { return shellQuote(page_.string()); }

  SiteOnDisk dir_;
  std::filesystem::path page_ = dir_.write("site/index.html", kHeadlessPage);
};

TEST_F(VelmoDialogs, DatePastesTheBlockAtTheSelection) {
  const std::string block = golden("date-block.txt");
  auto run = velmo("date " + page());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out + run.err, "");
  EXPECT_EQ(readBytes(page_),
            "<html>\r\n<body>\r\n<p>Hello</p>\r\n" + block + "</body>\r\n</html>\r\n");

  ASSERT_EQ(velmo("date " + page() + " --select '<p>Hello</p>'").status, 0);
  EXPECT_EQ(readBytes(page_),
            "<html>\r\n<body>\r\n" + block + "\r\n" + block + "</body>\r\n</html>\r\n");
}

TEST_F(VelmoDialogs, DateOnAMissingPageFailsAndWritesNothing) {
  auto run = velmo("date " + shellQuote((dir_ / "site/none.html").string()));
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("none.html"), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(dir_ / "site/none.html"));
}

TEST_F(VelmoDialogs, HelpShowsTopicsContentsAndIndexAsText) {
  if (!std::filesystem::exists(VELMO_BINARY_DIR "/bin/helptest.chm")) {
    GTEST_SKIP() << "helptest.chm was not built (chmcmd missing: run tools/setup.sh)";
  }
  auto topic = velmo("help 5 --text");
  EXPECT_EQ(topic.status, 0) << topic.err;
  EXPECT_TRUE(topic.out.starts_with("Current date\n============\n\n")) << topic.out;
  EXPECT_NE(topic.out.find("\nTuesday, March 05, 2002.\n"), std::string::npos);

  auto contents = velmo("help --text");
  EXPECT_EQ(contents.status, 0);
  EXPECT_NE(contents.out.find("Slide show  (velmo help 4)"), std::string::npos) << contents.out;
  auto index = velmo("help --index --text");
  EXPECT_NE(index.out.find("  bookmark: Add to Favorites\n"), std::string::npos) << index.out;

  auto unknown = velmo("help 9 --text");
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.err, "velmo: the help file has no topic with context id 9\n");
}

TEST_F(VelmoDialogs, HelpWithoutTheFileBesideVelmoNamesTheFullPath) {
  const auto alone = dir_ / "alone" / "velmo";
  std::filesystem::create_directories(alone.parent_path());
  std::filesystem::copy_file(kVelmo, alone);
  auto run = runProgram(shellQuote(alone.string()) + " help 3 --text");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "Velmopro: Help File '" + (dir_ / "alone" / "helptest.chm").string() +
                         "' not found.\n");
  EXPECT_EQ(run.out, "");
}

}  // namespace
}  // namespace velmo
