// FilterSettings: the tuning page's crossover and delay panel, a child window over its logic. It
// creates the six field buttons, the distance and trim buttons, the Xover Link and phase
// switches, draws the fields' labels and the readouts over its skin, maps mouse, wheel, keys,
// buttons and popup choices one to one onto the logic and sends the logic's notifications to the
// page. The page's own logic holds the panel's state (Attach); until then the panel has its own.
#pragma once

#include <windows.h>

#include <array>
#include <memory>

#include "pages/filter_settings_logic.h"
#include "pages/popup_menu.h"
#include "ui/btn_wnd.h"
#include "ui/frame_wnd.h"

namespace pages {

class FilterSettings : public ui::FrameWnd {
public:
    static constexpr int kLeft = 1, kTop = 2;
    static constexpr COLORREF kFieldColour = RGB(212, 208, 200);
    static constexpr COLORREF kFocusColour = RGB(200, 60, 60);
    static constexpr POINT kDistanceUp{101, 212}, kDistanceDown{101, 221};
    static constexpr POINT kTrimUp{211, 212}, kTrimDown{211, 221};
    static constexpr POINT kXoverLink{118, 270}, kPhase{6, 268};

    FilterSettings(HWND parent, int x = kLeft, int y = kTop);
    ~FilterSettings() override;

    // The logic the panel shows and edits (the page's); null goes back to the panel's own.
    void Attach(FilterSettingsLogic* logic);
    FilterSettingsLogic& Logic() { return *logic_; }
    // Null goes back to TrackPopupMenuEx.
    void SetPopupTracker(PopupTracker* tracker) { tracker_ = tracker ? tracker : &system_; }
    // The menu of the last popup while it is held (null after a choice).
    HMENU LoadedMenu() const { return popup_.Menu(); }

    // The controls, for the page and the tests.
    ui::BtnWnd* FieldButton(XoField field) { return fields_[static_cast<int>(field)].get(); }
    ui::BtnWnd* DistanceButton(bool up) { return (up ? distanceUp_ : distanceDown_).get(); }
    ui::BtnWnd* TrimButton(bool up) { return (up ? trimUp_ : trimDown_).get(); }
    ui::ChkWnd* LinkButton() { return link_.get(); }
    ui::ChkWnd* PhaseButton() { return phase_.get(); }

    // The controls set to what the logic holds (positions, enabled, checks), then the face.
    void RedrawAll(bool updateNow);
    // Whether the labels of focused fields are red now: the panel has the focus and the main
    // window is the active one.
    bool ShowsFocus() const;

    void Redraw(bool updateNow) override;
    void OnLButtonDown(int x, int y, WPARAM keys) override;
    void OnMouseMove(int x, int y, WPARAM keys) override;
    void OnMouseWheel(int x, int y, WPARAM wParam) override;
    void OnKillFocus() override { Redraw(true); }
    void OnSetFocus() override { Redraw(true); }
    LRESULT OnKeyDown(WPARAM key, LPARAM lParam) override;
    void OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnAppMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Send(const Notification& n);
    void OpenPopup(XoField field);
    void DrawField(HDC dc, XoField field, bool focusShown);
    void DrawReadout(HDC dc, const PanelRect& r, const std::string& text, COLORREF colour);

    FilterSettingsLogic own_;
    FilterSettingsLogic* logic_ = &own_;
    std::array<std::unique_ptr<ui::BtnWnd>, kXoFieldCount> fields_;
    std::unique_ptr<ui::BtnWnd> distanceUp_, distanceDown_, trimUp_, trimDown_;
    std::unique_ptr<ui::ChkWnd> link_, phase_;
    HBRUSH brush_ = nullptr;
    HFONT font_ = nullptr;
    LoadedPopup popup_;
    SystemPopupTracker system_;
    PopupTracker* tracker_ = &system_;
    bool built_ = false;
};

}  // namespace pages
