#include "dialogs/dialog_window.h"

#include "res/resource.h"
#include "ui/gdi.h"
#include "ui/messages.h"
#include "ui/text.h"

namespace dialogs {
namespace {

constexpr int kDragBand = 30;   // the top rows drag the dialog ...
constexpr int kCloseZone = 30;  // ... except over the close button at the right

size_t Slot(DlgButton b) { return static_cast<size_t>(b); }

}  // namespace

DialogWindow::DialogWindow(HWND parent, int x, int y, UINT titleBitmap, const char* name)
    : ui::FrameWnd(nullptr, parent, {x, y, x + 50, y + 50}, IDB_DIALOG_BG, 0, false,
                   WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0),
      title_(titleBitmap),
      name_(name) {
    FrameWnd::SetSkin(IDB_DIALOG_BG, title_);
    if (GetHwnd()) SetWindowTextA(GetHwnd(), name_);
    Centre();
}

DialogWindow::~DialogWindow() {
    if (GetHwnd() && timer_) KillTimer(GetHwnd(), kTimerId);
}

void DialogWindow::Centre() {
    RECT r;
    if (!GetHwnd() || !GetWindowRect(GetHwnd(), &r)) return;
    const int w = r.right - r.left, h = r.bottom - r.top;
    SetWindowPos(GetHwnd(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DialogWindow::AddButton(DlgButton button, UINT bitmapId, int frames, int x, int y, bool visible) {
    if (!GetHwnd()) return;
    buttons_[Slot(button)] = std::make_unique<ui::BtnWnd>(GetHwnd(), x, y, frames, bitmapId, visible);
}

void DialogWindow::AddBar(UINT bitmapId, int x, int y) {
    if (GetHwnd()) bar_.Create(GetHwnd(), x, y, bitmapId, 0, 20, 6, 228, false);
}

HWND DialogWindow::ButtonWindow(DlgButton button) const {
    const auto& b = buttons_[Slot(button)];
    return b ? b->GetHwnd() : nullptr;
}

void DialogWindow::Repaint() {
    Redraw(true);
    if (GetHwnd()) SetWindowTextA(GetHwnd(), name_);
}

void DialogWindow::SetSkin(uint32_t bitmapId) {
    FrameWnd::SetSkin(bitmapId, title_);
    if (GetHwnd()) SetWindowTextA(GetHwnd(), name_);
    Centre();
}

void DialogWindow::ShowButton(DlgButton button, bool show) {
    if (HWND w = ButtonWindow(button)) ShowWindow(w, show ? SW_SHOW : SW_HIDE);
}

void DialogWindow::EnableButton(DlgButton button, bool enable) {
    if (auto& b = buttons_[Slot(button)]) b->Enable(enable);
}

void DialogWindow::MoveButton(DlgButton button, int x, int y) {
    if (HWND w = ButtonWindow(button))
        SetWindowPos(w, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DialogWindow::ShowBar(bool show) {
    if (bar_.GetHwnd()) ShowWindow(bar_.GetHwnd(), show ? SW_SHOW : SW_HIDE);
}

void DialogWindow::SetBar(int position) { bar_.SetPos(position); }

void DialogWindow::StartTimer(uint32_t periodMs) {
    if (!GetHwnd()) return;
    timer_ = SetTimer(GetHwnd(), kTimerId, periodMs, nullptr) != 0;
}

void DialogWindow::StopTimer() {
    if (GetHwnd()) KillTimer(GetHwnd(), kTimerId);
    timer_ = false;
}

void DialogWindow::DrawMessage(const std::string& text, TextBox box) {
    if (!GetHwnd()) return;
    const RECT layout{box.left, box.top, box.right, box.bottom};
    ui::TextStyle style;
    style.family = L"Arial";
    style.points = 12.0f;
    style.argb = kTextArgb;
    ui::DrawTextAntialiased(BackBuffer(), text.c_str(), layout, style);
    UpdateNow();
    SetWindowTextA(GetHwnd(), text.c_str());
}

void DialogWindow::DrawImage(uint32_t bitmapId, int x, int y, const std::string& says) {
    if (!GetHwnd()) return;
    {
        ui::gdi::WindowDC screen(GetHwnd());
        ui::gdi::MemoryDC image;
        image.Create(screen);
        image.SetBitmap(ui::gdi::LoadSkinBitmap(bitmapId));
        if (image.HasBitmap()) {
            const SIZE s = image.Size();
            BitBlt(BackBuffer(), x, y, s.cx, s.cy, image, 0, 0, SRCCOPY);
        }
    }
    UpdateNow();
    SetWindowTextA(GetHwnd(), says.c_str());
}

void DialogWindow::ShowDialog(bool show) {
    if (GetHwnd()) ShowWindow(GetHwnd(), show ? SW_SHOW : SW_HIDE);
}

void DialogWindow::PostToParent(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (Parent()) PostMessageA(Parent(), message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam));
}

void DialogWindow::PostToSelf(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (GetHwnd()) PostMessageA(GetHwnd(), message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam));
}

void DialogWindow::OnLButtonDown(int x, int y, WPARAM) {
    const RECT c = ClientRect();
    if (y >= 0 && y < kDragBand && x < c.right - kCloseZone)
        PostMessageA(GetHwnd(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

void DialogWindow::OnTimer(WPARAM timerId, LPARAM) {
    if (timerId == kTimerId) Tick();
}

LRESULT DialogWindow::OnAppMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == ui::MsgButtonClicked) {
        const HWND from = reinterpret_cast<HWND>(lParam);
        for (size_t i = 0; i < buttons_.size(); ++i)
            if (buttons_[i] && from && buttons_[i]->GetHwnd() == from) Clicked(static_cast<DlgButton>(i));
        return 0;
    }
    OnMessage(message, wParam, lParam);
    return 0;
}

}  // namespace dialogs
