// Scrollbar colours as a browser parses them: velmo styles a page in each of the three ways,
// headless Chromium loads it, and a script reads the first style sheet back from
// document.styleSheets.
//
// Chromium drops the scrollbar-* properties while parsing (it never supported them), so the
// script also parses a copy of the sheet's text in which they are custom properties: that shows
// each declaration parsed with its value, and the real sheet shows where the body rule is and
// what else it kept.

#include <gtest/gtest.h>

#include "tests/support/headless_chromium.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace velmo {
namespace {

using testing::runProgram;
using testing::shellQuote;

// Writes what the browser made of the first style sheet into <pre id="out">.
const char* const kReader = R"(<pre id="out"></pre>
<script>
(function () {
  function firstBodyRule(sheet) {
    for (var i = 0; i < sheet.cssRules.length; i++) {
      if (sheet.cssRules[i].selectorText === 'body') return sheet.cssRules[i];
    }
    return null;
  }
  var lines = [];
  var sheet = document.styleSheets[0];
  lines.push('first sheet in ' + sheet.ownerNode.parentNode.nodeName);
  var selectors = [];
  for (var i = 0; i < sheet.cssRules.length; i++) selectors.push(sheet.cssRules[i].selectorText);
  lines.push('rules: ' + selectors.join(' | '));
  lines.push('body rule keeps: ' + firstBodyRule(sheet).style.cssText);
  var copy = document.createElement('style');
  copy.textContent = sheet.ownerNode.textContent.replace(/scrollbar-/g, '--scrollbar-');
  document.head.appendChild(copy);
  var copied = firstBodyRule(document.styleSheets[document.styleSheets.length - 1]).style;
  ['base', 'arrow', 'highlight', '3dlight', 'face', 'track', 'shadow', 'darkshadow'].forEach(
      function (name) {
        lines.push(name + '=' + copied.getPropertyValue('--scrollbar-' + name + '-color').trim());
      });
  document.getElementById('out').textContent = lines.join('\n');
})();
</script>
)";

class StyleInBrowser : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string missing = testing::chromiumMissing(); !missing.empty()) {
      GTEST_SKIP() << missing;
    }
  }

  // What the reader wrote after velmo style ran with `options` on a page with that HEAD.
  std::string styled(const std::string& head, const std::string& options) {
    const auto page = dir_.write("page.html", "<html>\n<head>\n" + head + "</head>\n<body>\n" +
                                                  std::string(kReader) + "</body>\n</html>\n");
    const auto run = runProgram(shellQuote(VELMO_BINARY_DIR "/bin/velmo") + " style " +
                                shellQuote(page.string()) + " " + options);
    EXPECT_EQ(run.status, 0) << run.err;
    const auto dom = testing::chromiumDom("file://" + page.string());
    EXPECT_EQ(dom.status, 0) << dom.err;
    const auto start = dom.out.find("<pre id=\"out\">");
    const auto end = dom.out.find("</pre>");
    if (start == std::string::npos || end == std::string::npos) return "no output in:\n" + dom.out;
    return dom.out.substr(start + 14, end - start - 14);
  }

  testing::TempDir dir_;
};

TEST_F(StyleInBrowser, TheBlockAppendedToTheHeadIsTheFirstSheet) {
  EXPECT_EQ(styled("<title>t</title>\n", "--base FF0000 --face 00FF00"),
            "first sheet in HEAD\nrules: body\nbody rule keeps: \n"
            "base=#FF0000\narrow=\nhighlight=\n3dlight=\nface=#00FF00\ntrack=\nshadow=\n"
            "darkshadow=");
}

TEST_F(StyleInBrowser, TheFirstBodyRuleIsUpdatedInPlace) {
  EXPECT_EQ(styled("<style>\nh1 { color: red }\nbody { color: navy; scrollbar-base-color: "
                   "#000000; scrollbar-face-color: #ffcc00; margin: 0 }\n"
                   "body { scrollbar-track-color: #999999 }\n</style>\n",
                   "--arrow 123456 --face '' --shadow abcdef"),
            "first sheet in HEAD\nrules: h1 | body | body\n"
            "body rule keeps: color: navy; margin: 0px;\n"
            "base=#000000\narrow=#123456\nhighlight=\n3dlight=\nface=\ntrack=\nshadow=#abcdef\n"
            "darkshadow=");
}

TEST_F(StyleInBrowser, ASheetWithoutAnExactBodyRuleGetsOneAtTheEnd) {
  EXPECT_EQ(styled("<style>\nh1, body { color: navy }\n</style>\n", "--darkshadow 000000"),
            "first sheet in HEAD\nrules: h1, body | body\nbody rule keeps: \n"
            "base=\narrow=\nhighlight=\n3dlight=\nface=\ntrack=\nshadow=\ndarkshadow=#000000");
}

}  // namespace
}  // namespace velmo
