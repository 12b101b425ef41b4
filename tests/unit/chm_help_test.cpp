// The built help file and the desktop's help viewer: context ids 2 to 5 open their dialog's topic,
// and the viewer shows pages, contents and index as text or hands a page to the browser.

#include <gtest/gtest.h>

#include <sstream>

#include "desktop/chm_archive.h"
#include "desktop/chm_help_viewer.h"
#include "desktop/help_text.h"
#include "tests/support/temp_dir.h"

namespace velmo::desktop {
namespace {

const std::filesystem::path kHelpFile = VELMO_BINARY_DIR "/bin/helptest.chm";

class BuiltHelpFile : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(kHelpFile)) {
      GTEST_SKIP() << kHelpFile << " was not built (chmcmd missing: run tools/setup.sh)";
    }
    archive_ = ChmArchive::open(kHelpFile);
    ASSERT_TRUE(archive_) << kHelpFile;
  }
  WindowHandle show(HelpCommand command, HelpData data = std::uint32_t{0}) {
    ChmHelpViewer viewer(out_, err_, HelpPresentation::Terminal, nullptr, {});
    return viewer.show(0, kHelpFile.u16string(), command, data);
  }

  std::unique_ptr<ChmArchive> archive_;
  std::ostringstream out_;
  std::ostringstream err_;
};

TEST_F(BuiltHelpFile, ContextIdsOpenTheirDialogsTopics) {
  const struct {
    std::uint32_t id;
    const char* page;
    const char* heading;
  } topics[] = {{2, "/add_to_favourites.htm", "Add to Favorites"},
                {3, "/scrollbar_colours.htm", "Scrollbar colors"},
                {4, "/slide_show.htm", "Slide show"},
                {5, "/current_date.htm", "Current date"}};
  for (const auto& topic : topics) {
    EXPECT_EQ(archive_->topicOf(topic.id), topic.page) << topic.id;
    ASSERT_TRUE(archive_->read(topic.page)) << topic.page;
    out_.str("");
    EXPECT_NE(show(HelpCommand::HelpContext, topic.id), 0u);
    EXPECT_TRUE(out_.str().starts_with(std::string(topic.heading) + "\n====")) << out_.str();
  }
  EXPECT_EQ(archive_->contextTable().size(), 4u);
}

TEST_F(BuiltHelpFile, NamesItsContentsIndexAndDefaultPage) {
  const ChmSystemInfo info = archive_->systemInfo();
  EXPECT_EQ(info.title, "Velmo Help");
  EXPECT_EQ(info.defaultTopic, "/contents.htm");
  EXPECT_TRUE(archive_->read(info.contentsFile));
  EXPECT_TRUE(archive_->read(info.indexFile));
}

TEST_F(BuiltHelpFile, ContentsAndIndexAreListedWithTheirHelpIds) {
  EXPECT_NE(show(HelpCommand::DisplayToc), 0u);
  EXPECT_NE(out_.str().find("\n  Velmo Help\n    Add to Favorites  (velmo help 2)\n"),
            std::string::npos)
      << out_.str();
  EXPECT_NE(out_.str().find("    Current date  (velmo help 5)\n"), std::string::npos);
  out_.str("");
  EXPECT_NE(show(HelpCommand::DisplayIndex), 0u);
  EXPECT_NE(out_.str().find("\n  slide_img folder: Slide show\n"), std::string::npos) << out_.str();
}

TEST_F(BuiltHelpFile, UnknownIdsAndMissingFilesShowNothing) {
  EXPECT_EQ(show(HelpCommand::HelpContext, 0xFFFFFFFFu), 0u);
  EXPECT_EQ(err_.str(), "velmo: the help file has no topic with context id 4294967295\n");
  ChmHelpViewer viewer(out_, err_, HelpPresentation::Terminal, nullptr, {});
  EXPECT_EQ(viewer.show(0, u"/nonexistent/helptest.chm", HelpCommand::DisplayToc, 0u), 0u);
  EXPECT_EQ(out_.str(), "");
}

