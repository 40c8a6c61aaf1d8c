#include "pages/channel_map.h"

// GDI+'s headers need the COM interfaces declared first.
#include <objidl.h>
#include <gdiplus.h>

#include "res/resource.h"
#include "ui/text.h"

namespace pages {
namespace {

namespace flat = Gdiplus::DllExports;

// The fills and lines of the plan, anti-aliased, with their alpha.
void FillRect(HDC dc, const PanelRect& r, uint32_t argb) {
    Gdiplus::GpGraphics* g = nullptr;
    if (flat::GdipCreateFromHDC(dc, &g) != Gdiplus::Ok || !g) return;
    Gdiplus::GpSolidFill* brush = nullptr;
    if (flat::GdipCreateSolidFill(argb, &brush) == Gdiplus::Ok && brush) {
        flat::GdipFillRectangleI(g, brush, r.left, r.top, r.right - r.left, r.bottom - r.top);
        flat::GdipDeleteBrush(brush);
    }
    flat::GdipDeleteGraphics(g);
}

void DrawLine(HDC dc, const PanelRect& r, uint32_t argb) {
    Gdiplus::GpGraphics* g = nullptr;
    if (flat::GdipCreateFromHDC(dc, &g) != Gdiplus::Ok || !g) return;
    Gdiplus::GpPen* pen = nullptr;
    if (flat::GdipCreatePen1(argb, 1.0f, Gdiplus::UnitPixel, &pen) == Gdiplus::Ok && pen) {
        flat::GdipDrawLineI(g, pen, r.left, r.top, r.left, r.bottom - 1);
        flat::GdipDeletePen(pen);
    }
    flat::GdipDeleteGraphics(g);
}

}  // namespace

HCURSOR LoadCursorKind(int kind) {
    if (kind == kCursorArrow) return LoadCursor(nullptr, IDC_ARROW);
    if (kind == kCursorHand) return LoadCursor(nullptr, IDC_HAND);
    HCURSOR own = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kind));
    return own ? own : LoadCursor(nullptr, IDC_ARROW);
}

ChannelMap::ChannelMap(HWND parent, int x, int y)
    : ui::FrameWnd(nullptr, parent, {x, y, x + 314, y + 296}, IDB_CHANNEL_MAP, 0, false,
                   ui::kChildStyle, 0),
      logic_(this) {
    logic_.SetRepaintHandler([this] { Paint(true); });
    built_ = true;
    ShowCursorKind(false);
    Paint(true);
}

void ChannelMap::Paint(bool updateNow) {
    ui::FrameWnd::Redraw(false);
    HDC dc = BackBuffer();
    if (built_ && dc) {
        for (const MapPaintItem& item : logic_.PaintPlan()) {
            switch (item.kind) {
                case MapPaintItem::Background:
                    // The skin under the row: already there after the face was drawn.
                    break;
                case MapPaintItem::Fill: FillRect(dc, item.rect, item.argb); break;
                case MapPaintItem::Line: DrawLine(dc, item.rect, item.argb); break;
                case MapPaintItem::Text: {
                    ui::TextStyle style;
                    style.family = L"Arial";
                    style.points = static_cast<float>(item.points);
                    style.argb = item.argb;
                    if (item.centred) {
                        style.formatFlags = 0x1000;  // one line, even where the font is wider than the box
                        style.alignment = 1;         // centred across the box
                    }
                    const RECT box{item.rect.left, item.rect.top, item.rect.right, item.rect.bottom};
                    ui::DrawTextAntialiased(dc, item.text.c_str(), box, style);
                    break;
                }
            }
        }
    }
    if (updateNow) UpdateNow();
}

void ChannelMap::TakeFocus() {
    HWND self = GetHwnd();
    if (!self || GetFocus() == self) return;
    // Only while the program is the active one: the focus is not taken from another program.
    if (GetActiveWindow() == GetAncestor(self, GA_ROOT)) SetFocus(self);
}

void ChannelMap::ShowCursorKind(bool now) {
    HCURSOR cursor = LoadCursorKind(logic_.Cursor());
    SetCursorShape(cursor);
    if (now) SetCursor(cursor);
}

void ChannelMap::OnLButtonDown(int x, int y, WPARAM keys) {
    TakeFocus();
    const Notification n = logic_.OnLButtonDown(x, y, (keys & MK_CONTROL) != 0);
    ShowCursorKind(false);
    if (n) SendMessageA(Parent(), n.id, static_cast<WPARAM>(n.wParam), n.lParam);
}

void ChannelMap::OnMouseMove(int x, int y, WPARAM keys) {
    TakeFocus();
    logic_.UpdateCursor(x, y, (keys & MK_CONTROL) != 0);
    ShowCursorKind(false);
}

void ChannelMap::CursorAtPointer(bool ctrl) {
    POINT p{};
    if (!GetCursorPos(&p) || !ScreenToClient(GetHwnd(), &p)) return;
    logic_.UpdateCursor(p.x, p.y, ctrl);
    ShowCursorKind(true);
}

LRESULT ChannelMap::OnKeyDown(WPARAM key, LPARAM) {
    if (key == VK_CONTROL) CursorAtPointer(true);
    return 0;
}

LRESULT ChannelMap::OnKeyUp(WPARAM key, LPARAM) {
    if (key == VK_CONTROL) CursorAtPointer(false);
    return 0;
}

void ChannelMap::PostToPage(uint32_t id, intptr_t wParam, intptr_t lParam) {
    PostMessageA(Parent(), id, static_cast<WPARAM>(wParam), lParam);
}

// The main window is the page's parent.
HWND ChannelMap::MainWindow() const { return Parent() ? GetParent(Parent()) : nullptr; }

intptr_t ChannelMap::SendToMain(uint32_t id, intptr_t wParam, intptr_t lParam) {
    HWND main = MainWindow();
    return main ? SendMessageA(main, id, static_cast<WPARAM>(wParam), lParam) : 0;
}

void ChannelMap::PostToMain(uint32_t id, intptr_t wParam, intptr_t lParam) {
    if (HWND main = MainWindow()) PostMessageA(main, id, static_cast<WPARAM>(wParam), lParam);
}

}  // namespace pages
