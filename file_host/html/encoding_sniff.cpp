#include "file_host/html/encoding_sniff.h"

#include <string>

#include "core/common/text.h"
#include "file_host/html/html_scan.h"

namespace velmo::file_host {
namespace {

constexpr std::size_t kPrescanLength = 1024;

using html::isSpace;

bool startsWithLower(std::string_view s, std::size_t pos, std::string_view lowerText) {
  return s.size() - pos >= lowerText.size() &&
         html::equalsLower(s.substr(pos, lowerText.size()), lowerText);
}

std::optional<DetectedEncoding> byteOrderMark(std::string_view b) {
  if (b.substr(0, 3) == "\xEF\xBB\xBF") return DetectedEncoding{Encoding::Utf8, 3};
  if (b.substr(0, 2) == "\xFE\xFF") return DetectedEncoding{Encoding::Utf16Be, 2};
  if (b.substr(0, 2) == "\xFF\xFE") return DetectedEncoding{Encoding::Utf16Le, 2};
  return std::nullopt;
}

struct Attr {
  std::string name;
  std::string value;
};

// Reads one attribute at `pos` as the prescan does (names and values lower-cased); nothing at a
// '>' or at the end of the bytes.
std::optional<Attr> getAttribute(std::string_view s, std::size_t& pos) {
  while (pos < s.size() && (isSpace(s[pos]) || s[pos] == '/')) ++pos;
  if (pos >= s.size() || s[pos] == '>') return std::nullopt;
  Attr a;
  for (;; ++pos) {
    if (pos >= s.size()) return std::nullopt;
    const char c = s[pos];
    if (c == '=' && !a.name.empty()) {
      ++pos;
      break;
    }
    if (isSpace(c)) {
      while (pos < s.size() && isSpace(s[pos])) ++pos;
      if (pos >= s.size()) return std::nullopt;
      if (s[pos] != '=') return a;
      ++pos;
      break;
    }
    if (c == '/' || c == '>') return a;
    a.name += asciiLower(c);
  }
  while (pos < s.size() && isSpace(s[pos])) ++pos;
  if (pos >= s.size()) return std::nullopt;
  const char first = s[pos];
  if (first == '"' || first == '\'') {
    for (++pos; pos < s.size(); ++pos) {
      if (s[pos] == first) {
        ++pos;
        return a;
      }
      a.value += asciiLower(s[pos]);
    }
    return std::nullopt;
  }
  if (first == '>') return a;
  for (; pos < s.size(); ++pos) {
    if (isSpace(s[pos]) || s[pos] == '>') return a;
    a.value += asciiLower(s[pos]);
  }
  return std::nullopt;
}

// The label in a Content-Type value's `charset=`; nothing when there is none or its quote is
// left open.
std::optional<std::string_view> charsetFromContent(std::string_view v) {
  std::size_t pos = 0;
  for (;;) {
    const std::size_t at = v.find("charset", pos);
    if (at == std::string_view::npos) return std::nullopt;
    pos = at + 7;
    while (pos < v.size() && isSpace(v[pos])) ++pos;
    if (pos < v.size() && v[pos] == '=') break;
  }
  ++pos;
  while (pos < v.size() && isSpace(v[pos])) ++pos;
  if (pos >= v.size()) return std::nullopt;
  const char q = v[pos];
  if (q == '"' || q == '\'') {
    const std::size_t close = v.find(q, pos + 1);
    if (close == std::string_view::npos) return std::nullopt;
    return v.substr(pos + 1, close - pos - 1);
  }
  std::size_t end = pos;
  while (end < v.size() && !isSpace(v[end]) && v[end] != ';') ++end;
  return v.substr(pos, end - pos);
}

// The encoding one <meta> declares; `pos` just past "<meta" and its space or slash.
std::optional<Encoding> metaDeclaration(std::string_view s, std::size_t& pos) {
  std::string seen = " ";
  bool gotPragma = false;
  std::optional<bool> needPragma;
  std::optional<Encoding> charset;
  while (const auto a = getAttribute(s, pos)) {
    if (seen.find(" " + a->name + " ") != std::string::npos) continue;
    seen += a->name + " ";
    if (a->name == "http-equiv") {
      if (a->value == "content-type") gotPragma = true;
    } else if (a->name == "content") {
      if (!charset) {
        if (const auto label = charsetFromContent(a->value)) {
          charset = encodingForLabel(*label);
          if (charset) needPragma = true;
        }
      }
    } else if (a->name == "charset") {
      charset = encodingForLabel(a->value);
      needPragma = false;
    }
  }
  if (!needPragma || (*needPragma && !gotPragma)) return std::nullopt;
  return charset;
}

// What a declared encoding means for a page: its text is never UTF-16 or x-user-defined bytes.
Encoding forPage(Encoding declared) {
  if (declared == Encoding::Utf16Le || declared == Encoding::Utf16Be) return Encoding::Utf8;
  if (declared == Encoding::UserDefined) return Encoding::Windows1252;
  return declared;
}

}  // namespace

std::optional<Encoding> prescanForMeta(std::string_view bytes) {
  const std::string_view s = bytes.substr(0, kPrescanLength);
  std::size_t pos = 0;
  while (pos < s.size()) {
    if (s.compare(pos, 4, "<!--") == 0) {
      const std::size_t close = s.find("-->", pos + 2);
      if (close == std::string_view::npos) return std::nullopt;
      pos = close + 3;
      continue;
    }
    if (startsWithLower(s, pos, "<meta") && pos + 5 < s.size() &&
        (isSpace(s[pos + 5]) || s[pos + 5] == '/')) {
      pos += 6;
      if (const auto e = metaDeclaration(s, pos)) return e;
    } else if (s[pos] == '<' && pos + 1 < s.size() &&
               (isAsciiLetter(s[pos + 1]) ||
                (s[pos + 1] == '/' && pos + 2 < s.size() && isAsciiLetter(s[pos + 2])))) {
      while (pos < s.size() && !isSpace(s[pos]) && s[pos] != '>') ++pos;
      while (getAttribute(s, pos)) {
      }
    } else if (s[pos] == '<' && pos + 1 < s.size() &&
               (s[pos + 1] == '!' || s[pos + 1] == '/' || s[pos + 1] == '?')) {
      const std::size_t close = s.find('>', pos + 2);
      if (close == std::string_view::npos) return std::nullopt;
      pos = close;
    }
    ++pos;
  }
  return std::nullopt;
}

DetectedEncoding detectPageEncoding(std::string_view bytes) {
  if (auto bom = byteOrderMark(bytes)) {
    bom->declared = true;
    return *bom;
  }
  if (const auto meta = prescanForMeta(bytes)) return {forPage(*meta), 0, true};
  return {isValidUtf8(bytes) ? Encoding::Utf8 : Encoding::Windows1252, 0, false};
}

std::optional<Encoding> headMetaDeclaration(std::string_view head) {
  std::size_t pos = 0;
  while (pos < head.size()) {
    const html::Token t = html::nextToken(head, pos);
    if (t.kind == html::TokenKind::Eof || t.end <= pos) break;
    pos = t.end;
    if (t.kind != html::TokenKind::StartTag) continue;
    if (html::equalsLower(t.text, "meta")) {
      const std::string_view tag = head.substr(t.begin, t.end - t.begin);
      std::size_t at = 5;  // past "<meta"
      if (const auto e = metaDeclaration(tag, at)) return forPage(*e);
    } else if (const auto mode = html::textModeOf(t.text)) {
      pos = html::rawTextEnd(head, t.end, *mode, t.text);
    }
  }
  return std::nullopt;
}

DetectedEncoding encodingAfterHead(const DetectedEncoding& detected, std::string_view bytes,
                                   std::size_t headEnd) {
  if (detected.declared) return detected;
  const auto late = headMetaDeclaration(bytes.substr(0, headEnd));
  if (!late || *late == detected.encoding) return detected;
  return {*late, 0, true};
}

DetectedEncoding detectSheetEncoding(std::string_view bytes, Encoding pageEncoding) {
  if (const auto bom = byteOrderMark(bytes)) return *bom;
  constexpr std::string_view kCharset = "@charset \"";
  if (bytes.substr(0, kCharset.size()) == kCharset) {
    const std::size_t close = bytes.find("\";", kCharset.size());
    const std::size_t quote = bytes.find('"', kCharset.size());
    if (close != std::string_view::npos && close == quote) {
      if (auto e = encodingForLabel(bytes.substr(kCharset.size(), close - kCharset.size()))) {
        if (*e == Encoding::Utf16Le || *e == Encoding::Utf16Be) e = Encoding::Utf8;
        return {*e, 0};
      }
    }
  }
  // A sheet without a byte order mark is no UTF-16 text, whatever the page is in.
  if (pageEncoding == Encoding::Utf16Le || pageEncoding == Encoding::Utf16Be) {
    return {Encoding::Utf8, 0};
  }
  return {pageEncoding, 0};
}

}  // namespace velmo::file_host
