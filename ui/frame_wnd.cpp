#include "ui/frame_wnd.h"

#include <cstdio>
#include <cstring>

#include "os/phases.h"

namespace ui {
namespace {

void CopyTitle(char (&to)[FrameWnd::kMaxTitle + 1], const char* from) {
    to[0] = '\0';
    if (from) std::snprintf(to, sizeof to, "%.64s", from);
}

// Where a window's messages in the WM_APP range go; registered messages (0xC000 and above)
// belong to the system and are left to it.
bool IsPrivateMessage(UINT message) { return message >= 0x8000 && message <= 0xBFFF; }

}  // namespace

FrameWnd::FrameWnd(const char* title, HWND parent, WndRect rect, UINT skinBitmapId,
                   COLORREF background, bool centreSkin, DWORD style, DWORD exStyle)
    : parent_(parent), background_(background), skinId_(skinBitmapId), centre_(centreSkin),
      cursor_(SystemCursor(reinterpret_cast<LPCSTR>(IDC_ARROW))) {
    CopyTitle(title_, title);
    if (!RegisterToolkitClass(kClassName, WindowProc)) return;
    os::PhaseTimer timer("frame-windows-made");
    // A skinned frame takes its skin's size in WM_CREATE: made at that size from the start (read
    // from the resource's header), it is not resized there, which under Wine costs a trip to the
    // server and, for a popup, a resize of its X window.
    asked_ = SIZE{rect.Width(), rect.Height()};
    SIZE size = asked_;
    if (skinBitmapId && !centreSkin) {
        const SIZE skin = gdi::SkinBitmapSize(skinBitmapId);
        if (skin.cx > 0 && skin.cy > 0) size = skin;
    }
    creating_ = true;
    HWND window = CreateWindowExA(exStyle, kClassName, title_[0] ? title_ : nullptr, style,
                                  rect.left, rect.top, size.cx, size.cy, parent, nullptr,
                                  ModuleInstance(), this);
    creating_ = false;
    if (!window) return;
    if (style & WS_VISIBLE) ShowWindow(window, SW_SHOW);
    UpdateIfShown(window);
}

FrameWnd::~FrameWnd() {
    // A window that died with its parent has already let go of this object (WM_NCDESTROY);
    // its handle may belong to another window by now.
    if (window_) DestroyWindow(window_);
    overlay_.Reset();
    skin_.Reset();
    back_.Reset();
    gdi::Free(brush_);
    gdi::Free(font_);
}

void FrameWnd::OnCreate(HWND window) {
    window_ = window;
    AttachObject(window, this);
    brush_ = gdi::MakeBrush(background_);
    GetClientRect(window, &client_);
    {
        gdi::FormatDC screen(window);
        back_.Create(screen);
        back_.SetBitmap(gdi::MakeBitmap(screen, client_.right, client_.bottom));
        if (skinId_) {
            skin_.Create(screen);
            skin_.SetBitmap(gdi::LoadSkinBitmap(skinId_));
        }
    }
    if (!HasSkin()) FillRect(back_, &client_, brush_);
    SetBkMode(back_, TRANSPARENT);
    const SIZE skin = skin_.Size();
    if (HasSkin() && !centre_) {
        // The WM_SIZE this sends rebuilds the back buffer at the skin's size. A window made at
        // that size already needs none.
        if (client_.right != skin.cx || client_.bottom != skin.cy)
            SetWindowPos(window, nullptr, 0, 0, skin.cx, skin.cy, SWP_NOMOVE | SWP_NOZORDER);
    } else if (!HasSkin() && (client_.right != asked_.cx || client_.bottom != asked_.cy)) {
        // Made at the skin's size but the skin did not load: back to the size asked for.
        SetWindowPos(window, nullptr, 0, 0, asked_.cx, asked_.cy, SWP_NOMOVE | SWP_NOZORDER);
    } else if (HasSkin()) {
        centred_ = RECT{(client_.left + client_.right) / 2 + client_.left - skin.cx / 2,
                        (client_.top + client_.bottom) / 2 + client_.top - skin.cy / 2, skin.cx,
                        skin.cy};
        FillRect(back_, &client_, brush_);
        BitBlt(back_, centred_.left, centred_.top, skin.cx, skin.cy, skin_, 0, 0, SRCCOPY);
    }
    font_ = gdi::MakeFont(14, FW_BOLD, "Palatino");
    Redraw(true);
}

void FrameWnd::DrawFlatFace() {
    HGDIOBJ oldFont = SelectObject(back_, font_);
    SIZE text{0, 16};
    const int length = static_cast<int>(std::strlen(title_));
    if (length) GetTextExtentPoint32A(back_, title_, length, &text);
    FillRect(back_, &client_, brush_);
    const RECT& c = client_;
    titleRect_ = RECT{c.left + 1, c.top + 1, c.right, c.top + text.cy + 3};
    if (length) {
        const COLORREF oldColour = SetTextColor(back_, kTitleColour);
        RECT box{c.left + 8, c.top + 3, c.right - 2, c.top + text.cy + 3};
        DrawTextA(back_, title_, length, &box, DT_SINGLELINE | DT_VCENTER);
        SetTextColor(back_, oldColour);
    }
    // The bevel: a dark and a light line on each side, for a sunken frame.
    HPEN dark = gdi::MakePen(PS_SOLID, 1, kDarkPen);
    HPEN light = gdi::MakePen(PS_SOLID, 1, kLightPen);
    HGDIOBJ oldPen = SelectObject(back_, dark);
    MoveToEx(back_, c.left + 1, c.bottom - 1, nullptr);
    LineTo(back_, c.left + 1, c.top + 1);
    LineTo(back_, c.right - 1, c.top + 1);
    MoveToEx(back_, c.right - 2, c.top + 2, nullptr);
    LineTo(back_, c.right - 2, c.bottom - 2);
    LineTo(back_, c.left + 2, c.bottom - 2);
    SelectObject(back_, light);
    MoveToEx(back_, c.left + 2, c.bottom - 2, nullptr);
    LineTo(back_, c.left + 2, c.top + 2);
    LineTo(back_, c.right - 2, c.top + 2);
    MoveToEx(back_, c.right - 1, c.top + 1, nullptr);
    LineTo(back_, c.right - 1, c.bottom - 1);
    LineTo(back_, c.left + 1, c.bottom - 1);
    SelectObject(back_, oldPen);
    gdi::Free(dark);
    gdi::Free(light);
    SelectObject(back_, oldFont);
}

void FrameWnd::Redraw(bool updateNow) {
    if (!back_.Get()) return;
    if (!HasSkin()) {
        DrawFlatFace();
    } else if (centre_) {
        FillRect(back_, &client_, brush_);
        BitBlt(back_, centred_.left, centred_.top, centred_.right, centred_.bottom, skin_, 0, 0,
               SRCCOPY);
    } else {
        BitBlt(back_, client_.left, client_.top, client_.right - client_.left,
               client_.bottom - client_.top, skin_, 0, 0, SRCCOPY);
        const SIZE overlay = overlay_.Size();
        if (overlay_.HasBitmap())
            BitBlt(back_, kOverlayX, 0, overlay.cx, overlay.cy, overlay_, 0, 0, SRCCOPY);
    }
    if (updateNow) UpdateNow();
}

void FrameWnd::SetTitle(const char* text) {
    CopyTitle(title_, text);
    Redraw(true);
}

void FrameWnd::OnPaint(HDC dc, const PAINTSTRUCT& paint) {
    const RECT& r = paint.rcPaint;
    BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, back_, r.left, r.top, SRCCOPY);
}

