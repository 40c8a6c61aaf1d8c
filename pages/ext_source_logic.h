// The external-source page without its windows: the five sources' records (source_records.h),
// the lit source or Master mode, the switches and indicators the enable flags show, the input map,
// what the page's clicks and the device's replies do, and its readouts. The frames are in
// source_messages.*, the send cycle the poll thread runs in source_send.cpp and the page's section
// of setup files in source_section.*. The window (ExtSourceEq) mirrors the state held here onto its
// controls and passes the controls' notifications in; the chart, the equaliser panel and the main
// window are reached through ExtSourceView.
//
// Threads: the user interface thread edits; the poll thread runs SendPendingChanges, SendAll,
// RequestSendAll and MarkAllDirty. Three locks (selection, equaliser, levels) guard the send
// requests and the record fields they cover; no lock is held across a write to the device.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "link/frame.h"
#include "link/pending_sender.h"
#include "model/records.h"
#include "pages/source_messages.h"
#include "pages/source_records.h"
#include "pages/source_section.h"

namespace pages {

// "Aux1" .. "Phone"; "Master" for any other value.
const char* SourceName(int source);
// The voltage a sensitivity stands for, 3.61 * 10^(-dB / 20), in at most four characters.
std::string SensitivityReadout(float dB);
// The master level rounded down to the half decibel, "%1.1f".
std::string SourceMasterReadout(float dB);
// The row of the input-label strip for a routing code (high-level or low-level inputs).
int InputMapRow(int code, bool lowLevel);
constexpr int kNotConnectedRow = 25;

struct PagePoint {
    int x, y;
};
// Place of the k-th shown switch in the left column.
constexpr PagePoint SwitchSlot(int k) { return {22, 352 + 31 * k}; }
constexpr PagePoint kIndicatorPlaces[kSourceCount] = {{307, 166}, {365, 166}, {450, 166}, {410, 166}, {839, 166}};
constexpr PagePoint kLowLevelIndicatorPlace{130, 164};
constexpr PagePoint kHighLevelIndicatorPlace{680, 168};

// What the page's logic asks of the world around it: its own window, the chart, the equaliser
// panel and the main window. The program implements it over the real windows; tests record it.
class ExtSourceView {
public:
    virtual ~ExtSourceView() = default;
    // The chart.
    virtual void ShowResponse(uint32_t id, const model::BiquadSection* sections, int count, bool repaint) = 0;
    virtual void ShowCurve(uint32_t id, bool shown, bool repaint) = 0;
    virtual void HideAllCurves() = 0;
    virtual void SetHighlight(int32_t id, bool repaint) = 0;
    virtual void PaintChart() = 0;
    // The equaliser panel.
    virtual void PanelSetGains(const float* gains, int count, uint32_t eqOff) = 0;
    virtual void PanelSetBandEnables(const uint32_t* switches, int count) = 0;
    virtual void PanelSetEnabled(bool enabled) = 0;
    // The page's window: mirror the logic's controls (switches, sliders, texts, input map).
    virtual void ControlsChanged(bool updateNow) = 0;
    virtual bool PageVisible() const = 0;
    // Blocks the user for ms while the device changes its input (only when online).
    virtual void LockParent(uint32_t ms) = 0;
    // The main window: the lit source (posted), the master level (sent), the output-level master.
    virtual void PostShowSource(int source) = 0;
    virtual void SendMasterLevelChanged(float dB) = 0;
    virtual std::optional<float> QueryOutputMaster() = 0;
};

class ExtSourceLogic : public devlink::WriteMember {
public:
    // view may be null until the window exists (then nothing is shown or posted).
    ExtSourceLogic(ExtSourceView* view, bool connected);
    ExtSourceLogic(const ExtSourceLogic&) = delete;
    ExtSourceLogic& operator=(const ExtSourceLogic&) = delete;

    void SetView(ExtSourceView* view) { view_ = view; }
    // Construction's last step: Master mode with the default input map. The window calls it once
    // its controls exist.
    void Start();

    // --- selection ---
    int GetSelectedSource() const { return lit_.load(); }
    void LightSource(int k);
    void OnSourcePicked(int s);          // a source switch or indicator was clicked
    void OnMasterClicked();              // the Master switch
    void OnTypeIndicatorClicked(int lowLevelIndicator);  // 1 the low-level one, 0 the high-level one
    void SelectSource(int k);            // the device reported source k
    void ResetSwitches();                // the device reported no source
    void LoadControlsFromSource(bool useGiven, int k);
    void ApplyToControls(const uint32_t* flags, int n, int inputType, int source);
    void DrawSignalMeter(bool lowLevel, const int32_t* codes, bool codesAreIndexes);

    // --- edits ---
    // The panel's notifications with the panel's gains and EQ Off state at that moment.
    void OnEqBandChanged(int band, const float* gains, uint32_t eqOff);
    void OnEqBandSwitch(int band, uint32_t on);
    void OnEqOffChanged(uint32_t off);
    // Slider 0 (master) or 1 (sensitivity) now shows value.
    void OnSliderMoved(int index, float value);
    void SetLevelAll(float dB);
    void OnShowWindow();
    void MarkEqDirty();

