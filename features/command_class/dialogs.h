#pragma once
// Each command's dialog: one shared instance per user-interface environment, made by the first
// command that needs it. The command class and velmo both reach the dialogs through these, so a
// dialog is made the same way whoever shows it.

#include "core/page_host/page_host.h"
#include "core/platform/ui_environment.h"

namespace velmo {

class frmAddToFavor2;
class frmAds;
class frmDate;
class frmSlide;
class frmstyletest;

// The dialogs that work on a page keep the host they were made with.
frmstyletest& styleDialog(UiEnvironment& ui, PageHost& host);
frmAddToFavor2& favouritesDialog(UiEnvironment& ui, PageHost& host);
frmSlide& slideDialog(UiEnvironment& ui, PageHost& host);
frmDate& dateDialog(UiEnvironment& ui, PageHost& host);
frmAds& offersWindow(UiEnvironment& ui);

}  // namespace velmo
