#include "ui/btn_wnd.h"

#include "os/phases.h"
#include "ui/messages.h"

namespace ui {

BtnWnd::BtnWnd(HWND parent, int x, int y, int frameCount, UINT bitmapId, bool visible)
    : parent_(parent), bitmapId_(bitmapId), frameCount_(frameCount < 1 ? 1 : frameCount) {
    // Only the strip's size is needed here, read from its resource; the window loads the strip.
    const SIZE size = gdi::SkinBitmapSize(bitmapId);
    frameWidth_ = size.cx / frameCount_;
    rect_ = RECT{0, 0, frameWidth_, size.cy};
    if (!RegisterToolkitClass(kClassName, WindowProc)) return;
    os::PhaseTimer timer("button-windows-made");
    HWND window = CreateWindowExA(0, kClassName, nullptr, kChildStyle, x, y, frameWidth_, size.cy,
                                  parent, nullptr, ModuleInstance(), this);
    if (!window) return;
    ShowWindow(window, visible ? SW_SHOW : SW_HIDE);
    UpdateIfShown(window);
}

BtnWnd::~BtnWnd() {
    if (window_) DestroyWindow(window_);  // not when it already died with its parent
}

void BtnWnd::OnCreate(HWND window) {
    window_ = window;
    AttachObject(window, this);
    RECT client;
    GetClientRect(window, &client);
    {
        gdi::FormatDC screen(window);
        strip_.Create(screen);
        strip_.SetBitmap(gdi::LoadSkinBitmap(bitmapId_));
        back_.Create(screen);
        back_.SetBitmap(gdi::MakeBitmap(screen, client.right, client.bottom));
    }
    SetBkMode(back_, TRANSPARENT);
    Redraw(true);
}

void BtnWnd::Redraw(bool updateNow) {
    if (!back_.Get()) return;
    // A strip with fewer frames than the state needs (a two-frame button disabled) shows its
    // last frame rather than whatever lies beyond the bitmap.
    int frame = state_ < 0 ? 0 : state_;
    if (frame >= frameCount_) frame = frameCount_ - 1;
    BitBlt(back_, rect_.left, rect_.top, rect_.right - rect_.left, rect_.bottom - rect_.top,
           strip_, frameWidth_ * frame, 0, SRCCOPY);
    if (updateNow) PaintNow(window_);
}

void BtnWnd::OnLButtonDown(int x, int y, WPARAM keys) {
    SetCapture(window_);
    captured_ = true;
    state_ = kPressed;
    Redraw(true);
    if (autoRepeat_) {
        const UINT_PTR id = SetTimer(window_, kRepeatTimer, kRepeatMs, nullptr);
        timerId_ = id ? static_cast<INT_PTR>(id) : -1;
    }
}

void BtnWnd::OnMouseMove(int x, int y, WPARAM keys) {
    if (autoRepeat_ || !captured_) return;
    const bool inside = Inside(x, y);
    if (!inside && state_ != kNormal) {
        state_ = kNormal;
        Redraw(true);
    } else if (inside && state_ != kPressed) {
        state_ = kPressed;
        Redraw(true);
    }
}

void BtnWnd::OnLButtonUp(int x, int y, WPARAM keys) {
    StopTimer();
    if (!captured_) return;
    captured_ = false;  // before ReleaseCapture: its WM_CAPTURECHANGED is then ours, not a loss
    ReleaseCapture();
    state_ = kNormal;
    Redraw(true);
    if (Inside(x, y)) Notify(MsgButtonClicked, 0, reinterpret_cast<LPARAM>(window_));
}

void BtnWnd::OnTimer(UINT_PTR id) {
    if (autoRepeat_ && timerId_ != -1 && id == static_cast<UINT_PTR>(timerId_))
        Notify(MsgButtonClicked, 0, reinterpret_cast<LPARAM>(window_));
}

void BtnWnd::StopTimer() {
    if (timerId_ == -1) return;
    if (window_) KillTimer(window_, static_cast<UINT_PTR>(timerId_));
    timerId_ = -1;
}

// The release will never come to this button (another window took the capture, the button was
// hidden or disabled): end the press as CancelPress does, or an auto-repeat would click for ever.
void BtnWnd::OnCaptureLost() {
    StopTimer();
    if (!captured_) return;
    captured_ = false;
    state_ = IsWindowEnabled(window_) ? kNormal : kDisabled;
    Redraw(true);
}

void BtnWnd::Enable(bool enable) {
    if (!enable) CancelPress();
    if (window_) EnableWindow(window_, enable);
    state_ = enable ? kNormal : kDisabled;
    Redraw(true);
}

void BtnWnd::CancelPress() {
    StopTimer();
    if (!captured_) return;
    captured_ = false;
    ReleaseCapture();
    state_ = kNormal;
    Redraw(true);
}

LRESULT BtnWnd::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = window_;
    switch (message) {
    case WM_SIZE: return 0;
    case WM_SETFOCUS:
        SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
        return 0;
    case WM_PAINT: {
        PaintFromBackBuffer(window, back_);
        return 0;
    }
    case WM_TIMER: OnTimer(wParam); return 0;
    case WM_MOUSEMOVE: OnMouseMove(MouseX(lParam), MouseY(lParam), wParam); return 0;
    case WM_LBUTTONDOWN: OnLButtonDown(MouseX(lParam), MouseY(lParam), wParam); return 0;
    case WM_LBUTTONUP: OnLButtonUp(MouseX(lParam), MouseY(lParam), wParam); return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != window) OnCaptureLost();
        return 0;
    case WM_SETCURSOR:
        if (ownCursor_ && LOWORD(lParam) == HTCLIENT) {
            SetCursor(ownCursor_);
            return TRUE;
        }
        break;
    default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK BtnWnd::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return RouteMessage<BtnWnd>(window, message, wParam, lParam);
}