void FrameWnd::OnSize(int cx, int cy, UINT sizeType) {
    if (!back_.Get()) return;
    // The WM_SIZE that follows WM_CREATE, of the size WM_CREATE has drawn: nothing to change.
    if (creating_ && font_ && cx == client_.right && cy == client_.bottom && back_.Size().cx == cx &&
        back_.Size().cy == cy)
        return;
    {
        gdi::FormatDC screen(window_);
        back_.SetBitmap(gdi::MakeBitmap(screen, cx, cy));
    }
    SetBkMode(back_, TRANSPARENT);
    client_ = RECT{0, 0, cx, cy};
    FillRect(back_, &client_, brush_);
    if (creating_ && !font_) return;  // inside WM_CREATE, whose last step draws the face
    Redraw(true);
}

void FrameWnd::OnLButtonDown(int x, int y, WPARAM keys) {
    const POINT p{x, y};
    if (PtInRect(&titleRect_, p)) PostMessageA(window_, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

void FrameWnd::SetSkin(UINT bitmapId, UINT overlayBitmapId) {
    if (bitmapId == 0 || !window_) return;
    HBITMAP bitmap = gdi::LoadSkinBitmap(bitmapId);
    if (bitmap) {
        skinId_ = bitmapId;
        if (!skin_.Get()) {  // a frame built without a skin gets its skin DC now
            gdi::FormatDC screen(window_);
            skin_.Create(screen);
        }
        skin_.SetBitmap(bitmap);  // frees the skin it replaces
    }
    const SIZE size = bitmap ? skin_.Size() : SIZE{0, 0};
    {
        gdi::FormatDC screen(window_);
        if (size.cx < 1 || size.cy < 1)
            back_.SetBitmap(gdi::MakeBitmap(screen, client_.right - client_.left,
                                            client_.bottom - client_.top));
        else
            back_.SetBitmap(gdi::MakeBitmap(screen, size.cx, size.cy));
        SetBkMode(back_, TRANSPARENT);
        if (overlayBitmapId) {
            overlay_.Create(screen);  // frees the old overlay
            overlay_.SetBitmap(gdi::LoadSkinBitmap(overlayBitmapId));
        } else {
            overlay_.Reset();
        }
    }
    if (size.cx >= 1 && size.cy >= 1)
        SetWindowPos(window_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
    // The overlay becomes part of the skin, so every later Redraw shows it too.
    if (overlay_.HasBitmap() && skin_.HasBitmap()) {
        const SIZE o = overlay_.Size();
        BitBlt(skin_, kOverlayX, 0, o.cx, o.cy, overlay_, 0, 0, SRCCOPY);
    }
    titleRect_ = RECT{client_.left + 1, client_.top + 1, client_.right, client_.top + 30};
    // The new buffer has no face yet when the size did not change (no WM_SIZE came).
    Redraw(true);
}

bool FrameWnd::OnSetCursor() {
    SetCursor(cursor_);
    return true;
}

LRESULT FrameWnd::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = window_;
    const int x = MouseX(lParam), y = MouseY(lParam);
    switch (message) {
    case WM_SIZE: OnSize(LOWORD(lParam), HIWORD(lParam), static_cast<UINT>(wParam)); break;
    case WM_SETFOCUS:
        OutputDebugStringA("SetFocus");
        SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
        OnSetFocus();
        break;
    case WM_KILLFOCUS: OnKillFocus(); break;
    case WM_ENABLE:
        Redraw(true);
        OnEnable(wParam != 0);
        break;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        if (dc) OnPaint(dc, paint);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_CLOSE:
        if (!OnClose()) return 0;
        break;
    case WM_SHOWWINDOW: OnShowWindow(wParam != 0); break;
    case WM_SETCURSOR: return OnSetCursor() ? TRUE : FALSE;
    case WM_GETDLGCODE: return DLGC_WANTALLKEYS;
    case WM_KEYDOWN: return OnKeyDown(wParam, lParam);
    case WM_KEYUP: return OnKeyUp(wParam, lParam);
    case WM_COMMAND: OnCommand(wParam, lParam); break;
    case WM_TIMER: OnTimer(wParam, lParam); break;
    case WM_MOUSEMOVE: OnMouseMove(x, y, wParam); break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        if (GetFocus() != window && IsWindowEnabled(window)) {
            SetFocus(window);
            SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
        }
        if (message == WM_LBUTTONDOWN)
            OnLButtonDown(x, y, wParam);
        else
            OnRButtonDown(x, y, wParam);
        break;
    case WM_LBUTTONUP: OnLButtonUp(x, y, wParam); break;
    case WM_RBUTTONUP: OnRButtonUp(x, y, wParam); break;
    case WM_MOUSEWHEEL: {
        POINT p{x, y};
        ScreenToClient(window, &p);
        OnMouseWheel(p.x, p.y, wParam);
        break;
    }
    case WM_MOUSEHOVER: OnMouseHover(x, y); break;
    case WM_MOUSELEAVE: OnMouseLeave(); break;
    default:
        if (IsPrivateMessage(message)) return OnAppMessage(window, message, wParam, lParam);
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK FrameWnd::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return RouteMessage<FrameWnd>(window, message, wParam, lParam);
}

}  // namespace ui
