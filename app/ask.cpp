#include "app/ask.h"

#include <cstring>

#include "res/resource.h"
#include "ui/msg_box.h"

namespace app {

UINT AskUser(HWND owner, const char* text, UINT buttons, int checkState, bool* checked) {
    // The message sits in the body between the header and the button band; the caption image goes
    // over the header right of the brand mark.
    ui::MsgBox box(owner, IDB_DIALOG_BG, {20, 45, 280, 130}, {83, 0, 296, 27}, nullptr, IDB_CAPTION_MSGBOX, text, 0,
                   buttons, checkState, -1);
    if (checked) *checked = box.IsChecked();
    return box.GetResult();
}

void TellUser(HWND owner, const char* text) {
    if (std::strlen(text) <= static_cast<size_t>(ui::MsgBox::kMaxText))
        AskUser(owner, text, ui::MbOk);
    else
        MessageBoxA(owner, text, "darvix", MB_OK | MB_ICONWARNING);
}

}  // namespace app
