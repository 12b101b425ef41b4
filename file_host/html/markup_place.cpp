#include "file_host/html/markup_place.h"

#include "core/common/text.h"
#include "file_host/html/html_scan.h"
#include "file_host/html/page_scan_observer.h"
#include "file_host/html/page_scanner.h"
#include "file_host/html/webbot_pairing.h"

namespace velmo::file_host {
namespace {

using html::TokenKind;
using Kind = MarkupPlace::Kind;

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

// Places the offsets in ascending order as the scan reads the tokens around them, and is done
// once the last is placed.
class PlaceFinder : public ScanObserver {
 public:
  PlaceFinder(std::size_t begin, std::size_t end) : offsets_{begin, end} {}
  bool done() const { return next_ == 2; }
  MarkupPlaces result() {
    while (!done()) place({});
    return {places_[0], places_[1]};
  }

  bool wantsEveryToken() const override { return true; }

  void token(const html::Token& t, const ScanState&) override {
    // Everything up to a token's first byte is between tokens or in character data.
    placeUpTo(t.begin + 1, {});
    const Kind kind = kindOf(t);
    if (kind != Kind::Outside) placeUpTo(t.openAtEof ? t.end + 1 : t.end, {kind, {}});
  }

  void rawTextElement(const html::Token& startTag, std::size_t innerEnd, std::size_t) override {
    placeUpTo(innerEnd + 1, {Kind::RawText, std::string(startTag.text)});
  }

 private:
  // Gives `place` to the offsets below `limit`.
  void placeUpTo(std::size_t limit, const MarkupPlace& place) {
    while (!done() && offsets_[next_] < limit) this->place(place);
  }
  void place(MarkupPlace place) { places_[next_++] = std::move(place); }

  std::size_t offsets_[2];
  MarkupPlace places_[2];
  std::size_t next_ = 0;
};

}  // namespace

MarkupPlaces markupPlaces(const std::string& source, std::size_t begin, std::size_t end,
                          html::TemplateSyntax syntax) {
  PlaceFinder finder(begin, end);
  observePage(source, finder, syntax, [&] { return !finder.done(); });
  return finder.result();
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

}  // namespace velmo::file_host
