// The program's questions and messages in its own skinned box (bitmap 152 with caption 281).
#pragma once

#include <windows.h>

namespace app {

// Shows the text with the given buttons (ui::MsgBox flags) and returns the one chosen. checkState
// -1 shows no "don't ask again" box; otherwise *checked tells whether it was ticked.
UINT AskUser(HWND owner, const char* text, UINT buttons, int checkState = -1, bool* checked = nullptr);

// A message with OK. A text too long for the skinned box (a file error naming its path) goes to the
// system's box rather than being cut.
void TellUser(HWND owner, const char* text);

}  // namespace app
