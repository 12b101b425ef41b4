#include "standalone/html_scan.h"

#include <algorithm>
#include <cstring>

namespace velmo::standalone::html {
namespace {

bool isAlpha(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
char lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

struct NoSink {
  void operator()(std::string_view, std::string_view, bool) {}
};

struct ListSink {
  std::vector<Attribute>& out;
  void operator()(std::string_view name, std::string_view value, bool hasValue) {
    out.push_back({name, value, hasValue});
  }
};

struct TagEnd {
  std::size_t end;  // after '>', or the source size
  bool selfClosing;
  bool atEof;
};

// The attribute states of the tokenizer, from just after a tag name to the tag's '>'. The sink
// sees every attribute, duplicates included.
template <typename Sink>
TagEnd walkAttributes(std::string_view s, std::size_t i, Sink&& sink) {
  const std::size_t n = s.size();
  while (true) {
    // Before attribute name; "/>" closes a self-closing tag, any other '/' is dropped.
    while (i < n && isSpace(s[i])) ++i;
    if (i >= n) return {n, false, true};
    if (s[i] == '>') return {i + 1, false, false};
    if (s[i] == '/') {
      if (i + 1 < n && s[i + 1] == '>') return {i + 2, true, false};
      ++i;
      continue;
    }
    // Attribute name: a leading '=' belongs to the name.
    const std::size_t nameBegin = i++;
    while (i < n && !isSpace(s[i]) && s[i] != '/' && s[i] != '>' && s[i] != '=') ++i;
    const std::string_view name = s.substr(nameBegin, i - nameBegin);
    // After attribute name.
    std::size_t j = i;
    while (j < n && isSpace(s[j])) ++j;
    if (j >= n || s[j] != '=') {
      sink(name, {}, false);
      i = j;
      continue;
    }
    // Before attribute value.
    i = j + 1;
    while (i < n && isSpace(s[i])) ++i;
    if (i >= n) {
      sink(name, {}, true);
      return {n, false, true};
    }
    if (s[i] == '"' || s[i] == '\'') {
      const char quote = s[i];
      const std::size_t valueBegin = ++i;
      const void* close = std::memchr(s.data() + i, quote, n - i);
      if (!close) {
        sink(name, s.substr(valueBegin), true);
        return {n, false, true};
      }
      i = static_cast<const char*>(close) - s.data();
      sink(name, s.substr(valueBegin, i - valueBegin), true);
      ++i;  // after attribute value (quoted): anything but space, '/' or '>' starts a new name
    } else if (s[i] == '>') {
      sink(name, {}, true);
      return {i + 1, false, false};
    } else {
      const std::size_t valueBegin = i;
      while (i < n && !isSpace(s[i]) && s[i] != '>') ++i;
      sink(name, s.substr(valueBegin, i - valueBegin), true);
    }
  }
}

Token make(TokenKind kind, std::size_t begin, std::size_t end, std::string_view text = {},
           bool openAtEof = false) {
  Token t;
  t.kind = kind;
  t.begin = begin;
  t.end = end;
  t.text = text;
  t.openAtEof = openAtEof;
  return t;
}

// Content up to the first '>' (bogus comments, doctypes).
Token untilGreaterThan(std::string_view s, std::size_t begin, std::size_t textBegin,
                       TokenKind kind) {
  const std::size_t gt = s.find('>', textBegin);
  if (gt == std::string_view::npos) {
    return make(kind, begin, s.size(), s.substr(textBegin), true);
  }
  return make(kind, begin, gt + 1, s.substr(textBegin, gt - textBegin));
}

// A comment after its "<!--": ends at "-->" or "--!>", and abruptly at "<!-->" or "<!--->".
Token comment(std::string_view s, std::size_t begin) {
  const std::size_t p = begin + 4;
  if (p < s.size() && s[p] == '>') return make(TokenKind::Comment, begin, p + 1);
  if (s.compare(p, 2, "->") == 0) return make(TokenKind::Comment, begin, p + 2);
  for (std::size_t k = s.find("--", p); k != std::string_view::npos; k = s.find("--", k + 1)) {
    if (k + 2 < s.size() && s[k + 2] == '>') {
      return make(TokenKind::Comment, begin, k + 3, s.substr(p, k - p));
    }
    if (s.compare(k + 2, 2, "!>") == 0) {
      return make(TokenKind::Comment, begin, k + 4, s.substr(p, k - p));
    }
  }
  return make(TokenKind::Comment, begin, s.size(), s.substr(p), true);
}

Token tag(std::string_view s, std::size_t begin, bool endTag) {
  std::size_t i = begin + (endTag ? 2 : 1);
  const std::size_t nameBegin = i;
  while (i < s.size() && !isSpace(s[i]) && s[i] != '/' && s[i] != '>') ++i;
  const TagEnd e = walkAttributes(s, i, NoSink{});
  if (e.atEof) return make(TokenKind::Dropped, begin, s.size(), {}, true);
  Token t = make(endTag ? TokenKind::EndTag : TokenKind::StartTag, begin, e.end,
                 s.substr(nameBegin, i - nameBegin));
  t.selfClosing = e.selfClosing;
  return t;
}

bool startsWithLower(std::string_view s, std::size_t pos, std::string_view lowerWord) {
  return s.size() - pos >= lowerWord.size() &&
         equalsLower(s.substr(pos, lowerWord.size()), lowerWord);
}

// "</name" followed by a character that ends a tag name.
bool isEndTagOf(std::string_view s, std::size_t lt, std::string_view name) {
  const std::size_t after = lt + 2 + name.size();
  if (after >= s.size() || s[lt + 1] != '/') return false;
  if (!equalsLower(s.substr(lt + 2, name.size()), name)) return false;
  return isSpace(s[after]) || s[after] == '/' || s[after] == '>';
}

std::string lowerCopy(std::string_view name) {
  std::string out(name);
  for (char& c : out) c = lower(c);
  return out;
}

// The letters from `from` on; true when they spell "script" and a space, '/' or '>' follows.
// `end` is set after the letters.
bool scriptWordAt(std::string_view s, std::size_t from, std::size_t& end) {
  end = from;
  while (end < s.size() && isAlpha(s[end])) ++end;
  return end < s.size() && (isSpace(s[end]) || s[end] == '/' || s[end] == '>') &&
         equalsLower(s.substr(from, end - from), "script");
}

// Script data with its escaped ("<!--") and double-escaped ("<!--<script>") states, in which a
// "</script>" inside a nested "<script>" does not end the element.
std::size_t scriptDataEnd(std::string_view s, std::size_t i) {
  enum State { Data, Escaped, EscapedDash, EscapedDashDash, Double, DoubleDash, DoubleDashDash };
  State st = Data;
  const std::size_t n = s.size();
  while (i < n) {
    if (st == Data) {
      const void* lt = std::memchr(s.data() + i, '<', n - i);
      if (!lt) return n;
      i = static_cast<const char*>(lt) - s.data();
      if (isEndTagOf(s, i, "script")) return i;
      if (s.compare(i, 4, "<!--") == 0) {
        st = EscapedDashDash;
        i += 4;
      } else {
        ++i;
      }
      continue;
    }
    const char c = s[i];
    if (st == Escaped || st == EscapedDash || st == EscapedDashDash) {
      if (c == '-') {
        st = st == Escaped ? EscapedDash : EscapedDashDash;
        ++i;
      } else if (c == '<') {
        if (isEndTagOf(s, i, "script")) return i;
        // "<script" followed by space, '/' or '>' starts the double-escaped state.
        std::size_t k;
        st = scriptWordAt(s, i + 1, k) ? Double : Escaped;
        i = st == Double ? k + 1 : std::max(k, i + 1);
      } else if (c == '>' && st == EscapedDashDash) {
        st = Data;
        ++i;
      } else {
        st = Escaped;
        ++i;
      }
      continue;
    }
    // Double escaped.
    if (c == '-') {
      st = st == Double ? DoubleDash : DoubleDashDash;
      ++i;
    } else if (c == '<') {
      st = Double;
      // "</script" followed by space, '/' or '>' returns to the escaped state.
      if (i + 1 < n && s[i + 1] == '/') {
        std::size_t k;
        if (scriptWordAt(s, i + 2, k)) {
          st = Escaped;
          ++k;
        }
        i = k;
        continue;
      }
      ++i;
    } else if (c == '>' && st == DoubleDashDash) {
      st = Data;
      ++i;
    } else {
      st = Double;
      ++i;
    }
  }
  return n;
}

}  // namespace

bool isSpace(char c) {
  return c == ' ' || c == '\n' || c == '\t' || c == '\r' || c == '\f';
}

bool equalsLower(std::string_view text, std::string_view lowerText) {
  if (text.size() != lowerText.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (lower(text[i]) != lowerText[i]) return false;
  }
  return true;
}

Token nextToken(std::string_view s, std::size_t pos, bool foreignContent) {
  const std::size_t n = s.size();
  if (pos >= n) return make(TokenKind::Eof, n, n);
  if (s[pos] != '<') {
    const void* lt = std::memchr(s.data() + pos, '<', n - pos);
    const std::size_t end = lt ? static_cast<const char*>(lt) - s.data() : n;
    return make(TokenKind::Text, pos, end, s.substr(pos, end - pos), end == n);
  }
  if (pos + 1 >= n) return make(TokenKind::Text, pos, n, s.substr(pos), true);
  const char c = s[pos + 1];
  if (isAlpha(c)) return tag(s, pos, false);
  if (c == '/') {
    if (pos + 2 >= n) return make(TokenKind::Text, pos, n, s.substr(pos), true);
    if (isAlpha(s[pos + 2])) return tag(s, pos, true);
    if (s[pos + 2] == '>') return make(TokenKind::Dropped, pos, pos + 3);
    return untilGreaterThan(s, pos, pos + 2, TokenKind::BogusComment);
  }
  if (c == '?') return untilGreaterThan(s, pos, pos + 1, TokenKind::BogusComment);
  if (c == '!') {
    if (s.compare(pos + 2, 2, "--") == 0) return comment(s, pos);
    if (startsWithLower(s, pos + 2, "doctype")) {
      return untilGreaterThan(s, pos, pos + 2, TokenKind::Doctype);
    }
    if (foreignContent && s.compare(pos + 2, 7, "[CDATA[") == 0) {
      const std::size_t close = s.find("]]>", pos + 9);
      if (close == std::string_view::npos) {
        return make(TokenKind::Cdata, pos, n, s.substr(pos + 9), true);
      }
      return make(TokenKind::Cdata, pos, close + 3, s.substr(pos + 9, close - pos - 9));
    }
    return untilGreaterThan(s, pos, pos + 2, TokenKind::BogusComment);
  }
  // A '<' that starts no markup is text; the text runs on to the next '<'.
  const void* lt = std::memchr(s.data() + pos + 1, '<', n - pos - 1);
  const std::size_t end = lt ? static_cast<const char*>(lt) - s.data() : n;
  return make(TokenKind::Text, pos, end, s.substr(pos, end - pos), end == n);
}

std::size_t skipTags(std::string_view s, std::size_t pos, TagFilter stop) {
  const std::size_t n = s.size();
  while (pos < n) {
    const void* found = std::memchr(s.data() + pos, '<', n - pos);
    if (!found) return n;
    const std::size_t lt = static_cast<const char*>(found) - s.data();
    const bool endTag = lt + 1 < n && s[lt + 1] == '/';
    const std::size_t nameBegin = lt + (endTag ? 2 : 1);
    if (nameBegin >= n || !isAlpha(s[nameBegin])) return lt;
    std::size_t i = nameBegin;
    while (i < n && !isSpace(s[i]) && s[i] != '/' && s[i] != '>') ++i;
    if (stop(s.substr(nameBegin, i - nameBegin), endTag)) return lt;
    const TagEnd e = walkAttributes(s, i, NoSink{});
    if (e.atEof) return lt;
    pos = e.end;
  }
  return n;
}

std::optional<TextMode> textModeOf(std::string_view name) {
  if (name.size() < 3 || name.size() > 9) return std::nullopt;
  const std::string l = lowerCopy(name);
  if (l == "script") return TextMode::ScriptData;
  if (l == "style" || l == "xmp" || l == "iframe" || l == "noembed" || l == "noframes" ||
      l == "noscript") {
    return TextMode::RawText;
  }
  if (l == "title" || l == "textarea") return TextMode::Rcdata;
  if (l == "plaintext") return TextMode::Plaintext;
  return std::nullopt;
}

std::size_t rawTextEnd(std::string_view s, std::size_t pos, TextMode mode,
                       std::string_view tagName) {
  if (mode == TextMode::Plaintext) return s.size();
  if (mode == TextMode::ScriptData) return scriptDataEnd(s, pos);
  const std::string name = lowerCopy(tagName);
  for (std::size_t k = s.find("</", pos); k != std::string_view::npos; k = s.find("</", k + 2)) {
    if (isEndTagOf(s, k, name)) return k;
  }
  return s.size();
}

std::vector<Attribute> tagAttributes(std::string_view tag) {
  std::size_t i = 1;
  while (i < tag.size() && !isSpace(tag[i]) && tag[i] != '/' && tag[i] != '>') ++i;
  std::vector<Attribute> out;
  walkAttributes(tag, i, ListSink{out});
  return out;
}

std::vector<Attribute> attributeList(std::string_view text) {
  std::vector<Attribute> out;
  walkAttributes(text, 0, ListSink{out});
  return out;
}

void attributeList(std::string_view text, std::vector<Attribute>& out) {
  out.clear();
  walkAttributes(text, 0, ListSink{out});
}

std::optional<std::string> findAttribute(const std::vector<Attribute>& attributes,
                                         std::string_view lowerName) {
  for (const Attribute& a : attributes) {
    if (equalsLower(a.name, lowerName)) return decodeCharacterReferences(a.value);
  }
  return std::nullopt;
}

namespace {

void appendUtf8(std::string& out, char32_t cp) {
  if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// The reference at `amp`; returns its length, 0 when it is not one we decode.
std::size_t decodeOne(std::string_view s, std::size_t amp, std::string& out) {
  static constexpr std::pair<std::string_view, std::string_view> kNamed[] = {
      {"amp;", "&"},   {"lt;", "<"},   {"gt;", ">"},
      {"quot;", "\""}, {"apos;", "'"}, {"nbsp;", "\xC2\xA0"}};
  const std::string_view rest = s.substr(amp + 1);
  if (rest.empty()) return 0;
  if (rest[0] != '#') {
    for (const auto& [name, text] : kNamed) {
      if (rest.substr(0, name.size()) == name) {
        out += text;
        return name.size() + 1;
      }
    }
    return 0;
  }
  const bool hex = rest.size() > 1 && (rest[1] == 'x' || rest[1] == 'X');
  std::size_t i = hex ? 2 : 1;
  char32_t cp = 0;
  const std::size_t digits = i;
  for (; i < rest.size(); ++i) {
    const char c = rest[i];
    int d;
    if (c >= '0' && c <= '9') {
      d = c - '0';
    } else if (hex && lower(c) >= 'a' && lower(c) <= 'f') {
      d = lower(c) - 'a' + 10;
    } else {
      break;
    }
    cp = cp > 0x10FFFF ? cp : cp * (hex ? 16 : 10) + d;
  }
  if (i == digits) return 0;
  appendUtf8(out, cp);
  if (i < rest.size() && rest[i] == ';') ++i;
  return i + 1;
}

}  // namespace

std::string decodeCharacterReferences(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == '&') {
      const std::size_t used = decodeOne(text, i, out);
      if (used) {
        i += used;
        continue;
      }
    }
    out += text[i++];
  }
  return out;
}

}  // namespace velmo::standalone::html
