#include "dialogs/update_dsp_dlg.h"

#include "res/resource.h"
#include "ui/messages.h"

namespace dialogs {

UpdateDspDlg::UpdateDspDlg(HWND parent, int x, int y) : DialogWindow(parent, x, y, IDB_TITLE_UPDATE, "UpdateDspDlg") {
    AddButton(DlgButton::Close, IDB_CAPTION_CLOSE, 2, 273, 4, true);
    AddButton(DlgButton::Ok, IDB_BTN_OK, 3, 110, 160, false);
    AddButton(DlgButton::Yes, IDB_BTN_YES, 3, 50, 160, true);
    AddButton(DlgButton::No, IDB_BTN_NO, 3, 170, 160, true);
    AddBar(IDB_BAR_UPDATE, 30, 38);
}

void UpdateDspDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == ui::MsgFinalizeResult)
        logic_.OnFinalizeResult(static_cast<int>(wParam), static_cast<uint32_t>(lParam));
}

}  // namespace dialogs
