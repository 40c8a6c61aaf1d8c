// ProgressBar: the device dialogs' bitmap progress bar, a child window of the class
// "ZRPROGRESSBAR". Its bitmap holds the empty bar in the upper half and the full bar in the lower
// half; the bar shows the upper half with a growing part of the lower half copied over it.
#pragma once

#include <windows.h>

#include "ui/gdi.h"
#include "ui/win.h"

namespace ui {

class ProgressBar {
public:
    ProgressBar() = default;
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // The window is the bitmap's width by half its height (10 x 50 without a bitmap), created
    // hidden unless `visible`. The part from barX, barLength pixels long, grows over the range.
    // The position is 50 until the first SetPos, whatever the range.
    bool Create(HWND parent, int x, int y, UINT bitmapId, double min, double max, int barX,
                int barLength, bool visible);
    // Stores the position clamped to [min, max] and redraws.
    void SetPos(double position);
    void Redraw(bool updateNow);

    double GetPos() const { return position_; }
    // Columns of the full bar shown now (0 when max equals min or there is no bitmap).
    int FilledColumns() const;
    HWND GetHwnd() const { return window_; }
    HDC BackBuffer() const { return back_.Get(); }

    static constexpr const char* kClassName = "ZRPROGRESSBAR";

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    template <class T>
    friend LRESULT RouteMessage(HWND, UINT, WPARAM, LPARAM);
    void OnCreate(HWND window);
    void OnDetached() { window_ = nullptr; }
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    UINT bitmapId_ = 0;
    gdi::MemoryDC back_;
    gdi::MemoryDC bitmap_;
    int width_ = 10;
    int height_ = 100;
    HWND parent_ = nullptr;
    HWND window_ = nullptr;
    double min_ = 0.0;
    double max_ = 0.0;
    double position_ = 50.0;
    int barX_ = 0;
    int barLength_ = 0;
};

}  // namespace ui
