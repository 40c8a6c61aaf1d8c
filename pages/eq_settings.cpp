#include "pages/eq_settings.h"

#include <string>

#include "os/phases.h"
#include "res/resource.h"
#include "ui/messages.h"

namespace pages {
namespace {

// The external-source page's and the dynamic-equalisation dialog's faces are drawn with their
// owners; until they exist the panel shows a flat face of its usual size.
constexpr UINT kSourcesSkin = 188;
constexpr UINT kDynamicSkin = 249;
constexpr POINT kNone{-1, -1};

constexpr EqLayout kLayouts[] = {
    // The tuning page: all four buttons, the thumb that marks the crossover's pass band.
    {IDB_EQ_PANEL, IDB_EQ_THUMB, 4, 0, {15, 70}, {6, 105}, {11, 150}, {10, 26}},
    // The external-source page: no link button.
    {kSourcesSkin, IDB_EQ_THUMB_PLAIN, 1, 0, {15, 100}, kNone, {12, 150}, {10, 26}},
    // The dynamic-equalisation dialog: Flat and Select All, the bands a little lower.
    {kDynamicSkin, IDB_EQ_THUMB_PLAIN, 1, 1, {15, 100}, kNone, kNone, {10, 29}},
};

constexpr COLORREF kFlatGround = RGB(0x2A, 0x30, 0x37);
constexpr int kFaceWidth = 773, kFaceHeight = 219;
// A band slider's track inside its 22 x 160 window: the thumb's centre runs from y 18 to 146.
constexpr ui::WndRect kTrack{8, 18, 13, 146};

}  // namespace

const EqLayout& EqLayoutFor(int flagA, int flagB) {
    if (flagB) return kLayouts[2];
    return flagA ? kLayouts[1] : kLayouts[0];
}

RECT EqSettings::SliderRect(int band, int lowered) {
    const int left = 48 + 22 * band, top = 38 + 4 * lowered;
    return {left, top, left + 22, top + 160};
}

POINT EqSettings::SwitchPlace(int band, int lowered) { return {50 + 22 * band, 25 + 3 * lowered}; }

RECT EqSettings::ReadoutRect(int band) const {
    // The centre of the band's column, truncated as the pixel grid has it.
    const int c = static_cast<int>((band + 0.5) * 22 + 48);
    const int b = layout_.bandShift;
    return {c - 10, 10 + 3 * b, c + 10, 21 + 3 * b};
}

EqSettings::EqSettings(HWND parent, int x, int y, int flagA, int flagB, EqSettingsLogic* logic)
    : ui::FrameWnd(nullptr, parent, {x, y, x + 50, y + 50}, EqLayoutFor(flagA, flagB).skin, kFlatGround,
                   false, ui::kChildStyle, 0),
      layout_(EqLayoutFor(flagA, flagB)) {
    if (!logic) {
        ownLogic_ = std::make_unique<EqSettingsLogic>(EqConfig{flagA != 0, flagB != 0});
        logic = ownLogic_.get();
    }
    logic_ = logic;
    logic_->SetChangeListener([this](unsigned aspects) { OnLogicChanged(aspects); });
    HWND window = GetHwnd();
    if (!window) return;

    // A face that is not drawn yet: the panel keeps the size its controls need.
    if (SkinSize().cx < 1)
        SetWindowPos(window, nullptr, 0, 0, kFaceWidth, kFaceHeight + 4 * layout_.bandShift,
                     SWP_NOMOVE | SWP_NOZORDER);
    ui::FrameWnd::Redraw(false);
    HDC back = BackBuffer();
    auto load = [back](ui::gdi::MemoryDC& dc, UINT id) {
        if (dc.Create(back)) dc.SetBitmap(ui::gdi::LoadSkinBitmap(id));
    };
    {
        ui::gdi::BitmapAccount account(os::held::kSliderImages);
        load(track_, IDB_EQ_TRACK);
        load(thumb_, layout_.thumb);
    }
    // The readouts are drawn over the face's top rows, restored from this copy each time.
    const RECT client = ClientRect();
    if (ui::gdi::BitmapAccount account(os::held::kFaceCopies); readoutGround_.Create(back)) {
        readoutGround_.SetBitmap(ui::gdi::MakeBitmap(back, client.right, kReadoutGroundRows));
        BitBlt(readoutGround_, 0, 0, client.right, kReadoutGroundRows, back, 0, 0, SRCCOPY);
    }
    font_ = ui::gdi::MakeFont(12, FW_NORMAL, "Arial");

    const SIZE thumbs = thumb_.Size();
    const int thumbWidth = layout_.thumbStates > 0 ? thumbs.cx / layout_.thumbStates : thumbs.cx;
    for (int k = 0; k < kBands; ++k) {
        const RECT r = SliderRect(k, layout_.bandShift);
        sliders_[k].Create(window, static_cast<UINT>(k), {r.left, r.top, r.right, r.bottom}, track_, kTrack,
                           thumb_, {0, 0, thumbWidth, thumbs.cy}, logic_->Min(), logic_->Max(),
                           layout_.thumbStates);
        sliders_[k].SetRightClickEnabled(true);
        const POINT s = SwitchPlace(k, layout_.bandShift);
        switches_[k] = std::make_unique<ui::ChkWnd>(window, s.x, s.y, 3, IDB_EQ_BAND_SWITCH, true);
        switches_[k]->SetDragToggleAllowed(true);
    }
    flat_ = std::make_unique<ui::BtnWnd>(window, layout_.flat.x, layout_.flat.y, 3, IDB_EQ_FLAT, true);
    if (logic_->HasLink() && layout_.link.x >= 0)
        link_ = std::make_unique<ui::ChkWnd>(window, layout_.link.x, layout_.link.y, 3, IDB_EQ_LINK, true);
    if (logic_->HasOff() && layout_.off.x >= 0)
        off_ = std::make_unique<ui::ChkWnd>(window, layout_.off.x, layout_.off.y, 3, IDB_EQ_OFF, true);
    selectAll_ = std::make_unique<ui::ChkWnd>(window, layout_.selectAll.x, layout_.selectAll.y, 3,
                                              IDB_EQ_SELECT_ALL, true);
    built_ = true;
    ShowStates();
    ShowEnabled();
    ShowValues();
}

EqSettings::~EqSettings() {
    logic_->SetChangeListener(nullptr);
    for (ui::Slider& s : sliders_) s.Destroy();
    if (font_) ui::gdi::Free(font_);
}

// ---- showing the logic ---------------------------------------------------------------------

void EqSettings::OnLogicChanged(unsigned aspects) {
    if (!built_) return;
    if (aspects & EqSettingsLogic::kEnabledChanged) ShowEnabled();
    if (aspects & EqSettingsLogic::kStatesChanged) ShowStates();
    if (aspects & EqSettingsLogic::kButtonsChanged) ShowButtons();
    if (aspects & EqSettingsLogic::kSwitchesChanged) ShowSwitches();
    if (aspects & EqSettingsLogic::kValuesChanged) ShowValues();
}

// A paint of each slider window costs far more than its drawing (under Wine a third of a
// millisecond a window): the faces change in the sliders' buffers and reach the screen through
// one device context of the panel.
void EqSettings::ShowValues() {
    std::array<bool, kBands> changed{};
    for (int k = 0; k < kBands; ++k) {
        changed[k] = sliders_[k].SetValueUnpainted(logic_->Value(k));
        DrawReadout(k);
    }
    PaintBands(changed);
    InvalidateReadouts();
}

// A disabled switch shows its disabled face: it gets its check back when the panel is enabled.
void EqSettings::ShowButtons() {
    if (!logic_->Enabled()) return;
    if (link_) link_->SetCheck(logic_->IsEqLink() ? 1 : 0);
    if (off_) off_->SetCheck(logic_->IsEqOff() ? 1 : 0);
}

void EqSettings::ShowSwitches() {
    if (!logic_->Enabled()) return;
    for (int k = 0; k < kBands; ++k)
        if (switches_[k]) switches_[k]->SetCheck(logic_->BandSwitch(k) ? 1 : 0);
    if (selectAll_) selectAll_->SetCheck(logic_->SelectAll() ? 1 : 0);
}

void EqSettings::ShowStates() {
    for (int k = 0; k < kBands; ++k) sliders_[k].SetState(logic_->BandState(k));
}

void EqSettings::ShowEnabled() {
    const bool on = logic_->Enabled();
    // Enabling a switch brings it back off, so the checks are set again afterwards.
    for (ui::BtnWnd* b : {static_cast<ui::BtnWnd*>(flat_.get()), static_cast<ui::BtnWnd*>(link_.get()),
                          static_cast<ui::BtnWnd*>(off_.get()), static_cast<ui::BtnWnd*>(selectAll_.get())})
        if (b && (b->State() == ui::BtnWnd::kDisabled) == on) b->Enable(on);
    for (int k = 0; k < kBands; ++k) {
        if (switches_[k] && (switches_[k]->State() == ui::BtnWnd::kDisabled) == on) switches_[k]->Enable(on);
        if (sliders_[k].GetWindow() && (IsWindowEnabled(sliders_[k].GetWindow()) != FALSE) != on)
            sliders_[k].Enable(on);
    }
    ShowButtons();
    ShowSwitches();
    for (int k = 0; k < kBands; ++k) DrawReadout(k);
    InvalidateReadouts();
}

void EqSettings::DrawReadout(int band) {
    HDC back = BackBuffer();
    if (!back || band < 0 || band >= kBands) return;
    // The whole column's width: a wide value ("-12.0") may spill a little past the readout.
    RECT r = ReadoutRect(band);
    r.left -= 1;
    r.right += 1;
    if (readoutGround_.HasBitmap())
        BitBlt(back, r.left, r.top, r.right - r.left, r.bottom - r.top, readoutGround_, r.left, r.top, SRCCOPY);
    const std::string text = logic_->ReadoutText(band);
    HGDIOBJ oldFont = font_ ? SelectObject(back, font_) : nullptr;
    const COLORREF oldColour = SetTextColor(back, kReadoutColour);
    const int oldMode = SetBkMode(back, TRANSPARENT);
    DrawTextA(back, text.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SetBkMode(back, oldMode);
    SetTextColor(back, oldColour);
    if (oldFont) SelectObject(back, oldFont);
}

float EqSettings::DrawBandValue(int band) {
    if (band < 0 || band >= kBands) return 0.0f;
    DrawReadout(band);
    RECT r = ReadoutRect(band);
    InflateRect(&r, 1, 0);
    if (GetHwnd()) InvalidateRect(GetHwnd(), &r, FALSE);
    return logic_->Value(band);
}

void EqSettings::PaintBands(const std::array<bool, kBands>& which) {
    HWND window = GetHwnd();
    if (!window) return;
    // The panel's device context with its children not clipped out: each face is copied onto
    // its slider's own place, where no other window lies. Siblings above the panel stay clipped.
    ui::gdi::WindowDC dc(window, DCX_CACHE | DCX_CLIPSIBLINGS);
    for (int k = 0; k < kBands; ++k) {
        if (!which[k]) continue;
        if (dc) {
            const RECT r = SliderRect(k, layout_.bandShift);
            sliders_[k].CopyFace(dc, r.left, r.top);
        } else {
            ui::PaintNow(sliders_[k].GetWindow());
        }
    }
}

void EqSettings::InvalidateReadouts() {
    HWND window = GetHwnd();
    if (!window) return;
    RECT first = ReadoutRect(0), last = ReadoutRect(kBands - 1);
    const RECT strip{first.left - 1, first.top, last.right + 1, last.bottom};
    InvalidateRect(window, &strip, FALSE);
    UpdateWindow(window);
}

void EqSettings::Redraw(bool updateNow) {
    ui::FrameWnd::Redraw(false);
    if (built_)
        for (int k = 0; k < kBands; ++k) DrawReadout(k);
    if (updateNow) UpdateNow();
}

// ---- the user's actions --------------------------------------------------------------------

void EqSettings::Tell(const Notification& n) {
    // Sent: the owner reads the panel's values back while it handles the message.
    if (n) SendMessageA(Parent(), n.id, static_cast<WPARAM>(n.wParam), static_cast<LPARAM>(n.lParam));
}

void EqSettings::OnSliderMoved(int band, float change) {
    const Notification n = logic_->OnSliderMoved(band, sliders_[band].GetValue(), change);
    if (!n) {
        sliders_[band].SetValue(logic_->Value(band));
        return;
    }
    if (n.wParam == -2) {
        // The group moved by the clamped step: every switched-on band shows it, the moved one
        // included (it went back to its old value first).
        ShowValues();
    } else {
        sliders_[band].SetValue(logic_->Value(band));
        DrawReadout(band);
        InvalidateReadouts();
    }
    Tell(n);
}

void EqSettings::OnButton(HWND from) {
    if (!from) return;
    Notification n;
    if (link_ && from == link_->GetHwnd()) {
        n = logic_->OnLinkClicked(link_->GetCheck() == ui::ChkWnd::kOn);
    } else if (flat_ && from == flat_->GetHwnd()) {
        n = logic_->OnFlat();
        if (n) ShowValues();
    } else if (selectAll_ && from == selectAll_->GetHwnd()) {
        n = logic_->OnSelectAllClicked(selectAll_->GetCheck() == ui::ChkWnd::kOn);
        if (n) ShowSwitches();
    } else if (off_ && from == off_->GetHwnd()) {
        n = logic_->OnOffClicked(off_->GetCheck() == ui::ChkWnd::kOn);
    } else {
        for (int k = 0; k < kBands; ++k) {
            if (!switches_[k] || from != switches_[k]->GetHwnd()) continue;
            n = logic_->OnBandSwitchClicked(k, switches_[k]->GetCheck() == ui::ChkWnd::kOn);
            if (n && selectAll_) selectAll_->SetCheck(logic_->SelectAll() ? 1 : 0);
            break;
        }
    }
    Tell(n);
}

void EqSettings::SetFollow(bool on) {
    for (ui::Slider& s : sliders_) s.SetHoverFollow(on);
}

LRESULT EqSettings::OnAppMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!built_) return 0;
    switch (message) {
    case ui::MsgSliderMoved: {
        const auto band = static_cast<intptr_t>(wParam);
        const float* change = reinterpret_cast<const float*>(lParam);
        if (band >= 0 && band < kBands && change) OnSliderMoved(static_cast<int>(band), *change);
        return 0;
    }
    case ui::MsgSliderRightButton:
        // While the right button is held on a band, the thumb of every band the pointer crosses
        // follows it: a curve drawn across the bands.
        SetFollow(wParam != 0);
        return 0;
    case ui::MsgDragToggle:
        for (auto& s : switches_)
            if (s) s->SetDragToggle(wParam != 0, static_cast<int>(lParam));
        return 0;
    case ui::MsgButtonClicked:
        OnButton(reinterpret_cast<HWND>(lParam));
        return 0;
    default: return 0;
    }
}

// ---- the mouse over the panel --------------------------------------------------------------

void EqSettings::OnMouseMove(int, int, WPARAM) {
    if (tracking_ || !GetHwnd()) return;
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof track;
    track.dwFlags = TME_HOVER | TME_LEAVE;
    track.hwndTrack = GetHwnd();
    track.dwHoverTime = 1;
    if (TrackMouseEvent(&track)) tracking_ = true;
}

void EqSettings::OnMouseHover(int, int) { hovering_ = true; }

void EqSettings::OnMouseLeave() {
    hovering_ = false;
    tracking_ = false;
    SetFollow(false);
}

void EqSettings::OnRButtonUp(int, int, WPARAM) { SetFollow(false); }

}  // namespace pages
