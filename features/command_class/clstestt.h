#pragma once
// The command class: one method per command of the editor add-in. Dialog commands show their
// dialog through the user-interface environment (one shared instance per dialog and
// environment, and one environment per thread); the page operations work on the open page
// directly. The class holds no data of its own.

#include <string>

#include "core/page_host/page_host.h"
#include "core/platform/ui_environment.h"

namespace velmo {

class clstestt {
 public:
  // Page operations only: the dialog commands fail without a user interface.
  explicit clstestt(PageHost& host) : host_(host) {}
  clstestt(PageHost& host, UiEnvironment& ui) : host_(host), ui_(&ui) {}

  void style();
  // Shows frmAddToFavor2 modally; returns once it has closed.
  void addtofavor();
  // True when the active page holds a webbot block whose bot name equals strName exactly.
  bool botfound(const std::u16string& strName);
  // Removes the first webbot block whose bot name equals strName exactly.
  void eraseBot(const std::u16string& strName);
  // Appends strCode, wrapped in a script element, to the HEAD of the active page. Fails (and
  // changes nothing) when the HEAD changed between reads kScriptHeadAttempts times in a row.
  void scriptHead2(const std::u16string& strCode);
  static constexpr int kScriptHeadAttempts = 8;
  // Shows frmSlide modally; returns once it has closed.
  void slide();
  // Shows frmDate modally; returns once it has closed.
  void CurDate();
  // Shows frmAds modelessly and returns at once; while it is open, shows the same window again.
  void ads();

 private:
  UiEnvironment& ui();

  PageHost& host_;
  UiEnvironment* ui_ = nullptr;
};

// The block that scriptHead2 appends to the HEAD for strCode.
std::u16string scriptHead2Block(const std::u16string& strCode);

}  // namespace velmo
