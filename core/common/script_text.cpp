#include "core/common/script_text.h"

#include "core/common/text.h"

namespace velmo {
namespace {

bool startsWith(std::u16string_view text, std::size_t at, std::u16string_view prefix) {
  return text.size() - at >= prefix.size() && text.compare(at, prefix.size(), prefix) == 0;
}

bool startsWithIgnoreCase(std::u16string_view text, std::size_t at, std::u16string_view prefix) {
  return text.size() - at >= prefix.size() &&
         equalsIgnoreAsciiCase(text.substr(at, prefix.size()), prefix);
}

}  // namespace

std::u16string jsStringText(std::u16string_view text, char16_t quote) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    switch (c) {
      case u'\\':
        out += u"\\\\";
        break;
      case u'\r':
        out += u"\\r";
        break;
      case u'\n':
        out += u"\\n";
        break;
      case u'\u2028':
        out += u"\\u2028";
        break;
      case u'\u2029':
        out += u"\\u2029";
        break;
      case u'<':
        if (startsWith(text, i + 1, u"/")) {
          out += u"<\\/";
          ++i;
        } else if (startsWith(text, i + 1, u"!--") ||
                   startsWithIgnoreCase(text, i + 1, u"script")) {
          // Either would move the tokenizer into a state in which </script> no longer ends the
          // element.
          out += u"\\x3C";
        } else {
          out += c;
        }
        break;
      default:
        if (c == quote) out += u'\\';
        out += c;
    }
  }
  return out;
}

std::u16string attributeText(std::u16string_view text, char16_t quote) {
  const std::u16string_view reference = quote == u'"' ? u"&quot;" : u"&#39;";
  std::u16string out;
  out.reserve(text.size());
  for (const char16_t c : text) {
    if (c == quote) {
      out += reference;
    } else {
      out += c;
    }
  }
  return out;
}

std::u16string commentAttributeText(std::u16string_view text) {
  std::u16string out = attributeText(text, u'"');
  for (std::size_t at = out.find(u"--"); at != std::u16string::npos; at = out.find(u"--", at + 1)) {
    if (startsWith(out, at + 2, u">") || startsWith(out, at + 2, u"!>")) {
      out.replace(at + 1, 1, u"&#45;");
    }
  }
  return out;
}

}  // namespace velmo
