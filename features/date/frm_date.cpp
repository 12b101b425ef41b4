#include "features/date/frm_date.h"

#include "core/page_host/page_access.h"
#include "features/date/date_block.h"
#include "features/date/frm_date_layout.h"

namespace velmo {

namespace ctl = date_controls;

frmDate::frmDate(PageHost& host, Platform& platform)
    : Form(frmDateDesign(), platform.messages), host_(host) {
  on(ctl::cmdDo, forms::Event::Click, [this] { cmdDo_Click(); });
  on(ctl::cmdCancel, forms::Event::Click, [this] { cmdCancel_Click(); });
}

void frmDate::cmdDo_Click() {
  pasteAtSelection(host_, dateBlock());
  unload();
}

void frmDate::cmdCancel_Click() {
  unload();
}

}  // namespace velmo
