#pragma once
// The command class: one method per command of the editor add-in. Dialog commands show their
// dialog; the page operations work on the open page directly. The class holds no data of its own.

#include <string>

#include "entry/page_host.h"

namespace velmo {

class clstestt {
 public:
  explicit clstestt(PageHost& host) : host_(host) {}

  void style();
  void addtofavor();
  // True when the active page holds a webbot block whose bot name equals strName exactly.
  bool botfound(const std::u16string& strName);
  // Removes the first webbot block whose bot name equals strName exactly.
  void eraseBot(const std::u16string& strName);
  // Appends strCode, wrapped in a script element, to the HEAD of the active page.
  void scriptHead2(const std::u16string& strCode);
  void slide();
  void CurDate();
  void ads();

 private:
  PageHost& host_;
};

// The block that scriptHead2 appends to the HEAD for strCode.
std::u16string scriptHead2Block(const std::u16string& strCode);

}  // namespace velmo
