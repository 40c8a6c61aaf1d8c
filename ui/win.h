// What every toolkit window shares: the module instance, the class registration, the link from a
// window to its object, and mouse coordinates.
#pragma once

#include <windows.h>

namespace ui {

// A rectangle as the toolkit's constructors take it: left, top, right, bottom.
struct WndRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// The program's module: its resources hold the skins and dialog templates.
HINSTANCE ModuleInstance();

// A cursor of the system's (IDC_ARROW, IDC_HAND, ...); the arrow and the hand are loaded once.
HCURSOR SystemCursor(LPCSTR id);

// Registers a toolkit window class: CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, the arrow cursor, no
// background brush and no menu. True when the class exists afterwards (registered now or before).
bool RegisterToolkitClass(const char* name, WNDPROC procedure);

// Style of the toolkit's child windows and of the pages' children.
inline constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

// Mouse positions are the signed words of lParam (points left of or above a window are negative).
inline int MouseX(LPARAM l) { return static_cast<short>(LOWORD(l)); }
inline int MouseY(LPARAM l) { return static_cast<short>(HIWORD(l)); }

// The object of a window lives in its user data from WM_CREATE (WM_INITDIALOG for dialogs) until
// WM_NCDESTROY. Before and after, the procedures see null and leave the message to the system.
template <class T>
T* AttachedObject(HWND window) {
    return reinterpret_cast<T*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}
inline void AttachObject(HWND window, void* object) {
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
}
inline void DetachObject(HWND window) { SetWindowLongPtrA(window, GWLP_USERDATA, 0); }

// The one way from a toolkit window procedure to its object. The object comes as the creation
// parameter: T::OnCreate attaches it in WM_CREATE. At WM_NCDESTROY it is detached and T::OnDetached
// forgets the window, so that no destructor destroys a stale handle. Before and after, the system's
// default handles the messages; in between T::Dispatch does. No exception crosses into the
// system's dispatcher.
template <class T>
LRESULT RouteMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    T* self = AttachedObject<T>(window);
    if (message == WM_CREATE && !self) {
        self = static_cast<T*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        if (self) {
            try {
                self->OnCreate(window);
            } catch (...) {
            }
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
    if (!self) return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        DetachObject(window);
        self->OnDetached();
        return DefWindowProcA(window, message, wParam, lParam);
    }
    try {
        return self->Dispatch(message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

// WM_PAINT of a window drawn into a back buffer: the invalid rectangle is copied from it.
inline void PaintFromBackBuffer(HWND window, HDC back) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (dc) {
        const RECT& r = paint.rcPaint;
        BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, back, r.left, r.top, SRCCOPY);
    }
    EndPaint(window, &paint);
}

// InvalidateRect (no erase) and UpdateWindow: the back buffer reaches the screen now. A window
// that is not on screen (hidden, or inside a hidden page or dialog) is skipped: showing it
// invalidates all of it, and it then paints from the same back buffer. Start-up draws a few hundred
// such windows, and under Wine each pair of calls is a trip to the server.
inline void PaintNow(HWND window) {
    if (!window || !IsWindowVisible(window)) return;
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
}

// UpdateWindow for a window just made: one that is not on screen (inside a hidden page or dialog,
// as most are at start-up) has nothing to paint, and under Wine the call is a trip to the server.
inline void UpdateIfShown(HWND window) {
    if (window && IsWindowVisible(window)) UpdateWindow(window);
}

// Shows a window and paints it with every window inside it at once, before anything else the
// thread has queued: none of them waits for its own WM_PAINT, which comes only once the queue is
// empty, with the screen black where it has not come yet. Wine puts what was painted on the
// screen when the thread next waits for messages, which a queue kept full puts off: a wait of no
// time puts it there now (elsewhere it returns at once).
inline void ShowPainted(HWND window) {
    if (!window) return;
    ShowWindow(window, SW_SHOW);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
}

}  // namespace ui
