#include "dialogs/exit_dlg.h"

#include "res/resource.h"

namespace dialogs {

ExitDlg::ExitDlg(HWND parent, int x, int y) : DialogWindow(parent, x, y, IDB_TITLE_EXIT, "ExitDlg") {
    AddButton(DlgButton::Yes, IDB_BTN_YES, 3, 30, 168, true);
    AddButton(DlgButton::No, IDB_BTN_NO, 3, 110, 168, true);
    AddButton(DlgButton::Cancel, IDB_BTN_CANCEL, 3, 190, 168, true);
}

}  // namespace dialogs
