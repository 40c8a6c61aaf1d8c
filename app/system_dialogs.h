// The common file dialogs (comdlg32) and the shell's "open" (shell32), bound when first used:
// under Wine, loading these libraries with the program, with everything they pull in, delays the
// start-up dialog by tens of milliseconds, and most sessions never open a file dialog.
#pragma once

#include <windows.h>
#include <commdlg.h>

namespace app {

// GetSaveFileNameA or GetOpenFileNameA. FALSE when the user cancelled or the dialog could not be
// shown; when comdlg32 cannot be had, the user is told so (in a box owned by ofn's owner).
BOOL ShowFileDialog(OPENFILENAMEA& ofn, bool save);
// ShellExecuteA with "open"; nothing when shell32 cannot be had.
void OpenWithShell(const char* address);

}  // namespace app
