#include "ui/caption_bar.h"

#include "res/resource.h"
#include "ui/messages.h"

namespace ui {

CaptionBar::CaptionBar(HWND parent, int x, int y)
    : FrameWnd(nullptr, parent, WndRect{x, y, x + 50, y + 50}, IDB_CAPTION_BAR, 0, false,
               kChildStyle, 0) {
    if (!GetHwnd()) return;
    close_ = std::make_unique<BtnWnd>(GetHwnd(), kClosePosition.x, kClosePosition.y, 2,
                                      IDB_CAPTION_CLOSE, true);
    minimize_ = std::make_unique<BtnWnd>(GetHwnd(), kMinimizePosition.x, kMinimizePosition.y, 2,
                                         IDB_CAPTION_MINIMIZE, true);
}

CaptionBar::~CaptionBar() {
    close_.reset();
    minimize_.reset();
}

void CaptionBar::OnLButtonDown(int x, int y, WPARAM keys) {
    SendMessageA(Parent(), WM_NCLBUTTONDOWN, HTCAPTION, 0);  // the system drags the parent
    SetFocus(Parent());
}

LRESULT CaptionBar::OnAppMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == MsgButtonClicked) {
        const HWND from = reinterpret_cast<HWND>(lParam);
        if (from && close_ && from == close_->GetHwnd())
            return PostMessageA(Parent(), MsgCloseApp, 0, 0);
        if (from && minimize_ && from == minimize_->GetHwnd())
            return PostMessageA(Parent(), MsgMinimizeApp, 0, 0);
    }
    return SendMessageA(Parent(), message, wParam, lParam);
}

}  // namespace ui
