#include "pages/device_info.h"

#include <string>

#include "res/resource.h"
#include "ui/text.h"

namespace pages {

DeviceInfo::DeviceInfo(HWND parent, int x, int y)
    : ui::FrameWnd(nullptr, parent, {x, y, x + 50, y + 50}, IDB_DEVICE_INFO, 0, false, ui::kChildStyle, 0) {
    RefreshText(true);
}

void DeviceInfo::RefreshText(bool updateNow) {
    // The bare skin, then the lines over it.
    ui::FrameWnd::Redraw(false);
    HDC dc = BackBuffer();
    if (dc) {
        ui::TextStyle style;
        style.family = L"LCD5x8H";
        style.points = 12.0f;
        style.argb = 0xBEDCDCDC;  // A 190, R G B 220
        for (int i = 0; i < DeviceInfoLines::kLineCount; ++i) {
            if (!*lines_.Line(i)) continue;
            const LineRect& r = lines_.Rect(i);
            ui::DrawTextAntialiased(dc, lines_.Line(i), {r.left, r.top, r.right, r.bottom}, style);
        }
    }
    if (updateNow) UpdateNow();
    // The window's text is what the panel shows, a line to a line, as the dialogs' is: what
    // reads the screen (a reader or a test) gets the words and not only the pixels.
    if (GetHwnd()) {
        std::string text;
        for (int i = 0; i < DeviceInfoLines::kLineCount; ++i) {
            if (i) text += '\n';
            text += lines_.Line(i);
        }
        SetWindowTextA(GetHwnd(), text.c_str());
    }
}

}  // namespace pages
