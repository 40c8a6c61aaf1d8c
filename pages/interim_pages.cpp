#include "pages/interim_pages.h"

#include <cstring>

#include "res/resource.h"
#include "ui/gdi.h"

namespace pages {

InterimPage::InterimPage(HWND parent, ui::WndRect rect, UINT skin, COLORREF background, bool centre,
                         const char* name)
    : ui::FrameWnd(nullptr, parent, rect, skin, background, centre, ui::kChildStyle, 0), name_(name) {
    font_ = ui::gdi::MakeFont(-18, FW_BOLD, "Tahoma");
    Redraw(true);
}

InterimPage::~InterimPage() { ui::gdi::Free(font_); }

void InterimPage::Redraw(bool updateNow) {
    ui::FrameWnd::Redraw(false);
    if (HDC dc = BackBuffer(); dc && font_) {
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0x1E, 0x2A, 0x36));
        HGDIOBJ old = SelectObject(dc, font_);
        TextOutA(dc, 40, 30, name_, static_cast<int>(std::strlen(name_)));
        SelectObject(dc, old);
    }
    if (updateNow) UpdateNow();
}

ExtSourceEq::ExtSourceEq(HWND parent, int x, int y, bool online)
    : InterimPage(parent, {x, y, x + 50, y + 50}, IDB_PAGE_SOURCES, 0, false, "External sources"),
      connected_(online ? 1 : 0) {}

void ExtSourceEq::GetSourceFlags(uint32_t out[5]) const {
    for (int i = 0; i < 5; ++i) out[i] = flags_[i];
}

void ExtSourceEq::ApplyToControls(const uint32_t* flags, int count, int inputType, int source) {
    if (!flags) return;
    for (int i = 0; i < count && i < 5; ++i) flags_[i] = flags[i] ? 1 : 0;
}

}  // namespace pages
