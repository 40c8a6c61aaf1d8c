#include "pages/car_channel.h"

#include "res/resource.h"
#include "ui/messages.h"

namespace pages {

CarChannel::CarChannel(HWND parent, int x, int y, int mode)
    : ui::FrameWnd(nullptr, parent, {x, y, x + 249, y + 406}, IDB_CAR_VIEW, 0, false,
                   ui::kChildStyle, 0),
      logic_(mode) {
    for (int kind = 0; kind < model::kKindCount; ++kind) {
        const int id = CarChannelLogic::kKindIcons[kind];
        LoadIcon(id);
        const SIZE size = icons_[id]->Size();
        logic_.SetKindIconSize(kind, {static_cast<int>(size.cx / 2), static_cast<int>(size.cy)});
    }
    for (int variant = 1; variant < kVariantCount; ++variant) {
        const int id = CarChannelLogic::kVariantIcons[variant];
        LoadIcon(id);
        const SIZE size = icons_[id]->Size();
        logic_.SetVariantIconSize(variant,
                                  {static_cast<int>(size.cx / 2), static_cast<int>(size.cy)});
    }
    if (mode == kViewMode)
        for (int i = 0; i < kSeatCount; ++i)
            seats_[i] = std::make_unique<ui::ChkWnd>(GetHwnd(), CarChannelLogic::kSeatRects[i].left,
                                                     CarChannelLogic::kSeatRects[i].top, 2,
                                                     CarChannelLogic::kSeatBitmaps[i], true);
    font_ = ui::gdi::MakeFont(-12, FW_BOLD, "Tahoma");
    logic_.SetHooks([this] { return GetHwnd() && IsWindowEnabled(GetHwnd()) != FALSE; },
                    [this] { Redraw(true); }, [this] { ShowSeats(); });
    built_ = true;
    ShowSeats();
    logic_.Layout();
}

CarChannel::~CarChannel() {
    logic_.SetHooks(nullptr, nullptr, nullptr);
    ui::gdi::Free(font_);
}

void CarChannel::LoadIcon(int id) {
    auto dc = std::make_unique<ui::gdi::MemoryDC>();
    if (dc->Create(BackBuffer())) dc->SetBitmap(ui::gdi::LoadSkinBitmap(static_cast<UINT>(id)));
    icons_[id] = std::move(dc);
}

void CarChannel::ShowSeats() {
    for (int i = 0; i < kSeatCount; ++i)
        if (seats_[i]) seats_[i]->SetCheck(logic_.IsSeatChecked(i) ? 1 : 0);
}

void CarChannel::Redraw(bool updateNow) {
    ui::FrameWnd::Redraw(false);
    HDC back = BackBuffer();
    if (built_ && back) {
        const std::vector<CarLayoutItem>& items = logic_.LastLayout();
        HGDIOBJ oldFont = font_ ? SelectObject(back, font_) : nullptr;
        SetBkMode(back, TRANSPARENT);
        SetTextColor(back, RGB(0xFF, 0xFF, 0xFF));
        // The first item is the skin, already drawn.
        for (size_t i = 1; i < items.size(); ++i) {
            const CarLayoutItem& item = items[i];
            RECT r{item.rect.left, item.rect.top, item.rect.right, item.rect.bottom};
            if (item.bitmap == 0) {
                DrawTextA(back, item.text.c_str(), -1, &r, DT_LEFT | DT_TOP | DT_SINGLELINE);
                continue;
            }
            auto found = icons_.find(item.bitmap);
            if (found == icons_.end() || !found->second->HasBitmap()) continue;
            const int w = r.right - r.left, h = r.bottom - r.top;
            BitBlt(back, r.left, r.top, w, h, found->second->Get(), item.frame * w, 0, SRCCOPY);
        }
        if (oldFont) SelectObject(back, oldFont);
    }
    if (updateNow) UpdateNow();
}

void CarChannel::OnLButtonDown(int x, int y, WPARAM keys) {
    const Notification n = logic_.OnLButtonDown(x, y, (keys & MK_CONTROL) != 0);
    if (n) SendMessageA(Parent(), n.id, static_cast<WPARAM>(n.wParam), n.lParam);
}

LRESULT CarChannel::OnAppMessage(HWND, UINT message, WPARAM, LPARAM lParam) {
    if (message != ui::MsgButtonClicked) return 0;
    for (int i = 0; i < kSeatCount; ++i) {
        if (!seats_[i] || reinterpret_cast<LPARAM>(seats_[i]->GetHwnd()) != lParam) continue;
        const Notification n = logic_.OnSeatClicked(i, seats_[i]->GetCheck() == ui::ChkWnd::kOn);
        if (n) SendMessageA(Parent(), n.id, static_cast<WPARAM>(n.wParam), n.lParam);
        break;
    }
    return 0;
}

}  // namespace pages
