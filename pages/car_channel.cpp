#include "pages/car_channel.h"

#include "os/phases.h"
#include "res/resource.h"
#include "ui/messages.h"

namespace pages {

CarChannel::CarChannel(HWND parent, int x, int y, int mode)
    : ui::FrameWnd(nullptr, parent, {x, y, x + 249, y + 406},
                   mode == kViewMode ? IDB_CAR_VIEW : IDB_CAR_WIZARD, 0, false, ui::kChildStyle, 0),
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
    if (mode != kViewMode) {
        for (int id : {CarChannelLogic::kTooManyOverlay, CarChannelLogic::kConflictOverlay,
                       CarChannelLogic::kLeftLabel, CarChannelLogic::kRightLabel})
            LoadIcon(id);
        const SIZE label = icons_[CarChannelLogic::kLeftLabel]->Size();
        if (label.cx > 0) logic_.SetLabelSize({static_cast<int>(label.cx), static_cast<int>(label.cy)});
        for (int t = 0; t < kPassiveToggles; ++t)
            toggles_[t] = std::make_unique<ui::ChkWnd>(GetHwnd(), 0, 0, 2,
                                                       CarChannelLogic::kToggleBitmaps[t], false);
        logic_.SetWizardSink([this](const Notification& n) {
            SendMessageA(Parent(), n.id, static_cast<WPARAM>(n.wParam), n.lParam);
        });
        // The logic built its first step before it knew its window.
        logic_.SetWizardStep(mode, nullptr);
    }
    font_ = ui::gdi::MakeFont(-12, FW_BOLD, "Tahoma");
    logic_.SetHooks([this] { return GetHwnd() && IsWindowEnabled(GetHwnd()) != FALSE; },
                    [this] {
                        SyncWizardControls();
                        Redraw(true);
                    },
                    [this] { ShowSeats(); });
    built_ = true;
    ShowSeats();
    logic_.Layout();
}

CarChannel::~CarChannel() {
    logic_.SetHooks(nullptr, nullptr, nullptr);
    ui::gdi::Free(font_);
}

void CarChannel::LoadIcon(int id) {
    ui::gdi::BitmapAccount account(os::held::kImageStrips);
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
                const int32_t c = item.textColor;
                SetTextColor(back, c < 0 ? RGB(0xFF, 0xFF, 0xFF)
                                         : RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF));
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
    if (logic_.Mode() != kViewMode) {
        if (OnWizardButton(reinterpret_cast<HWND>(lParam))) SyncWizardControls();
        return 0;
    }
    for (int i = 0; i < kSeatCount; ++i) {
        if (!seats_[i] || reinterpret_cast<LPARAM>(seats_[i]->GetHwnd()) != lParam) continue;
        const Notification n = logic_.OnSeatClicked(i, seats_[i]->GetCheck() == ui::ChkWnd::kOn);
        if (n) SendMessageA(Parent(), n.id, static_cast<WPARAM>(n.wParam), n.lParam);
        break;
    }
    return 0;
}

void CarChannel::SyncWizardControls() {
    if (logic_.Mode() == kViewMode || !GetHwnd()) return;
    const auto place = [](HWND w, int x, int y, bool show) {
        if (!w) return;
        if (show) SetWindowPos(w, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        if ((IsWindowVisible(w) != FALSE) != show) ShowWindow(w, show ? SW_SHOW : SW_HIDE);
    };
    for (int t = 0; t < kPassiveToggles; ++t) {
        if (!toggles_[t]) continue;
        const PassiveToggle& state = logic_.Toggle(t);
        toggles_[t]->SetCheck(state.checked ? ui::ChkWnd::kOn : ui::ChkWnd::kOff);
        place(toggles_[t]->GetHwnd(), state.x, state.y, state.shown);
    }
    const CarChannelLabel* labels = logic_.GetLabels();
    for (int i = 0; i < kMaxCarLabels; ++i) {
        LabelControls& c = labelControls_[i];
        const bool used = i < logic_.GetLabelCount();
        const CarChannelLabel& l = labels[i];
        if (used && (!c.up || c.rightSide != l.rightSide)) {
            c.up = std::make_unique<ui::BtnWnd>(GetHwnd(), 0, 0, 3, CarChannelLogic::kUpButton, false);
            c.down = std::make_unique<ui::BtnWnd>(GetHwnd(), 0, 0, 3, CarChannelLogic::kDownButton, false);
            c.up->SetAutoRepeat(true);
            c.down->SetAutoRepeat(true);
            c.amplifier = std::make_unique<ui::ChkWnd>(
                GetHwnd(), 0, 0, 2,
                l.rightSide ? CarChannelLogic::kRightAmplifier : CarChannelLogic::kLeftAmplifier, false);
            c.rightSide = l.rightSide;
        }
        if (!c.up) continue;
        place(c.up->GetHwnd(), l.upX, l.upY, used && l.arrowsShown);
        place(c.down->GetHwnd(), l.downX, l.downY, used && l.arrowsShown);
        if (used) c.amplifier->SetCheck(l.amplifier ? ui::ChkWnd::kOn : ui::ChkWnd::kOff);
        place(c.amplifier->GetHwnd(), l.checkX, l.checkY, used && l.checkShown);
    }
}

bool CarChannel::OnWizardButton(HWND from) {
    if (!from) return false;
    for (int t = 0; t < kPassiveToggles; ++t)
        if (toggles_[t] && toggles_[t]->GetHwnd() == from) {
            logic_.OnToggleClicked(t, toggles_[t]->GetCheck() == ui::ChkWnd::kOn);
            return true;
        }
    for (int i = 0; i < logic_.GetLabelCount(); ++i) {
        LabelControls& c = labelControls_[i];
        if (!c.up) continue;
        if (c.up->GetHwnd() == from || c.down->GetHwnd() == from) {
            logic_.OnChannelButton(i, c.up->GetHwnd() == from);
            return true;
        }
        if (c.amplifier->GetHwnd() == from) {
            logic_.OnAmplifierClicked(i, c.amplifier->GetCheck() == ui::ChkWnd::kOn);
            return true;
        }
    }
    return false;
}

}  // namespace pages
