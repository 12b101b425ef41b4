#pragma once
// The library's user interface on Windows: real windows for the dialogs, the system's message
// boxes and common dialogs, the registry settings store, HTML Help and the shell, with
// helptest.chm beside the DLL. Each thread has an environment of its own, made by its first
// dialog command: the clstestt objects called on one thread share its dialog instances, and
// nothing of a dialog is shared between threads. A thread's environment ends with the thread.

#include "core/platform/ui_environment.h"

namespace velmo::win {

// The calling thread's environment.
UiEnvironment& windowsUi();

// True while a dialog window of any thread is open (a modeless one outlives the command that
// showed it): the DLL must not be unloaded then.
bool windowsUiInUse();

// Ends the calling thread's environment (its dialogs and their windows); called as the thread
// ends.
void endThreadUi() noexcept;

// At process end the environments are left to the system: their windows and the help viewer
// may be gone already, and nothing may be called into them from the DLL's detach.
void abandonWindowsUi() noexcept;

}  // namespace velmo::win
