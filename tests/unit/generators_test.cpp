// Exact texts of the generated blocks, against the golden files.

#include <gtest/gtest.h>

#include "core/common/text.h"
#include "features/favourites/favourites_block.h"
#include "features/slideshow/slide_show.h"
#include "features/style/scrollbar_style.h"
#include "tests/support/golden.h"

namespace velmo {
namespace {

using testing::golden;

std::string utf8(const std::u16string& s) {
  return utf16ToUtf8(s);
}

TEST(SlideShowText, ScriptAndTableForTwoPictures) {
  const std::vector<SlidePicture> pictures = {{u"sunrise.jpg", u"/p/sunrise.jpg"},
                                              {u"harbour.jpg", u"/q/harbour.jpg"}};
  EXPECT_EQ(utf8(slideScript(pictures)), golden("slide-script-two.txt"));
  EXPECT_EQ(utf8(slideTable()), golden("slide-table.txt"));
}

TEST(SlideShowText, NamesGoInAsAddressesAndNumberedFromZero) {
  // A '"' would end the string and the src attribute the table writes; in an address it is %22.
  const std::vector<SlidePicture> pictures = {
      {u"a\"b.gif", u""}, {u"a\"b.gif", u""}, {u"x y.jpg", u""}, {u"O'Brien\\.jpg", u""}};
  const std::string script = utf8(slideScript(pictures));
  EXPECT_NE(script.find("\r\nphotos_VL[0] = \"slide_img/a%22b.gif\"\r\n"
                        "photos_VL[1] = \"slide_img/a%22b.gif\"\r\n"
                        "photos_VL[2] = \"slide_img/x y.jpg\"\r\n"
                        "photos_VL[3] = \"slide_img/O'Brien\\\\.jpg\"\r\nvar linkornot_VL=0\r\n"),
            std::string::npos)
      << script;
}

TEST(FavouritesText, BlocksForEachCombination) {
  FavouritesChoices text;
  text.source = u"Bookmark us";
  EXPECT_EQ(utf8(favouritesBlock(text)), golden("favourites-text-current.txt"));

  FavouritesChoices image;
  image.image = true;
  image.source = u"images/logo.gif";
  image.currentPage = false;
  image.otherUrl = u"www.example.com/bakery/";
  image.pageTitle = false;
  image.otherTitle = u"Harbour Bakery";
  image.message = true;
  image.messageText = u"Don't forget to bookmark us!";
  EXPECT_EQ(utf8(favouritesBlock(image)), golden("favourites-image-other-message.txt"));

  FavouritesChoices emptyMessage;
  emptyMessage.source = u"Go";
  emptyMessage.message = true;
  EXPECT_EQ(utf8(favouritesBlock(emptyMessage)), golden("favourites-empty-message.txt"));
}

TEST(FavouritesText, SchemeTypedByTheUserIsDoubled) {
  FavouritesChoices c;
  c.source = u" ";
  c.currentPage = false;
  c.otherUrl = u"http://example.com";
  EXPECT_FALSE(favouritesCheck(c));
  EXPECT_NE(favouritesBlock(c).find(u"var url_VL=\"http://http://example.com\";\r\n"),
            std::u16string::npos);
}

TEST(FavouritesText, TypedTextCannotEndItsStringOrComment) {
  FavouritesChoices c;
  c.source = u"Joe's \"best\" -->";
  c.currentPage = false;
  c.otherUrl = u"a\\b";
  c.pageTitle = false;
  c.otherTitle = u"</script>";
  c.message = true;
  c.messageText = u"one\r\ntwo";
  const std::string block = utf8(favouritesBlock(c));
  for (const char* line : {
           "Preview=\"Joe's &quot;best&quot; -&#45;>\" clientside -->\r\n",
           "\r\nvar url_VL=\"http://a\\\\b\";\r\n",
           "\r\nvar title_VL=\"<\\/script>\";\r\n",
           "\r\ndocument.write('\">Joe\\'s \"best\" --></a>');\r\n",
           "\r\nvar msg_VL = \"one\\r\\ntwo\";\r\n",
       }) {
    EXPECT_NE(block.find(line), std::string::npos) << line << "\n" << block;
  }

  c.image = true;
  c.source = u"images/it's \"x\".gif";
  const std::string image = utf8(favouritesBlock(c));
  EXPECT_NE(image.find("Preview=\"<img border ='0' src='images/it&#39;s &quot;x&quot;.gif' >\""),
            std::string::npos)
      << image;
  EXPECT_NE(image.find("document.write('\"><img border=\"0\" src=\"images/it\\'s "
                       "&quot;x&quot;.gif\" ></a>');"),
            std::string::npos)
      << image;
}

TEST(FavouritesText, ChecksRunInOrderAndReportTheFirstFailure) {
  const struct {
    std::u16string source;
    bool currentPage;
    std::u16string url;
    bool pageTitle;
    std::u16string title;
    const char16_t* message;
  } cases[] = {
      {u"", false, u"", false, u"", u"Please fill link text or image source first"},
      {u"", true, u"", true, u"", u"Please fill link text or image source first"},
      {u"x", false, u"", false, u"", u"Please fill URL first"},
      {u"x", true, u"", false, u"", u"Please fill Title first"},
      {u"x", false, u"u", false, u"t", nullptr},
      {u"x", true, u"", true, u"", nullptr},
  };
  for (const auto& c : cases) {
    FavouritesChoices choices;
    choices.source = c.source;
    choices.currentPage = c.currentPage;
    choices.otherUrl = c.url;
    choices.pageTitle = c.pageTitle;
    choices.otherTitle = c.title;
    const auto message = favouritesCheck(choices);
    if (c.message) {
      ASSERT_TRUE(message);
      EXPECT_EQ(*message, c.message);
    } else {
      EXPECT_FALSE(message);
    }
  }
}

TEST(ScrollbarText, StyleBlockForTheExampleAndForNothing) {
  ScrollbarTexts texts;
  texts[0] = u"FF0000";
  texts[4] = u"00FF00";
  EXPECT_EQ(utf8(scrollbarStyleBlock(texts)), golden("scrollbar-style-example.txt"));
  EXPECT_EQ(utf8(scrollbarStyleBlock(ScrollbarTexts{})), golden("scrollbar-style-empty.txt"));
}

TEST(ScrollbarText, DeclarationsFollowEntryOrderAndTakeTextsAsTyped) {
  ScrollbarTexts texts;
  for (std::size_t i = 0; i < kScrollbarEntryCount; ++i)
    texts[i] = u"0" + std::u16string(1, u'1' + i);
  texts[2] = u"#abc";
  EXPECT_EQ(scrollbarDeclarations(texts),
            u"scrollbar-base-color: #01;scrollbar-arrow-color: #02;"
            u"scrollbar-highlight-color: ##abc;scrollbar-3dlight-color: #04;"
            u"scrollbar-face-color: #05;scrollbar-track-color: #06;"
            u"scrollbar-shadow-color: #07;scrollbar-darkshadow-color: #08;");
}

TEST(ColourConversion, KnownValuesAndRoundTrips) {
  const struct {
    std::uint32_t color;
    const char16_t* hex;
  } cases[] = {{0x0000FF, u"FF0000"},
               {0x00FF00, u"00FF00"},
               {0xFF0000, u"0000FF"},
               {0x123456, u"563412"},
               {0, u"000000"}};
  for (const auto& c : cases) {
    EXPECT_EQ(colorToHex(c.color), c.hex);
    EXPECT_EQ(hexToColor(c.hex), c.color);
  }
  EXPECT_EQ(hexToColor(u"ff0000"), 0x0000FFu);
  EXPECT_EQ(colorToHex(*hexToColor(u"a1b2c3")), u"A1B2C3");
}

TEST(ColourConversion, TextsOfOtherFormsHaveNoColour) {
  for (const char16_t* text : {u"", u"red", u"#FF0000", u"FFF", u"FF00001", u"GG0000"}) {
    EXPECT_FALSE(hexToColor(text)) << utf8(text);
  }
}

}  // namespace
}  // namespace velmo