TEST_F(BuiltHelpFile, TheBrowserGetsTheExtractedTopic) {
  testing::TempDir dir;
  std::vector<std::filesystem::path> opened;
  ChmHelpViewer viewer(
      out_, err_, HelpPresentation::Browser,
      [&](const std::filesystem::path& page) {
        opened.push_back(page);
        return true;
      },
      dir.path());
  EXPECT_NE(viewer.show(0, kHelpFile.u16string(), HelpCommand::HelpContext, 5u), 0u);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], dir / "helptest" / "current_date.htm");
  EXPECT_EQ(testing::readBytes(opened[0]), archive_->read("/current_date.htm"));
  EXPECT_TRUE(std::filesystem::exists(dir / "helptest" / "help.css"));
  EXPECT_EQ(out_.str(), "");
}

TEST(PageText, LaysOutBlocksForATerminal) {
  const struct {
    const char* html;
    const char* text;
    std::size_t width = 78;
  } cases[] = {
      {"<html><head><title>T</title><style>x{}</style></head><body><h1>Big</h1><p>One\n  two"
       "</p><h2>Small</h2></body></html>",
       "Big\n===\n\nOne two\n\nSmall\n-----\n"},
      {"<ul><li>a <b>b</b></li><li>c</li></ul><p>d<br>e</p>", "  * a b\n  * c\n\nd\n\ne\n"},
      {"<table><tr><th>Do it</th><td>Pastes.</td></tr><tr><th>Cancel</th><td>Closes.</td></tr>"
       "</table>",
       "  Do it  Pastes.\n  Cancel  Closes.\n"},
      {"<p>aaaa bbbb cccc dddd</p>", "aaaa bbbb\ncccc dddd\n", 10},
      {"<ul><li>aaaa bbbb cccc</li></ul>", "  * aaaa\n    bbbb\n    cccc\n", 10},
      {"<p>&quot;x&quot; &amp; caf&eacute;</p>", "\"x\" & caf\xC3\xA9\n"},
      // Every reference a browser knows, the legacy ones without ';' taken as it takes them.
      {"<p>a&mdash;b &eacute &notit; &#x1F600; &bogus;</p>",
       "a\xE2\x80\x94"
       "b \xC3\xA9 \xC2\xACit; \xF0\x9F\x98\x80 &bogus;\n"},
      // The body begins where the tree rules begin it: a block that ends the head counts.
      {"<html><head><title>T</title></head><h1>Big</h1>x", "Big\n===\n\nx\n"},
      {"<title>T</title><h2>S</h2>", "S\n-\n"},
      {"<meta charset=utf-8>Text<p>more", "Text\n\nmore\n"},
      {"<p>a<script>b</script><style>c</style>d<textarea>&lt;e&gt;</textarea></p>", "ad<e>\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(pageText(c.html, c.width), c.text) << c.html;
}

TEST(SitemapEntries, ListsNamedTopicsAsDeepAsTheirLists) {
  const char* const hhc =
      "<html><head><meta name=GENERATOR content=x></head><body>"
      "<object type=\"text/site properties\"><param name=\"Name\" value=\"Not a topic\">"
      "</object><ul><li><object type=\"text/sitemap\"><param name=\"Name\" value=\"Date &amp; "
      "time\"><param name=\"Local\" value=\"current_date.htm\"></object>"
      "<ul><li><OBJECT TYPE=\"text/sitemap\"><PARAM NAME=\"name\" VALUE=\"Nested\">"
      "<PARAM NAME=\"local\" VALUE=\"a.htm\"></OBJECT></ul>"
      "<li><object type=\"text/sitemap\"><param name=\"Local\" value=\"nameless.htm\"></object>"
      "</ul></body></html>";
  const std::vector<SitemapEntry> entries = sitemapEntries(hhc);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, "Date & time");
  EXPECT_EQ(entries[0].local, "current_date.htm");
  EXPECT_EQ(entries[0].depth, 0);
  EXPECT_EQ(entries[1].name, "Nested");
  EXPECT_EQ(entries[1].local, "a.htm");
  EXPECT_EQ(entries[1].depth, 1);
}

}  // namespace
}  // namespace velmo::desktop
