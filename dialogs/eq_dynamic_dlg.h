// EqDynamicDlg: the dynamic-equalisation dialog (DYNAMIC EQ CONFIGURATION). A thin popup window
// over EqDynamicLogic: it makes the mode and curve switches, START and SAVE, the Volume and EQ
// sliders and the response chart at their places, hands every notification to the logic, does
// what the logic asks and draws the value boxes and the status line.
#pragma once

#include <windows.h>

#include <array>
#include <memory>

#include "dialogs/eq_dynamic_logic.h"
#include "link/usb_link.h"
#include "pages/display_chart.h"
#include "pages/eq_settings.h"
#include "ui/btn_wnd.h"
#include "ui/frame_wnd.h"
#include "ui/gdi.h"
#include "ui/slider.h"

namespace dialogs {

class EqDynamicDlg : public ui::FrameWnd, public EqDynamicView {
public:
    // Skin places of the controls (client pixels).
    static constexpr int kVolumeX = 141, kEqX = 191, kSliderY = 54;
    static constexpr int kTrackWidth = 36, kTrackHeight = 158;
    static constexpr int kThumbWidth = 23, kThumbHeight = 13;
    static constexpr RECT kVolumeBox{162, 216, 190, 230};
    static constexpr RECT kEqBox{199, 216, 227, 230};
    static constexpr RECT kStatusBox{267, 220, 1005, 246};

    EqDynamicDlg(HWND parent, int x, int y);
    ~EqDynamicDlg() override;

    // The main window's calls.
    void TurnOn() { logic_.TurnOn(); }
    void TurnOff() { logic_.TurnOff(); }
    int SendPendingChanges(const devlink::FrameSender& sender) { return logic_.SendPendingChanges(&sender); }
    void RequestFullSend() { logic_.MarkAllDirty(); }
    // The dialog's send cycle as a member of the full write.
    devlink::WriteMember& SendCycle() { return logic_; }
    int ConvertDeviceCurve(const uint8_t* frame, size_t length) { return logic_.ConvertDeviceCurve(frame, length); }
    void SelectPreset(int preset, int fromUser) { logic_.SetDeviceState(preset, fromUser); }
    void ResetCurves() { logic_.Reset(); }
    uint32_t GetSwitchValue() const { return logic_.GetSwitchValue(); }
    void SetSwitchValue(uint32_t off) { logic_.SetSwitchValue(off); }
    void SetChanged(int changed) { logic_.SetChanged(changed); }
    int IsChanged() const { return logic_.IsChanged(); }
    model::FileSection& Section() { return logic_.Section(); }
    void Show();
    void Hide();

    EqDynamicLogic& Logic() { return logic_; }
    // For tests: the controls.
    HWND ControlWindow(DynEqControl control) const;
    ui::Slider& VolumeSlider() { return volume_; }
    ui::Slider& EqSlider() { return eq_; }
    pages::DisplayChart* Chart() { return chart_.get(); }
    pages::EqSettings* GraphicEq() { return eqPanel_.get(); }

    // FrameWnd.
    void Redraw(bool updateNow) override;
    void OnLButtonDown(int x, int y, WPARAM keys) override;
    void OnTimer(WPARAM timerId, LPARAM lParam) override;
    LRESULT OnAppMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnClose() override { return false; }  // the dialog lives as long as the program

    // EqDynamicView.
    void Check(DynEqControl control, bool checked) override;
    void Enable(DynEqControl control, bool enable) override;
    void Show(DynEqControl control, bool show) override;
    void SetSlider(int slider, float value) override;
    void LoadEqGains(const float gains[kDynEqBands]) override;
    void LoadEqEnables(const int32_t enables[kDynEqBands]) override;
    void SetHeight(int compact) override;
    void StartTimer(uint32_t id, uint32_t ms) override;
    void StopTimer(uint32_t id) override;
    void RedrawTexts() override;
    void ChartResponse(uint32_t id, const model::BiquadSection* sections, int count) override;
    void ChartColours(uint32_t id, pages::CurveColour fill, pages::CurveColour line) override;
    void ChartShow(uint32_t id, bool shown) override;
    void ChartHighlight(int32_t id) override;
    bool AskDisable() override;
    void PostClosed() override;

private:
    void DrawTexts();
    ui::BtnWnd* Button(DynEqControl control) const;

    bool built_ = false;
    int fullHeight_ = 0;
    int width_ = 0;
    ui::gdi::MemoryDC volumeTrack_, eqTrack_, thumb_;
    std::unique_ptr<ui::BtnWnd> close_, start_, save_;
    std::array<std::unique_ptr<ui::ChkWnd>, 5> switches_;  // Easy, Advanced, Off, Low, High
    ui::Slider volume_, eq_;
    std::unique_ptr<pages::DisplayChart> chart_;
    std::unique_ptr<pages::EqSettings> eqPanel_;
    EqDynamicLogic logic_;
};

}  // namespace dialogs
