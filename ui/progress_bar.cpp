#include "ui/progress_bar.h"

#include <cmath>

#include "os/phases.h"

namespace ui {

ProgressBar::~ProgressBar() {
    // The window normally dies with its dialog first; if not, it must not outlive the object
    // its user data points at.
    if (window_) DestroyWindow(window_);
}

bool ProgressBar::Create(HWND parent, int x, int y, UINT bitmapId, double min, double max,
                         int barX, int barLength, bool visible) {
    if (window_) DestroyWindow(window_);
    min_ = min;
    max_ = max;
    position_ = 50.0;
    parent_ = parent;
    bitmapId_ = bitmapId;
    width_ = 10;
    height_ = 100;
    if (bitmapId) {
        HBITMAP probe = gdi::LoadSkinBitmap(bitmapId);
        const SIZE size = gdi::BitmapSize(probe);
        gdi::Free(probe);
        if (size.cx > 0 && size.cy > 0) {
            width_ = size.cx;
            height_ = size.cy;
        }
    }
    barX_ = barX < 0 ? 0 : (barX > width_ ? width_ : barX);
    barLength_ = barLength < 0 ? 0 : (barLength > width_ - barX_ ? width_ - barX_ : barLength);
    if (!RegisterToolkitClass(kClassName, WindowProc)) return false;
    HWND made = CreateWindowExA(0, kClassName, nullptr, WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                x, y, width_, height_ / 2, parent, nullptr, ModuleInstance(), this);
    if (!made) return false;
    if (visible) ShowWindow(made, SW_SHOW);
    UpdateIfShown(made);
    return true;
}

void ProgressBar::OnCreate(HWND window) {
    window_ = window;
    AttachObject(window, this);
    gdi::FormatDC screen(window);
    gdi::BitmapAccount account(os::held::kProgressBars);
    bitmap_.Create(screen);
    bitmap_.SetBitmap(gdi::LoadSkinBitmap(bitmapId_));
    back_.Create(screen);
    back_.SetBitmap(gdi::MakeBitmap(screen, width_, height_ / 2));
    SetBkMode(back_, TRANSPARENT);
    Redraw(true);
}

int ProgressBar::FilledColumns() const {
    if (max_ == min_ || !bitmap_.HasBitmap()) return 0;
    const double n = barLength_ * (position_ - min_) / (max_ - min_);
    int columns = 0;
    if (n >= barLength_)
        columns = barLength_;
    else if (n > 0)  // false for NaN too
        columns = static_cast<int>(n);
    // n + 1 columns: the first one shows at the minimum already. Never past the bitmap.
    columns += 1;
    return columns > width_ - barX_ ? width_ - barX_ : columns;
}

void ProgressBar::Redraw(bool updateNow) {
    if (!back_.Get()) return;
    const int half = height_ / 2;
    if (bitmap_.HasBitmap()) {
        BitBlt(back_, 0, 0, width_, half, bitmap_, 0, 0, SRCCOPY);
        const int columns = FilledColumns();
        if (columns > 0) BitBlt(back_, barX_, 0, columns, half, bitmap_, barX_, half, SRCCOPY);
    }
    if (updateNow) PaintNow(window_);
}

void ProgressBar::SetPos(double position) {
    if (position == position_) return;
    if (std::isnan(position)) position = min_;
    position_ = position < min_ ? min_ : (position > max_ ? max_ : position);
    Redraw(true);
}

LRESULT ProgressBar::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PaintFromBackBuffer(window_, back_);
        return 0;
    }
    return DefWindowProcA(window_, message, wParam, lParam);
}

LRESULT CALLBACK ProgressBar::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return RouteMessage<ProgressBar>(window, message, wParam, lParam);
}

}  // namespace ui
