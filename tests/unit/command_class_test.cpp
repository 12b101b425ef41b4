// The command class's page operations and the named HEAD script helpers, run against the
// page host over files, on real files.

#include <gtest/gtest.h>

#include "core/common/text.h"
#include "core/page_host/head_script.h"
#include "features/command_class/clstestt.h"
#include "file_host/file_host.h"
#include "tests/support/golden.h"
#include "tests/support/site_on_disk.h"

namespace velmo {
namespace {

using file_host::FileHost;
using testing::golden;
using testing::readBytes;
using testing::TempDir;

std::string bot(const std::string& name, const std::string& body) {
  return "<!--webbot bot=\"" + name + "\" startspan -->" + body + "<!--webbot bot=\"" + name +
         "\" endspan -->";
}

class CommandClassOnPage : public ::testing::Test {
 protected:
  // Opens `html` as the page; returns the page's path.
  std::filesystem::path open(const std::string& html) {
    page_ = dir_.write("site/page.html", html);
    host_.openPage(page_);
    return page_;
  }
  std::string committed() {
    host_.commit();
    return readBytes(page_);
  }

  testing::SiteOnDisk dir_;
  FileHost host_;
  std::filesystem::path page_;
};

TEST_F(CommandClassOnPage, ScriptHead2AppendsTheExactBlockToTheHead) {
  const struct {
    std::u16string code;
    const char* goldenFile;
  } cases[] = {{u"alert(\"hi\");", "script-head2-alert.txt"},
               {u"", "script-head2-empty.txt"},
               {u"var a = 1;\r\nvar b = 2;", "script-head2-two-lines.txt"}};
  for (const auto& c : cases) {
    open("<html><head><title>t</title></head><body>x</body></html>");
    clstestt(host_).scriptHead2(c.code);
    EXPECT_EQ(committed(), "<html><head><title>t</title>" + golden(c.goldenFile) +
                               "</head><body>x</body></html>")
        << c.goldenFile;
  }
}

TEST_F(CommandClassOnPage, ScriptHead2TwiceLeavesTwoBlocks) {
  open("<html><head></head><body></body></html>");
  clstestt(host_).scriptHead2(u"alert(\"hi\");");
  clstestt(host_).scriptHead2(u"alert(\"hi\");");
  const std::string block = golden("script-head2-alert.txt");
  EXPECT_EQ(committed(), "<html><head>" + block + block + "</head><body></body></html>");
}

TEST_F(CommandClassOnPage, BotfoundComparesNamesExactly) {
  open("<body>" + bot("V_Date", "d") + bot("Timestamp", "t") + "</body>");
  clstestt cls(host_);
  EXPECT_TRUE(cls.botfound(u"V_Date"));
  EXPECT_TRUE(cls.botfound(u"Timestamp"));
  EXPECT_FALSE(cls.botfound(u"v_date"));
  EXPECT_FALSE(cls.botfound(u"V_Date "));
  EXPECT_FALSE(cls.botfound(u""));
}

TEST_F(CommandClassOnPage, PageWithoutWebbotsFindsNothingAndErasesNothing) {
  const std::string html = "<html><body><!-- webbot? no --><p>text</p></body></html>";
  open(html);
  EXPECT_FALSE(clstestt(host_).botfound(u"V_Date"));
  clstestt(host_).eraseBot(u"V_Date");
  EXPECT_EQ(committed(), html);
}

TEST_F(CommandClassOnPage, EraseBotRemovesTheFirstOfTwoSameNamedBlocksPerCall) {
  open("<body>a" + bot("X", "1") + "b" + bot("x", "2") + "c" + bot("X", "3") + "d</body>");
  clstestt cls(host_);
  cls.eraseBot(u"X");
  EXPECT_EQ(utf16ToUtf8(host_.pageText()),
            "<body>ab" + bot("x", "2") + "c" + bot("X", "3") + "d</body>");
  cls.eraseBot(u"X");
  EXPECT_EQ(committed(), "<body>ab" + bot("x", "2") + "cd</body>");
  EXPECT_FALSE(cls.botfound(u"X"));
  EXPECT_TRUE(cls.botfound(u"x"));
}

TEST_F(CommandClassOnPage, WebbotWalkPassesThe16BitLimit) {
  std::string html = "<body>";
  for (int i = 0; i < 40000; ++i) html += bot("B" + std::to_string(i), "");
  html += "</body>";
  open(html);
  clstestt cls(host_);
  EXPECT_FALSE(cls.botfound(u"absent"));
  EXPECT_TRUE(cls.botfound(u"B39999"));
  cls.eraseBot(u"B39999");
  EXPECT_FALSE(cls.botfound(u"B39999"));
  EXPECT_TRUE(cls.botfound(u"B32768"));
}

TEST_F(CommandClassOnPage, HeadHasNameNeedsTheQuotesButIgnoresCase) {
  const struct {
    const char* head;
    bool found;
  } cases[] = {{"<meta name=\"x\" content=\"SLIDE_VL\">", true},
               {"<script name =\"slide_vl\"></script>", true},
               {"<!-- SLIDE_VL -->", false},
               {"<meta content='SLIDE_VL'>", false},
               {"", false}};
  for (const auto& c : cases) {
    open(std::string("<html><head>") + c.head + "</head><body></body></html>");
    EXPECT_EQ(headHasName(host_, u"SLIDE_VL"), c.found) << c.head;
  }
}

TEST_F(CommandClassOnPage, AddHeadScriptAppendsOnlyOnce) {
  open("<html><head><title>t</title></head><body></body></html>");
  const std::u16string first = u"<script name =\"SLIDE_VL\">one</script>\r\n";
  addHeadScript(host_, first, u"SLIDE_VL");
  addHeadScript(host_, u"<script name =\"SLIDE_VL\">two</script>\r\n", u"SLIDE_VL");
  EXPECT_EQ(committed(),
            "<html><head><title>t</title>" + utf16ToUtf8(first) + "</head><body></body></html>");
}

TEST_F(CommandClassOnPage, WithoutAPageEveryOperationReportsTheHostError) {
  FileHost empty;
  clstestt cls(empty);
  EXPECT_THROW(cls.botfound(u"x"), HostError);
  EXPECT_THROW(cls.eraseBot(u"x"), HostError);
  EXPECT_THROW(cls.scriptHead2(u"x"), HostError);
  EXPECT_THROW(addHeadScript(empty, u"x", u"n"), HostError);
  try {
    cls.scriptHead2(u"x");
  } catch (const HostError& e) {
    EXPECT_EQ(e.description(), u"No page is open in the editor");
  }
}

TEST_F(CommandClassOnPage, DialogCommandsNeedAUserInterface) {
  open("<body></body>");
  clstestt cls(host_);
  for (auto command : {&clstestt::style, &clstestt::addtofavor, &clstestt::slide,
                       &clstestt::CurDate, &clstestt::ads}) {
    try {
      (cls.*command)();
      ADD_FAILURE() << "no error";
    } catch (const HostError& e) {
      EXPECT_EQ(e.description(), u"No user interface is available for dialogs");
    }
  }
}

}  // namespace
}  // namespace velmo
