#include "ui/slider.h"

#include <cmath>

#include "os/phases.h"
#include "ui/messages.h"

namespace ui {
namespace {

// Double to int with the result inside [lo, hi]; out-of-range and NaN inputs would be undefined
// in a plain conversion (on x86 they give INT_MIN, which would put -1e30 at the top).
int TruncInto(double v, int lo, int hi) {
    if (std::isnan(v)) return hi;  // the bottom of the track: the minimum
    if (v <= lo) return lo;
    if (v >= hi) return hi;
    return static_cast<int>(v);  // truncation toward zero
}

}  // namespace

bool Slider::Create(HWND parent, UINT index, WndRect window, HDC background, WndRect track,
                    HDC thumbImages, WndRect thumb, float min, float max, int stateCount) {
    Destroy();
    state_ = 0;
    stateCount_ = stateCount < 1 ? 1 : stateCount;
    index_ = index;
    dragging_ = false;
    rightClickJump_ = false;
    hoverFollow_ = false;
    parent_ = parent;
    max_ = max;
    min_ = min;
    background_ = background;
    thumbs_ = thumbImages;
    thumb_ = RECT{thumb.left, thumb.top, thumb.right, thumb.bottom};
    track_ = RECT{track.left, track.top, track.right, track.bottom};
    value_ = default_ = Clamp((static_cast<double>(min) + max) / 2);
    thumbY_ = PixelOf(value_);
    if (!RegisterToolkitClass(kClassName, WindowProc)) return false;
    os::PhaseTimer timer("slider-windows-made");
    HWND made = CreateWindowExA(0, kClassName, nullptr, kChildStyle, window.left, window.top,
                                window.Width(), window.Height(), parent, nullptr,
                                ModuleInstance(), this);
    if (!made) return false;
    ShowWindow(made, SW_SHOW);
    UpdateIfShown(made);
    return true;
}

void Slider::Destroy() {
    if (window_) DestroyWindow(window_);
    back_.Reset();
}

void Slider::OnCreate(HWND window) {
    window_ = window;
    AttachObject(window, this);
    RECT client;
    GetClientRect(window, &client);
    gdi::BitmapAccount account(os::held::kSliderBuffers);
    {
        gdi::FormatDC screen(window);
        back_.Create(screen);
        back_.SetBitmap(gdi::MakeBitmap(screen, client.right, client.bottom));
    }
    SetBkMode(back_, TRANSPARENT);
    Redraw(true);
}

// A track of no height, or a range of no width, has no pixel-to-value mapping: such a slider
// shows its thumb at the track and the user cannot move it.
bool Slider::TrackUsable() const {
    const double range = static_cast<double>(max_) - min_;
    return track_.bottom > track_.top && range != 0.0 && std::isfinite(range);
}

float Slider::Clamp(double value) const {
    const double lo = min_ < max_ ? min_ : max_;
    const double hi = min_ < max_ ? max_ : min_;
    if (std::isnan(value)) return min_;
    if (value < lo) return static_cast<float>(lo);
    if (value > hi) return static_cast<float>(hi);
    return static_cast<float>(value);
}

int Slider::ClampPixel(int y) const {
    if (y < track_.top) return track_.top;
    if (y > track_.bottom) return track_.bottom;
    return y;
}

int Slider::PixelOf(float value) const {
    if (!TrackUsable()) return track_.bottom;
    const double height = track_.bottom - track_.top;
    const double range = static_cast<double>(max_) - min_;
    const double y = track_.bottom - (static_cast<double>(value) - min_) * (height / range);
    return TruncInto(y, track_.top, track_.bottom);
}

float Slider::ValueAt(int y) const {
    if (!TrackUsable()) return value_;
    const double height = track_.bottom - track_.top;
    const double range = static_cast<double>(max_) - min_;
    return Clamp(min_ - (static_cast<double>(y) - track_.bottom) * range / height);
}

RECT Slider::ThumbRect() const {
    const int width = thumb_.right - thumb_.left;
    const int height = thumb_.bottom - thumb_.top;
    const int left = (track_.left + track_.right - width) / 2 + 1;
    const int top = thumbY_ - height / 2;
    return RECT{left, top, left + width, top + height};
}

void Slider::Redraw(bool updateNow) {
    if (!back_.Get() || !window_) return;
    RECT client;
    GetClientRect(window_, &client);
    if (background_) BitBlt(back_, 0, 0, client.right, client.bottom, background_, 0, 0, SRCCOPY);
    if (IsWindowEnabled(window_) && thumbs_) {
        const RECT at = ThumbRect();
        const int width = at.right - at.left;
        BitBlt(back_, at.left, at.top, width, at.bottom - at.top, thumbs_,
               thumb_.left + width * state_, thumb_.top, SRCCOPY);
    }
    if (updateNow) PaintNow(window_);
}

bool Slider::SetValueUnpainted(float value) {
    const float v = Clamp(value);
    if (v == value_) return false;
    value_ = v;
    thumbY_ = PixelOf(value_);
    Redraw(false);
    return true;
}

void Slider::SetValue(float value) {
    if (SetValueUnpainted(value) && back_.Get()) PaintNow(window_);
}

void Slider::CopyFace(HDC dc, int x, int y) const {
    if (!dc || !back_.Get() || !window_) return;
    RECT client;
    GetClientRect(window_, &client);
    BitBlt(dc, x, y, client.right, client.bottom, back_, 0, 0, SRCCOPY);
}

void Slider::SetMin(float min) {
    if (min == max_ || std::isnan(min)) return;
    min_ = min;
    value_ = Clamp(value_);
    thumbY_ = PixelOf(value_);
    Redraw(true);
}

void Slider::SetMax(float max) {
    if (max == min_ || std::isnan(max)) return;
    max_ = max;
    value_ = Clamp(value_);
    thumbY_ = PixelOf(value_);
    Redraw(true);
}

void Slider::SetState(int state) {
    if (state < 0 || state >= stateCount_ || state == state_) return;
    state_ = state;
    Redraw(true);
}

void Slider::Enable(bool on) {
    if (window_) EnableWindow(window_, on);
    Redraw(true);
}

float Slider::MovePixels(int dy) {
    if (dy == 0 || !TrackUsable()) return value_;
    thumbY_ = ClampPixel(thumbY_ + dy);
    value_ = ValueAt(thumbY_);
    Redraw(true);
    return value_;
}

void Slider::Notify(float change) {
    // Sent, never posted: lParam points at this stack variable.
    SendMessageA(parent_, MsgSliderMoved, index_, reinterpret_cast<LPARAM>(&change));
}

void Slider::JumpTo(int x, int y) {
    if (y == thumbY_ || !TrackUsable()) return;
    const float old = value_;
    thumbY_ = ClampPixel(y);
    value_ = ValueAt(thumbY_);
    Redraw(true);
    Notify(value_ - old);
}

void Slider::EndDrag() {
    dragging_ = false;
    lastX_ = lastY_ = 0;
}

LRESULT Slider::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = window_;
    const int x = MouseX(lParam), y = MouseY(lParam);
    switch (message) {
    case WM_PAINT: {
        PaintFromBackBuffer(window, back_);
        return 0;
    }
    case WM_LBUTTONDOWN: {
        if (GetFocus() != window) SetFocus(window);
        const RECT at = ThumbRect();
        const POINT p{x, y};
        if (!dragging_ && PtInRect(&at, p)) {
            SetCapture(window);
            dragging_ = true;
            lastX_ = x;
            lastY_ = y;
        }
        return 0;
    }
    case WM_MOUSEMOVE:
        if (dragging_) {
            if (y != lastY_) {
                const float old = value_;
                MovePixels(y - lastY_);
                lastX_ = x;
                lastY_ = y;
                Notify(value_ - old);  // also 0 when the thumb sits at an end
            }
        } else if (hoverFollow_) {
            JumpTo(x, y);
        }
        return 0;
    case WM_LBUTTONUP:
        if (dragging_) {
            EndDrag();  // first: ReleaseCapture's WM_CAPTURECHANGED then finds no drag
            ReleaseCapture();
        }
        return 0;
    case WM_CAPTURECHANGED:
        // Another window took the mouse: the release will not come here.
        if (reinterpret_cast<HWND>(lParam) != window) EndDrag();
        return 0;
    case WM_LBUTTONDBLCLK: {
        const float old = value_;
        SetValue(default_);
        Notify(value_ - old);
        return 0;
    }
    case WM_RBUTTONDOWN:
        if (GetFocus() != window) SetFocus(window);
        if (rightClickJump_) {
            JumpTo(x, y);
            PostMessageA(parent_, MsgSliderRightButton, 1, 0);
        }
        return 0;
    case WM_RBUTTONUP:
        if (rightClickJump_) {
            JumpTo(x, y);
            PostMessageA(parent_, MsgSliderRightButton, 0, 0);
        }
        return 0;
    case WM_MOUSEWHEEL: {
        int step = 1;
        if (wParam & MK_CONTROL) step = 4;
        if (wParam & MK_SHIFT) step = 8;
        const int delta = static_cast<short>(HIWORD(wParam));
        const float old = value_;
        MovePixels(-(delta * step) / 120);
        Notify(value_ - old);
        return 0;
    }
    default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK Slider::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return RouteMessage<Slider>(window, message, wParam, lParam);
}

}  // namespace ui
