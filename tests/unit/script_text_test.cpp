// Escaping typed text for the places it takes in generated blocks: ordinary text keeps its exact
// bytes, and nothing typed can end the string, the script element or the comment around it.

#include "core/common/script_text.h"

#include <gtest/gtest.h>

#include "core/common/text.h"

namespace velmo {
namespace {

TEST(ScriptText, JavaScriptStringLiterals) {
  const struct {
    std::u16string text;
    char16_t quote;
    std::u16string written;
  } cases[] = {
      {u"Bookmark us", u'\'', u"Bookmark us"},
      {u"<b>Caf\u00e9</b>", u'"', u"<b>Caf\u00e9<\\/b>"},
      {u"a < b > c & d -- e", u'\'', u"a < b > c & d -- e"},
      {u"Joe's Bakery", u'\'', u"Joe\\'s Bakery"},
      {u"Joe's Bakery", u'"', u"Joe's Bakery"},
      {u"Say \"hi\"", u'"', u"Say \\\"hi\\\""},
      {u"Say \"hi\"", u'\'', u"Say \"hi\""},
      {u"C:\\pictures\\", u'"', u"C:\\\\pictures\\\\"},
      {u"one\r\ntwo\nthree\rfour", u'"', u"one\\r\\ntwo\\nthree\\rfour"},
      {u"a\u2028b\u2029c", u'\'', u"a\\u2028b\\u2029c"},
      {u"</script>", u'"', u"<\\/script>"},
      {u"</SCRIPT", u'\'', u"<\\/SCRIPT"},
      {u"<!-- x <Script>", u'"', u"\\x3C!-- x \\x3CScript>"},
      {u"<", u'"', u"<"},
      {u"", u'"', u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(utf16ToUtf8(c.text));
    EXPECT_EQ(jsStringText(c.text, c.quote), c.written);
  }
}

TEST(ScriptText, AttributeValues) {
  EXPECT_EQ(attributeText(u"images/logo.gif", u'"'), u"images/logo.gif");
  EXPECT_EQ(attributeText(u"a\"b'c&d", u'"'), u"a&quot;b'c&d");
  EXPECT_EQ(attributeText(u"a\"b'c&d", u'\''), u"a\"b&#39;c&d");
}

TEST(ScriptText, CommentAttributeValues) {
  const struct {
    std::u16string text;
    std::u16string written;
  } cases[] = {
      {u"<img border ='0' src='images/logo.gif' >", u"<img border ='0' src='images/logo.gif' >"},
      {u"---- DATE ---- <!-- a -- b ->", u"---- DATE ---- <!-- a -- b ->"},
      {u"Say \"hi\"", u"Say &quot;hi&quot;"},
      {u"a-->b", u"a-&#45;>b"},
      {u"a--!>b", u"a-&#45;!>b"},
      {u"--->", u"--&#45;>"},
      {u"-->-->", u"-&#45;>-&#45;>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(utf16ToUtf8(c.text));
    EXPECT_EQ(commentAttributeText(c.text), c.written);
  }
}

}  // namespace
}  // namespace velmo
