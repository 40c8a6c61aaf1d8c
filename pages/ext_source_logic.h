// The external-source page without its windows: the five sources (Aux1, Aux2, S/PDIF, Optical,
// Phone) with an equaliser, an input sensitivity and the shared master level each, the lit source
// or Master mode, the switches and indicators the enable flags show, the input map, the device's
// frames for all of it with the send cycle the poll thread runs, and the page's section of setup
// files. The window (ExtSourceEq) mirrors the state held here onto its controls and passes the
// controls' notifications in; the chart, the equaliser panel and the main window are reached
// through ExtSourceView.
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
#include "model/file_section.h"
#include "model/records.h"

namespace pages {

constexpr int kSourceCount = 5;
constexpr int kMasterMode = -1;      // no external source: the main inputs
constexpr int kNoPendingSource = -2;
constexpr int kSourceBands = model::kBandCount;

constexpr int kAux1 = 0, kAux2 = 1, kSpdif = 2, kOptical = 3, kPhone = 4;

// One source's record as setup files hold it (kSourceRecordSize bytes, see WriteSourceRecord).
struct ExtSourceRecord {
    std::array<float, kSourceBands> gains{};           // dB
    std::array<uint32_t, kSourceBands> bandSwitches{};  // 1 = the band is selected in the panel
    std::array<model::BiquadSection, kSourceBands> sections{};
    uint32_t eqOff = 0;
    uint32_t deviceFlag = 0;  // as the device reported it; nothing reads it
    uint32_t rangeFlag = 0;   // from the device's reply, sent back with the sensitivity
    float master = 0.0f;      // dB, the same in all five records
    float sensitivity = 0.0f; // dB
    uint32_t enabled = 0;     // 1 when the source exists
};

constexpr uint32_t kSourceRecordSize = 4992;
constexpr size_t kSourceSectionSize = 12 + kSourceCount * kSourceRecordSize;  // 24972
constexpr float kDefaultSensitivity = 11.15014f;  // 20 log10 3.61: shown as 1.00 V
constexpr float kDefaultSourceMaster = -45.0f;
constexpr float kSourceMasterMin = -60.0f, kSourceMasterMax = 0.0f;
constexpr float kSensitivityMin = -3.0f, kSensitivityMax = 21.5f;
constexpr float kPhoneSensitivityMin = -9.0f, kPhoneSensitivityMax = 15.5f;
constexpr uint32_t kSourceSwitchMs = 1500;  // the device needs this long to change its input
constexpr size_t kSourceEqReplyLength = 140;
constexpr size_t kInputConfigLength = 20;

// The record's bytes: little-endian words, IEEE singles and the sections' doubles; the reserved
// word, the padding after the switches and every section's spare word are written as 0.
void WriteSourceRecord(const ExtSourceRecord& record, uint8_t out[kSourceRecordSize]);
// Reads a record's bytes as written, taking nothing from the stored sections: they are designed
// again from the gains. False (with the reason) for a gain or sensitivity that is not finite, or a
// gain whose linear value does not fit a single-precision float.
bool ReadSourceRecord(const uint8_t in[kSourceRecordSize], ExtSourceRecord* out, std::string* why);
// A record as the page starts: flat bands, master -45 dB, sensitivity 1.00 V, disabled.
ExtSourceRecord InitialSourceRecord();
// The 31 bands' sections designed from the record's gains.
void DesignSourceSections(ExtSourceRecord* record);

// The device's frames (all from the PC to the DSP unit; Master level to the level node).
devlink::Frame BuildSourceSelectMessage(uint8_t source);  // 'z': 0..4, 0xFF Master
devlink::Frame BuildSourceEqMessage(uint8_t source, const ExtSourceRecord& record);
devlink::Frame BuildSourceSensitivityMessage(uint8_t source, const ExtSourceRecord& record);
devlink::Frame BuildSourceLevelsMessage(const std::array<ExtSourceRecord, kSourceCount>& records);
// The sensitivity byte of 0x89: whole decibels above -3 dB in half-decibel units, low 8 bits.
uint8_t SensitivityCode(float dB);

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

class ExtSourceLogic;

// The page's section of setup files: the record size, the lit source, the input type and the five
// records. The whole section is checked before anything changes.
class ExtSourceSection : public model::FileSection {
public:
    explicit ExtSourceSection(ExtSourceLogic& page) : page_(page) {}
    void Write(model::SectionWriter& out, const model::SectionContext& context) const override;
    std::string Read(model::SectionReader& in, const model::SectionContext& context) override;
    void Apply(const model::SectionContext& context) override;
    void Discard() override { staged_.reset(); }
    // The lit source after the last Apply (-1 Master), for the tuning page's source display.
    int LastResult() const { return lastResult_; }

private:
    struct Staging {
        int32_t source = -1;
        uint32_t inputType = 0;
        std::array<ExtSourceRecord, kSourceCount> records;
    };
    ExtSourceLogic& page_;
    std::optional<Staging> staged_;
    int lastResult_ = -1;
};

class ExtSourceLogic {
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

    // --- the device ---
    // Poll thread: sends what the edits requested; 1 when anything was sent.
    int SendPendingChanges(const devlink::FrameSender& sender);
    // The flags frame and the pending source's equaliser and sensitivity.
    void SendAll(const devlink::FrameSender& sender);
    int RequestSendAll(const devlink::FrameSender& sender);
    void MarkAllDirty();
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
