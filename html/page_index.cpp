#include "html/page_index.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>

#include "html/html_scan.h"

namespace velmo::standalone {
namespace {

using html::Token;
using html::TokenKind;
using Phase = ScanState::Phase;

ScanState initialState(const std::string& src) {
  ScanState st;
  // The byte order mark is no text to the parser; it must not imply a head before <html>.
  if (src.compare(0, 3, "\xEF\xBB\xBF") == 0) st.pos = 3;
  return st;
}

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

std::string lowerName(std::string_view name) {
  std::string out(name);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return out;
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

}  // namespace

PageIndex::PageIndex(const std::string& source) : src_(source), state_(initialState(source)) {}

void PageIndex::invalidateFrom(std::size_t offset) {
  stale_.clear();
  dropFrom(offset);
}

// Landmarks that bytes from `offset` on decided are gone; scanning goes on after the last kept.
void PageIndex::dropFrom(std::size_t offset) {
  std::size_t n = marks_.size();
  while (n > 0) {
    const Landmark& m = marks_[n - 1];
    if (m.reach < offset || (m.reach == offset && m.closed)) break;
    --n;
  }
  truncate(n);
  // The memo speaks of the old text; the landmarks that hang on an unclosed "<%" were dropped
  // with it, and scanning from the last kept one reads that "<%" again.
  memo_ = html::ScanMemo{.blocks = memo_.blocks};
  state_ = marks_.empty() ? initialState(src_) : marks_.back().after;
  done_ = false;
  blocksValid_ = false;
}

void PageIndex::truncate(std::size_t n) {
  marks_.resize(n);
  while (!sheets_.empty() && sheets_.back() >= n) sheets_.pop_back();
  while (!webbots_.empty() && webbots_.back() >= n) webbots_.pop_back();
  for (auto* slot : {&headStart_, &headEnd_, &bodyEnd_}) {
    if (*slot && **slot >= n) slot->reset();
  }
}

namespace {

void shift(std::size_t& pos, std::ptrdiff_t delta) {
  pos = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(pos) + delta);
}

void shift(Landmark& m, std::ptrdiff_t delta) {
  for (std::size_t* p : {&m.begin, &m.end, &m.innerBegin, &m.innerEnd, &m.reach, &m.after.pos}) {
    shift(*p, delta);
  }
}

bool sameState(const ScanState& a, const ScanState& b) {
  return a.pos == b.pos && a.phase == b.phase && a.inSelect == b.inSelect &&
         a.templateDepth == b.templateDepth && a.foreign == b.foreign;
}

}  // namespace

void PageIndex::edited(std::size_t begin, std::size_t end, std::size_t inserted) {
  const std::ptrdiff_t delta =
      static_cast<std::ptrdiff_t>(inserted) - static_cast<std::ptrdiff_t>(end - begin);
  // The landmarks after the edit, and where the scan that found them had got to, in the new
  // text's places: scanning the edited stretch again usually meets them again, and from there
  // on everything the old scan found holds.
  std::pmr::deque<Landmark> after(&pool_);
  auto first = std::lower_bound(marks_.begin(), marks_.end(), end,
                                [](const Landmark& m, std::size_t x) { return m.begin < x; });
  const auto firstAfter = static_cast<std::size_t>(first - marks_.begin());
  // The old scan's first </body>, counted from the first landmark after the edit.
  staleBodyEnd_ = bodyEnd_ ? std::optional<std::ptrdiff_t>(static_cast<std::ptrdiff_t>(*bodyEnd_) -
                                                           static_cast<std::ptrdiff_t>(firstAfter))
                           : std::nullopt;
  staleDropped_ = 0;
  if (!trace_) after.assign(std::make_move_iterator(first), std::make_move_iterator(marks_.end()));
  for (Landmark& m : after) shift(m, delta);
  staleState_ = state_;
  shift(staleState_.pos, delta);
  staleDone_ = done_;
  // An unclosed "<%" after the edit stays one: the bytes after it did not change.
  staleDangling_ = memo_.firstDangling != html::ScanMemo::kNone && memo_.firstDangling >= end
                       ? memo_.firstDangling + static_cast<std::size_t>(delta)
                       : html::ScanMemo::kNone;

  dropFrom(begin);
  stale_ = std::move(after);
  // Scan on until the scan meets an old landmark in the same state, or has passed them all.
  while (!stale_.empty() && step()) {
    // A landmark begins at or after the token being scanned: old ones before it are passed.
    while (!stale_.empty() && stale_.front().begin < state_.pos) dropStale();
  }
  stale_.clear();
}

std::uint32_t PageIndex::openForeign(std::uint32_t outer, std::string_view name) {
  foreign_.push_back({lowerName(name), outer});
  return static_cast<std::uint32_t>(foreign_.size() - 1);
}

void PageIndex::dropStale() {
  stale_.pop_front();
  ++staleDropped_;
}

// Called after a step pushed the landmarks from `from` on: at the first that stands where an old
// one stood, in the same state, the rest of the old landmarks are taken over.
void PageIndex::resync(std::size_t from) {
  for (std::size_t i = from; i < marks_.size() && !stale_.empty(); ++i) {
    const Landmark& m = marks_[i];
    while (!stale_.empty() && stale_.front().begin < m.begin) dropStale();
    if (stale_.empty()) return;
    const Landmark& old = stale_.front();
    // Whether the first </body> was found already is the one thing besides the state that
    // decides what a scan records later.
    const bool bodyEndBefore = bodyEnd_ && *bodyEnd_ < i;
    const bool oldBodyEndBefore =
        staleBodyEnd_ && *staleBodyEnd_ < static_cast<std::ptrdiff_t>(staleDropped_);
    if (old.begin != m.begin || old.kind != m.kind || !sameState(old.after, m.after) ||
        bodyEndBefore != oldBodyEndBefore) {
      continue;
    }
    truncate(i + 1);
    stale_.pop_front();
    memo_.firstDangling = std::min(memo_.firstDangling, staleDangling_);
    if (memo_.firstDangling != html::ScanMemo::kNone) {
      for (Landmark& l : stale_) hangOnDangling(l);
    }
    for (Landmark& l : stale_) record(std::move(l));
    stale_.clear();
    state_ = staleState_;
    done_ = staleDone_;
    return;
  }
}

HeadSpan PageIndex::head() {
  while (!headEnd_ && step()) {
  }
  const Landmark& s = marks_[*headStart_];
  const Landmark& e = marks_[*headEnd_];
  return {s.begin, s.innerBegin, e.innerEnd, e.end, s.explicitTag, e.explicitTag};
}

std::vector<std::size_t> PageIndex::headSheets() {
  while (state_.phase != Phase::InBody && step()) {
  }
  std::vector<std::size_t> out;
  for (std::size_t i : sheets_) {
    if (marks_[i].inHead) out.push_back(i);
  }
  return out;
}

std::optional<std::size_t> PageIndex::bodyEndTag() {
  while (!bodyEnd_ && step()) {
  }
  if (!bodyEnd_) return std::nullopt;
  return marks_[*bodyEnd_].begin;
}

std::size_t PageIndex::sheetCount() {
  scanAll();
  return sheets_.size();
}

std::optional<std::size_t> PageIndex::sheet(std::size_t i) {
  while (sheets_.size() <= i && step()) {
  }
  if (i >= sheets_.size()) return std::nullopt;
  return sheets_[i];
}

const std::pmr::vector<WebbotBlock>& PageIndex::webbotBlocks() {
  scanAll();
  if (blocksValid_) return blocks_;
  // Each end comment closes the nearest open block of the same name; an end without an open
  // block is no block at all.
  blocks_.clear();
  // The innermost open block of each name, and for each open block the one it hides; comments
  // without a bot attribute pair among themselves. The block opened last waits outside the table
  // until another one opens, so a start followed by its own end, the usual case, costs no lookup.
  constexpr std::size_t kNone = SIZE_MAX;
  std::unordered_map<std::string_view, std::size_t> innermost;
  std::size_t innermostUnnamed = kNone;
  std::vector<std::size_t> hidden;
  std::size_t waiting = kNone;
  hidden.reserve(webbots_.size());
  blocks_.reserve(webbots_.size());
  auto enterWaiting = [&] {
    if (waiting == kNone) return;
    const auto name = botName(blocks_[waiting].start);
    std::size_t& top = name ? innermost.try_emplace(*name, kNone).first->second : innermostUnnamed;
    hidden[waiting] = top;
    top = waiting;
    waiting = kNone;
  };
  for (std::size_t m : webbots_) {
    const Landmark& w = marks_[m];
    if (w.role == WebbotRole::Single) {
      blocks_.push_back({m, std::nullopt});
      hidden.push_back(kNone);
      continue;
    }
    const auto name = botName(m);
    if (w.role == WebbotRole::Start) {
      enterWaiting();
      waiting = blocks_.size();
      blocks_.push_back({m, std::nullopt});
      hidden.push_back(kNone);
      continue;
    }
    if (waiting != kNone && botName(blocks_[waiting].start) == name) {
      blocks_[waiting].end = m;
      waiting = kNone;
      continue;
    }
    enterWaiting();
    if (!name) {
      if (innermostUnnamed == kNone) continue;
      blocks_[innermostUnnamed].end = m;
      innermostUnnamed = hidden[innermostUnnamed];
      continue;
    }
    const auto it = innermost.find(*name);
    if (it == innermost.end()) continue;
    blocks_[it->second].end = m;
    if (hidden[it->second] == kNone) {
      innermost.erase(it);
    } else {
      it->second = hidden[it->second];
    }
  }
  blocksValid_ = true;
  return blocks_;
}

std::optional<std::string_view> PageIndex::botName(std::size_t i) const {
  const Landmark& m = marks_[i];
  if (m.nameSize == Landmark::kNoName) return std::nullopt;
  if (m.nameSize <= m.shortName.size()) return std::string_view(m.shortName.data(), m.nameSize);
  return std::string_view(src_).substr(m.begin + m.nameOffset, m.nameSize);
}

std::optional<std::size_t> PageIndex::webbotBlockAt(std::size_t begin) {
  const auto& blocks = webbotBlocks();
  auto it = std::lower_bound(
      blocks.begin(), blocks.end(), begin,
      [&](const WebbotBlock& b, std::size_t x) { return marks_[b.start].begin < x; });
  if (it == blocks.end() || marks_[it->start].begin != begin) return std::nullopt;
  return static_cast<std::size_t>(it - blocks.begin());
}

std::optional<std::size_t> PageIndex::find(MarkKind kind, std::size_t begin) {
  while (state_.pos <= begin && step()) {
  }
  auto it = std::lower_bound(marks_.begin(), marks_.end(), begin,
                             [](const Landmark& m, std::size_t x) { return m.begin < x; });
  for (; it != marks_.end() && it->begin == begin; ++it) {
    if (it->kind == kind) return static_cast<std::size_t>(it - marks_.begin());
  }
  return std::nullopt;
}

std::vector<TraceItem> PageIndex::trace() {
  std::vector<TraceItem> out;
  std::vector<std::pair<std::size_t, std::size_t>> blocks;
  invalidateFrom(0);
  trace_ = &out;
  memo_.blocks = &blocks;
  scanAll();
  memo_.blocks = nullptr;
  trace_ = nullptr;
  // A block in a tag or in raw text may be read more than once.
  std::sort(blocks.begin(), blocks.end());
  blocks.erase(std::unique(blocks.begin(), blocks.end()), blocks.end());
  for (const auto& [begin, end] : blocks) {
    out.push_back({TraceItem::Kind::ServerBlock, begin, end, begin, end});
  }
  std::stable_sort(out.begin(), out.end(),
                   [](const TraceItem& a, const TraceItem& b) { return a.begin < b.begin; });
  return out;
}

std::size_t PageIndex::endOfMarkup() {
  const std::string_view src(src_);
  if (src.ends_with("?>") || src.ends_with("%>")) return src.size();
  for (const TraceItem& item : trace()) {
    if (item.kind == TraceItem::Kind::ServerBlock && item.end == src.size()) return item.begin;
  }
  return src.size();
}

void PageIndex::scanAll() {
  while (step()) {
  }
}

namespace {

// The tags that matter in the body outside <select>, SVG and MathML: svg, math, select, link, the
// raw-text elements (names of three to nine letters, of these first letters) and </body>.
bool bodyTagMatters(std::string_view name, bool endTag) {
  const char first = static_cast<char>(name[0] | 0x20);
  if (endTag) return first == 'b';
  if (name.size() < 3 || name.size() > 9) return false;
  return std::string_view("smltxinp").find(first) != std::string_view::npos;
}

}  // namespace

bool PageIndex::step() {
  if (done_) return false;
  if (plainBody()) state_.pos = html::skipTags(src_, state_.pos, bodyTagMatters, &memo_);
  const bool foreign = state_.phase == Phase::InBody && !state_.inSelect && state_.foreign != 0 &&
                       !isIntegrationPoint(foreignName(state_.foreign));
  const Token t = html::nextToken(src_, state_.pos, foreign, &memo_);
  if (t.kind == TokenKind::Eof && state_.phase == Phase::InBody) {
    done_ = true;
    return false;
  }
  const std::size_t before = marks_.size();
  if (plainBody() && skipInBody(t)) {
    state_.pos = t.end;
  } else {
    process(t);
  }
  if (!stale_.empty() && marks_.size() > before) resync(before);
  return true;
}

// In the body, outside <select>, SVG and MathML, most of a page is text, comments and tags that
// change nothing the index keeps; they are passed over here without the tree builder's steps.
bool PageIndex::plainBody() const {
  return state_.phase == Phase::InBody && !state_.inSelect && state_.foreign == 0 && !trace_;
}

bool PageIndex::skipInBody(const Token& t) {
  switch (t.kind) {
    case TokenKind::Comment:
      webbotComment(t);
      return true;
    case TokenKind::StartTag:
      return !bodyTagMatters(t.text, false);
    case TokenKind::EndTag:
      return !bodyTagMatters(t.text, true);
    default:
      return true;
  }
}

void PageIndex::push(Landmark mark) {
  const std::size_t resume = mark.after.pos;
  mark.after = state_;
  mark.after.pos = resume;
  hangOnDangling(mark);
  record(std::move(mark));
}

// A "<%" read as text would open a block if a "%>" were written anywhere after it: what the scan
// found after one hangs on the rest of the page.
void PageIndex::hangOnDangling(Landmark& mark) const {
  if (mark.reach > memo_.firstDangling) {
    mark.reach = src_.size();
    mark.closed = false;
  }
}

void PageIndex::record(Landmark mark) {
  const std::size_t i = marks_.size();
  switch (mark.kind) {
    case MarkKind::HeadStart:
      headStart_ = i;
      break;
    case MarkKind::HeadEnd:
      headEnd_ = i;
      break;
    case MarkKind::BodyEnd:
      bodyEnd_ = i;
      break;
    case MarkKind::Style:
    case MarkKind::Link:
      sheets_.push_back(i);
      break;
    case MarkKind::Webbot:
      webbots_.push_back(i);
      break;
  }
  marks_.push_back(std::move(mark));
}

namespace {

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

}  // namespace

void PageIndex::process(const Token& t) {
  ScanState& st = state_;
  if (t.kind == TokenKind::Comment) webbotComment(t);
  if (trace_ && (t.kind == TokenKind::Comment || t.kind == TokenKind::BogusComment)) {
    trace_->push_back({TraceItem::Kind::Comment, t.begin, t.end, t.begin, t.end});
  }
  const bool isStart = t.kind == TokenKind::StartTag;
  const bool isEnd = t.kind == TokenKind::EndTag;
  const bool eof = t.kind == TokenKind::Eof;
  const bool closed = !eof && !t.openAtEof;
  // A server block is inert wherever it stands, as a comment is: the author sees the markup
  // around it, and what the server writes in its place is not known here.
  const bool ignorable = t.kind == TokenKind::Comment || t.kind == TokenKind::BogusComment ||
                         t.kind == TokenKind::Doctype || t.kind == TokenKind::Dropped ||
                         t.kind == TokenKind::ServerBlock;
  auto startIs = [&](std::initializer_list<std::string_view> names) {
    return isStart && nameIn(t.text, names);
  };
  auto endIs = [&](std::initializer_list<std::string_view> names) {
    return isEnd && nameIn(t.text, names);
  };
  // Only these end tags make the parser leave the phases before the body.
  const bool otherEndTag = isEnd && !nameIn(t.text, {"head", "body", "html", "br"});
  // Text reprocessed from its first non-space character, in the next phase.
  const std::size_t textStart = t.kind == TokenKind::Text ? firstNonSpace(t.text) : 0;
  const bool spaceOnly = t.kind == TokenKind::Text && textStart == std::string_view::npos;
  const std::size_t firstChar = t.begin + (spaceOnly ? 0 : textStart);

  // A head tag as written.
  auto explicitEdge = [&](MarkKind kind, Phase next) {
    st.phase = next;
    push(headEdge(kind, t.begin, t.end, true, t.end, true, t.end));
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
      push(headEdge(kind, firstChar, firstChar, false, reach, closedText, firstChar));
      st.pos = firstChar;
      return false;
    }
    push(headEdge(kind, t.begin, t.begin, false, t.end, closed, t.begin));
    return true;
  };

