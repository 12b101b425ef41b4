// velmo on pages reached through links: a symbolic link stays a link, every name of a
// hard-linked page sees the edit, the mode stays, and a run killed while writing a hard-linked
// page in place is finished by the next run.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "file_host/files/posix_save_journal.h"
#include "tests/support/program_test.h"

namespace velmo {
namespace {
namespace fs = std::filesystem;

const std::string kLinkedPage = pageWith("<p>text</p>", "Links");
const std::string kEdited = "<html>\r\n<head>\r\n<title>Links</title>\r\n" +
                            golden("script-head2-alert.txt") +
                            "</head>\r\n<body>\r\n<p>text</p>\r\n</body>\r\n</html>\r\n";

int scriptHead(const fs::path& page) {
  const auto run = runVelmo("script-head " + shellQuote(page.string()) + " 'alert(\"hi\");'");
  EXPECT_EQ(run.err, "");
  return run.status;
}

TEST(VelmoLinks, ASymbolicLinkStaysALinkAndItsPageTakesTheEdit) {
  TempDir dir;
  const fs::path real = dir.write("pages/index.html", kLinkedPage);
  fs::create_directories(dir / "site");
  fs::create_symlink("../pages/index.html", dir / "site/index.html");

  ASSERT_EQ(scriptHead(dir / "site/index.html"), 0);

  EXPECT_TRUE(fs::is_symlink(dir / "site/index.html"));
  EXPECT_EQ(fs::read_symlink(dir / "site/index.html"), "../pages/index.html");
  EXPECT_EQ(readBytes(real), kEdited);
}

TEST(VelmoLinks, EveryNameOfAHardLinkedPageShowsTheEdit) {
  TempDir dir;
  const fs::path page = dir.write("site/index.html", kLinkedPage);
  fs::create_hard_link(page, dir / "backup.html");

  ASSERT_EQ(scriptHead(page), 0);

  EXPECT_EQ(readBytes(page), kEdited);
  EXPECT_EQ(readBytes(dir / "backup.html"), kEdited);
  EXPECT_EQ(fs::hard_link_count(page), 2u);
}

TEST(VelmoLinks, APageKeepsItsMode) {
  TempDir dir;
  const fs::path page = dir.write("site/index.html", kLinkedPage);
  fs::permissions(page, fs::perms(0640));

  ASSERT_EQ(scriptHead(page), 0);

  EXPECT_EQ(readBytes(page), kEdited);
  EXPECT_EQ(fs::status(page).permissions(), fs::perms(0640));
}

// A run killed after its journal was durable and while it wrote the page in place: the page
// holds a mix of both texts, the journal the whole new one.
TEST(VelmoLinks, TheRunAfterOneKilledWhileWritingInPlaceSeesTheNewTextWhole) {
  TempDir dir;
  const fs::path page = dir.write("site/index.html", kLinkedPage);
  fs::create_hard_link(page, dir / "backup.html");
  file_host::writeJournal(page, kEdited);
  std::string half = kLinkedPage;
  half.replace(0, kEdited.size() / 2, kEdited.substr(0, kEdited.size() / 2));
  dir.write("site/index.html", half);

  const auto found = runVelmo("botfound " + shellQuote(page.string()) + " V_Date");
  EXPECT_EQ(found.status, 0) << found.err;
  EXPECT_EQ(found.out, "false\n");

  EXPECT_EQ(readBytes(page), kEdited);
  EXPECT_EQ(readBytes(dir / "backup.html"), kEdited);
  EXPECT_FALSE(fs::exists(file_host::journalPathFor(page)));

  // And the next edit goes on top of it.
  std::string twice = kEdited;
  twice.insert(twice.find("</head>"), golden("script-head2-alert.txt"));
  ASSERT_EQ(scriptHead(dir / "backup.html"), 0);
  EXPECT_EQ(readBytes(page), twice);
}

}  // namespace
}  // namespace velmo
