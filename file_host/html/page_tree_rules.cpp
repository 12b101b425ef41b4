#include "file_host/html/page_tree_rules.h"

#include <algorithm>

#include "core/common/text.h"
#include "file_host/html/page_scan_observer.h"
#include "file_host/html/webbot_pairing.h"

namespace velmo::file_host {
namespace {

using html::Token;
using html::TokenKind;
using Phase = ScanState::Phase;

bool nameIn(std::string_view name, std::initializer_list<std::string_view> lowerNames) {
  for (std::string_view n : lowerNames) {
    if (html::equalsLower(name, n)) return true;
  }
  return false;
}

std::size_t firstNonSpace(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!html::isSpace(text[i])) return i;
  }
  return std::string_view::npos;
}

// Elements of SVG and MathML whose content the parser reads as HTML again.
bool isIntegrationPoint(const std::string& name) {
  return name == "foreignobject" || name == "desc" || name == "title" || name == "annotation-xml" ||
         name == "mi" || name == "mo" || name == "mn" || name == "ms" || name == "mtext";
}

// HTML start tags that end SVG or MathML content.
bool breaksOutOfForeign(const Token& t, std::string_view src) {
  if (nameIn(
          t.text,
          {"b",      "big",  "blockquote", "body",  "br",   "center", "code",    "dd",   "div",
           "dl",     "dt",   "em",         "embed", "h1",   "h2",     "h3",      "h4",   "h5",
           "h6",     "head", "hr",         "i",     "img",  "li",     "listing", "menu", "meta",
           "nobr",   "ol",   "p",          "pre",   "ruby", "s",      "small",   "span", "strong",
           "strike", "sub",  "sup",        "table", "tt",   "u",      "ul",      "var"})) {
    return true;
  }
  if (!html::equalsLower(t.text, "font")) return false;
  const auto attrs = html::tagAttributes(src.substr(t.begin, t.end - t.begin));
  return html::findAttribute(attrs, "color") || html::findAttribute(attrs, "face") ||
         html::findAttribute(attrs, "size");
}

// A tag of server code or of another program's markup: a prefixed name (<jsp:include>,
// <asp:Literal>, <c:if>, a word processor's <o:SmartTagType>) or a ColdFusion tag. The server
// or that program reads it, not the browser, so to the page's author it ends no head.
bool isServerTagName(std::string_view name) {
  return name.find(':') != std::string_view::npos || html::isColdFusionTagName(name);
}

bool hasToken(std::string_view list, std::string_view lowerWord) {
  std::size_t i = 0;
  while (i < list.size()) {
    while (i < list.size() && html::isSpace(list[i])) ++i;
    const std::size_t start = i;
    while (i < list.size() && !html::isSpace(list[i])) ++i;
    if (i > start && html::equalsLower(list.substr(start, i - start), lowerWord)) return true;
  }
  return false;
}

// A head edge. An implied one is zero-wide; it was decided by the token at `begin`, so the
// bytes up to `reach` decide it.
Landmark headEdge(MarkKind kind, std::size_t begin, std::size_t end, bool explicitTag,
                  std::size_t reach, bool closed, std::size_t resume) {
  Landmark m;
  m.kind = kind;
  m.begin = begin;
  m.end = end;
  m.innerBegin = kind == MarkKind::HeadStart ? end : begin;
  m.innerEnd = kind == MarkKind::HeadEnd ? begin : end;
  m.explicitTag = explicitTag;
  m.reach = reach;
  m.closed = closed;
  m.after.pos = resume;
  return m;
}

// Whether a token is a start or end tag of one of some lower-case names.
struct TagIs {
  const Token& t;
  bool start(std::initializer_list<std::string_view> names) const {
    return t.kind == TokenKind::StartTag && nameIn(t.text, names);
  }
  bool end(std::initializer_list<std::string_view> names) const {
    return t.kind == TokenKind::EndTag && nameIn(t.text, names);
  }
};

}  // namespace

