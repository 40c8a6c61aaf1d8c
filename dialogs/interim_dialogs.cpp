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

WizardDlg::WizardDlg(HWND parent, int x, int y, bool online)
    : InterimDialog(parent, x, y, IDB_WIZARD_BG, 0), connected_(online ? 1 : 0) {}

void WizardDlg::Start() { PostToParent(ui::MsgWizard, 0, 0); }


}  // namespace dialogs
