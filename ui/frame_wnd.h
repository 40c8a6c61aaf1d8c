// FrameWnd: the base of every page, panel and dialog. One window of the class "MYFRAMEWND",
// drawn entirely from a memory back buffer: a skin bitmap as its whole face (optionally with an
// overlay image at (83, 0), the dialogs' title), or a flat background with a bold title line and
// a two-tone bevel. The window procedure turns messages into the 22 virtual operations below;
// every private message (0x8000 to 0xBFFF) goes to OnAppMessage, whose result the sender gets.
//
// A subclass's overrides do not run while FrameWnd's constructor creates the window (WM_CREATE
// and the first WM_SIZE run the base versions): a subclass that overrides Redraw calls
// Redraw(true) at the end of its own constructor, once its members exist.
#pragma once

#include <windows.h>

#include "ui/gdi.h"
#include "ui/win.h"

namespace ui {

class FrameWnd {
public:
    // title: null or "" for none (at most 64 characters are kept; it is also the window text).
    // A skinned frame without centring takes its skin's size whatever `rect` says; with
    // centring it keeps `rect` and shows the skin centred on the background colour.
    // Child pages pass kChildStyle; dialogs pass WS_POPUP and are created hidden.
    FrameWnd(const char* title, HWND parent, WndRect rect, UINT skinBitmapId, COLORREF background,
             bool centreSkin, DWORD style, DWORD exStyle);
    virtual ~FrameWnd();
    FrameWnd(const FrameWnd&) = delete;
    FrameWnd& operator=(const FrameWnd&) = delete;

    // The operations, in their traditional order. Coordinates are client coordinates (signed);
    // keys are the wParam of the mouse message.
    virtual void Redraw(bool updateNow);                            // draws the face
    virtual void SetTitle(const char* text);                        // copies, then Redraw(true)
    virtual void OnPaint(HDC dc, const PAINTSTRUCT& paint);         // copies from the buffer
    virtual void OnSize(int cx, int cy, UINT sizeType);             // new buffer, Redraw(true)
    virtual void OnLButtonDown(int x, int y, WPARAM keys);          // the title band drags
    virtual void OnLButtonUp(int x, int y, WPARAM keys) {}
    virtual void OnRButtonDown(int x, int y, WPARAM keys) {}
    virtual void OnRButtonUp(int x, int y, WPARAM keys) {}
    virtual void OnMouseMove(int x, int y, WPARAM keys) {}
    virtual void OnMouseWheel(int x, int y, WPARAM wParam) {}
    virtual void OnMouseLeave() {}
    virtual void OnKillFocus() {}
    virtual void OnSetFocus() {}
    virtual void OnMouseHover(int x, int y) {}
    virtual LRESULT OnKeyDown(WPARAM wParam, LPARAM lParam) { return 0; }
    virtual LRESULT OnKeyUp(WPARAM wParam, LPARAM lParam) { return 0; }
    virtual void OnCommand(WPARAM wParam, LPARAM lParam) {}
    virtual void OnTimer(WPARAM timerId, LPARAM lParam) {}
    virtual LRESULT OnAppMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        return 0;
    }
    virtual bool OnClose() { return true; }  // false keeps the window
    virtual void OnShowWindow(bool show) {}
    virtual void OnEnable(bool enabled) {}

    // Replaces the skin (the window takes its size) and the overlay (0 removes it); the top 30
    // pixels then drag the window. A bitmap id of 0 changes nothing; a bitmap that does not
    // load keeps the current skin and size.
    void SetSkin(UINT bitmapId, UINT overlayBitmapId);
    void Refresh() { Redraw(true); }
    HWND GetHwnd() const { return window_; }
    bool OnSetCursor();

    HWND Parent() const { return parent_; }
    const char* Title() const { return title_; }
    RECT TitleRect() const { return titleRect_; }
    RECT ClientRect() const { return client_; }
    UINT SkinId() const { return skinId_; }
    SIZE SkinSize() const { return skin_.Size(); }
    // Bytes of the pixels the back buffer and the skin (with its overlay) hold.
    size_t BackBufferBytes() const { return gdi::BitmapBytes(back_.Bitmap()); }
    size_t SkinBytes() const { return gdi::BitmapBytes(skin_.Bitmap()) + gdi::BitmapBytes(overlay_.Bitmap()); }
    // The face as drawn (subclasses draw into it after FrameWnd::Redraw(false)).
    HDC BackBuffer() const { return back_.Get(); }

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    static constexpr const char* kClassName = "MYFRAMEWND";
    static constexpr COLORREF kDarkPen = RGB(0x78, 0x78, 0x78);
    static constexpr COLORREF kLightPen = RGB(0xFF, 0xFF, 0xFF);
    static constexpr COLORREF kTitleColour = RGB(0xFA, 0xFA, 0xFA);
    static constexpr int kOverlayX = 83;
    static constexpr int kMaxTitle = 64;

protected:
    HDC SkinDC() const { return skin_.Get(); }
    HBRUSH BackgroundBrush() const { return brush_; }
    COLORREF BackgroundColour() const { return background_; }
    HFONT TitleFont() const { return font_; }
    void SetCursorShape(HCURSOR cursor) { cursor_ = cursor; }
    // InvalidateRect (no erase) and UpdateWindow.
    void UpdateNow() { PaintNow(window_); }

private:
    template <class T>
    friend LRESULT RouteMessage(HWND, UINT, WPARAM, LPARAM);
    void OnCreate(HWND window);
    void OnDetached() { window_ = nullptr; }
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    bool HasSkin() const { return skinId_ != 0 && skin_.HasBitmap(); }
    void DrawFlatFace();

    HWND window_ = nullptr;
    HWND parent_ = nullptr;
    gdi::MemoryDC back_;
    gdi::MemoryDC skin_;
    COLORREF background_ = 0;
    HBRUSH brush_ = nullptr;
    HFONT font_ = nullptr;
    char title_[kMaxTitle + 1] = {};
    RECT titleRect_{};
    RECT client_{};
    UINT skinId_ = 0;
    bool centre_ = false;
    // From the constructor's CreateWindowExA until it returns: WM_CREATE ends with a Redraw, so
    // the WM_SIZE messages of the creation only make the back buffer of their size.
    bool creating_ = false;
    SIZE asked_{0, 0};  // the size the constructor was given
    RECT centred_{};  // left, top, width, height of the centred skin
    gdi::MemoryDC overlay_;
    HCURSOR cursor_ = nullptr;
};

}  // namespace ui
