#include "pages/display_settings.h"

#include "res/resource.h"
#include "ui/messages.h"
#include "ui/text.h"

namespace pages {

DisplaySettings::DisplaySettings(HWND parent, int x, int y)
    : ui::FrameWnd(nullptr, parent, {x, y, x + 50, y + 50}, IDB_DISPLAY_SETTINGS, 0, false, ui::kChildStyle, 0),
      logic_(*this) {
    switches_[kCrossoverSwitch] = std::make_unique<ui::ChkWnd>(GetHwnd(), 26, 40, 3, IDB_SWITCH_CROSSOVER, true);
    switches_[kEqualiserSwitch] = std::make_unique<ui::ChkWnd>(GetHwnd(), 27, 56, 3, IDB_SWITCH_EQUALISER, true);
    switches_[kTotalSwitch] = std::make_unique<ui::ChkWnd>(GetHwnd(), 50, 82, 2, IDB_SWITCH_TOTAL, true);
    switches_[kCrossoverSwitch]->SetCheck(1);
    switches_[kEqualiserSwitch]->SetCheck(1);
}

DisplaySettings::~DisplaySettings() {
    for (auto& s : switches_) s.reset();
}

LRESULT DisplaySettings::OnAppMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != ui::MsgButtonClicked) return 0;
    for (int s = 0; s < 3; ++s) {
        if (switches_[s] && switches_[s]->GetHwnd() && reinterpret_cast<LPARAM>(switches_[s]->GetHwnd()) == lParam) {
            logic_.OnSwitchClicked(static_cast<ChartSwitch>(s), static_cast<int>(wParam));
            break;
        }
    }
    return 0;
}

int DisplaySettings::SwitchState(ChartSwitch s) const { return switches_[s] ? switches_[s]->GetCheck() : 0; }

void DisplaySettings::SetCheck(ChartSwitch s, int state) {
    if (switches_[s]) switches_[s]->SetCheck(state);
}

void DisplaySettings::EnableSwitch(ChartSwitch s, bool enable) {
    if (switches_[s]) switches_[s]->Enable(enable);
}

void DisplaySettings::NotifyCurveSwitches() { SendMessageA(Parent(), ui::MsgCurveSwitches, 0, 0); }

void DisplaySettings::PaintSource(const char* name, bool updateNow) {
    HDC dc = BackBuffer();
    if (dc && SkinDC()) {
        const RECT& r = kSourceRect;
        BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, SkinDC(), r.left, r.top, SRCCOPY);
        if (name && *name) {
            ui::TextStyle style;
            style.family = L"Arial";
            style.points = 12.0f;
            style.bold = true;
            style.argb = 0xDC7878FF;  // A 220, R 120, G 120, B 255
            style.formatFlags = 0x5000;  // no wrap, no clip
            style.alignment = 1;         // centred
            ui::DrawTextAntialiased(dc, name, {r.left, r.top + 4, r.right - 6, r.bottom}, style);
        }
    }
    if (updateNow) UpdateNow();
}

}  // namespace pages
