#include "dialogs/sync_dsp_dlg.h"

#include "res/resource.h"

namespace dialogs {

SyncDspDlg::SyncDspDlg(HWND parent, int x, int y) : DialogWindow(parent, x, y, IDB_TITLE_SYNC, "SyncDspDlg") {
    AddButton(DlgButton::Close, IDB_CAPTION_CLOSE, 2, 273, 4, true);
    AddButton(DlgButton::Ok, IDB_BTN_OK, 3, SyncDspLogic::kOkX, SyncDspLogic::kOkY, true);
    AddBar(IDB_BAR_SYNC, 30, 38);
}

}  // namespace dialogs
