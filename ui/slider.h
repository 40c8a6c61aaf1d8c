// Slider: the vertical fader, a child window of the class "SLIDERFX". It shows a background and
// a thumb taken from memory DCs that its owner keeps (they outlive the slider). The value is a
// float from min (bottom of the track) to max (top). Every change the user makes is sent
// synchronously to the owner as MsgSliderMoved (wParam = index, lParam = float* change, valid
// only during the call); changes the program makes are silent.
#pragma once

#include <windows.h>

#include "ui/gdi.h"
#include "ui/win.h"

namespace ui {

class Slider {
public:
    Slider() = default;
    ~Slider() { Destroy(); }
    Slider(const Slider&) = delete;
    Slider& operator=(const Slider&) = delete;

    // window: the slider's rectangle in the parent. track: client coordinates; its top and
    // bottom bound the thumb's centre, its left and right centre the thumb. thumb: state 0's
    // image in thumbImages; the other states follow it to the right. The value starts (and
    // the default is) (min + max) / 2. False when no window could be made.
    bool Create(HWND parent, UINT index, WndRect window, HDC background, WndRect track,
                HDC thumbImages, WndRect thumb, float min, float max, int stateCount);
    void Destroy();

    // Silent: no notification. Values are kept inside [min, max] (NaN becomes min).
    void SetValue(float value);
    // SetValue that changes only the back buffer: the owner puts the face on screen (one device
    // context of its own for many sliders costs far less than a paint of each). True when the
    // value (and so the face) changed.
    bool SetValueUnpainted(float value);
    // Copies the face from the back buffer into `dc` with its top left corner at (x, y).
    void CopyFace(HDC dc, int x, int y) const;
    void SetMin(float min);  // refused when it equals max
    void SetMax(float max);  // refused when it equals min
    void SetDefault(float value) { default_ = value; }
    void SetState(int state);
    void Enable(bool on);
    // Moves the thumb by dy pixels (clamped to the track); returns the new value.
    float MovePixels(int dy);
    void SetRightClickEnabled(bool on) { rightClickJump_ = on; }
    void SetHoverFollow(bool on) { hoverFollow_ = on; }

    // The user path: puts the thumb's centre at y (clamped) and notifies the owner.
    void JumpTo(int x, int y);
    void Redraw(bool updateNow);

    float GetValue() const { return value_; }
    float GetMin() const { return min_; }
    float GetMax() const { return max_; }
    float GetDefault() const { return default_; }
    int GetState() const { return state_; }
    int ThumbY() const { return thumbY_; }
    bool Dragging() const { return dragging_; }
    HWND GetWindow() const { return window_; }
    HDC BackBuffer() const { return back_.Get(); }
    // Where the thumb is drawn now (client coordinates).
    RECT ThumbRect() const;

    static constexpr const char* kClassName = "SLIDERFX";

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    template <class T>
    friend LRESULT RouteMessage(HWND, UINT, WPARAM, LPARAM);
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCreate(HWND window);
    void OnDetached() {
        EndDrag();
        window_ = nullptr;
    }
    float Clamp(double value) const;
    int PixelOf(float value) const;
    float ValueAt(int y) const;
    bool TrackUsable() const;
    int ClampPixel(int y) const;
    void Notify(float change);
    void EndDrag();

    HWND window_ = nullptr;
    HWND parent_ = nullptr;
    int thumbY_ = 0;
    float value_ = 0.0f;
    float max_ = 0.0f;
    float min_ = 0.0f;
    float default_ = 0.0f;
    gdi::MemoryDC back_;
    HDC background_ = nullptr;  // the owner's
    HDC thumbs_ = nullptr;      // the owner's
    RECT thumb_{};
    RECT track_{};
    UINT index_ = 0;
    bool dragging_ = false;
    int lastX_ = 0;
    int lastY_ = 0;
    int stateCount_ = 1;
    int state_ = 0;
    bool rightClickJump_ = false;
    bool hoverFollow_ = false;
};

}  // namespace ui
