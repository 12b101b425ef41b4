#pragma once
// frmDate: asks for confirmation and pastes the current-date block at the page's selection.

#include "core/forms/form.h"
#include "core/page_host/page_host.h"
#include "core/platform/platform.h"

namespace velmo {

class frmDate : public forms::Form {
 public:
  frmDate(PageHost& host, Platform& platform);

  // "Do it": pastes the block at the selection of the active page window's document, then
  // unloads. A host failure leaves the dialog open.
  void cmdDo_Click();
  void cmdCancel_Click();

 private:
  PageHost& host_;
};

}  // namespace velmo
