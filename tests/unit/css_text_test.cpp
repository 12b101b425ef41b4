#include "file_host/css/css_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmo::file_host::css {
namespace {

std::string applied(std::string_view sheet, const Edit& edit) {
  std::string out(sheet.substr(0, edit.begin));
  out += edit.text;
  out += sheet.substr(edit.end);
  return out;
}

std::string textOf(std::string_view sheet, Span span) {
  return std::string(sheet.substr(span.begin, span.end - span.begin));
}

std::vector<std::string> selectors(std::string_view sheet) {
  std::vector<std::string> out;
  for (const Rule& rule : parseRules(sheet)) out.push_back(selectorText(sheet, rule));
  return out;
}

using Strings = std::vector<std::string>;

TEST(CssParseRules, FindsTopLevelStyleRulesOnly) {
  struct Case {
    std::string sheet;
    Strings selectors;
  } cases[] = {
      {"", {}},
      {"  /* nothing */ \n", {}},
      {"h1 { color: red }\nbody{margin:0}", {"h1", "body"}},
      {"/* a { } */ h1 /* b */ , body /* c */ { x: y }", {"h1 /* b */ , body"}},
      {"@import url(a.css);\n@media print { body { color: red } }\n@font-face { src: x }\np { }",
       {"p"}},
      {"@import \"a;{.css\";\n@supports (display: grid) { a { } } b { }", {"b"}},
      {"<!--\nbody { color: red }\n-->", {"body"}},
      {"a[title=\"}{\"] { content: \"x;}\"; color: red } b { }", {"a[title=\"}{\"]", "b"}},
      {"h1 { color: red; } body { color: blue", {"h1", "body"}},
      {"h1 {} /* body { }", {"h1"}},
      {"h1 {} body", {"h1"}},
      {"BODY { } body { }", {"BODY", "body"}},
      {"a { b { } c: d } e { }", {"a", "e"}},
      {"a { x: rgb(1, 2 } b { }", {"a"}},  // the open parenthesis swallows the rest
      {"a { background: url(x}y.gif) } b { }", {"a", "b"}},
      {"a { content: 'it\\'s }' } b { }", {"a", "b"}},
      {"a { content: \"bad\n} b { }", {"a", "b"}},  // a line break ends a bad string
      {"} body { }", {"} body"}},
      {"h1, body { }", {"h1, body"}},
  };
  for (const Case& c : cases) EXPECT_EQ(selectors(c.sheet), c.selectors) << c.sheet;
}

TEST(CssParseRules, SpansCoverSelectorAndBlock) {
  const std::string sheet = "/* x */ h1 { color: red }\r\nbody {margin:0";
  const std::vector<Rule> rules = parseRules(sheet);
  ASSERT_EQ(rules.size(), 2u);
  EXPECT_EQ(textOf(sheet, rules[0].whole), "h1 { color: red }");
  EXPECT_EQ(textOf(sheet, rules[0].selector), "h1 ");
  EXPECT_EQ(textOf(sheet, rules[0].block), " color: red ");
  EXPECT_EQ(textOf(sheet, rules[1].whole), "body {margin:0");
  EXPECT_EQ(textOf(sheet, rules[1].block), "margin:0");
}

TEST(CssGetProperty, ReadsTheLastDeclarationAsWritten) {
  struct Case {
    std::string block;
    std::string name;
    std::optional<std::string> value;
  } cases[] = {
      {" color: red ", "color", "red"},
      {" color: red; COLOR: blue ", "color", "blue"},
      {" color: red; COLOR: blue ", "Color", "blue"},
      {" COLOR: blue ", "color", "blue"},
      {" color: red !important; ", "color", "red"},
      {" color: /* a */ red /* b */; ", "color", "red"},
      {" /* c */ color:#ffcc00", "color", "#ffcc00"},
      {" margin: 0 ", "color", std::nullopt},
      {" content: \"a;b}\"; color: red", "content", "\"a;b}\""},
      {" background: url(data:x;y) ; color: red", "background", "url(data:x;y)"},
      {" color: red; &:hover { color: blue } ", "color", "red"},
      {" &:hover { color: blue } color: red ", "color", "red"},
      {" --x: { a; b }; color: red", "--x", "{ a; b }"},
      {" color: ; ", "color", ""},
      {" x-color: red; color : blue", "color", "blue"},
      {" color: \"open", "color", "\"open}"},  // the string runs to the end
  };
  for (const Case& c : cases) {
    const std::string sheet = "body {" + c.block + "}";
    EXPECT_EQ(getProperty(sheet, parseRules(sheet).at(0), c.name), c.value) << sheet;
  }
}

struct EditCase {
  std::string sheet;
  std::size_t rule;
  std::string name;
  std::string value;
  std::string expected;
};

TEST(CssSetProperty, GoldenEdits) {
  const EditCase cases[] = {
      {"body { color: red; }", 0, "color", "blue", "body { color: blue; }"},
      {"body { color: red; }", 0, "margin", "0", "body { color: red; margin: 0; }"},
      {"body {color:red}", 0, "margin", "0", "body {color:red;margin: 0;}"},
      {"body {\r\n  color: red;\r\n}", 0, "margin", "0",
       "body {\r\n  color: red;\r\n  margin: 0;\r\n}"},
      {"body {\n\n\n  color: red;\n}", 0, "margin", "0",
       "body {\n\n\n  color: red;\n  margin: 0;\n}"},
      {"body { }", 0, "margin", "0", "body { margin: 0; }"},
      {"body {}", 0, "margin", "0", "body {margin: 0;}"},
      {"body {\r\n}", 0, "margin", "0", "body {\r\n  margin: 0;\r\n}"},
      {"body { color: red }", 0, "margin", "0", "body { color: red; margin: 0; }"},
      {"body {scrollbar-base-color: #FF0000;scrollbar-face-color: #00FF00; }", 0,
       "scrollbar-arrow-color", "#0000FF",
       "body {scrollbar-base-color: #FF0000;scrollbar-face-color: "
       "#00FF00;scrollbar-arrow-color: #0000FF; }"},
      {"body { COLOR: red }", 0, "color", "blue", "body { COLOR: blue }"},
      {"body { color: red; color: green }", 0, "color", "blue", "body { color: red; color: blue }"},
      {"body { color: red !important; }", 0, "color", "blue", "body { color: blue !important; }"},
      {"body { color: red /* main */; }", 0, "color", "blue", "body { color: blue /* main */; }"},
      {"body { color: ; }", 0, "color", "blue", "body { color: blue; }"},
      {"body { color: red; /* end */ }", 0, "margin", "0",
       "body { color: red; /* end */ margin: 0; }"},
      {"body { content: \"a;b}\" }", 0, "margin", "0", "body { content: \"a;b}\"; margin: 0; }"},
      {"a { color: red; &:hover { color: blue } }", 0, "margin", "0",
       "a { color: red; &:hover { color: blue } margin: 0; }"},
      {"h1 { color: red }\nbody { color: red }", 1, "color", "blue",
       "h1 { color: red }\nbody { color: blue }"},
      {"h1, body { color: red }", 0, "color", "blue", "h1, body { color: blue }"},
      // An unterminated rule gets what it lacks before the new declaration.
      {"body { color: \"red", 0, "margin", "0", "body { color: \"red\"; margin: 0;"},
      {"body { color: rgb(1, 2", 0, "margin", "0", "body { color: rgb(1, 2); margin: 0;"},
      {"body { color: red; /* note", 0, "margin", "0", "body { color: red; /* note*/ margin: 0;"},
      {"body {", 0, "margin", "0", "body {margin: 0;"},
      // A string cut short by a line break would swallow text put before that break.
      {"body { content: \"bad\r\n}", 0, "margin", "0", "body { content: \"bad\r\n; margin: 0;}"},
      {"body { x: \\\n}", 0, "margin", "0", "body { x: \\\n; margin: 0;}"},
  };
  for (const EditCase& c : cases) {
    const std::vector<Rule> rules = parseRules(c.sheet);
    const Edit edit = setProperty(c.sheet, rules.at(c.rule), c.name, c.value);
    EXPECT_EQ(applied(c.sheet, edit), c.expected) << c.sheet;
    EXPECT_GE(edit.begin, rules[c.rule].block.begin) << c.sheet;
    EXPECT_LE(edit.end, rules[c.rule].block.end) << c.sheet;
  }
}

TEST(CssRemoveProperty, GoldenEdits) {
  const EditCase cases[] = {
      {"body { color: red; margin: 0; }", 0, "color", "", "body { margin: 0; }"},
      {"body {\n  color: red;\n  margin: 0;\n}", 0, "margin", "", "body {\n  color: red;\n}"},
      {"body { color: red; margin: 0; COLOR: blue }", 0, "color", "", "body { margin: 0; }"},
      {"body { COLOR: red }", 0, "color", "", "body { }"},
      {"body { color: red }", 0, "color", "", "body { }"},
      {"body {color:red;margin:0}", 0, "color", "", "body {margin:0}"},
      {"body { /* c */ color: red; }", 0, "color", "", "body { /* c */ }"},
      {"body { content: \"color: red;\"; color: red }", 0, "color", "",
       "body { content: \"color: red;\"; }"},
      {"h1 { color: red }\nbody { color: red }", 1, "color", "", "h1 { color: red }\nbody { }"},
  };
  for (const EditCase& c : cases) {
    const std::vector<Rule> rules = parseRules(c.sheet);
    const std::optional<Edit> edit = removeProperty(c.sheet, rules.at(c.rule), c.name);
    ASSERT_TRUE(edit) << c.sheet;
    EXPECT_EQ(applied(c.sheet, *edit), c.expected) << c.sheet;
    EXPECT_GE(edit->begin, rules[c.rule].block.begin) << c.sheet;
    EXPECT_LE(edit->end, rules[c.rule].block.end) << c.sheet;
  }
}

TEST(CssRemoveProperty, NothingWhenAbsent) {
  for (std::string sheet : {"body { }", "body { margin: 0 }", "body { --color: red }",
                            "body { x: \"color: red\" }", "body { a { color: red } }"}) {
    EXPECT_FALSE(removeProperty(sheet, parseRules(sheet).at(0), "color")) << sheet;
  }
}

TEST(CssAppendRule, GoldenEdits) {
  struct Case {
    std::string sheet;
    std::string style;
    std::string expected;
  } cases[] = {
      {"", "", "body { }"},
      {"", "color: red", "body { color: red }"},
      {"h1 { }", "color: red", "h1 { }\nbody { color: red }"},
      {"h1 { }\r\n", "", "h1 { }\r\nbody { }\r\n"},
      {"\r\nh1 { }\r\n  ", "", "\r\nh1 { }\r\nbody { }\r\n  "},
      {"h1 { }\r\nh2 { } /* end */", "", "h1 { }\r\nh2 { } /* end */\r\nbody { }"},
      {"<!--\nh1 { }\n-->", "", "<!--\nh1 { }\nbody { }\n-->"},
      {"<!-- h1 { } -->", "", "<!-- h1 { } \nbody { }\n-->"},
      {"@media print { h1 { } }", "", "@media print { h1 { } }\nbody { }"},
      // What the sheet leaves open is closed first, so the new rule stands at the top level.
      {"h1 { color: red", "", "h1 { color: red}\nbody { }"},
      {"h1 { } /* note", "", "h1 { } /* note*/\nbody { }"},
      {"h1 { } p", "", "h1 { } p{}\nbody { }"},
      {"@import 'a.css'", "", "@import 'a.css';\nbody { }"},
      {"@media print { h1 { x: y", "", "@media print { h1 { x: y}}\nbody { }"},
      {"h1 { content: \"a\\", "", "h1 { content: \"a\\ \"}\nbody { }"},
      {"h1 { background: url(a.gif", "", "h1 { background: url(a.gif)}\nbody { }"},
      {"h1 { } \\", "", "h1 { } \\ {}\nbody { }"},
  };
  for (const Case& c : cases) {
    const Edit edit = appendRule(c.sheet, "body", c.style);
    const std::string result = applied(c.sheet, edit);
    EXPECT_EQ(result, c.expected) << c.sheet;
    ASSERT_FALSE(selectors(result).empty()) << c.sheet;
    EXPECT_EQ(selectors(result).back(), "body") << c.sheet;
  }
}

// Whatever the sheet, setting a property makes it readable and removing it makes it go, and
// neither edit reaches outside the rule's block or changes the sheet's rules.
TEST(CssEdits, RoundTripOnTrickySheets) {
  const std::string sheets[] = {
      "body { color: red }",
      "h1, body { color: red; color: blue; }",
      "a { content: \"}\"; } body { x: url(a;b) }",
      "<!-- body { /* c */ } -->",
      "@media x { a { } } body { a: b; &:hover { c: d } }",
      "body { color: rgb(1",
      "body { color: 'x\\",
      "body { color: red; /* open",
      "body { --x: { a; b } }",
      "body { ; ; color }",
  };
  for (const std::string& sheet : sheets) {
    const std::vector<Rule> rules = parseRules(sheet);
    for (std::size_t i = 0; i < rules.size(); ++i) {
      const Edit set = setProperty(sheet, rules[i], "color", "#0A0B0C");
      const std::string afterSet = applied(sheet, set);
      const std::vector<Rule> reparsed = parseRules(afterSet);
      ASSERT_EQ(reparsed.size(), rules.size()) << afterSet;
      EXPECT_EQ(getProperty(afterSet, reparsed[i], "color"), "#0A0B0C") << afterSet;

      const std::optional<Edit> removed = removeProperty(afterSet, reparsed[i], "color");
      ASSERT_TRUE(removed) << afterSet;
      const std::string afterRemove = applied(afterSet, *removed);
      EXPECT_EQ(getProperty(afterRemove, parseRules(afterRemove).at(i), "color"), std::nullopt)
          << afterRemove;
    }
  }
}

TEST(CssEdits, ToleratesRulesFromAnotherText) {
  const Rule stale{{5, 500}, {5, 8}, {90, 400}};
  EXPECT_EQ(getProperty("a{}", stale, "color"), std::nullopt);
  EXPECT_EQ(selectorText("a{}", stale), "");
  const Edit edit = setProperty("a{}", stale, "color", "red");
  EXPECT_LE(edit.end, 3u);
}

}  // namespace
}  // namespace velmo::file_host::css
