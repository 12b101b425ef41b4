#pragma once
// Reads a page token by token from a scan state and applies the tree rules, so that the
// landmarks go to the list in document order. In the body, outside <select>, SVG and MathML, most
// of a page is text, comments and tags that change nothing the rules keep: there it passes over
// them without making tokens or taking the tree builder's steps.

#include <cstddef>
#include <functional>
#include <string>

#include "file_host/html/html_scan.h"
#include "file_host/html/landmark_list.h"
#include "file_host/html/page_landmarks.h"
#include "file_host/html/page_tree_rules.h"

namespace velmo::file_host {

class ScanObserver;

class PageScanner {
 public:
  // `src` and `marks` outlive the scanner.
  PageScanner(const std::string& src, LandmarkList& marks);

  // Where a scan of `src` starts.
  static ScanState initialState(const std::string& src);

  // Reads one token; false once the page is read to its end.
  bool step();
  bool done() const { return done_; }
  const ScanState& state() const { return state_; }

  // The text changed: scanning goes on from `from`, and what was learnt of the old text is
  // forgotten.
  void restart(const ScanState& from);
  // Scanning goes on from `from` (where a scan of this text had got to), `done` when it had
  // read the whole page.
  void resume(const ScanState& from, bool done);

  // The first "<%" read as text for want of a closer (html::ScanMemo::kNone when none), and a
  // later one learnt some other way.
  std::size_t firstDangling() const { return memo_.firstDangling; }
  void noteDangling(std::size_t at);
  // A landmark found after the first "<%" read as text hangs on the rest of the page.
  void hangOnDangling(Landmark& mark) const {
    file_host::hangOnDangling(mark, memo_.firstDangling, src_.size());
  }

  // The page is written in a template language: its blocks are read as server blocks.
  void setTemplateSyntax(html::TemplateSyntax syntax) { memo_.templates.syntax = syntax; }
  html::TemplateSyntax templateSyntax() const { return memo_.templates.syntax; }

  // Tells `observer` (nullptr: nobody) what the scan reads from now on.
  void setObserver(ScanObserver* observer);

 private:
  bool plainBody() const;
  bool skipInBody(const html::Token& t);
  void tell(const html::Token& t);

  const std::string& src_;
  ScanState state_;
  bool done_ = false;
  ScanObserver* observer_ = nullptr;
  bool everyToken_ = false;  // the observer wants every token: the body is not skimmed
  // What the scan learnt of the page since the text last changed. Once it has read a "<%" as
  // text for want of a "%>", every landmark after it hangs on the rest of the page.
  html::ScanMemo memo_;
  PageTreeRules rules_;
};

// Reads `src` from its start, as a page of `syntax`, to its end or until `more()` is false
// between two tokens, and tells `observer` what the scan meets; the landmarks found are dropped.
// For questions about a page that the landmarks do not answer.
void observePage(const std::string& src, ScanObserver& observer,
                 html::TemplateSyntax syntax = html::TemplateSyntax::None,
                 const std::function<bool()>& more = nullptr);

}  // namespace velmo::file_host
