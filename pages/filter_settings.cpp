#include "pages/filter_settings.h"

#include <string>

#include "res/resource.h"
#include "ui/messages.h"

namespace pages {
namespace {

std::unique_ptr<ui::BtnWnd> MakeRepeater(HWND parent, POINT at, UINT bitmap) {
    auto button = std::make_unique<ui::BtnWnd>(parent, at.x, at.y, 3, bitmap, true);
    button->SetAutoRepeat(true);
    return button;
}

// A control's enabled state follows the logic; Enable repaints, so it runs only on a change.
void EnableIf(ui::BtnWnd* button, bool on) {
    if (!button || !button->GetHwnd()) return;
    if ((IsWindowEnabled(button->GetHwnd()) != FALSE) != on) button->Enable(on);
}

bool Is(const std::unique_ptr<ui::BtnWnd>& b, HWND w) { return b && b->GetHwnd() == w; }
bool Is(const std::unique_ptr<ui::ChkWnd>& b, HWND w) { return b && b->GetHwnd() == w; }

}  // namespace

FilterSettings::FilterSettings(HWND parent, int x, int y)
    : ui::FrameWnd(nullptr, parent, {x, y, x + 50, y + 50}, IDB_CROSSOVER_PANEL, 0, false,
                   ui::kChildStyle, 0) {
    HWND self = GetHwnd();
    for (int f = 0; f < kXoFieldCount; ++f) {
        const FilterSettingsLogic::Point at = own_.FieldButton(static_cast<XoField>(f));
        fields_[f] = std::make_unique<ui::BtnWnd>(self, at.x, at.y, 3, IDB_CROSSOVER_FIELD, true);
    }
    distanceUp_ = MakeRepeater(self, kDistanceUp, IDB_CROSSOVER_UP);
    distanceDown_ = MakeRepeater(self, kDistanceDown, IDB_CROSSOVER_DOWN);
    trimUp_ = MakeRepeater(self, kTrimUp, IDB_CROSSOVER_UP);
    trimDown_ = MakeRepeater(self, kTrimDown, IDB_CROSSOVER_DOWN);
    link_ = std::make_unique<ui::ChkWnd>(self, kXoverLink.x, kXoverLink.y, 2, IDB_CROSSOVER_LINK, true);
    phase_ = std::make_unique<ui::ChkWnd>(self, kPhase.x, kPhase.y, 3, IDB_CROSSOVER_PHASE, true);
    brush_ = ui::gdi::MakeBrush(kFieldColour);
    font_ = ui::gdi::MakeFont(14, FW_NORMAL, "Arial");
    built_ = true;
    // A new panel shows no channel until the page loads one.
    own_.DrawAllDisabled();
    Attach(nullptr);
}

FilterSettings::~FilterSettings() {
    logic_->SetChangeHandler(nullptr);
    popup_.Free();
    ui::gdi::Free(brush_);
    ui::gdi::Free(font_);
}

void FilterSettings::Attach(FilterSettingsLogic* logic) {
    logic_->SetChangeHandler(nullptr);
    logic_ = logic ? logic : &own_;
    logic_->SetChangeHandler([this] { RedrawAll(true); });
    RedrawAll(true);
}

bool FilterSettings::ShowsFocus() const {
    HWND self = GetHwnd();
    return self && GetFocus() == self && GetActiveWindow() == GetAncestor(self, GA_ROOT);
}

void FilterSettings::RedrawAll(bool updateNow) {
    if (!built_) return;
    const FilterSettingsLogic& l = *logic_;
    // In a band pass the two frequency fields trade their buttons with their places.
    for (int f = 0; f < kXoFieldCount; ++f) {
        const auto field = static_cast<XoField>(f);
        ui::BtnWnd* b = fields_[f].get();
        if (!b || !b->GetHwnd()) continue;
        const FilterSettingsLogic::Point at = l.FieldButton(field);
        RECT r;
        GetWindowRect(b->GetHwnd(), &r);
        MapWindowPoints(nullptr, GetHwnd(), reinterpret_cast<POINT*>(&r), 2);
        if (r.left != at.x || r.top != at.y)
            SetWindowPos(b->GetHwnd(), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        EnableIf(b, l.FieldVisible(field));
    }
    EnableIf(distanceUp_.get(), l.DistanceEnabled());
    EnableIf(distanceDown_.get(), l.DistanceEnabled());
    EnableIf(phase_.get(), l.PhaseEnabled());
    // A switch that was enabled again shows "off": its check is set after.
    if (link_) link_->SetCheck(l.Block().bXoLink ? ui::ChkWnd::kOn : ui::ChkWnd::kOff);
    if (phase_ && l.PhaseEnabled())
        phase_->SetCheck(l.Block().bInvPhase ? ui::ChkWnd::kOn : ui::ChkWnd::kOff);
    Redraw(updateNow);
}

void FilterSettings::DrawField(HDC dc, XoField field, bool focusShown) {
    const PanelRect p = logic_->FieldRect(field);
    RECT r{p.left, p.top, p.right, p.bottom};
    FillRect(dc, &r, brush_);
    const std::string label = logic_->FieldLabel(field);
    if (label.empty()) return;
    const bool red = focusShown && logic_->Focused(static_cast<int>(field));
    SetTextColor(dc, red ? kFocusColour : RGB(0, 0, 0));
    RECT text{r.left + 2, r.top, r.right, r.bottom};
    DrawTextA(dc, label.c_str(), -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void FilterSettings::DrawReadout(HDC dc, const PanelRect& p, const std::string& text, COLORREF colour) {
    RECT r{p.left, p.top, p.right, p.bottom};
    FillRect(dc, &r, brush_);
    if (text.empty()) return;
    SetTextColor(dc, colour);
    DrawTextA(dc, text.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void FilterSettings::Redraw(bool updateNow) {
    ui::FrameWnd::Redraw(false);
    HDC dc = BackBuffer();
    if (built_ && dc && brush_) {
        HGDIOBJ old = font_ ? SelectObject(dc, font_) : nullptr;
        SetBkMode(dc, TRANSPARENT);
        const bool focus = ShowsFocus();
        for (int f = 0; f < kXoFieldCount; ++f) DrawField(dc, static_cast<XoField>(f), focus);
        const COLORREF black = RGB(0, 0, 0);
        const COLORREF distance = focus && logic_->Focused(kFocusDistance) ? kFocusColour : black;
        const COLORREF trim = focus && logic_->Focused(kFocusTrim) ? kFocusColour : black;
        DrawReadout(dc, FilterSettingsLogic::kDelayReadout, logic_->DelayText(), black);
        DrawReadout(dc, FilterSettingsLogic::kCentimetreReadout, logic_->CentimetreText(), distance);
        DrawReadout(dc, FilterSettingsLogic::kInchReadout, logic_->InchText(), distance);
        DrawReadout(dc, FilterSettingsLogic::kTrimReadout, logic_->TrimText(), trim);
        if (old) SelectObject(dc, old);
        // The window's text is what the fields show, one to a line (a hidden field's is empty),
        // for whatever reads the screen.
        std::string text;
        for (int f = 0; f < kXoFieldCount; ++f) {
            if (f) text += '\n';
            text += logic_->FieldLabel(static_cast<XoField>(f));
        }
        SetWindowTextA(GetHwnd(), text.c_str());
    }
    if (updateNow) UpdateNow();
}

void FilterSettings::Send(const Notification& n) {
    if (n) SendMessageA(Parent(), n.id, static_cast<WPARAM>(n.wParam), n.lParam);
}

void FilterSettings::OnLButtonDown(int x, int y, WPARAM) {
    logic_->OnLButtonDown(x, y);
    RedrawAll(true);
}

void FilterSettings::OnMouseMove(int, int, WPARAM) {
    HWND self = GetHwnd();
    // The keys reach the panel under the mouse, but the focus is not taken from another program.
    if (self && GetFocus() != self && GetActiveWindow() == GetAncestor(self, GA_ROOT)) SetFocus(self);
}

void FilterSettings::OnMouseWheel(int x, int y, WPARAM wParam) {
    Send(logic_->OnMouseWheel(x, y, GET_WHEEL_DELTA_WPARAM(wParam)));
    RedrawAll(true);
}

LRESULT FilterSettings::OnKeyDown(WPARAM key, LPARAM) {
    if (key != VK_UP && key != VK_DOWN) return 0;
    Send(logic_->OnKey(key == VK_UP));
    RedrawAll(true);
    return 0;
}

void FilterSettings::OpenPopup(XoField field) {
    const PopupPlan plan = logic_->OpenFieldPopup(field);
    if (!plan.open) return;
    HMENU popup = popup_.Load(static_cast<UINT>(plan.menu));
    if (!popup) return;
    // By command: the frequencies' items sit in submenus, which the search includes.
    CheckMenuItem(popup, plan.checkedId, MF_BYCOMMAND | MF_CHECKED);
    for (uint32_t id : plan.greyedIds) EnableMenuItem(popup, id, MF_BYCOMMAND | MF_GRAYED);
    POINT at{plan.x, plan.y};
    ClientToScreen(GetHwnd(), &at);
    tracker_->Track(popup, at.x, at.y, GetHwnd());
}

void FilterSettings::OnCommand(WPARAM wParam, LPARAM lParam) {
    // Menu choices only: no control sends the panel WM_COMMAND.
    if (lParam != 0 || HIWORD(wParam) != 0 || LOWORD(wParam) < 1) return;
    const Notification n = logic_->OnMenuCommand(LOWORD(wParam));
    popup_.Free();
    Send(n);
    RedrawAll(true);
}

LRESULT FilterSettings::OnAppMessage(HWND, UINT message, WPARAM, LPARAM lParam) {
    if (message != ui::MsgButtonClicked) return 0;
    HWND from = reinterpret_cast<HWND>(lParam);
    Notification n;
    if (Is(link_, from)) {
        n = logic_->OnXoverLinkClicked(link_->GetCheck() == ui::ChkWnd::kOn);
    } else if (Is(phase_, from)) {
        n = logic_->OnPhaseClicked(phase_->GetCheck() == ui::ChkWnd::kOn);
    } else if (Is(distanceUp_, from) || Is(distanceDown_, from)) {
        n = logic_->OnDistanceButton(Is(distanceUp_, from));
    } else if (Is(trimUp_, from) || Is(trimDown_, from)) {
        n = logic_->OnTrimButton(Is(trimUp_, from), reinterpret_cast<intptr_t>(from));
    } else {
        for (int f = 0; f < kXoFieldCount; ++f)
            if (Is(fields_[f], from)) OpenPopup(static_cast<XoField>(f));
        return 0;
    }
    Send(n);
    RedrawAll(true);
    return 0;
}

}  // namespace pages
