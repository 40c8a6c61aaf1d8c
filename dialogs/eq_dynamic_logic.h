// The dynamic-equalisation dialog without its window: the two curves (Low-volume and High-volume)
// with their reference volumes, the Easy and Advanced modes and off, and the user's calibration
// flow (here and in eq_dynamic_logic.cpp); the pending messages the poll thread sends
// (dyn_eq_send.cpp) and the device's replies during a read-back (dyn_eq_receive.cpp). The record
// is in dyn_eq_records.h, the frames in dyn_eq_messages.h, the setup files' section in
// dyn_eq_section.h. The window (EqDynamicDlg) maps its controls onto this and does what the view
// interface asks.
//
// Threads: the user interface thread edits and applies replies; the poll thread sends. The curves,
// the mode and curve, the pending flags, the switch values and the current preset are behind one
// lock, held only to read or write them, never across a send.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

#include "dialogs/dyn_eq_records.h"
#include "dialogs/dyn_eq_section.h"
#include "link/frame.h"
#include "link/pending_sender.h"
#include "os/time.h"
#include "pages/chart_view.h"

namespace dialogs {

// The status line's texts, in step order.
constexpr int kDynEqStepCount = 9;
extern const char* const DynEqStepTexts[kDynEqStepCount];
constexpr const char* kDynEqCloseQuestion = "This action will disable Dynamic Equalization.";

// Timers: the ready text after a mode or curve choice, and SAVE's enabling after START.
constexpr uint32_t kDynEqReadyTimer = 8000;
constexpr uint32_t kDynEqReadyTimerMs = 2000;
constexpr uint32_t kDynEqSaveTimer = 5000;
constexpr uint32_t kDynEqSaveTimerMs = 3000;

// Window heights: the Advanced mode shows the graphic equaliser below the compact part.
constexpr int kDynEqCompactHeight = 261;

// The chart's colours of a curve being edited (green) and of a saved one (blue).
constexpr pages::CurveColour kDynEqEditFill{120, 255, 120, 120};
constexpr pages::CurveColour kDynEqEditLine{200, 250, 200, 205};
constexpr pages::CurveColour kDynEqSavedFill{120, 120, 255, 120};
constexpr pages::CurveColour kDynEqSavedLine{200, 200, 250, 205};

// The chart id of curve c.
constexpr uint32_t DynEqCurveId(int c) { return static_cast<uint32_t>(2 * c); }

enum class DynEqControl { Easy, Advanced, Off, Low, High, Start, Save, VolumeSlider, EqSlider, GraphicEq };

// What the logic asks of its window.
class EqDynamicView {
public:
    virtual ~EqDynamicView() = default;
    virtual void Check(DynEqControl control, bool checked) = 0;
    virtual void Enable(DynEqControl control, bool enable) = 0;
    virtual void Show(DynEqControl control, bool show) = 0;
    // The slider's value, set silently (0 Volume, 1 EQ).
    virtual void SetSlider(int slider, float value) = 0;
    // The graphic equaliser's 31 values and band switches.
    virtual void LoadEqGains(const float gains[kDynEqBands]) = 0;
    virtual void LoadEqEnables(const int32_t enables[kDynEqBands]) = 0;
    virtual void SetHeight(int compact) = 0;  // true: 261 pixels; false: the full skin
    virtual void StartTimer(uint32_t id, uint32_t ms) = 0;
    virtual void StopTimer(uint32_t id) = 0;
    // The value boxes and the status line anew (the window reads them from the logic).
    virtual void RedrawTexts() = 0;
    // The chart.
    virtual void ChartResponse(uint32_t id, const model::BiquadSection* sections, int count) = 0;
    virtual void ChartColours(uint32_t id, pages::CurveColour fill, pages::CurveColour line) = 0;
    virtual void ChartShow(uint32_t id, bool shown) = 0;
    virtual void ChartHighlight(int32_t id) = 0;
    // The question on closing: true for OK.
    virtual bool AskDisable() = 0;
    // 0x8030 (0, 0) to the main window.
    virtual void PostClosed() = 0;
};

class EqDynamicLogic : public devlink::WriteMember {
public:
    // view may be null until the window exists; sleeper paces TurnOff's waits.
    explicit EqDynamicLogic(EqDynamicView* view = nullptr, os::Sleeper* sleeper = nullptr);
    EqDynamicLogic(const EqDynamicLogic&) = delete;
    EqDynamicLogic& operator=(const EqDynamicLogic&) = delete;