    // --- the application's calls ---
    void Reset();
    int GetSourceFlags(uint32_t out[kSourceCount]) const;
    void GetSourceCount(int /*preset*/, int /*flag*/) const {}
    int IsChanged() const { return changed_.load(); }
    void SetChanged(int changed) { changed_ = changed; }
    void SetConnected(bool connected) { connected_ = connected; }
    bool Connected() const { return connected_.load(); }

    // --- the device (source_send.cpp) ---
    // Poll thread: sends what the edits requested; 1 when anything was sent. The page is on both
    // the idle cycle's list and the full write's (MarkAllDirty, then SendPending).
    int SendPending(const devlink::FrameSender& sender) override;
    int SendPendingChanges(const devlink::FrameSender& sender);
    // The flags frame and the pending source's equaliser and sensitivity.
    void SendAll(const devlink::FrameSender& sender);
    int RequestSendAll(const devlink::FrameSender& sender);
    void MarkAllDirty() override;
    // User interface thread: 1 when the frame was the page's ('{' or 0xA3), whatever it held.
    int OnDeviceReply(const uint8_t* frame, size_t length);

    // --- what the window draws ---
    ExtSourceRecord Record(int s) const;
    uint32_t InputType() const { return inputType_; }
    int PendingSource() const { return pending_.load(); }
    bool SwitchShown(int s) const { return switchShown_[s]; }
    PagePoint SwitchPlace(int s) const { return switchPlace_[s]; }
    PagePoint MasterPlace() const { return masterPlace_; }
    bool MasterChecked() const { return masterChecked_; }
    // The low-level (1) or high-level (0) indicator.
    bool TypeIndicatorChecked(int lowLevel) const { return typeChecked_[lowLevel ? 1 : 0]; }
    bool TypeIndicatorShown(int lowLevel) const { return (inputType_ == 0) == (lowLevel != 0); }
    float MasterValue() const { return masterValue_; }
    float SensitivityValue() const { return sensValue_; }
    float SensitivityMin() const { return sensMin_; }
    float SensitivityMax() const { return sensMax_; }
    bool SensitivityEnabled() const { return sensEnabled_; }
    bool MasterEnabled() const { return masterEnabled_; }
    bool PanelEnabled() const { return panelEnabled_; }
    int ScaleFrame() const { return sensMin_ == kPhoneSensitivityMin ? 1 : 0; }
    std::string SelectedName() const { return SourceName(GetSelectedSource()); }
    std::string MasterText() const { return SourceMasterReadout(masterValue_); }
    // Empty unless Aux1, Aux2 or Phone is lit.
    std::string SensitivityText() const;
    bool InputMapLowLevel() const { return mapLowLevel_; }
    int InputMapRowOf(int input) const { return mapRows_[input]; }
    bool SelectDirty() const;
    bool EqDirty() const;
    bool LevelDirty() const;
    bool AllSourcesDirty() const { return allDirty_.load() != 0; }

    ExtSourceSection& Section() { return section_; }

private:
    friend class ExtSourceSection;
    static uint32_t CurveId(int s) { return static_cast<uint32_t>(2 * s); }
    void PutOnControls(int s);
    // light: Master is lit (and the selection marked for sending) as well.
    void EnterMasterMode(bool light = true);
    void ShowSourceCurve(int s, const ExtSourceRecord& record);
    void SetSensitivityRange(bool phone);
    int Load(int32_t fileSource, uint32_t inputType, const std::array<ExtSourceRecord, kSourceCount>& records);
    ExtSourceRecord CopyRecord(int s) const;
    void Changed(bool updateNow);

    ExtSourceView* view_;
    std::atomic<bool> connected_;
    std::atomic<int> changed_{0};
    bool firstShow_ = true;

    mutable std::mutex selectLock_;  // select dirty
    mutable std::mutex eqLock_;      // EQ dirty; gains, switches, EQ off, sections, enabled flags
    mutable std::mutex levelLock_;   // level dirty; master levels, sensitivities, range flags
    uint32_t selectDirty_ = 0, eqDirty_ = 0, levelDirty_ = 0;
    std::atomic<uint32_t> allDirty_{0};
    std::atomic<int> pending_{kNoPendingSource};
    std::array<ExtSourceRecord, kSourceCount> records_;

    // The controls.
    std::atomic<int> lit_{kMasterMode};
    bool masterChecked_ = true;
    std::array<bool, 2> typeChecked_{};  // [0] high-level indicator, [1] low-level indicator
    uint32_t inputType_ = 0;
    std::array<bool, kSourceCount> switchShown_{};
    std::array<PagePoint, kSourceCount> switchPlace_{};
    PagePoint masterPlace_ = SwitchSlot(0);
    float masterValue_ = kDefaultSourceMaster;
    float sensValue_ = kDefaultSensitivity;
    float sensMin_ = kSensitivityMin, sensMax_ = kSensitivityMax;
    bool sensEnabled_ = false, masterEnabled_ = true, panelEnabled_ = false;
    bool mapLowLevel_ = true;
    std::array<int, 8> mapRows_{};

    ExtSourceSection section_{*this};
};

}  // namespace pages
