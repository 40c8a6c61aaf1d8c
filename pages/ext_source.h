// ExtSourceEq: the external-source page (page 1 of the main window). A thin window over
// ExtSourceLogic: it makes the chart, the equaliser panel, the source switches, the inputs on the
// device picture, the input-type marks, the sensitivity scale and the two sliders at their
// places, hands every notification to the logic and shows what it holds.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>

#include "link/usb_link.h"
#include "os/time.h"
#include "pages/display_chart.h"
#include "pages/eq_settings.h"
#include "pages/ext_source_logic.h"
#include "ui/btn_wnd.h"
#include "ui/frame_wnd.h"
#include "ui/gdi.h"
#include "ui/slider.h"

namespace pages {

class ExtSourceEq : public ui::FrameWnd, private ExtSourceView {
public:
    // sleeper: what LockParent waits on (tests hand in a fake one).
    ExtSourceEq(HWND parent, int x, int y, bool connected, os::Sleeper& sleeper = os::SystemSleeper());
    ~ExtSourceEq() override;

    LRESULT OnAppMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnShowWindow(bool show) override;
    void Redraw(bool updateNow) override;

    // The application's calls.
    int GetSelectedSource() const { return logic_.GetSelectedSource(); }
    void LightSource(int k) { logic_.LightSource(k); }
    void SelectSource(int k) { logic_.SelectSource(k); }
    void ResetSwitches() { logic_.ResetSwitches(); }
    void LoadControlsFromSource(bool useGiven, int k) { logic_.LoadControlsFromSource(useGiven, k); }
    void ApplyToControls(const uint32_t* flags, int n, int inputType, int source) {
        logic_.ApplyToControls(flags, n, inputType, source);
    }
    void DrawSignalMeter(bool lowLevel, const int32_t* codes, bool codesAreIndexes) {
        logic_.DrawSignalMeter(lowLevel, codes, codesAreIndexes);
    }
    void SetLevelAll(float dB) { logic_.SetLevelAll(dB); }
    int GetSourceFlags(uint32_t out[kSourceCount]) const { return logic_.GetSourceFlags(out); }
    void GetSourceCount(int preset, int flag) const { logic_.GetSourceCount(preset, flag); }
    void SelectPreset(int preset, int fromUser) { GetSourceCount(preset, fromUser); }
    void Reset() { logic_.Reset(); }
    void MarkEqDirty() { logic_.MarkEqDirty(); }
    int IsChanged() const { return logic_.IsChanged(); }
    void SetChanged(int changed) { logic_.SetChanged(changed); }
    void SetConnected(int connected) { logic_.SetConnected(connected != 0); }
    void SetOutputLevelWindow(HWND window) { levelsWindow_ = window; }
    int QueryStub() const { return 0; }
    void Paint(bool updateNow);
    void LockParent(uint32_t ms) override;

    // The device (the poll thread's calls and the received frames). The send cycle is a member of
    // both the idle cycle's list and the full write's.
    devlink::WriteMember& SendCycle() { return logic_; }
    int SendPendingChanges(const devlink::FrameSender& sender) { return logic_.SendPending(sender); }
    void SendAll(const devlink::FrameSender& sender) { logic_.SendAll(sender); }
    int RequestSendAll(const devlink::FrameSender& sender) { return logic_.RequestSendAll(sender); }
    void MarkAllDirty() { logic_.MarkAllDirty(); }
    int OnDeviceReply(const uint8_t* frame, size_t length) { return logic_.OnDeviceReply(frame, length); }

    ExtSourceSection& Section() { return logic_.Section(); }
    ExtSourceLogic& Logic() { return logic_; }

    // For tests: the children.
    DisplayChart* Chart() { return chart_.get(); }
    EqSettings* Panel() { return panel_.get(); }
    ui::ChkWnd* SourceSwitch(int s) { return switches_[s].get(); }
    ui::ChkWnd* SourceIndicator(int s) { return indicators_[s].get(); }
    ui::ChkWnd* MasterSwitch() { return master_.get(); }
    ui::ChkWnd* TypeIndicator(int lowLevel) { return lowLevel ? lowLevel_.get() : highLevel_.get(); }
    ui::ChkWnd* Scale() { return scale_.get(); }
    ui::Slider& SensitivitySlider() { return sensitivity_; }
    ui::Slider& MasterSlider() { return masterSlider_; }

private:
    // ExtSourceView.
    void ShowResponse(uint32_t id, const model::BiquadSection* sections, int count, bool repaint) override;
    void ShowCurve(uint32_t id, bool shown, bool repaint) override;
    void HideAllCurves() override;
    void SetHighlight(int32_t id, bool repaint) override;
    void PaintChart() override;
    void PanelSetGains(const float* gains, int count, uint32_t eqOff) override;
    void PanelSetBandEnables(const uint32_t* switches, int count) override;
    void PanelSetEnabled(bool enabled) override;
    void ControlsChanged(bool updateNow) override;
    bool PageVisible() const override;
    void PostShowSource(int source) override;
    void SendMasterLevelChanged(float dB) override;
    std::optional<float> QueryOutputMaster() override;

    void DrawInputMap();
    void DrawTexts();

    os::Sleeper& sleeper_;
    ExtSourceLogic logic_;
    HWND levelsWindow_ = nullptr;
    std::unique_ptr<DisplayChart> chart_;
    std::unique_ptr<EqSettings> panel_;
    std::array<std::unique_ptr<ui::ChkWnd>, kSourceCount> switches_;
    std::array<std::unique_ptr<ui::ChkWnd>, kSourceCount> indicators_;
    std::unique_ptr<ui::ChkWnd> lowLevel_, highLevel_, master_, scale_;
    ui::gdi::MemoryDC masterTrack_, sensTrack_, thumb_, typeLabels_, inputLabels_, skin_;
    ui::Slider sensitivity_, masterSlider_;
    bool built_ = false;
};

}  // namespace pages