    void SetView(EqDynamicView* view) { view_ = view; }

    // --- the operations ---
    void ComputeCurveBands(int c);
    void SetMode(int m);
    void SetCurve(int c);
    void RefreshControls();
    void UpdateChart();
    void TurnOn();
    void TurnOff();
    void Reset();
    void SetDeviceState(int preset, int markChanged);
    uint32_t GetSwitchValue() const;
    void SetSwitchValue(uint32_t off);
    int IsChanged() const { return changed_; }
    void SetChanged(int changed) { changed_ = changed; }

    // --- the user's flow ---
    void OnModeClicked(int m);
    void OnCurveClicked(int c);
    void OnVolumeMoved(float value);
    void OnStart();
    void OnEqSliderMoved(float value);
    // The graphic equaliser's band edit: band 0..30, -1 Flat, -2 several; values = its 31 sliders.
    void OnBandEdit(int band, const float values[kDynEqBands]);
    void OnBandSwitch(int band, int state);
    void OnSave();
    void OnCloseButton();
    void OnTimer(uint32_t id);

    // --- the device ---
    // Poll thread: a full send, raised by MarkAllDirty, goes alone (the mode, then each curve's
    // gains and level); otherwise every raised message in a fixed order. Returns the frames sent.
    int SendPending(const devlink::FrameSender& sender) override;
    void MarkAllDirty() override;
    // The dialog's entry: 1 when anything was sent or a full send ran. Without a sender a raised
    // full send is dropped (and 1 returned) while every other message waits.
    int SendPendingChanges(const devlink::FrameSender* sender);
    // User interface thread: the read-back's 0x8A and 0x8B replies; 1 when taken.
    int ConvertDeviceCurve(const uint8_t* frame, size_t length);

    // --- what the window draws and tests read ---
    int Mode() const;
    int Curve() const;
    DynEqCurveRecord Record(int c) const;
    int StatusIndex() const { return status_; }
    const char* StatusText() const { return DynEqStepTexts[status_]; }
    bool Calibrated(int c) const { return calibrated_[c]; }
    bool Calibrating() const { return !startVisible_; }
    bool StartEnabled() const { return startEnabled_; }
    float SliderValue(int slider) const;
    // The value box of a slider ("%1.1f"; the Volume box at most 4 characters), empty when off.
    std::string ValueText(int slider) const;
    int CurrentPreset() const;

    // Pending flags, for tests and the poll thread's decisions.
    struct Pending {
        int start, stop, curve, mode, level, open, close, full;
        bool operator==(const Pending&) const = default;
    };
    Pending PendingFlags() const;

    EqDynamicSection& Section() { return section_; }

private:
    friend class EqDynamicSection;
    void ShowStatus(int index);
    void StartReadyTimer();
    void StopReadyTimer();
    void CheckRadio(int mode, int curve);
    void DesignSections(int c);
    void ChartCurve(int c);
    void ColourCurve(int c, bool saved);
    bool WaitWhile(const int& flag);
    int CurveStatus() const { return curve_ == 0 ? 2 : 3; }

    EqDynamicView* view_;
    os::Sleeper* sleeper_;
    mutable std::mutex lock_;
    // Under the lock.
    std::array<DynEqCurveRecord, kDynEqCurves> records_{};
    int mode_ = kDynEqOff;
    int curve_ = 0;
    int startFlag_ = 0, stopFlag_ = 0, modeFlag_ = 0, levelFlag_ = 0, openFlag_ = 0, closeFlag_ = 0,
        fullFlag_ = 0;
    // One curve message pending per curve, and the curve SAVE ended: SAVE selects the other curve
    // at once, before the poll thread may have sent the last edit and the stop of the saved one.
    std::array<int, kDynEqCurves> curveFlags_{};
    int stopCurve_ = 0;
    std::array<uint32_t, kDynEqPresets> switches_{};
    int preset_ = 0;
    // User interface thread only.
    int changed_ = 0;
    int status_ = 0;
    bool ready_ = true;
    bool openedWhileOff_ = false;
    std::array<bool, kDynEqCurves> calibrated_{};
    bool readyTimer_ = false;
    bool saveTimer_ = false;
    bool startVisible_ = true;
    bool startEnabled_ = false;
    bool saveEnabled_ = false;
    EqDynamicSection section_{*this};
};

}  // namespace dialogs
