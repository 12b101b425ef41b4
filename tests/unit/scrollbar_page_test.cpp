// Applying and reading scrollbar colours on real pages.

#include <gtest/gtest.h>

#include "features/style/scrollbar_style.h"
#include "tests/support/golden.h"
#include "tests/support/page_fixture.h"

namespace velmo {
namespace {

ScrollbarTexts example() {
  ScrollbarTexts texts;
  texts[0] = u"FF0000";
  texts[4] = u"00FF00";
  return texts;
}

class ScrollbarPage : public testing::PageFixture {};

TEST_F(ScrollbarPage, HeadWithoutStyleGetsTheBlockAppended) {
  open(
      "<html><head><title>t</title></head><body>"
      "<style>body { scrollbar-base-color: #111111 }</style></body></html>");
  applyScrollbarColors(host_, example());
  EXPECT_EQ(committed(), "<html><head><title>t</title>" +
                             testing::golden("scrollbar-style-example.txt") +
                             "</head><body><style>body { scrollbar-base-color: #111111 }</style>"
                             "</body></html>");
}

TEST_F(ScrollbarPage, FirstBodyRuleIsUpdatedAndOtherPropertiesStay) {
  open(
      "<html><head><style>\nbody { color: red; scrollbar-arrow-color: #123456; "
      "scrollbar-base-color: #000000 }\nbody { scrollbar-face-color: #999999 }\n</style></head>"
      "<body></body></html>");
  const std::string head = text().substr(0, text().find("<body>"));
  applyScrollbarColors(host_, example());
  const std::string after = committed();
  const auto rules = after.substr(0, after.find("\nbody { scrollbar-face-color: #999999 }"));
  EXPECT_NE(rules.find("color: red"), std::string::npos) << after;
  EXPECT_NE(rules.find("scrollbar-base-color: #FF0000"), std::string::npos) << after;
  EXPECT_NE(rules.find("scrollbar-face-color: #00FF00"), std::string::npos) << after;
  EXPECT_EQ(rules.find("scrollbar-arrow-color"), std::string::npos) << after;
  EXPECT_NE(after.find("\nbody { scrollbar-face-color: #999999 }\n</style>"), std::string::npos);

  host_.openPage(page_, dir_ / "site");
  const auto read = readPageColors(host_);
  ASSERT_TRUE(read);
  EXPECT_EQ(*read, example());
}

TEST_F(ScrollbarPage, SheetWithoutAnExactBodyRuleGetsANewRule) {
  for (const char* rules : {"BODY { color: red }", "h1, body { color: red }", ""}) {
    open(std::string("<html><head><style>") + rules + "</style></head><body></body></html>");
    applyScrollbarColors(host_, example());
    host_.commit();
    host_.openPage(page_, dir_ / "site");
    ASSERT_TRUE(sheetHasRule(host_, u"body")) << rules;
    const auto read = readPageColors(host_);
    ASSERT_TRUE(read) << rules;
    EXPECT_EQ(*read, example()) << rules;
    EXPECT_NE(text().find(rules), std::string::npos);
  }
}

TEST_F(ScrollbarPage, EmptyEntriesAddARuleWithAnEmptyStyle) {
  open("<html><head><style>p { margin: 0 }</style></head><body></body></html>");
  applyScrollbarColors(host_, ScrollbarTexts{});
  EXPECT_TRUE(sheetHasRule(host_, u"body"));
  EXPECT_NE(committed().find("p { margin: 0 }"), std::string::npos);
}

TEST_F(ScrollbarPage, ReadingTakesTheLastSixCharactersAndEmptiesMissingOnes) {
  open(
      "<html><head><style>body { scrollbar-base-color: #ffcc00; scrollbar-arrow-color: red; "
      "scrollbar-face-color: #ABCDEF12 }</style></head><body></body></html>");
  const auto read = readPageColors(host_);
  ASSERT_TRUE(read);
  EXPECT_EQ((*read)[0], u"ffcc00");
  EXPECT_EQ((*read)[1], u"red");
  EXPECT_EQ((*read)[4], u"CDEF12");
  EXPECT_EQ((*read)[2], u"");
}

TEST_F(ScrollbarPage, NoStyleInTheHeadReadsNothing) {
  open(
      "<html><head></head><body><style>body { scrollbar-base-color: #ffcc00 }</style></body>"
      "</html>");
  EXPECT_FALSE(headHasStyle(host_));
  EXPECT_FALSE(readPageColors(host_));
  open("<html><head><style>h1 { color: red }</style></head><body></body></html>");
  EXPECT_TRUE(headHasStyle(host_));
  EXPECT_FALSE(readPageColors(host_));
}

}  // namespace
}  // namespace velmo