void PageTreeRules::process(const Token& t, ScanState& st) {
  if (t.kind == TokenKind::Comment) webbotComment(t, st);
  const bool isStart = t.kind == TokenKind::StartTag;
  const bool isEnd = t.kind == TokenKind::EndTag;
  const bool eof = t.kind == TokenKind::Eof;
  const bool closed = !eof && !t.openAtEof;
  // A server block is inert wherever it stands, as a comment is: the author sees the markup
  // around it, and what the server writes in its place is not known here.
  const bool serverTag = isStart && st.phase != Phase::InBody && isServerTagName(t.text);
  // Read as a server block, which is what a parser that knows no server tags must be shown.
  if (serverTag && memo_.blocks) memo_.blocks->emplace_back(t.begin, t.end);
  const bool ignorable = t.kind == TokenKind::Comment || t.kind == TokenKind::BogusComment ||
                         t.kind == TokenKind::Doctype || t.kind == TokenKind::Dropped ||
                         t.kind == TokenKind::ServerBlock || serverTag;
  const TagIs is{t};
  // Only these end tags make the parser leave the phases before the body.
  const bool otherEndTag = isEnd && !nameIn(t.text, {"head", "body", "html", "br"});
  // Text reprocessed from its first non-space character, in the next phase.
  const std::size_t textStart = t.kind == TokenKind::Text ? firstNonSpace(t.text) : 0;
  const bool spaceOnly = t.kind == TokenKind::Text && textStart == std::string_view::npos;
  const std::size_t firstChar = t.begin + (spaceOnly ? 0 : textStart);

  // A head tag as written.
  auto explicitEdge = [&](MarkKind kind, Phase next) {
    st.phase = next;
    push(headEdge(kind, t.begin, t.end, true, t.end, true, t.end), st);
    st.pos = t.end;
  };
  // A head edge the parser implies before this token, or before the first non-space character
  // of this text; true when the token must be processed again in the next phase.
  auto impliedEdge = [&](MarkKind kind, Phase next) {
    st.phase = next;
    if (t.kind == TokenKind::Text) {
      // Whether a '<' is text depends on the byte after it.
      std::size_t reach = firstChar + 1;
      bool closedText = true;
      if (src_[firstChar] == '<') {
        reach = firstChar + 2;
        if (reach > src_.size() || (src_[firstChar + 1] == '/' && reach == src_.size())) {
          reach = src_.size();
          closedText = false;
        }
      }
      push(headEdge(kind, firstChar, firstChar, false, reach, closedText, firstChar), st);
      st.pos = firstChar;
      return false;
    }
    push(headEdge(kind, t.begin, t.begin, false, t.end, closed, t.begin), st);
    return true;
  };

  while (true) {
    switch (st.phase) {
      case Phase::BeforeHtml:
        if (spaceOnly || ignorable || otherEndTag) {
          st.pos = t.end;
        } else if (is.start({"html"})) {
          st.phase = Phase::BeforeHead;
          st.pos = t.end;
        } else if (t.kind == TokenKind::Text) {
          st.phase = Phase::BeforeHead;
          st.pos = firstChar;
        } else {
          st.phase = Phase::BeforeHead;
          continue;
        }
        return;

      case Phase::BeforeHead:
        if (spaceOnly || ignorable || otherEndTag || is.start({"html"})) {
          st.pos = t.end;
        } else if (is.start({"head"})) {
          explicitEdge(MarkKind::HeadStart, Phase::InHead);
        } else if (impliedEdge(MarkKind::HeadStart, Phase::InHead)) {
          continue;
        }
        return;

      case Phase::InHead:
        if (st.templateDepth > 0 && !eof) {
          // Template content is inert: nothing in it ends the head or counts as a sheet.
          if (is.start({"template"})) {
            ++st.templateDepth;
          } else if (is.end({"template"})) {
            --st.templateDepth;
          } else if (isStart && html::textModeOf(t.text)) {
            rawElement(t, st, true, false);
            return;
          }
          st.pos = t.end;
          return;
        }
        if (spaceOnly || ignorable || otherEndTag ||
            is.start({"html", "head", "base", "basefont", "bgsound", "meta"})) {
          st.pos = t.end;
        } else if (is.start({"link"})) {
          link(t, st, true);
          st.pos = t.end;
        } else if (is.start({"title", "noscript", "noframes", "style", "script"})) {
          rawElement(t, st, true, true);
        } else if (is.start({"template"})) {
          ++st.templateDepth;
          st.pos = t.end;
        } else if (is.end({"head"})) {
          explicitEdge(MarkKind::HeadEnd, Phase::AfterHead);
        } else if (impliedEdge(MarkKind::HeadEnd, Phase::AfterHead)) {
          continue;
        }
        return;

      case Phase::AfterHead:
        if (spaceOnly || ignorable || otherEndTag ||
            is.start({"html", "head", "base", "basefont", "bgsound", "meta", "template"})) {
          st.pos = t.end;
        } else if (is.start({"body", "frameset"})) {
          st.phase = Phase::InBody;
          st.frameset = is.start({"frameset"});
          st.pos = t.end;
        } else if (is.start({"link"})) {
          // The parser puts these into the head element even after </head>.
          link(t, st, true);
          st.pos = t.end;
        } else if (is.start({"noframes", "script", "style", "title"})) {
          rawElement(t, st, true, true);
        } else if (t.kind == TokenKind::Text) {
          st.phase = Phase::InBody;
          st.pos = firstChar;
        } else {
          st.phase = Phase::InBody;
          continue;
        }
        return;

      case Phase::InBody:
        if (inBody(t, st)) return;
        continue;
    }
  }
}