ChkWnd::ChkWnd(HWND parent, int x, int y, int frameCount, UINT bitmapId, bool visible)
    : BtnWnd(parent, x, y, frameCount, bitmapId, visible),
      cursor_(SystemCursor(reinterpret_cast<LPCSTR>(IDC_HAND))) {
    state_ = kOff;
    Redraw(true);
}

void ChkWnd::OnLButtonDown(int x, int y, WPARAM keys) {
    state_ = state_ != kOn ? kOn : kOff;
    Redraw(true);
    Notify(MsgButtonClicked, static_cast<WPARAM>(state_), reinterpret_cast<LPARAM>(window_));
    if (dragAllowed_ && !dragActive_) Notify(MsgDragToggle, 1, state_);
}

void ChkWnd::OnLButtonUp(int x, int y, WPARAM keys) {
    if (dragAllowed_ && dragActive_) Notify(MsgDragToggle, 0, 0);
}

void ChkWnd::OnMouseMove(int x, int y, WPARAM keys) {
    if (dragAllowed_ && dragActive_) {
        if (keys & MK_LBUTTON) {
            if ((dragTarget_ == kOff || dragTarget_ == kOn) && dragTarget_ != state_) {
                SetCheck(dragTarget_);
                Notify(MsgButtonClicked, static_cast<WPARAM>(state_),
                       reinterpret_cast<LPARAM>(window_));
            }
        } else {
            dragActive_ = false;  // the button came up somewhere else
        }
    }
    if (handCursor_) SetCursor(cursor_);
}

void ChkWnd::SetCheck(int state) {
    if (state == state_) return;
    state_ = state;
    Redraw(true);
}

void ChkWnd::SetDragToggle(bool active, int target) {
    if (!dragAllowed_) return;
    dragActive_ = active;
    dragTarget_ = active ? target : -1;
}

void ChkWnd::SetHandCursor(bool on) {
    handCursor_ = on;
    ownCursor_ = on ? cursor_ : nullptr;
}

}  // namespace ui