  while (true) {
    switch (st.phase) {
      case Phase::BeforeHtml:
        if (spaceOnly || ignorable || otherEndTag) {
          st.pos = t.end;
        } else if (startIs({"html"})) {
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
        if (spaceOnly || ignorable || otherEndTag || startIs({"html"})) {
          st.pos = t.end;
        } else if (startIs({"head"})) {
          explicitEdge(MarkKind::HeadStart, Phase::InHead);
        } else if (impliedEdge(MarkKind::HeadStart, Phase::InHead)) {
          continue;
        }
        return;

      case Phase::InHead:
        if (st.templateDepth > 0 && !eof) {
          // Template content is inert: nothing in it ends the head or counts as a sheet.
          if (startIs({"template"})) {
            ++st.templateDepth;
          } else if (endIs({"template"})) {
            --st.templateDepth;
          } else if (isStart && html::textModeOf(t.text)) {
            rawElement(t, true, false);
            return;
          }
          st.pos = t.end;
          return;
        }
        if (spaceOnly || ignorable || otherEndTag ||
            startIs({"html", "head", "base", "basefont", "bgsound", "meta"})) {
          st.pos = t.end;
        } else if (startIs({"link"})) {
          link(t, true);
          st.pos = t.end;
        } else if (startIs({"title", "noscript", "noframes", "style", "script"})) {
          rawElement(t, true, true);
        } else if (startIs({"template"})) {
          ++st.templateDepth;
          st.pos = t.end;
        } else if (endIs({"head"})) {
          explicitEdge(MarkKind::HeadEnd, Phase::AfterHead);
        } else if (impliedEdge(MarkKind::HeadEnd, Phase::AfterHead)) {
          continue;
        }
        return;

      case Phase::AfterHead:
        if (spaceOnly || ignorable || otherEndTag ||
            startIs({"html", "head", "base", "basefont", "bgsound", "meta", "template"})) {
          st.pos = t.end;
        } else if (startIs({"body", "frameset"})) {
          st.phase = Phase::InBody;
          st.pos = t.end;
        } else if (startIs({"link"})) {
          // The parser puts these into the head element even after </head>.
          link(t, true);
          st.pos = t.end;
        } else if (startIs({"noframes", "script", "style", "title"})) {
          rawElement(t, true, true);
        } else if (t.kind == TokenKind::Text) {
          st.phase = Phase::InBody;
          st.pos = firstChar;
        } else {
          st.phase = Phase::InBody;
          continue;
        }
        return;

      case Phase::InBody:
        if (inBody(t)) return;
        continue;
    }
  }
}

// One token in the body; false when the token must be processed again.
bool PageIndex::inBody(const Token& t) {
  ScanState& st = state_;
  const bool isStart = t.kind == TokenKind::StartTag;
  const bool isEnd = t.kind == TokenKind::EndTag;
  auto startIs = [&](std::initializer_list<std::string_view> names) {
    return isStart && nameIn(t.text, names);
  };
  auto endIs = [&](std::initializer_list<std::string_view> names) {
    return isEnd && nameIn(t.text, names);
  };

  if (st.inSelect) {
    // Inside <select> the parser drops every start tag but a few, so no other raw text starts.
    if (startIs({"script"})) {
      rawElement(t, false, true);
      return true;
    }
    if (startIs({"input", "keygen", "textarea"})) {
      st.inSelect = false;
      return false;
    }
    if (startIs({"select"}) || endIs({"select"})) st.inSelect = false;
    st.pos = t.end;
    return true;
  }

  if (st.foreign != 0) {
    if (!isIntegrationPoint(foreignName(st.foreign))) {
      if ((isStart && breaksOutOfForeign(t, src_)) || endIs({"br", "p"})) {
        while (st.foreign != 0 && !isIntegrationPoint(foreignName(st.foreign))) {
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
        if (html::equalsLower(t.text, foreignName(e))) {
          st.foreign = foreign_[e].outer;
          st.pos = t.end;
          return true;
        }
      }
      // An end tag matching no foreign element is an HTML end tag (</body> among them).
    }
  }

  if (startIs({"svg", "math"})) {
    if (!t.selfClosing) st.foreign = openForeign(st.foreign, t.text);
  } else if (startIs({"select"})) {
    st.inSelect = true;
  } else if (endIs({"body"})) {
    if (!bodyEnd_) {
      Landmark m;
      m.kind = MarkKind::BodyEnd;
      m.begin = m.innerBegin = t.begin;
      m.end = m.innerEnd = m.reach = m.after.pos = t.end;
      m.closed = true;
      push(std::move(m));
    }
  } else if (startIs({"link"})) {
    link(t, false);
  } else if (isStart && html::textModeOf(t.text)) {
    rawElement(t, false, true);
    return true;
  }
  st.pos = t.end;
  return true;
}

void PageIndex::rawElement(const Token& t, bool inHead, bool record) {
  const html::TextMode mode = *html::textModeOf(t.text);
  const std::size_t innerEnd = html::rawTextEnd(src_, t.end, mode, t.text, &memo_);
  std::size_t end = src_.size();
  bool closed = false;
  if (innerEnd < src_.size()) {
    const Token endTag = html::nextToken(src_, innerEnd, false, &memo_);
    if (endTag.kind == TokenKind::EndTag) {
      end = endTag.end;
      closed = true;
    }
  }
  state_.pos = end;
  const bool style = html::equalsLower(t.text, "style");
  if (trace_ && (style || html::equalsLower(t.text, "script"))) {
    trace_->push_back(
        {style ? TraceItem::Kind::Style : TraceItem::Kind::Script, t.begin, end, t.end, innerEnd});
  }
  if (!style || !record) return;
  Landmark m;
  m.kind = MarkKind::Style;
  m.begin = t.begin;
  m.end = m.reach = m.after.pos = end;
  m.innerBegin = t.end;
  m.innerEnd = innerEnd;
  m.inHead = inHead;
  m.closed = closed;
  push(std::move(m));
}

void PageIndex::link(const Token& t, bool inHead) {
  const auto attrs = html::tagAttributes(std::string_view(src_).substr(t.begin, t.end - t.begin));
  const auto rel = html::findAttribute(attrs, "rel");
  if (!rel || !hasToken(*rel, "stylesheet") || !html::findAttribute(attrs, "href")) return;
  Landmark m;
  m.kind = MarkKind::Link;
  m.begin = t.begin;
  m.end = m.innerBegin = m.innerEnd = m.reach = m.after.pos = t.end;
  m.inHead = inHead;
  m.closed = true;
  push(std::move(m));
}

// A comment whose text begins with the word "webbot"; its bot name is taken as written.
void PageIndex::webbotComment(const Token& t) {
  const std::string_view text = t.text;
  if (text.size() < 6 || !html::equalsLower(text.substr(0, 6), "webbot")) return;
  if (text.size() > 6 && !html::isSpace(text[6])) return;
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
  push(std::move(m));
}

}  // namespace velmo::standalone
