// DisplaySettings: the tuning page's panel with the name of the source on screen and the three
// switches that choose the chart's curves (crossover, equaliser, channel total). Every switch
// change is sent to the page as MsgCurveSwitches.
#pragma once

#include <windows.h>

#include <memory>

#include "pages/display_settings_logic.h"
#include "ui/btn_wnd.h"
#include "ui/frame_wnd.h"

namespace pages {

class DisplaySettings : public ui::FrameWnd, private SwitchPanel {
public:
    DisplaySettings(HWND parent, int x, int y);
    ~DisplaySettings() override;

    void Reset(bool resetSource) { logic_.Reset(resetSource); }
    void SetSource(int source) { logic_.SetSource(source); }
    void GetSwitches(int* equaliser, int* crossover, int* total) const {
        logic_.GetSwitches(equaliser, crossover, total);
    }
    // Accepts a value and does nothing (the page calls it when it changes channel or preset).
    void EmptySetter(int) {}
    void Paint(bool updateNow) { logic_.Paint(updateNow); }
    ui::ChkWnd* Switch(ChartSwitch s) const { return switches_[s].get(); }

    LRESULT OnAppMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    static constexpr RECT kSourceRect{339, 71, 442, 97};

private:
    int SwitchState(ChartSwitch s) const override;
    void SetCheck(ChartSwitch s, int state) override;
    void EnableSwitch(ChartSwitch s, bool enable) override;
    void NotifyCurveSwitches() override;
    void PaintSource(const char* name, bool updateNow) override;

    std::unique_ptr<ui::ChkWnd> switches_[3];
    DisplaySettingsLogic logic_;
};

}  // namespace pages