// One token in the body; false when the token must be processed again.
bool PageTreeRules::inBody(const Token& t, ScanState& st) {
  const bool isStart = t.kind == TokenKind::StartTag;
  const bool isEnd = t.kind == TokenKind::EndTag;
  const TagIs is{t};

  if (st.inSelect) {
    // Inside <select> the parser drops every start tag but a few, so no other raw text starts.
    if (is.start({"script"})) {
      rawElement(t, st, false, true);
      return true;
    }
    if (is.start({"input", "keygen", "textarea"})) {
      st.inSelect = false;
      return false;
    }
    if (is.start({"select"}) || is.end({"select"})) st.inSelect = false;
    st.pos = t.end;
    return true;
  }

  if (st.foreign != 0) {
    if (!atIntegrationPoint(st.foreign)) {
      if ((isStart && breaksOutOfForeign(t, src_)) || is.end({"br", "p"})) {
        while (st.foreign != 0 && !atIntegrationPoint(st.foreign)) {
          st.foreign = foreign_[st.foreign].outer;
        }
        return false;
      }
      if (isStart) {
        if (!t.selfClosing) st.foreign = openForeign(st.foreign, t.text);
        st.pos = t.end;
        return true;
      }
      if (!isEnd) {
        st.pos = t.end;
        return true;
      }
    }
    if (isEnd) {
      for (std::uint32_t e = st.foreign; e != 0; e = foreign_[e].outer) {
        if (html::equalsLower(t.text, foreign_[e].name)) {
          st.foreign = foreign_[e].outer;
          st.pos = t.end;
          return true;
        }
      }
      // An end tag matching no foreign element is an HTML end tag (</body> among them).
    }
  }

  if (is.start({"svg", "math"})) {
    if (!t.selfClosing) st.foreign = openForeign(st.foreign, t.text);
  } else if (is.start({"select"})) {
    st.inSelect = true;
  } else if (is.end({"body"}) || (is.end({"html"}) && !st.frameset)) {
    // A page without </body> has its body end where </html> closes it.
    if (!marks_.bodyEnd()) {
      Landmark m;
      m.kind = MarkKind::BodyEnd;
      m.begin = m.innerBegin = t.begin;
      m.end = m.innerEnd = m.reach = m.after.pos = t.end;
      m.closed = true;
      push(std::move(m), st);
    }
  } else if (is.start({"link"})) {
    link(t, st, false);
  } else if (isStart && html::textModeOf(t.text)) {
    rawElement(t, st, false, true);
    return true;
  }
  st.pos = t.end;
  return true;
}

