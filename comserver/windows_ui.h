#pragma once
// The library's user interface on Windows: real windows for the dialogs, the system's message
// boxes and common dialogs, the registry settings store, HTML Help and the shell, with
// helptest.chm beside the DLL. One environment serves every command object; it is made on first
// use.

#include "forms/ui_environment.h"

namespace velmo::win {

UiEnvironment& windowsUi();

// True while a dialog window is open (a modeless one outlives the command that showed it): the
// DLL must not be unloaded then.
bool windowsUiInUse();

// Ends the environment (the dialogs with their help windows) when the DLL agrees to be
// unloaded; the next command makes a new one.
void releaseWindowsUi() noexcept;

}  // namespace velmo::win
