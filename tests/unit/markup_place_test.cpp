#include "file_host/html/markup_place.h"

#include <gtest/gtest.h>

namespace velmo::file_host {
namespace {

using Kind = MarkupPlace::Kind;

// The source is written with '^' at the offset(s) asked about: one for a caret, two for the ends
// of a selection.
MarkupPlaces placesIn(std::string marked) {
  const std::size_t first = marked.find('^');
  marked.erase(first, 1);
  std::size_t second = marked.find('^');
  if (second == std::string::npos) {
    second = first;
  } else {
    marked.erase(second, 1);
  }
  return markupPlaces(marked, first, second);
}

TEST(MarkupPlace, CaretPlaces) {
  const struct {
    const char* page;
    Kind kind;
    const char* element = "";
  } cases[] = {
      {"^<h1>x</h1>", Kind::Outside},
      {"<h1>^x</h1>", Kind::Outside},
      {"<h1>x^</h1>", Kind::Outside},
      {"<h1>x</h1>^", Kind::Outside},
      {"<p>a ^< b</p>", Kind::Outside},
      {"<h1^>x</h1>", Kind::Tag},
      {"<h1>x</^h1>", Kind::Tag},
      {"<a href=\"x>y\"^>z</a>", Kind::Tag},
      {"<p>x<b^", Kind::Tag},
      {"<!-- a ^-->", Kind::Comment},
      {"<!-- open^", Kind::Comment},
      {"<?xml ^?>", Kind::Comment},
      {"<!--webbot bot=\"V_Date\" ^startspan -->", Kind::WebbotComment},
      {"<!--webbot bot=\"V_Date\" endspan -->^<p>", Kind::Outside},
      {"<!DOCTYPE ^html>", Kind::Doctype},
      {"<p><% x ^%></p>", Kind::ServerBlock},
      {"<p><%= x %>^</p>", Kind::Outside},
      {"<?php echo 1;^", Kind::ServerBlock},
      {"<script>^a()</script>", Kind::RawText, "script"},
      {"<SCRIPT>a()^</SCRIPT>", Kind::RawText, "SCRIPT"},
      {"<script>\"</p>^\"</script>", Kind::RawText, "script"},
      {"<script>a()</script>^<p>", Kind::Outside},
      {"<style>p {}^", Kind::RawText, "style"},
      {"<title>Bakery^</title>", Kind::RawText, "title"},
      {"<textarea>^</textarea>", Kind::RawText, "textarea"},
      {"<style>a</style>^", Kind::Outside},
      {"<style>a</style^", Kind::RawText, "style"},
      {"<style>a</style ^", Kind::Tag},
      // The tree rules decide which element's content is text: not inside <select>, SVG or
      // MathML (the corpus test holds the scanner to gumbo on these).
      {"<select><style>^a</style></select>", Kind::Outside},
      {"<select><script>^a</script></select>", Kind::RawText, "script"},
      {"<select><textarea>^a</textarea>", Kind::RawText, "textarea"},
      {"<svg><style>^a</style></svg>", Kind::Outside},
      {"<svg><foreignObject><style>^a</style>", Kind::RawText, "style"},
      {"<math><mi><style>^m</style>", Kind::RawText, "style"},
      {"<svg><![CDATA[a>b^]]></svg>", Kind::Comment},
      {"<svg></svg><![CDATA[a>b^]]>", Kind::Outside},
      {"<head><template><style>^s</style></template>", Kind::RawText, "style"},
      {"\xEF\xBB\xBF^<p>", Kind::Outside},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.page);
    const MarkupPlaces places = placesIn(c.page);
    EXPECT_EQ(places.begin.kind, c.kind);
    EXPECT_EQ(places.end.kind, c.kind);
    EXPECT_EQ(places.begin.element, c.element);
  }
}

TEST(MarkupPlace, SelectionEndsArePlacedApart) {
  const struct {
    const char* page;
    Kind begin, end;
  } cases[] = {
      {"<p>^a<!-- b --><script>c</script><% d %>e^</p>", Kind::Outside, Kind::Outside},
      {"^<h1>x</h1>^", Kind::Outside, Kind::Outside},
      {"<h^1>x</h1>^", Kind::Tag, Kind::Outside},
      {"<p>^x<!-- y^ --></p>", Kind::Outside, Kind::Comment},
      {"<script>^x</script>^", Kind::RawText, Kind::Outside},
      {"<p>^x</p><script>^</script>", Kind::Outside, Kind::RawText},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.page);
    const MarkupPlaces places = placesIn(c.page);
    EXPECT_EQ(places.begin.kind, c.begin);
    EXPECT_EQ(places.end.kind, c.end);
  }
}

TEST(MarkupPlace, Descriptions) {
  EXPECT_EQ(describe({Kind::Tag, ""}), u"a tag");
  EXPECT_EQ(describe({Kind::WebbotComment, ""}), u"a webbot comment");
  EXPECT_EQ(describe({Kind::RawText, "script"}), u"the text of a <script> element");
}

}  // namespace
}  // namespace velmo::file_host