void PageTreeRules::rawElement(const Token& t, ScanState& st, bool inHead, bool record) {
  const html::TextMode mode = *html::textModeOf(t.text);
  const std::size_t innerEnd = html::rawTextEnd(src_, t.end, mode, t.text, &memo_);
  std::size_t end = src_.size();
  bool closed = false;
  Token endTag;
  if (innerEnd < src_.size()) {
    endTag = html::nextToken(src_, innerEnd, false, &memo_);
    if (endTag.kind == TokenKind::EndTag) {
      end = endTag.end;
      closed = true;
    }
  }
  if (observer_) {
    observer_->rawTextElement(t, innerEnd, end);
    if (innerEnd < src_.size() && observer_->wantsEveryToken()) observer_->token(endTag, st);
  }
  st.pos = end;
  if (!record || !html::equalsLower(t.text, "style")) return;
  Landmark m;
  m.kind = MarkKind::Style;
  m.begin = t.begin;
  m.end = m.reach = m.after.pos = end;
  m.innerBegin = t.end;
  m.innerEnd = innerEnd;
  m.inHead = inHead;
  m.closed = closed;
  push(std::move(m), st);
}

void PageTreeRules::link(const Token& t, const ScanState& st, bool inHead) {
  const auto attrs = html::tagAttributes(std::string_view(src_).substr(t.begin, t.end - t.begin));
  const auto rel = html::findAttribute(attrs, "rel");
  if (!rel || !hasToken(*rel, "stylesheet") || !html::findAttribute(attrs, "href")) return;
  Landmark m;
  m.kind = MarkKind::Link;
  m.begin = t.begin;
  m.end = m.innerBegin = m.innerEnd = m.reach = m.after.pos = t.end;
  m.inHead = inHead;
  m.closed = true;
  push(std::move(m), st);
}

// A webbot comment's bot name is taken as written.
void PageTreeRules::webbotComment(const Token& t, const ScanState& st) {
  const std::string_view text = t.text;
  if (!isWebbotComment(text)) return;
  Landmark m;
  m.kind = MarkKind::Webbot;
  m.begin = m.innerBegin = t.begin;
  m.end = m.innerEnd = m.reach = m.after.pos = t.end;
  m.closed = !t.openAtEof;
  bool start = false, end = false;
  html::attributeList(text.substr(6), attributes_);
  for (const html::Attribute& a : attributes_) {
    if (html::equalsLower(a.name, "bot")) {
      if (m.nameSize == Landmark::kNoName) {
        // An attribute without a value has no place in the text.
        m.nameOffset =
            a.value.empty() ? 0 : static_cast<std::size_t>(a.value.data() - src_.data()) - t.begin;
        m.nameSize = a.value.size();
        if (m.nameSize <= m.shortName.size()) {
          std::copy(a.value.begin(), a.value.end(), m.shortName.begin());
        }
      }
    } else if (html::equalsLower(a.name, "startspan")) {
      start = true;
    } else if (html::equalsLower(a.name, "endspan")) {
      end = true;
    }
  }
  // A comment that claims both is complete in itself.
  m.role = start == end ? WebbotRole::Single : start ? WebbotRole::Start : WebbotRole::End;
  push(std::move(m), st);
}

void PageTreeRules::push(Landmark mark, const ScanState& st) {
  const std::size_t resume = mark.after.pos;
  mark.after = st;
  mark.after.pos = resume;
  hangOnDangling(mark, memo_.firstDangling, src_.size());
  marks_.record(std::move(mark));
}

std::uint32_t PageTreeRules::openForeign(std::uint32_t outer, std::string_view name) {
  foreign_.push_back({asciiLowered(name), outer});
  return static_cast<std::uint32_t>(foreign_.size() - 1);
}

bool PageTreeRules::atIntegrationPoint(std::uint32_t entry) const {
  return isIntegrationPoint(foreign_[entry].name);
}

bool PageTreeRules::foreignContent(const ScanState& st) const {
  return st.phase == ScanState::Phase::InBody && !st.inSelect && st.foreign != 0 &&
         !atIntegrationPoint(st.foreign);
}

}  // namespace velmo::file_host
