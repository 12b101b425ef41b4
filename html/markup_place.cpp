#include "html/markup_place.h"

#include "common/text.h"
#include "html/html_scan.h"

namespace velmo::standalone {
namespace {

using html::TokenKind;
using Kind = MarkupPlace::Kind;

bool isWebbotComment(std::string_view text) {
  return text.size() >= 6 && html::equalsLower(text.substr(0, 6), "webbot") &&
         (text.size() == 6 || html::isSpace(text[6]));
}

Kind kindOf(const html::Token& t) {
  switch (t.kind) {
    case TokenKind::Comment:
      return isWebbotComment(t.text) ? Kind::WebbotComment : Kind::Comment;
    case TokenKind::BogusComment:
    case TokenKind::Cdata:
      return Kind::Comment;
    case TokenKind::Doctype:
      return Kind::Doctype;
    case TokenKind::ServerBlock:
      return Kind::ServerBlock;
    case TokenKind::Text:
    case TokenKind::Eof:
      return Kind::Outside;
    default:  // start and end tags, and a tag the end of the page cuts off
      return Kind::Tag;
  }
}

// Finds the places of the offsets in ascending order, stopping once the last is placed.
class Walk {
 public:
  Walk(std::size_t begin, std::size_t end) : offsets_{begin, end} {}
  bool done() const { return next_ == 2; }
  std::size_t offset() const { return offsets_[next_]; }
  void place(MarkupPlace place) { places_[next_++] = std::move(place); }
  MarkupPlaces result() const { return {places_[0], places_[1]}; }

 private:
  std::size_t offsets_[2];
  MarkupPlace places_[2];
  std::size_t next_ = 0;
};

}  // namespace

MarkupPlaces markupPlaces(std::string_view source, std::size_t begin, std::size_t end,
                          html::TemplateSyntax syntax) {
  Walk walk(begin, end);
  html::ScanMemo memo;
  memo.templates.syntax = syntax;
  std::size_t pos = 0;
  while (!walk.done()) {
    const html::Token t = html::nextToken(source, pos, false, &memo);
    // Everything up to a token's first byte is between tokens or in character data.
    while (!walk.done() && walk.offset() <= t.begin) walk.place({});
    if (walk.done() || t.kind == TokenKind::Eof) break;
    const Kind kind = kindOf(t);
    const std::size_t insideUpTo = t.openAtEof ? t.end + 1 : t.end;
    while (!walk.done() && kind != Kind::Outside && walk.offset() < insideUpTo) {
      walk.place({kind, {}});
    }
    pos = t.end > pos ? t.end : pos + 1;
    if (t.kind != TokenKind::StartTag) continue;
    const auto mode = html::textModeOf(t.text);
    if (!mode) continue;
    const std::size_t contentEnd = html::rawTextEnd(source, t.end, *mode, t.text, &memo);
    while (!walk.done() && walk.offset() <= contentEnd) {
      walk.place({Kind::RawText, std::string(t.text)});
    }
    pos = contentEnd;
  }
  while (!walk.done()) walk.place({});
  return walk.result();
}

std::u16string describe(const MarkupPlace& place) {
  switch (place.kind) {
    case Kind::Outside:
      return u"the page's text";
    case Kind::Tag:
      return u"a tag";
    case Kind::Comment:
      return u"a comment";
    case Kind::WebbotComment:
      return u"a webbot comment";
    case Kind::Doctype:
      return u"a doctype";
    case Kind::ServerBlock:
      return u"a server block";
    case Kind::RawText:
      return u"the text of a <" + utf8ToUtf16(place.element) + u"> element";
  }
  return {};
}

}  // namespace velmo::standalone
