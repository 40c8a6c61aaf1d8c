#include "dialogs/interim_dialogs.h"

#include <cstring>

#include "link/bytes.h"
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

EqDynamicDlg::EqDynamicDlg(HWND parent, int x, int y) : InterimDialog(parent, x, y, IDB_DYNEQ_BG, 0) {}

void EqDynamicDlg::TurnOn() { PostToParent(ui::MsgDynamicEqDialog, 0, 0); }

ScanPortDlg::ScanPortDlg(HWND parent, int x, int y, const devlink::FtdiApiTable*)
    : InterimDialog(parent, x, y, IDB_DIALOG_BG, IDB_TITLE_SCAN) {}

void ScanPortDlg::StartScan() { PostToParent(ui::MsgScan, 0, 0); }

SyncDspDlg::SyncDspDlg(HWND parent, int x, int y) : InterimDialog(parent, x, y, IDB_DIALOG_BG, IDB_TITLE_SYNC) {}

void SyncDspDlg::ShowResult(int success) { PostToParent(ui::MsgReadFromDevice, 0, success ? 0 : 1); }

UpdateDspDlg::UpdateDspDlg(HWND parent, int x, int y)
    : InterimDialog(parent, x, y, IDB_DIALOG_BG, IDB_TITLE_UPDATE) {}

UpdateDspDlg::~UpdateDspDlg() {
    if (GetHwnd()) KillTimer(GetHwnd(), kTimer);
}

void UpdateDspDlg::Start(int a, int b, int c) {
    state_ = 0;
    result_ = 0;
    succeeded_ = false;
    a_ = a;
    b_ = b;
    c_ = c;
    if (c_) {
        a_ = 1;
        b_ = 0;
    }
    ticks_ = 0;
    running_ = true;
    if (GetHwnd()) SetTimer(GetHwnd(), kTimer, kTimerMs, nullptr);
    int expected = 0;
    state_.compare_exchange_strong(expected, 1);
}

void UpdateDspDlg::SetStateAndSend(devlink::UsbLink& link, int state) {
    state_ = state;
    if (state == 2) link.Send(devlink::BuildSimpleFrame(devlink::kNodeDsp, devlink::DeviceCommand::StoreBegin));
    if (state == 3) link.Send(devlink::BuildSimpleFrame(devlink::kNodeDsp, devlink::DeviceCommand::StoreEnd));
}

void UpdateDspDlg::RunFinalize(devlink::UsbLink& link) {
    link.SetReceiveGate(0);
    int failed = 1;
    uint32_t result = 0;
    const devlink::Frame request = devlink::BuildSimpleFrame(devlink::kNodeDsp, devlink::DeviceCommand::Finalize);
    if (!request.empty()) {
        link.Send(request);
        uint8_t reply[9] = {};
        if (link.WaitResponse(static_cast<uint8_t>(devlink::DeviceCommand::UpdateResult), reply, sizeof reply,
                              kFinalizeTimeoutMs, true, nullptr)) {
            result = reply[6] | (static_cast<uint32_t>(reply[7]) << 16);
            failed = 0;
        }
    }
    state_ = 3;
    if (GetHwnd()) PostMessageA(GetHwnd(), ui::MsgFinalizeResult, static_cast<WPARAM>(failed), static_cast<LPARAM>(result));
    link.SetReceiveGate(1);
}

void UpdateDspDlg::OnTimer(WPARAM timerId, LPARAM) {
    if (timerId != kTimer || !running_) return;
    if (a_) {
        ++ticks_;  // FINALIZE ends with its result message
        return;
    }
    if (state_.load() == 3) {
        ShowResult(true);
        return;
    }
    if (++ticks_ >= kWriteTicks) ShowResult(false);
}

LRESULT UpdateDspDlg::OnAppMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == ui::MsgFinalizeResult && running_) {
        result_ = static_cast<uint32_t>(lParam);
        ShowResult(wParam == 0);
    }
    return 0;
}

void UpdateDspDlg::ShowResult(bool success) {
    state_ = 0;
    running_ = false;
    if (GetHwnd()) KillTimer(GetHwnd(), kTimer);
    succeeded_ = a_ ? (success && (result_ & 0xFFFF) == 1) : success;
    // The user confirms at once: OK.
    PostToParent(ui::MsgWriteToDevice, 0, 1);
}

ExitDlg::ExitDlg(HWND parent, int x, int y) : InterimDialog(parent, x, y, IDB_DIALOG_BG, IDB_TITLE_EXIT) {}

}  // namespace dialogs
