#pragma once
// Just enough of the HTML5 tree builder to place the landmarks: where the head begins and ends,
// which STYLE and LINK elements are sheets (and whether they belong to the head), when element
// content is raw text (not inside <select>, SVG or MathML), and the first </body>. Each token is
// applied to a scan state, and the landmarks it makes go to the list.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "file_host/html/html_scan.h"
#include "file_host/html/landmark_list.h"
#include "file_host/html/page_landmarks.h"

namespace velmo::file_host {

class ScanObserver;

class PageTreeRules {
 public:
  // `src`, `memo` and `marks` belong to the scan that uses the rules, and outlive them.
  PageTreeRules(const std::string& src, html::ScanMemo& memo, LandmarkList& marks)
      : src_(src), memo_(memo), marks_(marks) {}

  // Applies token `t`, read at `st.pos`: `st` moves on past what it consumed (a raw-text
  // element's content and end tag included) into the phase it leads to.
  void process(const html::Token& t, ScanState& st);
  // Records the comment as a webbot landmark when it is one.
  void webbotComment(const html::Token& t, const ScanState& st);
  // Whether the tokenizer reads foreign content (CDATA sections) at `st`.
  bool foreignContent(const ScanState& st) const;

  void setObserver(ScanObserver* observer) { observer_ = observer; }

 private:
  bool inBody(const html::Token& t, ScanState& st);
  void rawElement(const html::Token& t, ScanState& st, bool inHead, bool record);
  void link(const html::Token& t, const ScanState& st, bool inHead);
  void push(Landmark mark, const ScanState& st);
  std::uint32_t openForeign(std::uint32_t outer, std::string_view name);
  bool atIntegrationPoint(std::uint32_t entry) const;

  const std::string& src_;
  html::ScanMemo& memo_;
  LandmarkList& marks_;
  ScanObserver* observer_ = nullptr;
  std::vector<html::Attribute> attributes_;  // scratch for webbot comments
  // The open foreign elements of every scan state, as a tree of entries that each name one
  // element (lower case) and the entry of the element around it; entry 0 stands for none.
  struct ForeignEntry {
    std::string name;
    std::uint32_t outer = 0;
  };
  std::vector<ForeignEntry> foreign_{ForeignEntry{}};
};

}  // namespace velmo::file_host
