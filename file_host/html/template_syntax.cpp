#include "file_host/html/template_syntax.h"

#include <algorithm>
#include <iterator>

#include "core/common/text.h"

namespace velmo::file_host::html {
namespace {

constexpr std::size_t npos = std::string_view::npos;

bool sameLetters(std::string_view a, std::string_view lower) {
  if (a.size() != lower.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (asciiLower(a[i]) != lower[i]) return false;
  }
  return true;
}

bool isBlank(char c) {
  return c == ' ' || c == '\n' || c == '\t' || c == '\r' || c == '\f';
}

// The closers the reading remembers the absence of, by their place in noCloseFrom.
enum Closer : std::size_t {
  kHashBrace,
  kPercentBrace,
  kTwoBraces,
  kThreeBraces,
  kDashesBraces,
  kStarBrace,
  kBrace,
  kCommentDashes
};
constexpr std::string_view kCloserText[] = {"#}", "%}", "}}", "}}}", "--}}", "*}", "}", "--->"};
static_assert(std::size(kCloserText) == TemplateReading::kClosers);

// The first `closer` at or after `from`; once one is missing from some offset on, it is not
// looked for again from there.
std::size_t findCloser(std::string_view s, std::size_t from, Closer closer, TemplateReading& r) {
  std::size_t& none = r.noCloseFrom[closer];
  if (from >= none) return npos;
  const std::size_t k = s.find(kCloserText[closer], from);
  if (k == npos) none = std::min(none, from);
  return k;
}

// A block whose code, from `from`, ends at its closer.
std::optional<std::size_t> closedBy(std::string_view s, std::size_t from, Closer closer,
                                    TemplateReading& r, bool& unclosed) {
  const std::size_t k = findCloser(s, from, closer, r);
  if (k == npos) {
    unclosed = true;
    return std::nullopt;
  }
  return k + kCloserText[closer].size();
}

// After a quoted string from its opening quote; npos when it runs to the end.
std::size_t stringEnd(std::string_view s, std::size_t i, bool backslashEscapes) {
  const char quote = s[i];
  for (++i; i < s.size(); ++i) {
    if (backslashEscapes && s[i] == '\\') {
      ++i;
    } else if (s[i] == quote) {
      return i + 1;
    }
  }
  return npos;
}

// The first `end` character from `from` outside quoted strings; when a string runs to the end
// of the text, the first `end` after `from` (`plain`) is taken instead.
std::size_t closeOutsideStrings(std::string_view s, std::size_t from, char end, std::size_t plain,
                                bool backslashEscapes) {
  for (std::size_t i = from; i < s.size();) {
    const char c = s[i];
    if (c == end) return i;
    if (c == '"' || c == '\'') {
      i = stringEnd(s, i, backslashEscapes);
      if (i == npos) return plain;
    } else {
      ++i;
    }
  }
  return plain;
}

std::optional<std::size_t> jinjaBlock(std::string_view s, std::size_t at, TemplateReading& r,
                                      bool& unclosed) {
  switch (s[at + 1]) {
    case '#':
      return closedBy(s, at + 2, kHashBrace, r, unclosed);
    case '%':
      return closedBy(s, at + 2, kPercentBrace, r, unclosed);
    case '{':
      return closedBy(s, at + 2, kTwoBraces, r, unclosed);
    default:
      return std::nullopt;
  }
}

std::optional<std::size_t> mustacheBlock(std::string_view s, std::size_t at, TemplateReading& r,
                                         bool& unclosed) {
  if (s[at + 1] != '{') return std::nullopt;
  if (s.compare(at + 2, 1, "{") == 0) return closedBy(s, at + 3, kThreeBraces, r, unclosed);
  if (s.compare(at + 2, 3, "!--") == 0) return closedBy(s, at + 5, kDashesBraces, r, unclosed);
  return closedBy(s, at + 2, kTwoBraces, r, unclosed);
}

// The content of every {literal}...{/literal} pair, which Smarty copies as it is; comments are
// passed over so that a {literal} inside one counts for nothing.
std::vector<std::pair<std::size_t, std::size_t>> smartyLiterals(std::string_view s) {
  std::vector<std::pair<std::size_t, std::size_t>> out;
  constexpr std::string_view open = "{literal}", close = "{/literal}";
  for (std::size_t i = s.find('{'); i != npos; i = s.find('{', i)) {
    if (s.compare(i, 2, "{*") == 0) {
      const std::size_t end = s.find("*}", i + 2);
      if (end == npos) break;
      i = end + 2;
    } else if (s.compare(i, open.size(), open) == 0) {
      const std::size_t begin = i + open.size();
      const std::size_t end = s.find(close, begin);
      out.emplace_back(begin, end == npos ? s.size() : end);
      if (end == npos) break;
      i = end + close.size();
    } else {
      ++i;
    }
  }
  return out;
}

bool inLiteral(std::string_view s, std::size_t at, TemplateReading& r) {
  if (!r.literals) r.literals = smartyLiterals(s);
  const auto& spans = *r.literals;
  auto it = std::upper_bound(spans.begin(), spans.end(), at,
                             [](std::size_t x, const auto& span) { return x < span.first; });
  if (it == spans.begin()) return false;
  --it;
  return at >= it->first && at < it->second;
}

// Smarty reads a '{' followed by white space as text, so that scripts and style sheets need no
// {literal} for "a { b }"; any other '{' opens a tag that ends at the first '}' outside strings.
std::optional<std::size_t> smartyBlock(std::string_view s, std::size_t at, TemplateReading& r,
                                       bool& unclosed) {
  const char next = s[at + 1];
  if (isBlank(next) || next == '}' || inLiteral(s, at, r)) return std::nullopt;
  if (next == '*') return closedBy(s, at + 2, kStarBrace, r, unclosed);
  const std::size_t plain = findCloser(s, at + 1, kBrace, r);
  if (plain == npos) {
    unclosed = true;
    return std::nullopt;
  }
  return closeOutsideStrings(s, at + 1, '}', plain, true) + 1;
}

// The ColdFusion tags whose content is code or data the server keeps to itself (script, SQL, a
// mail, captured or silenced output), never page markup: each is one block to its end tag.
bool holdsNoMarkup(std::string_view name) {
  for (std::string_view tag :
       {"cfscript", "cfquery", "cfmail", "cfsilent", "cfsavecontent", "cfxml", "cfstoredproc"}) {
    if (sameLetters(name, tag)) return true;
  }
  return false;
}

// "</" and `name` in any case, from `from`.
std::size_t endTagOf(std::string_view s, std::string_view name, std::size_t from) {
  for (std::size_t k = s.find("</", from); k != npos; k = s.find("</", k + 2)) {
    if (s.size() - k - 2 >= name.size() && sameLetters(s.substr(k + 2, name.size()), name) &&
        (k + 2 + name.size() == s.size() || !isAsciiLetter(s[k + 2 + name.size()]))) {
      return k;
    }
  }
  return npos;
}

std::optional<std::size_t> coldFusionBlock(std::string_view s, std::size_t at, TemplateReading& r,
                                           bool& unclosed) {
  if (s.compare(at, 5, "<!---") == 0) return closedBy(s, at + 5, kCommentDashes, r, unclosed);
  const bool endTag = s[at + 1] == '/';
  const std::size_t nameBegin = at + (endTag ? 2 : 1);
  std::size_t nameEnd = nameBegin;
  while (nameEnd < s.size() && (isAsciiLetter(s[nameEnd]) || s[nameEnd] == '_')) ++nameEnd;
  const std::string_view name = s.substr(nameBegin, nameEnd - nameBegin);
  if (!isColdFusionTagName(name)) return std::nullopt;
  // Script code and SQL may hold anything; they end at their end tag only.
  std::size_t from = nameEnd;
  if (!endTag && holdsNoMarkup(name)) {
    const std::size_t close = endTagOf(s, name, nameEnd);
    if (close == npos) {
      unclosed = true;
      return std::nullopt;
    }
    from = close + 2;
  }
  const std::size_t plain = s.find('>', from);
  if (plain == npos) {
    unclosed = true;
    return std::nullopt;
  }
  return closeOutsideStrings(s, from, '>', plain, false) + 1;
}

}  // namespace

std::optional<TemplateSyntax> templateSyntaxNamed(std::string_view name) {
  static constexpr std::pair<std::string_view, TemplateSyntax> kNames[] = {
      {"twig", TemplateSyntax::Jinja},
      {"jinja", TemplateSyntax::Jinja},
      {"django", TemplateSyntax::Jinja},
      {"smarty", TemplateSyntax::Smarty},
      {"coldfusion", TemplateSyntax::ColdFusion},
      {"cfml", TemplateSyntax::ColdFusion},
      {"mustache", TemplateSyntax::Mustache},
      {"handlebars", TemplateSyntax::Mustache},
      {"none", TemplateSyntax::None}};
  for (const auto& [n, syntax] : kNames) {
    if (sameLetters(name, n)) return syntax;
  }
  return std::nullopt;
}

TemplateSyntax templateSyntaxOfFile(std::string_view fileName) {
  const std::size_t dot = fileName.rfind('.');
  const std::size_t slash = fileName.find_last_of("/\\");
  if (dot == npos || (slash != npos && dot < slash)) return TemplateSyntax::None;
  const std::string_view extension = fileName.substr(dot + 1);
  for (const TemplateExtension& e : kTemplateExtensions) {
    if (sameLetters(extension, e.extension)) return e.syntax;
  }
  return TemplateSyntax::None;
}

bool isTemplateComment(std::string_view src, std::size_t begin) {
  const std::string_view at = src.substr(begin);
  return at.starts_with("{#") || at.starts_with("{*") || at.starts_with("{{!") ||
         at.starts_with("<!---");
}

bool inTemplateString(std::string_view src, std::size_t begin, std::size_t at) {
  if (isTemplateComment(src, begin)) return false;
  for (std::size_t i = begin + 1; i < at && i < src.size();) {
    if (src[i] != '"' && src[i] != '\'') {
      ++i;
      continue;
    }
    const std::size_t end = stringEnd(src, i, true);
    if (end == npos || at < end) return true;
    i = end;
  }
  return false;
}

bool isColdFusionTagName(std::string_view name) {
  return name.size() > 2 && asciiLower(name[0]) == 'c' && asciiLower(name[1]) == 'f' &&
         isAsciiLetter(name[2]);
}

std::optional<std::size_t> templateBlockEnd(std::string_view s, std::size_t at,
                                            TemplateReading& reading, bool& unclosed) {
  if (at + 1 >= s.size()) return std::nullopt;
  switch (reading.syntax) {
    case TemplateSyntax::None:
      return std::nullopt;
    case TemplateSyntax::Jinja:
      return s[at] == '{' ? jinjaBlock(s, at, reading, unclosed) : std::nullopt;
    case TemplateSyntax::Mustache:
      return s[at] == '{' ? mustacheBlock(s, at, reading, unclosed) : std::nullopt;
    case TemplateSyntax::Smarty:
      return s[at] == '{' ? smartyBlock(s, at, reading, unclosed) : std::nullopt;
    case TemplateSyntax::ColdFusion:
      return s[at] == '<' ? coldFusionBlock(s, at, reading, unclosed) : std::nullopt;
  }
  return std::nullopt;
}

}  // namespace velmo::file_host::html
