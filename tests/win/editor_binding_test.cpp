// The editor binding against the stand-in editor: every object and member name the library's
// commands reach late-bound, through the same core helpers the dialogs use.

#include <filesystem>
#include <fstream>

#include "core/page_host/head_script.h"
#include "core/page_host/page_access.h"
#include "tests/win/win_test_support.h"
#include "windows/editor_binding/editor_binding.h"

namespace velmo::win::test {
namespace {

namespace fs = std::filesystem;

const std::string kStyledPage =
    "<html>\r\n<head>\r\n<title>Binding</title>\r\n<style>\r\nbody { color: red; }\r\n</style>\r\n"
    "</head>\r\n<body>\r\n<h1>Title</h1>\r\n<p>Text</p>\r\n</body>\r\n</html>\r\n";

class EditorBindingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    editor_ = createByProgId(L"FrontPage.Application");
    ASSERT_TRUE(editor_);
    const std::wstring page = page_.path();
    LateBound(editor_).call(u"OpenPage", {Variant::text(std::u16string(page.begin(), page.end()))});
  }
  void TearDown() override {
    if (editor_) LateBound(editor_).call(u"ClosePage");
  }
  void select(std::u16string_view how, std::u16string_view text) {
    ASSERT_TRUE(LateBound(editor_).call(how, {Variant::text(text)}).toBool());
  }

  TempPage page_{kStyledPage};
  ComPtr<IDispatch> editor_;
  EditorBinding binding_;
};

TEST_F(EditorBindingTest, PastesAtTheSelectionOrTheCaret) {
  select(u"CaretAfter", u"<h1>Title</h1>");
  pasteAtSelection(binding_, u"<p>after</p>");
  select(u"SelectText", u"<p>Text</p>");
  pasteAtSelection(binding_, u"<p>replaced</p>");
  std::string expected = kStyledPage;
  expected.replace(expected.find("<p>Text</p>"), 11, "<p>replaced</p>");
  expected.insert(expected.find("</h1>") + 5, "<p>after</p>");
  EXPECT_EQ(page_.bytes(), expected);
}

TEST_F(EditorBindingTest, NamedHeadScriptGoesInOnce) {
  const std::u16string script = u"<script name=\"ONCE_VL\">x();</script>\r\n";
  addHeadScript(binding_, script, u"ONCE_VL");
  addHeadScript(binding_, script, u"once_vl");
  EXPECT_TRUE(headHasName(binding_, u"ONCE_VL"));
  std::string expected = kStyledPage;
  expected.insert(expected.find("</head>"), "<script name=\"ONCE_VL\">x();</script>\r\n");
  EXPECT_EQ(page_.bytes(), expected);
}

TEST_F(EditorBindingTest, StyleSheetRulesReadAndChange) {
  auto document = requireObject(binding_.activeDocument(), u"document");
  auto sheets = requireObject(document->styleSheets(), u"sheets");
  ASSERT_EQ(sheets->length(), 1);
  auto sheet = requireObject(sheets->item(0), u"sheet");
  auto rules = requireObject(sheet->rules(), u"rules");
  ASSERT_EQ(rules->length(), 1);
  auto rule = requireObject(rules->item(0), u"rule");
  EXPECT_EQ(rule->selectorText(), u"body");
  auto style = requireObject(rule->style(), u"style");
  EXPECT_EQ(style->getAttribute(u"color", 0), std::optional<std::u16string>(u"red"));
  EXPECT_EQ(style->getAttribute(u"scrollbar-face-color", 0), std::nullopt);
  style->setAttribute(u"scrollbar-face-color", u"#ffcc00", 1);
  EXPECT_TRUE(style->removeAttribute(u"color", 1));
  EXPECT_EQ(sheet->addRule(u"h1", u"color: blue", -1), 1);
  const std::string bytes = page_.bytes();
  EXPECT_NE(bytes.find("scrollbar-face-color: #ffcc00"), std::string::npos) << bytes;
  EXPECT_EQ(bytes.find("color: red"), std::string::npos) << bytes;
  EXPECT_NE(bytes.find("h1 { color: blue }"), std::string::npos) << bytes;
}

TEST_F(EditorBindingTest, SiteFoldersAndFiles) {
  const fs::path picture = fs::path(page_.folder()) / L"outside" / L"sun.gif";
  fs::create_directories(picture.parent_path());
  std::ofstream(picture, std::ios::binary) << "GIF89a";

  auto web = requireObject(binding_.activeWeb(), u"web");
  auto root = requireObject(web->rootFolder(), u"root");
  auto folders = requireObject(root->folders(), u"folders");
  const long before = folders->count();
  auto slides = requireObject(folders->add(u"slide_img"), u"slide_img");
  EXPECT_EQ(slides->name(), u"slide_img");
  EXPECT_EQ(folders->count(), before + 1);
  EXPECT_EQ(requireObject(folders->item(u"slide_img"), u"by name")->name(), u"slide_img");
  EXPECT_THROW(folders->item(u"SLIDE_IMG"), HostError);  // names compare with case

  auto files = requireObject(slides->files(), u"files");
  EXPECT_EQ(files->count(), 0);
  const std::wstring source = picture.wstring();
  auto added =
      requireObject(files->add(std::u16string(source.begin(), source.end()), true), u"add");
  EXPECT_EQ(added->name(), u"sun.gif");
  EXPECT_EQ(files->count(), 1);
  EXPECT_EQ(requireObject(files->item(0), u"by index")->name(), u"sun.gif");
  // From the ninth character on, the URL is the disk path with "/" separators.
  const std::u16string url = requireObject(files->item(u"sun.gif"), u"by name")->url();
  fs::path onDisk = fs::path(std::wstring(url.begin() + 8, url.end()));
  EXPECT_TRUE(fs::equivalent(onDisk, fs::path(page_.folder()) / L"slide_img" / L"sun.gif"));
  // The stand-in writes through: the imported file is in place already.
  std::ifstream in(fs::path(page_.folder()) / L"slide_img" / L"sun.gif", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "GIF89a");
}

TEST_F(EditorBindingTest, EditorErrorsArriveAsHostErrors) {
  LateBound(editor_).call(u"ClosePage");
  try {
    binding_.activeDocument();
    FAIL() << "no error with no page open";
  } catch (const HostError& error) {
    EXPECT_EQ(error.hresult(), E_FAIL);
    EXPECT_EQ(error.description(), u"No page is open in the editor");
  }
}

}  // namespace
}  // namespace velmo::win::test
