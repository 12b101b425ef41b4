// The slide show as readers see it: velmo imports three pictures and writes the script and the
// table, headless Chromium loads the page, and a check script clicks the links and notes after
// each click which picture shows, the viewer's position and the status text.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/support/headless_chromium.h"
#include "tests/support/pages.h"
#include "tests/support/run_program.h"
#include "tests/support/site_on_disk.h"

namespace velmo {
namespace {

using testing::readBytes;
using testing::runProgram;
using testing::shellQuote;

const std::string kSlidesPage = testing::pageWith("<h1>Slides</h1>", "Slides");

// Goes first in the HEAD, before the slide show script, so that any script error is caught.
const std::string kErrorTrap =
    "<script>window.slideErrors=[];"
    "window.onerror=function(m){slideErrors.push(String(m));};</script>\r\n";

// Clicks the links once the pictures have loaded and writes what it saw into #slide-check.
const std::string kCheckScript = R"(<pre id="slide-check"></pre>
<script>
window.addEventListener('load', async function () {
  var out = [];
  var img = document.images.photoslider;
  function link(text) {
    return Array.prototype.find.call(document.links, function (a) { return a.textContent === text; });
  }
  async function note(label) {
    try { await img.decode(); } catch (e) {}
    out.push(label + ': ' + img.getAttribute('src') +
             ' shown=' + (img.complete && img.naturalWidth > 0) +
             ' which_VL=' + which_VL + ' status="' + window.status + '"');
  }
  await note('loaded');
  var steps = ['Previous Slide', 'Next Slide', 'Next Slide', 'Next Slide',
               'Previous Slide', 'Previous Slide', 'Previous Slide'];
  for (var i = 0; i < steps.length; i++) {
    link(steps[i]).click();
    await note(steps[i]);
  }
  out.push('hash="' + location.hash + '" errors=' + JSON.stringify(slideErrors));
  document.getElementById('slide-check').textContent = out.join('\n');
});
</script>
)";

class SlideInBrowser : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string why = testing::chromiumMissing(); !why.empty()) GTEST_SKIP() << why;
  }

  // What the check script saw on the page velmo wrote.
  std::string checked() {
    const auto page = dir_.write("site/index.html", kSlidesPage);
    std::string pictures;
    for (const char* name : {"sunrise.jpg", "harbour.jpg", "hills.gif"}) {
      pictures += " " + shellQuote(std::string(VELMO_SOURCE_DIR "/examples/pictures/") + name);
    }
    const auto made =
        runProgram(shellQuote(VELMO_BINARY_DIR "/bin/velmo") + " slide " +
                   shellQuote(page.string()) + pictures + " --caret-after '<h1>Slides</h1>'");
    EXPECT_EQ(made.status, 0) << made.err;

    std::string html = readBytes(page);
    html.insert(html.find("<head>\r\n") + 8, kErrorTrap);
    html.insert(html.rfind("</body>"), kCheckScript);
    const auto checkPage = dir_.write("site/check.html", html);
    // Virtual time lets the page's loads and promises settle before the DOM is printed. Picture
    // decoding runs on real threads, so on a busy machine the budget can end before the check
    // script has written anything: such a run tells nothing and is made again, after a pause
    // that lets the machine settle.
    std::string seen;
    for (int attempt = 0; attempt < 6 && seen.empty(); ++attempt) {
      if (attempt > 0) std::this_thread::sleep_for(std::chrono::seconds(attempt));
      const auto dom = testing::chromiumDom("file://" + checkPage.string(), 10000);
      EXPECT_EQ(dom.status, 0) << dom.err;
      const std::string open = "<pre id=\"slide-check\">";
      const auto from = dom.out.find(open);
      if (from == std::string::npos) return "no check output in:\n" + dom.out;
      const auto to = dom.out.find("</pre>", from);
      seen = dom.out.substr(from + open.size(), to - from - open.size());
    }
    return seen;
  }

  testing::SiteOnDisk dir_;
};

TEST_F(SlideInBrowser, StepsThroughThePicturesAndStopsAtBothEnds) {
  EXPECT_EQ(checked(),
            "loaded: slide_img/sunrise.jpg shown=true which_VL=0 status=\"\"\n"
            "Previous Slide: slide_img/sunrise.jpg shown=true which_VL=0 status=\"\"\n"
            "Next Slide: slide_img/harbour.jpg shown=true which_VL=1 status=\"Image 2 of 3\"\n"
            "Next Slide: slide_img/hills.gif shown=true which_VL=2 status=\"Image 3 of 3\"\n"
            "Next Slide: slide_img/hills.gif shown=true which_VL=2 status=\"Image 3 of 3\"\n"
            "Previous Slide: slide_img/harbour.jpg shown=true which_VL=1 status=\"Image 2 of 3\"\n"
            "Previous Slide: slide_img/sunrise.jpg shown=true which_VL=0 status=\"Image 1 of 3\"\n"
            "Previous Slide: slide_img/sunrise.jpg shown=true which_VL=0 status=\"Image 1 of 3\"\n"
            // The links stay on the page, and the filter calls meant for one old browser
            // raise no error here.
            "hash=\"\" errors=[]");
}

}  // namespace
}  // namespace velmo
