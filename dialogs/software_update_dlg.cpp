#include "dialogs/software_update_dlg.h"

#include "link/usb_link.h"
#include "res/resource.h"
#include "ui/messages.h"
#include "ui/text.h"

namespace dialogs {

namespace {
constexpr int kBarMax = SoftwareUpdateLogic::kBarSteps;
constexpr uint32_t kTextArgb = 0xC8282828;  // alpha 200, grey 40
}  // namespace

SoftwareUpdateDlg::SoftwareUpdateDlg(HWND parent, int x, int y)
    : ui::FrameWnd(nullptr, parent, {x, y, x + 50, y + 50}, IDB_DIALOG_BG, 0, false,
                   WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0),
      ok_(GetHwnd(), 110, 160, 3, IDB_BTN_OK, true) {
    ok_.Enable(false);
    bar_.Create(GetHwnd(), 30, 38, IDB_FIRMWARE_PROGRESS, 0.0, kBarMax, 6, 224, false);
    secondBar_.Create(GetHwnd(), 30, 38, IDB_FIRMWARE_PROGRESS_ALT, 0.0, kBarMax, 6, 224, false);
    // Centred on the desktop, as every dialog of the program.
    RECT r;
    if (GetHwnd() && GetWindowRect(GetHwnd(), &r)) {
        const int w = r.right - r.left, h = r.bottom - r.top;
        SetWindowPos(GetHwnd(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                     (GetSystemMetrics(SM_CYSCREEN) - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    Redraw(true);
}

SoftwareUpdateDlg::~SoftwareUpdateDlg() {
    if (GetHwnd() && timerOn_) KillTimer(GetHwnd(), kTimer);
}

void SoftwareUpdateDlg::Start(int) {
    SetSkin(IDB_DIALOG_BG, IDB_TITLE_FIRMWARE);
    if (secondBar_.GetHwnd()) ShowWindow(secondBar_.GetHwnd(), SW_HIDE);
    if (bar_.GetHwnd()) ShowWindow(bar_.GetHwnd(), SW_SHOW);
    logic_.Start();
    RefreshView();
}

void SoftwareUpdateDlg::Hide() {
    if (!GetHwnd()) return;
    ShowWindow(GetHwnd(), SW_HIDE);
    KillTimer(GetHwnd(), kTimer);
    timerOn_ = false;
}

void SoftwareUpdateDlg::RunFirmwareUpdate(devlink::UsbLink& link, const std::vector<uint8_t>& file) {
    // Only a post reaches the window from the poll thread.
    const HWND self = GetHwnd();
    logic_.RunFirmwareUpdate(link, file, [self](uint32_t result) {
        if (self) PostMessageA(self, ui::MsgFirmwareResult, 0, static_cast<LPARAM>(result));
    });
}

void SoftwareUpdateDlg::RefreshView() {
    const HWND w = GetHwnd();
    if (!w) return;
    if (logic_.Refresh() == SoftwareUpdateLogic::View::Running) {
        Redraw(true);
        bar_.SetPos(0);
        if (bar_.GetHwnd()) ShowWindow(bar_.GetHwnd(), SW_SHOW);
        ok_.Enable(false);
        SetWindowTextA(w, "");
        ShowWindow(w, SW_SHOW);
        SetTimer(w, kTimer, kTimerMs, nullptr);
        timerOn_ = true;
        return;
    }
    KillTimer(w, kTimer);
    timerOn_ = false;
    if (bar_.GetHwnd()) ShowWindow(bar_.GetHwnd(), SW_HIDE);
    if (secondBar_.GetHwnd()) ShowWindow(secondBar_.GetHwnd(), SW_HIDE);
    ok_.Enable(true);
    SetWindowTextA(w, logic_.ResultText());
    Redraw(true);
}

void SoftwareUpdateDlg::Redraw(bool updateNow) {
    ui::FrameWnd::Redraw(false);
    if (logic_.State() == SoftwareUpdateLogic::kStateResult && BackBuffer()) {
        const RECT c = ClientRect();
        const TextArea a = logic_.ResultArea(c.right - c.left, c.bottom - c.top);
        const RECT layout{a.left, a.top, a.right, a.bottom};
        ui::TextStyle style;
        style.family = L"Arial";
        style.points = 12.0f;
        style.argb = kTextArgb;
        ui::DrawTextAntialiased(BackBuffer(), logic_.ResultText(), layout, style);
    }
    if (updateNow) UpdateNow();
}

void SoftwareUpdateDlg::OnTimer(WPARAM timerId, LPARAM) {
    if (timerId != kTimer) return;
    const int position = logic_.OnTimer();
    if (position >= 0) bar_.SetPos(position);
}

LRESULT SoftwareUpdateDlg::OnAppMessage(HWND, UINT message, WPARAM, LPARAM lParam) {
    if (message == ui::MsgButtonClicked && reinterpret_cast<HWND>(lParam) == ok_.GetHwnd() && ok_.GetHwnd()) {
        if (Parent()) PostMessageA(Parent(), ui::MsgUpdateFirmware, 0, 0);
    } else if (message == ui::MsgFirmwareResult) {
        logic_.OnResult(static_cast<uint32_t>(lParam));
        RefreshView();
    }
    return 0;
}

}  // namespace dialogs
