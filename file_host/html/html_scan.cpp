#include "file_host/html/html_scan.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "core/common/code_points.h"
#include "core/common/text.h"
#include "file_host/html/character_references.h"

namespace velmo::file_host::html {
namespace {

constexpr std::size_t npos = std::string_view::npos;

bool startsWithLower(std::string_view s, std::size_t pos, std::string_view lowerWord) {
  return s.size() - pos >= lowerWord.size() &&
         equalsLower(s.substr(pos, lowerWord.size()), lowerWord);
}

// Whether the page's template language opens blocks with '{'.
inline bool braces(const ScanMemo* memo) {
  return memo && bracesOpenBlocks(memo->templates.syntax);
}

// Whether `c` may start a server or template block.
inline bool mayOpen(char c, const ScanMemo* memo) {
  return c == '<' || (c == '{' && braces(memo));
}

// The first byte in [i, to) that may start a block (`to` when none).
inline std::size_t nextOpener(std::string_view s, std::size_t i, std::size_t to,
                              const ScanMemo* memo) {
  if (i >= to) return to;
  if (!braces(memo)) {
    const void* lt = std::memchr(s.data() + i, '<', to - i);
    return lt ? static_cast<std::size_t>(static_cast<const char*>(lt) - s.data()) : to;
  }
  const char* data = s.data();
  const char* found =
      std::find_if(data + i, data + to, [](char c) { return c == '<' || c == '{'; });
  return static_cast<std::size_t>(found - data);
}

// A server block's extent: `end` is npos when the '<' opens none.
struct Block {
  std::size_t end = npos;
  bool open = false;  // PHP code that runs to the end of the page
};

// "<%" opens a block when its closer follows; without one it is text, which the memo notes.
Block aspBlock(std::string_view s, std::size_t lt, ScanMemo* memo) {
  const bool comment = s.compare(lt + 2, 2, "--") == 0;
  const std::string_view closer = comment ? "--%>" : "%>";
  const std::size_t from = lt + 2 + (comment ? 2 : 0);
  std::size_t* none = memo ? (comment ? &memo->noCommentCloseFrom : &memo->noCloseFrom) : nullptr;
  const std::size_t close = none && from >= *none ? npos : s.find(closer, from);
  if (close != npos) return {close + closer.size(), false};
  if (memo) {
    *none = std::min(*none, from);
    memo->firstDangling = std::min(memo->firstDangling, lt);
  }
  return {};
}

// Where a quoted PHP string from its opening quote ends: after its closing quote.
std::size_t phpStringEnd(std::string_view s, std::size_t i) {
  const char quote = s[i];
  for (++i; i < s.size(); ++i) {
    if (s[i] == '\\') {
      ++i;
    } else if (s[i] == quote) {
      return i + 1;
    }
  }
  return s.size();
}

// PHP code from `i`: "?>" ends it except in a string or a /* */ comment; a line comment ends at
// the end of its line or at a "?>", as PHP reads it. Without a "?>" the code runs to the end.
// `onString(begin, end)` is told of each quoted string.
template <typename OnString>
Block phpCode(std::string_view s, std::size_t i, OnString&& onString) {
  const std::size_t n = s.size();
  while (i < n) {
    const char c = s[i];
    const char next = i + 1 < n ? s[i + 1] : '\0';
    if (c == '?' && next == '>') return {i + 2, false};
    if (c == '\'' || c == '"' || c == '`') {
      const std::size_t from = i;
      i = phpStringEnd(s, i);
      onString(from, i);
    } else if (c == '/' && next == '*') {
      const std::size_t close = s.find("*/", i + 2);
      i = close == npos ? n : close + 2;
    } else if ((c == '/' && next == '/') || (c == '#' && next != '[')) {
      for (i += c == '#' ? 1 : 2; i < n && s[i] != '\n' && s[i] != '\r'; ++i) {
        if (s[i] == '?' && i + 1 < n && s[i + 1] == '>') break;
      }
    } else {
      ++i;
    }
  }
  return {n, true};
}

// "<?php" and white space (or the end), "<?=", or "<?" and white space. Any other "<?" is an
// XML declaration or processing instruction, which HTML reads as a bogus comment.
// Where the code of a PHP block at `lt` starts; npos when the "<?" opens none.
std::size_t phpCodeStart(std::string_view s, std::size_t lt) {
  const std::size_t i = lt + 2;
  if (i < s.size() && (s[i] == '=' || isSpace(s[i]))) return i;
  if (startsWithLower(s, i, "php") && (i + 3 == s.size() || isSpace(s[i + 3]))) return i + 3;
  return npos;
}

Block phpBlock(std::string_view s, std::size_t lt) {
  const std::size_t code = phpCodeStart(s, lt);
  if (code == npos) return {};
  return phpCode(s, code, [](std::size_t, std::size_t) {});
}

// A template language's block at `at`; an opener without its closer is noted as a "<%" is.
Block templateBlock(std::string_view s, std::size_t at, ScanMemo* memo) {
  if (!memo || memo->templates.syntax == TemplateSyntax::None) return {};
  bool unclosed = false;
  const auto end = templateBlockEnd(s, at, memo->templates, unclosed);
  if (unclosed) memo->firstDangling = std::min(memo->firstDangling, at);
  if (!end) return {};
  return {*end, false};
}

// Out of line: the callers are the scanner's hot loops, which meet a '<' in a tag rarely.
[[gnu::noinline]] Block serverBlock(std::string_view s, std::size_t lt, ScanMemo* memo) {
  if (lt + 1 >= s.size()) return {};
  const char c = s[lt + 1];
  Block b;
  if (s[lt] == '{') {
    b = templateBlock(s, lt, memo);
  } else if (c == '%') {
    b = aspBlock(s, lt, memo);
  } else if (c == '?') {
    b = phpBlock(s, lt);
  } else if (memo && memo->templates.syntax == TemplateSyntax::ColdFusion) {
    b = templateBlock(s, lt, memo);
  } else {
    return {};
  }
  if (b.end != npos && memo && memo->blocks) memo->blocks->emplace_back(lt, b.end);
  return b;
}

// After the server block that starts at `i`; `i` when none does.
std::size_t pastBlock(std::string_view s, std::size_t i, ScanMemo* memo) {
  if (!mayOpen(s[i], memo)) return i;
  const std::size_t end = serverBlock(s, i, memo).end;
  return end == npos ? i : end;
}

// Passes the server blocks that start in [from, at): the end of one that reaches past `at`,
// npos when none does. `from` moves past what was passed.
inline std::size_t blockAcross(std::string_view s, std::size_t& from, std::size_t at,
                               ScanMemo* memo) {
  while (from < at) {
    const std::size_t lt = nextOpener(s, from, at, memo);
    if (lt == at) break;
    const std::size_t end = serverBlock(s, lt, memo).end;
    if (end == npos) {
      from = lt + 1;
      continue;
    }
    from = end;
    if (end > at) return end;
  }
  from = std::max(from, at);
  return npos;
}

// The first `needle` at or after `from` outside server blocks.
std::size_t findOutside(std::string_view s, std::size_t from, std::string_view needle,
                        ScanMemo* memo) {
  std::size_t passed = from;
  for (std::size_t k = s.find(needle, from); k != npos; k = s.find(needle, k)) {
    const std::size_t across = blockAcross(s, passed, k, memo);
    if (across == npos) return k;
    k = across;
  }
  return npos;
}

// A tag name ends at white space, '/', '>' or (`blocks`) a server block.
template <bool blocks>
inline std::size_t tagNameEnd(std::string_view s, std::size_t i, ScanMemo* memo) {
  for (; i < s.size(); ++i) {
    const char c = s[i];
    if (isSpace(c) || c == '/' || c == '>') break;
    if (blocks && mayOpen(c, memo) && serverBlock(s, i, memo).end != npos) break;
  }
  return i;
}

// Where an attribute name (`name`) or an unquoted value from `i` ends; a server block in it
// belongs to it.
template <bool name, bool blocks>
std::size_t wordEnd(std::string_view s, std::size_t i, ScanMemo* memo) {
  for (; i < s.size(); ++i) {
    const char c = s[i];
    if (isSpace(c) || c == '>' || (name && (c == '/' || c == '='))) break;
    if (blocks && mayOpen(c, memo)) {
      const std::size_t end = serverBlock(s, i, memo).end;
      if (end != npos) i = end - 1;
    }
  }
  return i;
}

struct NoSink {
  void operator()(std::string_view, std::string_view, bool) {}
  void undo() {}
};

struct ListSink {
  std::vector<Attribute>& out;
  std::size_t first = out.size();
  void operator()(std::string_view name, std::string_view value, bool hasValue) {
    out.push_back({name, value, hasValue});
  }
  void undo() { out.resize(first); }
};

struct TagEnd {
  std::size_t end;  // after '>', or the source size
  bool selfClosing;
  bool atEof;
};

// The attribute states of the tokenizer, from just after a tag name to the tag's '>'. The sink
// sees every attribute, duplicates included. With `blocks`, a server block in place of
// attributes is passed over, and one in a name or a value belongs to it.
template <bool blocks, typename Sink>
TagEnd walkAttributes(std::string_view s, std::size_t i, Sink& sink, ScanMemo* memo) {
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
    if constexpr (blocks) {
      if (const std::size_t past = pastBlock(s, i, memo); past != i) {
        i = past;
        continue;
      }
    }
    // Attribute name: a leading '=' belongs to the name.
    const std::size_t nameBegin = i;
    i = wordEnd<true, blocks>(s, s[i] == '=' ? i + 1 : i, memo);
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
      const std::size_t valueBegin = ++i;
      std::size_t close;
      if constexpr (blocks) {
        close = findOutside(s, i, s.substr(i - 1, 1), memo);
      } else {
        const void* q = std::memchr(s.data() + i, s[i - 1], n - i);
        close = q ? static_cast<std::size_t>(static_cast<const char*>(q) - s.data()) : npos;
      }
      if (close == npos) {
        sink(name, s.substr(valueBegin), true);
        return {n, false, true};
      }
      sink(name, s.substr(valueBegin, close - valueBegin), true);
      // After attribute value (quoted): anything but space, '/' or '>' starts a name.
      i = close + 1;
    } else if (s[i] == '>') {
      sink(name, {}, true);
      return {i + 1, false, false};
    } else {
      const std::size_t valueBegin = i;
      i = wordEnd<false, blocks>(s, i, memo);
      sink(name, s.substr(valueBegin, i - valueBegin), true);
    }
  }
}

