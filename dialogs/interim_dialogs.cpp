#include "dialogs/interim_dialogs.h"

#include "res/resource.h"
#include "ui/messages.h"

namespace dialogs {

InterimDialog::InterimDialog(HWND parent, int x, int y, UINT skin, UINT overlay)
    : ui::FrameWnd(nullptr, parent, {x, y, x + 50, y + 50}, skin, 0, false,
                   WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0) {
    if (overlay) SetSkin(skin, overlay);
    // Centred on the desktop, as every dialog of the program.
    RECT r;
    if (GetHwnd() && GetWindowRect(GetHwnd(), &r)) {
        const int w = r.right - r.left, h = r.bottom - r.top;
        SetWindowPos(GetHwnd(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                     (GetSystemMetrics(SM_CYSCREEN) - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void InterimDialog::Show() {
    if (GetHwnd()) ShowWindow(GetHwnd(), SW_SHOW);
}

void InterimDialog::Hide() {
    if (GetHwnd()) ShowWindow(GetHwnd(), SW_HIDE);
}

void InterimDialog::PostToParent(UINT message, WPARAM wParam, LPARAM lParam) const {
    if (Parent()) PostMessageA(Parent(), message, wParam, lParam);
}

EqDynamicDlg::EqDynamicDlg(HWND parent, int x, int y) : InterimDialog(parent, x, y, IDB_DYNEQ_BG, 0) {}

void EqDynamicDlg::TurnOn() { PostToParent(ui::MsgDynamicEqDialog, 0, 0); }

ScanPortDlg::ScanPortDlg(HWND parent, int x, int y, const devlink::FtdiApiTable*)
    : InterimDialog(parent, x, y, IDB_DIALOG_BG, IDB_TITLE_SCAN) {}

void ScanPortDlg::StartScan() { PostToParent(ui::MsgScan, 0, 0); }


}  // namespace dialogs
