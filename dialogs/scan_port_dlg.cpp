#include "dialogs/scan_port_dlg.h"

#include "link/usb_link.h"
#include "os/time.h"
#include "res/resource.h"
#include "ui/messages.h"
#include "ui/text.h"

namespace dialogs {
namespace {

constexpr uint32_t kTextArgb = 0xC8282828;  // alpha 200, grey 40
constexpr int kDragBand = 30;   // the top rows drag the dialog ...
constexpr int kCloseZone = 30;  // ... except over the close button at the right
constexpr int kWidth = 300, kHeight = 220;  // the skin's size

struct Place {
    UINT bitmap;
    int frames, x, y;
};
// Close, Cancel, Next, OK, Retry (Retry takes Next's place).
constexpr std::array<Place, kScanButtonCount> kPlaces{{{IDB_CAPTION_CLOSE, 2, 273, 4},
                                                        {IDB_BTN_CANCEL, 3, 189, 168},
                                                        {IDB_BTN_NEXT, 3, 110, 168},
                                                        {IDB_BTN_OK, 3, 31, 168},
                                                        {IDB_BTN_RETRY, 3, 110, 168}}};

}  // namespace

ScanPortDlg::ScanPortDlg(HWND parent, int x, int y, const devlink::FtdiApiTable* ftdi)
    : ui::FrameWnd(nullptr, parent, {x, y, x + 50, y + 50}, IDB_DIALOG_BG, 0, false,
                   WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, WS_EX_APPWINDOW),
      logic_(ftdi, kWidth, kHeight) {
    SetSkin(IDB_DIALOG_BG, IDB_TITLE_SCAN);
    if (GetHwnd()) {
        const ScanFace& f = logic_.Face();
        for (size_t i = 0; i < kScanButtonCount; ++i) {
            const Place& p = kPlaces[i];
            buttons_[i] = std::make_unique<ui::BtnWnd>(GetHwnd(), p.x, p.y, p.frames, p.bitmap,
                                                       f.buttons[i].shown);
        }
        bar_.Create(GetHwnd(), 20, 65, IDB_SCAN_PROGRESS, ScanPortLogic::kBarMin, ScanPortLogic::kBarMax,
                    11, 230, true);
        // Centred on the desktop, as every dialog of the program.
        RECT r;
        if (GetWindowRect(GetHwnd(), &r)) {
            const int w = r.right - r.left, h = r.bottom - r.top;
            SetWindowPos(GetHwnd(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                         (GetSystemMetrics(SM_CYSCREEN) - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    Apply();
}

ScanPortDlg::~ScanPortDlg() = default;

HWND ScanPortDlg::ButtonWindow(ScanButton button) const {
    const auto& b = buttons_[static_cast<size_t>(button)];
    return b ? b->GetHwnd() : nullptr;
}

void ScanPortDlg::StartScan() {
    logic_.StartScan();
    Apply();
}

int ScanPortDlg::ScanStep(devlink::UsbLink& link, ComSetting& com, os::Sleeper& sleeper) {
    return logic_.ScanStep(link, *this, com, sleeper);
}

void ScanPortDlg::Apply() {
    const ScanFace& f = logic_.Face();
    for (size_t i = 0; i < kScanButtonCount; ++i) {
        if (!buttons_[i]) continue;
        buttons_[i]->Enable(f.buttons[i].enabled);
        if (HWND w = buttons_[i]->GetHwnd()) ShowWindow(w, f.buttons[i].shown ? SW_SHOW : SW_HIDE);
    }
    bar_.SetPos(f.bar);
    if (bar_.GetHwnd()) ShowWindow(bar_.GetHwnd(), f.barShown ? SW_SHOW : SW_HIDE);
    if (GetHwnd()) SetWindowTextA(GetHwnd(), f.text.c_str());
    Redraw(true);
}

void ScanPortDlg::Redraw(bool updateNow) {
    ui::FrameWnd::Redraw(false);
    const ScanFace& f = logic_.Face();
    if (!f.text.empty() && BackBuffer()) {
        const RECT layout{f.area.left, f.area.top, f.area.right, f.area.bottom};
        ui::TextStyle style;
        style.family = L"Arial";
        style.points = 12.0f;
        style.argb = kTextArgb;
        ui::DrawTextAntialiased(BackBuffer(), f.text.c_str(), layout, style);
    }
    if (updateNow) UpdateNow();
}

void ScanPortDlg::OnLButtonDown(int x, int y, WPARAM) {
    const RECT c = ClientRect();
    if (y >= 0 && y < kDragBand && x < c.right - kCloseZone)
        PostMessageA(GetHwnd(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

LRESULT ScanPortDlg::OnAppMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == ui::MsgButtonClicked) {
        const HWND from = reinterpret_cast<HWND>(lParam);
        for (size_t i = 0; i < kScanButtonCount; ++i) {
            if (!from || !buttons_[i] || buttons_[i]->GetHwnd() != from) continue;
            const int outcome = logic_.OnButton(static_cast<ScanButton>(i));
            Apply();
            if (outcome >= 0 && Parent()) PostMessageA(Parent(), ui::MsgScan, 0, outcome);
            break;
        }
    } else if (message == ui::MsgScanProgress) {
        logic_.OnScanMessage(static_cast<uintptr_t>(wParam), static_cast<intptr_t>(lParam));
        Apply();
    }
    return 0;
}

void ScanPortDlg::PostSelf(WPARAM wParam, LPARAM lParam) {
    if (GetHwnd()) PostMessageA(GetHwnd(), ui::MsgScanProgress, wParam, lParam);
}

void ScanPortDlg::Progress(int number) { PostSelf(0, number); }

void ScanPortDlg::Found(int number) {
    if (!GetHwnd()) return;
    DWORD_PTR result = 0;
    SendMessageTimeoutA(GetHwnd(), ui::MsgScanProgress, 1, number, SMTO_NORMAL, kFoundDeliveryMs, &result);
}

void ScanPortDlg::EndOfNumbers() { PostSelf(0, -1); }

void ScanPortDlg::Outcome(int outcome) {
    if (Parent()) PostMessageA(Parent(), ui::MsgScan, 0, outcome);
}

}  // namespace dialogs