// The attributes from `i` to the tag's end. Only a tag that holds a '<' (or a '{' in a template)
// can hold a server block: most hold none, and the plain walk serves them.
template <typename Sink>
TagEnd walkTag(std::string_view s, std::size_t i, Sink&& sink, ScanMemo* memo) {
  const TagEnd plain = walkAttributes<false>(s, i, sink, memo);
  if (nextOpener(s, i, plain.end, memo) == plain.end) return plain;
  sink.undo();
  return walkAttributes<true>(s, i, sink, memo);
}

// The end of a tag's name from `i`. A '<' in a name is rare: only there is a server block
// looked for.
std::size_t nameEnd(std::string_view s, std::size_t i, ScanMemo* memo) {
  for (; i < s.size(); ++i) {
    const char c = s[i];
    if (isSpace(c) || c == '/' || c == '>') return i;
    if (mayOpen(c, memo)) return tagNameEnd<true>(s, i, memo);
  }
  return i;
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
Token untilGreaterThan(std::string_view s, std::size_t begin, std::size_t textBegin, TokenKind kind,
                       ScanMemo* memo) {
  const std::size_t gt = findOutside(s, textBegin, ">", memo);
  if (gt == npos) return make(kind, begin, s.size(), s.substr(textBegin), true);
  return make(kind, begin, gt + 1, s.substr(textBegin, gt - textBegin));
}

// A comment after its "<!--": ends at "-->" or "--!>", and abruptly at "<!-->" or "<!--->".
Token comment(std::string_view s, std::size_t begin, ScanMemo* memo) {
  const std::size_t p = begin + 4;
  if (p < s.size() && s[p] == '>') return make(TokenKind::Comment, begin, p + 1);
  if (s.compare(p, 2, "->") == 0) return make(TokenKind::Comment, begin, p + 2);
  std::size_t passed = p;
  for (std::size_t k = s.find("--", p); k != npos; k = s.find("--", k + 1)) {
    std::size_t close;
    if (k + 2 < s.size() && s[k + 2] == '>') {
      close = k + 3;
    } else if (s.compare(k + 2, 2, "!>") == 0) {
      close = k + 4;
    } else {
      continue;
    }
    if (const std::size_t across = blockAcross(s, passed, k, memo); across != npos) {
      k = across - 1;
      continue;
    }
    return make(TokenKind::Comment, begin, close, s.substr(p, k - p));
  }
  return make(TokenKind::Comment, begin, s.size(), s.substr(p), true);
}

Token tag(std::string_view s, std::size_t begin, bool endTag, ScanMemo* memo) {
  const std::size_t nameBegin = begin + (endTag ? 2 : 1);
  const std::size_t i = nameEnd(s, nameBegin, memo);
  const TagEnd e = walkTag(s, i, NoSink{}, memo);
  if (e.atEof) return make(TokenKind::Dropped, begin, s.size(), {}, true);
  Token t = make(endTag ? TokenKind::EndTag : TokenKind::StartTag, begin, e.end,
                 s.substr(nameBegin, i - nameBegin));
  t.selfClosing = e.selfClosing;
  return t;
}

// "</name" followed by a character that ends a tag name.
bool isEndTagOf(std::string_view s, std::size_t lt, std::string_view name) {
  const std::size_t after = lt + 2 + name.size();
  if (after >= s.size() || s[lt + 1] != '/') return false;
  if (!equalsLower(s.substr(lt + 2, name.size()), name)) return false;
  return isSpace(s[after]) || s[after] == '/' || s[after] == '>';
}

// The letters from `from` on; true when they spell "script" and a space, '/' or '>' follows.
// `end` is set after the letters.
bool scriptWordAt(std::string_view s, std::size_t from, std::size_t& end) {
  end = from;
  while (end < s.size() && isAsciiLetter(s[end])) ++end;
  return end < s.size() && (isSpace(s[end]) || s[end] == '/' || s[end] == '>') &&
         equalsLower(s.substr(from, end - from), "script");
}

// Script data with its escaped ("<!--") and double-escaped ("<!--<script>") states, in which a
// "</script>" inside a nested "<script>" does not end the element. A server block counts as one
// character of script text.
std::size_t scriptDataEnd(std::string_view s, std::size_t i, ScanMemo* memo) {
  enum State { Data, Escaped, EscapedDash, EscapedDashDash, Double, DoubleDash, DoubleDashDash };
  State st = Data;
  const std::size_t n = s.size();
  while (i < n) {
    if (st == Data) {
      i = nextOpener(s, i, n, memo);
      if (i == n) return n;
      if (const std::size_t past = pastBlock(s, i, memo); past != i) {
        i = past;
      } else if (s[i] != '<') {
        ++i;
      } else if (isEndTagOf(s, i, "script")) {
        return i;
      } else if (s.compare(i, 4, "<!--") == 0) {
        st = EscapedDashDash;
        i += 4;
      } else {
        ++i;
      }
      continue;
    }
    const char c = s[i];
    if (mayOpen(c, memo)) {
      if (const std::size_t past = pastBlock(s, i, memo); past != i) {
        st = st >= Double ? Double : Escaped;
        i = past;
        continue;
      }
    }
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
    if (asciiLower(text[i]) != lowerText[i]) return false;
  }
  return true;
}

std::optional<std::size_t> serverBlockEnd(std::string_view s, std::size_t lt, ScanMemo* memo) {
  if (lt >= s.size() || s[lt] != '<') return std::nullopt;
  const std::size_t end = serverBlock(s, lt, memo).end;
  if (end == npos) return std::nullopt;
  return end;
}

bool inServerString(std::string_view s, std::size_t begin, std::size_t end, std::size_t at) {
  if (at <= begin || at >= end || end > s.size()) return false;
  if (s.compare(begin, 4, "<%--") == 0) return false;
  if (s.compare(begin, 2, "<%") == 0) {
    // ASP and JSP code: what a "..." string holds is written out.
    bool inString = false;
    for (std::size_t i = begin + 2; i < at; ++i) {
      if (s[i] == '"') inString = !inString;
    }
    return inString;
  }
  if (s.compare(begin, 2, "<?") != 0) return inTemplateString(s, begin, at);
  const std::size_t code = phpCodeStart(s, begin);
  if (code == npos) return false;
  bool inString = false;
  phpCode(s.substr(0, end), code, [&](std::size_t from, std::size_t to) {
    if (from < at && at < to) inString = true;
  });
  return inString;
}

namespace {

// Where text from `pos` ends: at the next '<', or at a '{' that opens a template block.
std::size_t textEnd(std::string_view s, std::size_t pos, ScanMemo* memo) {
  std::size_t i = nextOpener(s, pos, s.size(), memo);
  while (i < s.size() && s[i] == '{') {
    if (templateBlock(s, i, memo).end != npos) break;
    i = nextOpener(s, i + 1, s.size(), memo);
  }
  return i;
}

}  // namespace

Token nextToken(std::string_view s, std::size_t pos, bool foreignContent, ScanMemo* memo) {
  const std::size_t n = s.size();
  if (pos >= n) return make(TokenKind::Eof, n, n);
  const bool templateCode =
      s[pos] == '{' ? braces(memo)
                    : s[pos] == '<' && memo && memo->templates.syntax == TemplateSyntax::ColdFusion;
  if (templateCode) {
    const Block b = serverBlock(s, pos, memo);
    if (b.end != npos) return make(TokenKind::ServerBlock, pos, b.end, s.substr(pos, b.end - pos));
  }
  if (s[pos] != '<') {
    const std::size_t end = textEnd(s, pos + 1, memo);
    return make(TokenKind::Text, pos, end, s.substr(pos, end - pos), end == n);
  }
  if (pos + 1 >= n) return make(TokenKind::Text, pos, n, s.substr(pos), true);
  const char c = s[pos + 1];
  if (isAsciiLetter(c)) return tag(s, pos, false, memo);
  if (c == '%' || c == '?') {
    const Block b = serverBlock(s, pos, memo);
    if (b.end != npos) {
      return make(TokenKind::ServerBlock, pos, b.end, s.substr(pos, b.end - pos), b.open);
    }
  }
  if (c == '/') {
    if (pos + 2 >= n) return make(TokenKind::Text, pos, n, s.substr(pos), true);
    if (isAsciiLetter(s[pos + 2])) return tag(s, pos, true, memo);
    if (s[pos + 2] == '>') return make(TokenKind::Dropped, pos, pos + 3);
    return untilGreaterThan(s, pos, pos + 2, TokenKind::BogusComment, memo);
  }
  if (c == '?') return untilGreaterThan(s, pos, pos + 1, TokenKind::BogusComment, memo);
  if (c == '!') {
    if (s.compare(pos + 2, 2, "--") == 0) return comment(s, pos, memo);
    if (startsWithLower(s, pos + 2, "doctype")) {
      return untilGreaterThan(s, pos, pos + 2, TokenKind::Doctype, memo);
    }
    if (foreignContent && s.compare(pos + 2, 7, "[CDATA[") == 0) {
      const std::size_t close = findOutside(s, pos + 9, "]]>", memo);
      if (close == npos) return make(TokenKind::Cdata, pos, n, s.substr(pos + 9), true);
      return make(TokenKind::Cdata, pos, close + 3, s.substr(pos + 9, close - pos - 9));
    }
    return untilGreaterThan(s, pos, pos + 2, TokenKind::BogusComment, memo);
  }
  // A '<' that starts no markup is text; the text runs on to the next markup.
  const std::size_t end = textEnd(s, pos + 1, memo);
  return make(TokenKind::Text, pos, end, s.substr(pos, end - pos), end == n);
}

std::size_t skipTags(std::string_view s, std::size_t pos, TagFilter stop, ScanMemo* memo) {
  const std::size_t n = s.size();
  // A '{' stops the pass in a template that opens blocks with it: the token there decides.
  auto lessThanFrom = [&](std::size_t i) { return nextOpener(s, i, n, memo); };
  const bool coldFusion = memo && memo->templates.syntax == TemplateSyntax::ColdFusion;
  std::size_t lt = pos < n ? lessThanFrom(pos) : n;
  while (lt < n) {
    const bool endTag = lt + 1 < n && s[lt + 1] == '/';
    const std::size_t nameBegin = lt + (endTag ? 2 : 1);
    if (s[lt] != '<' || nameBegin >= n || !isAsciiLetter(s[nameBegin])) return lt;
    // The next '<' tells whether this tag holds one (and so perhaps a server block), and is
    // where the search for the next tag goes on when it does not.
    const std::size_t next = lessThanFrom(lt + 1);
    std::size_t i = tagNameEnd<false>(s, nameBegin, memo);
    if (next < i) i = tagNameEnd<true>(s, nameBegin, memo);
    const std::string_view name = s.substr(nameBegin, i - nameBegin);
    if (stop(name, endTag) || (coldFusion && isColdFusionTagName(name))) return lt;
    NoSink sink;
    TagEnd e = walkAttributes<false>(s, i, sink, memo);
    if (next < e.end) e = walkAttributes<true>(s, i, sink, memo);
    if (e.atEof) return lt;
    lt = next >= e.end ? next : lessThanFrom(e.end);
  }
  return n;
}

std::optional<TextMode> textModeOf(std::string_view name) {
  static constexpr NameShape kShape = rawTextNameShape();
  if (name.empty() || !isAsciiLetter(name[0]) || !kShape.mayHold(name)) return std::nullopt;
  for (const RawTextElement& e : kRawTextElements) {
    if (equalsLower(name, e.name)) return e.mode;
  }
  return std::nullopt;
}

std::size_t rawTextEnd(std::string_view s, std::size_t pos, TextMode mode, std::string_view tagName,
                       ScanMemo* memo) {
  if (mode == TextMode::Plaintext) return s.size();
  if (mode == TextMode::ScriptData) return scriptDataEnd(s, pos, memo);
  const std::string name = asciiLowered(tagName);
  std::size_t passed = pos;
  for (std::size_t k = s.find("</", pos); k != npos; k = s.find("</", k + 2)) {
    if (!isEndTagOf(s, k, name)) continue;
    const std::size_t across = blockAcross(s, passed, k, memo);
    if (across == npos) return k;
    k = across - 2;
  }
  return s.size();
}

std::vector<Attribute> tagAttributes(std::string_view tag) {
  const std::size_t i = nameEnd(tag, 1, nullptr);
  std::vector<Attribute> out;
  walkTag(tag, i, ListSink{out}, nullptr);
  return out;
}

std::vector<Attribute> attributeList(std::string_view text) {
  std::vector<Attribute> out;
  attributeList(text, out);
  return out;
}

void attributeList(std::string_view text, std::vector<Attribute>& out) {
  out.clear();
  walkTag(text, 0, ListSink{out}, nullptr);
}

std::optional<std::string> findAttribute(const std::vector<Attribute>& attributes,
                                         std::string_view lowerName) {
  for (const Attribute& a : attributes) {
    if (equalsLower(a.name, lowerName)) return decodeCharacterReferences(a.value);
  }
  return std::nullopt;
}

namespace {

// A named reference at the start of `rest` (what follows the '&'), as a browser reads one in
// text: the longest name of the table that `rest` begins with. Its length, 0 when there is none.
std::size_t decodeNamed(std::string_view rest, std::string& out) {
  std::size_t run = 0;
  while (run < rest.size() && run < 32 && std::isalnum(static_cast<unsigned char>(rest[run]))) {
    ++run;
  }
  const auto byName = [](const NamedReference& r, std::string_view name) { return r.name < name; };
  for (std::size_t size = run < rest.size() && rest[run] == ';' ? run + 1 : run; size > 0; --size) {
    const std::string_view name = rest.substr(0, size);
    const auto it =
        std::lower_bound(kNamedReferences.begin(), kNamedReferences.end(), name, byName);
    if (it != kNamedReferences.end() && it->name == name) {
      out += it->text;
      return size;
    }
  }
  return 0;
}

// The reference at `amp`; returns its length, 0 when it is not one we decode.
std::size_t decodeOne(std::string_view s, std::size_t amp, NamedReferences names,
                      std::string& out) {
  static constexpr std::pair<std::string_view, std::string_view> kNamed[] = {
      {"amp;", "&"},   {"lt;", "<"},   {"gt;", ">"},
      {"quot;", "\""}, {"apos;", "'"}, {"nbsp;", "\xC2\xA0"}};
  const std::string_view rest = s.substr(amp + 1);
  if (rest.empty()) return 0;
  if (rest[0] != '#') {
    if (names == NamedReferences::All) {
      const std::size_t used = decodeNamed(rest, out);
      return used ? used + 1 : 0;
    }
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
    } else if (hex && asciiLower(c) >= 'a' && asciiLower(c) <= 'f') {
      d = asciiLower(c) - 'a' + 10;
    } else {
      break;
    }
    cp = cp > 0x10FFFF ? cp : cp * (hex ? 16 : 10) + d;
  }
  if (i == digits) return 0;
  appendUtf8(out, cp == 0 || cp > 0x10FFFF || isSurrogate(cp) ? kReplacementCharacter : cp);
  if (i < rest.size() && rest[i] == ';') ++i;
  return i + 1;
}

}  // namespace

std::string decodeCharacterReferences(std::string_view text, NamedReferences names) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == '&') {
      const std::size_t used = decodeOne(text, i, names, out);
      if (used) {
        i += used;
        continue;
      }
    }
    out += text[i++];
  }
  return out;
}

}  // namespace velmo::file_host::html
