// BtnWnd: the push button; ChkWnd: the toggle switch and check box. A child window of the class
// "MYBTNWND" whose face is one frame of a horizontal strip (a BITMAP resource): frame = state.
// Clicks are posted to the parent as MsgButtonClicked (lParam = the button's window); a ChkWnd can
// spread its new state over a row of switches while the mouse button is held (MsgDragToggle).
#pragma once

#include <windows.h>

#include "ui/gdi.h"
#include "ui/win.h"

namespace ui {

class BtnWnd {
public:
    enum : int { kNormal = 0, kPressed = 1, kDisabled = 2 };  // the values of State()

    // The window is frame width (strip width / frame count) by strip height at (x, y).
    BtnWnd(HWND parent, int x, int y, int frameCount, UINT bitmapId, bool visible);
    virtual ~BtnWnd();
    BtnWnd(const BtnWnd&) = delete;
    BtnWnd& operator=(const BtnWnd&) = delete;

    virtual void OnLButtonDown(int x, int y, WPARAM keys);
    virtual void OnLButtonUp(int x, int y, WPARAM keys);
    virtual void OnMouseMove(int x, int y, WPARAM keys);

    void Redraw(bool updateNow);
    // Disabling also abandons a press in progress (timer, capture) without a notification.
    void Enable(bool enable);
    // Abandons a press: no notification, capture released, normal face.
    void CancelPress();
    // While held, the button repeats its click every 250 ms.
    void SetAutoRepeat(bool on) { autoRepeat_ = on; }
    HWND GetHwnd() const { return window_; }

    int State() const { return state_; }
    int FrameWidth() const { return frameWidth_; }
    int Height() const { return rect_.bottom; }
    int FrameCount() const { return frameCount_; }
    bool Captured() const { return captured_; }
    HDC BackBuffer() const { return back_.Get(); }
    // Bytes of the pixels the back buffer and the strip hold.
    size_t BufferBytes() const { return gdi::BitmapBytes(back_.Bitmap()) + gdi::BitmapBytes(strip_.Bitmap()); }

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    static constexpr const char* kClassName = "MYBTNWND";
    static constexpr UINT_PTR kRepeatTimer = 1000;
    static constexpr UINT kRepeatMs = 250;

protected:
    void Notify(UINT message, WPARAM wParam, LPARAM lParam) const {
        PostMessageA(parent_, message, wParam, lParam);
    }
    bool Inside(int x, int y) const {
        const POINT p{x, y};
        return PtInRect(&rect_, p) != FALSE;
    }

    HWND parent_ = nullptr;
    HWND window_ = nullptr;
    int state_ = kNormal;
    // Shown over the button instead of the class's arrow; null keeps the arrow.
    HCURSOR ownCursor_ = nullptr;

private:
    template <class T>
    friend LRESULT RouteMessage(HWND, UINT, WPARAM, LPARAM);
    void OnCreate(HWND window);
    // The system's timers and capture end with the window.
    void OnDetached() {
        timerId_ = -1;
        captured_ = false;
        window_ = nullptr;
    }
    void OnTimer(UINT_PTR id);
    void OnCaptureLost();
    void StopTimer();
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    UINT bitmapId_ = 0;
    RECT rect_{};
    gdi::MemoryDC back_;
    gdi::MemoryDC strip_;
    int frameWidth_ = 0;
    bool captured_ = false;
    int frameCount_ = 1;
    bool autoRepeat_ = false;
    INT_PTR timerId_ = -1;
};

class ChkWnd : public BtnWnd {
public:
    enum : int { kOff = 0, kOn = 1 };  // GetCheck() (2 while disabled)

    ChkWnd(HWND parent, int x, int y, int frameCount, UINT bitmapId, bool visible);

    // A press flips the switch at once (no capture) and notifies; see MsgDragToggle.
    void OnLButtonDown(int x, int y, WPARAM keys) override;
    void OnLButtonUp(int x, int y, WPARAM keys) override;
    void OnMouseMove(int x, int y, WPARAM keys) override;

    // Never notifies. Enable(true) brings a switch back off: owners set the check again.
    void SetCheck(int state);
    int GetCheck() const { return state_; }
    void SetDragToggleAllowed(bool allowed) { dragAllowed_ = allowed; }
    // The owner's answer to MsgDragToggle: while active, a switch the mouse crosses with the
    // left button held takes `target` (0 or 1) and reports it. Ignored unless allowed.
    void SetDragToggle(bool active, int target);
    void SetHandCursor(bool on);

    bool DragActive() const { return dragActive_; }
    int DragTarget() const { return dragTarget_; }

private:
    bool dragAllowed_ = false;
    bool dragActive_ = false;
    int dragTarget_ = -1;
    bool handCursor_ = false;
    HCURSOR cursor_ = nullptr;
};

}  // namespace ui
