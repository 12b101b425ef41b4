// Property names in any ASCII case, `!important` in its written forms, and properties declared
// twice: what is read, and what setting and removing leave of the rule's text.

#include <gtest/gtest.h>

#include <string>

#include "file_host/css/css_text.h"

namespace velmo::file_host::css {
namespace {

enum class Op { Get, Set, Remove };

struct Case {
  std::string sheet;
  Op op;
  std::string name;
  std::string value;     // Set only
  std::string expected;  // Get: the value read, "(none)" for nothing; else the sheet after it
};

std::string run(const Case& c) {
  const Rule rule = parseRules(c.sheet).at(0);
  std::optional<Edit> edit;
  switch (c.op) {
    case Op::Get:
      return getProperty(c.sheet, rule, c.name).value_or("(none)");
    case Op::Set:
      edit = setProperty(c.sheet, rule, c.name, c.value);
      break;
    case Op::Remove:
      edit = removeProperty(c.sheet, rule, c.name);
      break;
  }
  if (!edit) return c.sheet;
  EXPECT_GE(edit->begin, rule.block.begin) << c.sheet;
  EXPECT_LE(edit->end, rule.block.end) << c.sheet;
  return c.sheet.substr(0, edit->begin) + edit->text + c.sheet.substr(edit->end);
}

TEST(CssCaseAndImportance, Table) {
  const Case cases[] = {
      // The importance is not part of the value, however it is written.
      {"body { color: red !important }", Op::Get, "color", "", "red"},
      {"body { color: red!important }", Op::Get, "color", "", "red"},
      {"body { color: red ! important }", Op::Get, "color", "", "red"},
      {"body { color: red !IMPORTANT }", Op::Get, "color", "", "red"},
      {"body { color: red /* a */ ! /* b */ iMpOrTaNt /* c */ }", Op::Get, "color", "", "red"},
      {"body { color: !important }", Op::Get, "color", "", ""},
      {"body { --x: a b !important }", Op::Get, "--x", "", "a b"},
      // Look-alikes are values.
      {"body { color: red important }", Op::Get, "color", "", "red important"},
      {"body { color: red !important x }", Op::Get, "color", "", "red !important x"},
      {"body { color: red !importantx }", Op::Get, "color", "", "red !importantx"},
      {"body { color: red \\!important }", Op::Get, "color", "", "red \\!important"},
      {"body { content: \"!important\" }", Op::Get, "content", "", "\"!important\""},
      {"body { color: f(a !important) }", Op::Get, "color", "", "f(a !important)"},
      // The declaration a browser applies: the last important one, else the last one.
      {"body { color: red; color: blue }", Op::Get, "color", "", "blue"},
      {"body { color: red !important; color: blue }", Op::Get, "color", "", "red"},
      {"body { color: red !important; COLOR: tan !important; color: blue }", Op::Get, "color", "",
       "tan"},
      {"body { SCROLLBAR-FACE-COLOR: #123456 }", Op::Get, "scrollbar-face-color", "", "#123456"},
      // Custom properties are the one case-sensitive kind.
      {"body { --X: a; --x: b }", Op::Get, "--X", "", "a"},
      {"body { --X: a }", Op::Get, "--x", "", "(none)"},

      // Setting keeps the importance byte for byte.
      {"body { color: red !important }", Op::Set, "color", "blue",
       "body { color: blue !important }"},
      {"body { color:red!important}", Op::Set, "color", "blue", "body { color:blue!important}"},
      {"body { color: red ! IMPORTANT; margin: 0 }", Op::Set, "color", "blue",
       "body { color: blue ! IMPORTANT; margin: 0 }"},
      {"body { color: red /* x */ !/* y */important; }", Op::Set, "color", "blue",
       "body { color: blue /* x */ !/* y */important; }"},
      {"body { color: !important }", Op::Set, "color", "blue", "body { color: blue !important }"},
      // A value that brings its own importance replaces the old one.
      {"body { color: red }", Op::Set, "color", "blue !important",
       "body { color: blue !important }"},
      {"body { color: red ! important }", Op::Set, "color", "blue !IMPORTANT",
       "body { color: blue !IMPORTANT }"},
      // Setting changes the declaration that is read.
      {"body { color: red; color: blue }", Op::Set, "color", "tan",
       "body { color: red; color: tan }"},
      {"body { color: red !important; /* c */ color: blue }", Op::Set, "color", "tan",
       "body { color: tan !important; /* c */ color: blue }"},
      {"body { SCROLLBAR-FACE-COLOR: #123456 }", Op::Set, "scrollbar-face-color", "#00FF00",
       "body { SCROLLBAR-FACE-COLOR: #00FF00 }"},
      {"body { --X: a }", Op::Set, "--x", "b", "body { --X: a; --x: b; }"},

      // Removing takes every declaration of the property, whatever its case or importance.
      {"body { SCROLLBAR-FACE-COLOR: #123456 }", Op::Remove, "scrollbar-face-color", "",
       "body { }"},
      {"body { color: red !important; margin: 0 }", Op::Remove, "color", "", "body { margin: 0 }"},
      {"body {\n  color: red;\n  /* keep */\n  Color: blue ! important;\n  margin: 0;\n}",
       Op::Remove, "COLOR", "", "body {\n  /* keep */\n  margin: 0;\n}"},
      {"body { --X: a; --x: b }", Op::Remove, "--x", "", "body { --X: a; }"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(run(c), c.expected) << c.sheet << " / " << c.name;
  }
}

}  // namespace
}  // namespace velmo::file_host::css
