#include "file_host/html/page_scanner.h"

#include <algorithm>
#include <utility>

#include "file_host/html/page_scan_observer.h"
#include "file_host/html/raw_text_elements.h"

namespace velmo::file_host {
namespace {

using html::Token;
using html::TokenKind;
using Phase = ScanState::Phase;

// The start tags that matter in the plain body: the raw-text elements, and those that leave it
// (svg, math, select) or are sheets (link). A name that fails this is none of them.
constexpr html::NameShape bodyStartTags() {
  html::NameShape shape = html::rawTextNameShape();
  for (std::string_view name : {"svg", "math", "select", "link"}) shape.add(name);
  return shape;
}

// The tags that matter in the plain body: those above, </body> and </html>. Others may pass the
// test; the tree rules then read them as they would anyway.
bool bodyTagMatters(std::string_view name, bool endTag) {
  static constexpr html::NameShape kStartTags = bodyStartTags();
  if (endTag) return (name[0] | 0x20) == 'b' || (name[0] | 0x20) == 'h';
  return kStartTags.mayHold(name);
}

}  // namespace

PageScanner::PageScanner(const std::string& src, LandmarkList& marks)
    : src_(src), state_(initialState(src)), rules_(src, memo_, marks) {}

ScanState PageScanner::initialState(const std::string& src) {
  ScanState st;
  // The byte order mark is no text to the parser; it must not imply a head before <html>.
  if (src.compare(0, 3, "\xEF\xBB\xBF") == 0) st.pos = 3;
  return st;
}

bool PageScanner::step() {
  if (done_) return false;
  if (plainBody() && !everyToken_) {
    state_.pos = html::skipTags(src_, state_.pos, bodyTagMatters, &memo_);
  }
  const Token t = html::nextToken(src_, state_.pos, rules_.foreignContent(state_), &memo_);
  if (t.kind == TokenKind::Eof && state_.phase == Phase::InBody) {
    done_ = true;
    return false;
  }
  if (observer_) tell(t);
  if (plainBody() && skipInBody(t)) {
    state_.pos = t.end;
  } else {
    rules_.process(t, state_);
  }
  if (everyToken_) observer_->applied(state_);
  return true;
}

bool PageScanner::plainBody() const {
  return state_.phase == Phase::InBody && !state_.inSelect && state_.foreign == 0;
}

void PageScanner::tell(const Token& t) {
  if (t.kind == TokenKind::Comment || t.kind == TokenKind::BogusComment) observer_->comment(t);
  if (everyToken_) observer_->token(t, state_);
}

// True when `t` is passed over; comments are looked at for webbots on the way.
bool PageScanner::skipInBody(const Token& t) {
  switch (t.kind) {
    case TokenKind::Comment:
      rules_.webbotComment(t, state_);
      return true;
    case TokenKind::StartTag:
      return !bodyTagMatters(t.text, false);
    case TokenKind::EndTag:
      return !bodyTagMatters(t.text, true);
    default:
      return true;
  }
}

void PageScanner::restart(const ScanState& from) {
  html::ScanMemo fresh;
  fresh.blocks = memo_.blocks;
  fresh.templates.syntax = memo_.templates.syntax;
  memo_ = std::move(fresh);
  resume(from, false);
}

void PageScanner::resume(const ScanState& from, bool done) {
  state_ = from;
  done_ = done;
}

void PageScanner::noteDangling(std::size_t at) {
  memo_.firstDangling = std::min(memo_.firstDangling, at);
}

void PageScanner::setObserver(ScanObserver* observer) {
  observer_ = observer;
  everyToken_ = observer && observer->wantsEveryToken();
  rules_.setObserver(observer);
  memo_.blocks = observer ? observer->serverBlocks() : nullptr;
}

void observePage(const std::string& src, ScanObserver& observer, html::TemplateSyntax syntax,
                 const std::function<bool()>& more) {
  LandmarkList marks(std::pmr::get_default_resource());
  PageScanner scanner(src, marks);
  scanner.setTemplateSyntax(syntax);
  scanner.setObserver(&observer);
  while ((!more || more()) && scanner.step()) {
  }
}

}  // namespace velmo::file_host
