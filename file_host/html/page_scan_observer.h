#pragma once
// What the page scanner tells an observer as it reads: for comparing the scan with other parsers
// and for questions about markup the landmarks do not keep (where an offset stands, which text is
// a script's, a help page's text). The scanner reads the same tokens whether or not one looks on,
// unless the observer asks for every token; without one it pays a test of a null pointer per
// token.

#include <cstddef>
#include <utility>
#include <vector>

#include "file_host/html/html_scan.h"
#include "file_host/html/page_landmarks.h"

namespace velmo::file_host {

class ScanObserver {
 public:
  // A comment or bogus comment token, wherever the scan met it.
  virtual void comment(const html::Token&) {}
  // An element whose content is text (see kRawTextElements): its start tag, where the content
  // ends (where the end tag starts) and where the element ends (the page's end when it has no
  // end tag).
  virtual void rawTextElement(const html::Token& /*startTag*/, std::size_t /*innerEnd*/,
                              std::size_t /*end*/) {}
  // Where every server block the scan passes is to be added, nested ones included (one read
  // twice is added twice); nullptr when the observer does not want them.
  virtual std::vector<std::pair<std::size_t, std::size_t>>* serverBlocks() { return nullptr; }

  // True: the scan reads the body token by token (instead of passing over the tags that mean
  // nothing to the landmarks) and tells `token` of each one. The landmarks stay the same.
  virtual bool wantsEveryToken() const { return false; }
  // A token read where the tree builder stands at `state`, before it is applied: in document
  // order, a raw-text element's end tag included (after rawTextElement). Text that the tree
  // builder reads again from its first non-space character, in the phase the text leads to (the
  // body, after an implied head edge), is told again from there.
  virtual void token(const html::Token& /*token*/, const ScanState& /*state*/) {}
  // The tree builder has applied the token last told (not counting a raw-text element's end
  // tag) and now stands at `after`: in the body when that token went into the body.
  virtual void applied(const ScanState& /*after*/) {}

 protected:
  ~ScanObserver() = default;
};

}  // namespace velmo::file_host
