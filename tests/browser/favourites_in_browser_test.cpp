// The add-to-favourites block as readers see it: velmo pastes it into a copy of the example site's
// page and headless Chromium runs it. Chromium is not the browser the script looks for, so it
// sees the fallback; with the browser test made to pass, the block writes the favourites link.

#include <gtest/gtest.h>

#include "tests/support/headless_chromium.h"
#include "tests/support/site_on_disk.h"

namespace velmo {
namespace {

using testing::runProgram;
using testing::shellQuote;

// Runs before the block: the browser claims to be the one the script targets, AddFavorite
// reports what it was given, and once the page has loaded the link is clicked and hovered.
const char* const kTargetedBrowser =
    "<script>\n"
    "Object.defineProperty(navigator, 'appName', {get: function () {\n"
    "  return 'Microsoft Internet Explorer'; }});\n"
    "Object.defineProperty(navigator, 'appVersion', {get: function () {\n"
    "  return '4.0 (compatible; MSIE 6.0; Windows NT 5.1)'; }});\n"
    "window.external.AddFavorite = function (url, title) {\n"
    "  document.getElementById('added').textContent = 'AddFavorite(' + url + ', ' + title + ')';\n"
    "};\n"
    "window.addEventListener('load', function () {\n"
    "  var link = document.querySelector('#here a');\n"
    "  link.dispatchEvent(new MouseEvent('mouseover'));\n"
    "  document.getElementById('status').textContent = 'status: ' + window.status;\n"
    "  var image = link.querySelector('img');\n"
    "  if (image) document.getElementById('image').textContent = 'width: ' + image.naturalWidth;\n"
    "  link.click();\n"
    "});\n"
    "</script>\n";

const char* const kEndComment = "\n<!--webbot bot=\"AddToFavor_VL\" endspan -->";
const std::string kAnchorStart =
    "<a href=\"javascript:window.external.AddFavorite(url_VL,title_VL);\" onmouseover=\" "
    "window.status='Add our site to your favorites!'; return true \" onmouseout=\" "
    "window.status=' '; return true \">";

class FavouritesInBrowser : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string missing = testing::chromiumMissing(); !missing.empty()) {
      GTEST_SKIP() << missing;
    }
    std::filesystem::copy(VELMO_SOURCE_DIR "/examples/site", dir_ / "site",
                          std::filesystem::copy_options::recursive);
  }

  // A fresh page in the copy of the example site, with places for the block and for what it
  // reports.
  std::filesystem::path sitePage(bool targetedBrowser) {
    return dir_.write("site/page.html",
                      "<html>\n<head>\n<title>Harbour Bakery</title>\n" +
                          std::string(targetedBrowser ? kTargetedBrowser : "") +
                          "</head>\n<body>\n<div id=\"here\"></div>\n<p id=\"added\"></p>\n"
                          "<p id=\"status\"></p>\n<p id=\"image\"></p>\n</body>\n</html>\n");
  }

  // The DOM after the block that velmo pasted with `options` ran.
  std::string rendered(const std::filesystem::path& page, const std::string& options) {
    const auto pasted = runProgram("cd " + shellQuote(dir_.path().string()) + " && " +
                                   shellQuote(VELMO_BINARY_DIR "/bin/velmo") + " favourites " +
                                   shellQuote(page.string()) + " " + options +
                                   " --caret-after '<div id=\"here\">'");
    EXPECT_EQ(pasted.status, 0) << pasted.err;
    const auto dom = testing::chromiumDom("file://" + page.string(), 5000);
    EXPECT_EQ(dom.status, 0) << dom.err;
    return dom.out;
  }

  testing::SiteOnDisk dir_;
};

TEST_F(FavouritesInBrowser, OtherBrowsersSeeTheMessageOrNothing) {
  std::string dom = rendered(sitePage(false), "--text 'Bookmark us' --message");
  EXPECT_NE(dom.find("</script>Don't forget to bookmark us!" + std::string(kEndComment)),
            std::string::npos)
      << dom;

  dom = rendered(sitePage(false), "--text 'Bookmark us' --message 'Press Ctrl+D'");
  EXPECT_NE(dom.find("</script>Press Ctrl+D" + std::string(kEndComment)), std::string::npos) << dom;

  dom = rendered(sitePage(false), "--text 'Bookmark us'");
  EXPECT_NE(dom.find("</script>" + std::string(kEndComment)), std::string::npos) << dom;
  EXPECT_EQ(dom.find("<a href=\"javascript:"), std::string::npos) << dom;
}

TEST_F(FavouritesInBrowser, TheTargetedBrowserGetsATextLinkForThisPage) {
  const auto page = sitePage(true);
  const std::string dom = rendered(page, "--text 'Bookmark us' --message");
  EXPECT_NE(dom.find("</script>" + kAnchorStart + "Bookmark us</a>" + kEndComment),
            std::string::npos)
      << dom;
  EXPECT_NE(
      dom.find("<p id=\"added\">AddFavorite(file://" + page.string() + ", Harbour Bakery)</p>"),
      std::string::npos)
      << dom;
  EXPECT_NE(dom.find("<p id=\"status\">status: Add our site to your favorites!</p>"),
            std::string::npos)
      << dom;
  EXPECT_EQ(dom.find("</script>Don't forget"), std::string::npos) << dom;
}

TEST_F(FavouritesInBrowser, TypedQuotesAndScriptEndsStayText) {
  const auto page = sitePage(true);
  const std::string dom =
      rendered(page, "--text \"Joe's Bakery\" --url example.com/ --title 'Say \"hi\" </script>'");
  EXPECT_NE(dom.find("</script>" + kAnchorStart + "Joe's Bakery</a>" + kEndComment),
            std::string::npos)
      << dom;
  EXPECT_NE(dom.find("<p id=\"added\">AddFavorite(http://example.com/, Say \"hi\" "
                     "&lt;/script&gt;)</p>"),
            std::string::npos)
      << dom;
}

TEST_F(FavouritesInBrowser, TheTargetedBrowserGetsTheBrowsedImageForAnotherPage) {
  const auto page = sitePage(true);
  const std::string dom = rendered(page,
                                   "--image site/images/logo.gif --url www.example.com/ "
                                   "--title 'Fresh bread'");
  EXPECT_NE(dom.find("</script>" + kAnchorStart + "<img border=\"0\" src=\"images/logo.gif\"></a>" +
                     kEndComment),
            std::string::npos)
      << dom;
  EXPECT_NE(dom.find("<p id=\"added\">AddFavorite(http://www.example.com/, Fresh bread)</p>"),
            std::string::npos)
      << dom;
  // The picture is the site's own, found beside the page.
  EXPECT_NE(dom.find("<p id=\"image\">width: 88</p>"), std::string::npos) << dom;
}

}  // namespace
}  // namespace velmo
