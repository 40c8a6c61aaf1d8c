#include "pages/ext_source_logic.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "dsp/eq.h"
#include "dsp/gain.h"
#include "model/tables.h"

namespace pages {
namespace {

// The 18 rows of the input map that a code can select, high level then low level.
struct MapRow {
    int code, high, low;
};
constexpr MapRow kMapRows[] = {
    {40, 0, 18},  {43, 1, 25},  {41, 2, 25},  {44, 3, 25},  {48, 4, 19},  {52, 5, 25},
    {49, 6, 25},  {51, 7, 25},  {72, 8, 20},  {76, 9, 25},  {75, 10, 25}, {80, 11, 21},
    {84, 12, 25}, {83, 13, 25}, {96, 14, 17}, {100, 15, 25}, {99, 16, 25}, {128, 22, 22},
};

}  // namespace

// ---- texts and tables --------------------------------------------------------------------------

const char* SourceName(int source) {
    static const char* const kNames[kSourceCount] = {"Aux1", "Aux2", "S/PDIF", "Optical", "Phone"};
    return source >= 0 && source < kSourceCount ? kNames[source] : "Master";
}

std::string SensitivityReadout(float dB) {
    const double v = 3.61 * dsp::DbToLinear(-static_cast<double>(dB));
    char text[64];
    std::snprintf(text, sizeof text, "%1.2f", v);
    // Four characters fit the readout: above 9.995 V one decimal, rounded, not cut.
    if (std::strlen(text) > 4) std::snprintf(text, sizeof text, "%1.1f", v);
    return std::string(text).substr(0, 4);
}

std::string SourceMasterReadout(float dB) {
    char text[32];
    const double shown = std::floor(2.0 * static_cast<double>(dB)) / 2.0;
    std::snprintf(text, sizeof text, "%1.1f", shown == 0.0 ? 0.0 : shown);
    return text;
}

int InputMapRow(int code, bool lowLevel) {
    for (const MapRow& r : kMapRows)
        if (r.code == code) return lowLevel ? r.low : r.high;
    return kNotConnectedRow;
}

// ---- the page ----------------------------------------------------------------------------------

ExtSourceLogic::ExtSourceLogic(ExtSourceView* view, bool connected) : view_(view), connected_(connected) {
    for (auto& r : records_) r = InitialSourceRecord();
    for (int s = 0; s < kSourceCount; ++s) switchPlace_[s] = SwitchSlot(s);
    mapRows_.fill(kNotConnectedRow);
}

void ExtSourceLogic::Changed(bool updateNow) {
    if (view_) view_->ControlsChanged(updateNow);
}

void ExtSourceLogic::ShowSourceCurve(int s, const ExtSourceRecord& record) {
    if (view_) view_->ShowResponse(CurveId(s), record.sections.data(), kSourceBands, true);
}

void ExtSourceLogic::Start() {
    for (int s = 0; s < kSourceCount; ++s) ShowSourceCurve(s, CopyRecord(s));
    EnterMasterMode();
    const int32_t codes[8] = {40, 48, 0, 0, 0, 0, 0, 0};
    DrawSignalMeter(true, codes, false);
}

ExtSourceRecord ExtSourceLogic::CopyRecord(int s) const {
    std::lock_guard<std::mutex> eq(eqLock_);
    std::lock_guard<std::mutex> lv(levelLock_);
    return records_[s];
}

ExtSourceRecord ExtSourceLogic::Record(int s) const {
    return s >= 0 && s < kSourceCount ? CopyRecord(s) : ExtSourceRecord{};
}

int ExtSourceLogic::GetSourceFlags(uint32_t out[kSourceCount]) const {
    std::lock_guard<std::mutex> eq(eqLock_);
    for (int s = 0; s < kSourceCount; ++s) out[s] = records_[s].enabled;
    return kSourceCount;
}

bool ExtSourceLogic::SelectDirty() const {
    std::lock_guard<std::mutex> g(selectLock_);
    return selectDirty_ != 0;
}
bool ExtSourceLogic::EqDirty() const {
    std::lock_guard<std::mutex> g(eqLock_);
    return eqDirty_ != 0;
}
bool ExtSourceLogic::LevelDirty() const {
    std::lock_guard<std::mutex> g(levelLock_);
    return levelDirty_ != 0;
}

std::string ExtSourceLogic::SensitivityText() const {
    const int s = GetSelectedSource();
    if (s != kAux1 && s != kAux2 && s != kPhone) return "";
    return SensitivityReadout(sensValue_);
}

void ExtSourceLogic::SetSensitivityRange(bool phone) {
    // The slider takes its new top first, then its bottom, clamping its value to each.
    sensMax_ = phone ? kPhoneSensitivityMax : kSensitivityMax;
    sensValue_ = std::min(sensValue_, sensMax_);
    sensMin_ = phone ? kPhoneSensitivityMin : kSensitivityMin;
    sensValue_ = std::max(sensValue_, sensMin_);
}

void ExtSourceLogic::LightSource(int k) {
    lit_ = k >= 0 && k < kSourceCount ? k : kMasterMode;
    SetSensitivityRange(k == kPhone);
    Changed(true);
    if (view_ && view_->PageVisible()) {
        std::lock_guard<std::mutex> g(selectLock_);
        selectDirty_ = 1;
    }
    if (view_) view_->PostShowSource(GetSelectedSource());
}

void ExtSourceLogic::PutOnControls(int s) {
    const ExtSourceRecord r = CopyRecord(s);
    if (view_) {
        view_->SetHighlight(static_cast<int32_t>(CurveId(s)), false);
        view_->ShowCurve(CurveId(s), true, true);
        view_->PanelSetGains(r.gains.data(), kSourceBands, r.eqOff);
        view_->PanelSetEnabled(true);
        view_->PanelSetBandEnables(r.bandSwitches.data(), kSourceBands);
    }
    panelEnabled_ = true;
    masterEnabled_ = true;
    masterValue_ = std::clamp(r.master, kSourceMasterMin, kSourceMasterMax);
    sensEnabled_ = s != kSpdif && s != kOptical;
    if (sensEnabled_) sensValue_ = std::clamp(r.sensitivity, sensMin_, sensMax_);
    Changed(true);
}

void ExtSourceLogic::EnterMasterMode(bool light) {
    if (view_) view_->HideAllCurves();
    masterChecked_ = true;
    typeChecked_[inputType_ == 0 ? 1 : 0] = true;
    typeChecked_[inputType_ == 0 ? 0 : 1] = false;
    if (light) LightSource(kMasterMode);
    panelEnabled_ = false;
    sensEnabled_ = false;
    masterEnabled_ = true;
    if (view_) {
        view_->PanelSetEnabled(false);
        view_->PaintChart();
    }
    Changed(true);
}

void ExtSourceLogic::OnSourcePicked(int s) {
    if (s < 0 || s >= kSourceCount) return;
    if (view_) view_->HideAllCurves();
    masterChecked_ = false;
    typeChecked_ = {false, false};
    LightSource(s);
    PutOnControls(s);
    if (view_ && connected_) view_->LockParent(kSourceSwitchMs);
}

// Master mode is entered only by a click that leaves the switch checked. A click on the checked
// switch would uncheck it: it is checked again and nothing else happens, since lighting Master
// again would send the selection once more and hold the device for its input change.
void ExtSourceLogic::OnMasterClicked() {
    if (masterChecked_) {
        Changed(true);
        return;
    }
    EnterMasterMode();
}

// The current input type's indicator acts as the Master switch; the other type's stays unchecked.
void ExtSourceLogic::OnTypeIndicatorClicked(int lowLevelIndicator) {
    const bool current = (inputType_ == 0) == (lowLevelIndicator != 0);
    bool& checked = typeChecked_[lowLevelIndicator ? 1 : 0];
    if (current && !checked) {
        EnterMasterMode();
        return;
    }
    if (!current) checked = false;
    Changed(true);
}

void ExtSourceLogic::SelectSource(int k) {
    if (k < 0 || k >= kSourceCount) return;
    masterChecked_ = false;
    typeChecked_ = {false, false};
    LightSource(k);
    PutOnControls(k);
}

void ExtSourceLogic::ResetSwitches() { EnterMasterMode(); }

void ExtSourceLogic::LoadControlsFromSource(bool useGiven, int k) {
    const int source = useGiven ? k : GetSelectedSource();
    masterChecked_ = false;
    typeChecked_ = {false, false};
    if (source >= 0 && source < kSourceCount) {
        if (view_) view_->HideAllCurves();
        if (useGiven) LightSource(source);
        PutOnControls(source);
    } else {
        // Master stays lit when it already was: only a given choice is lit (and sent) again.
        EnterMasterMode(useGiven);
    }
}

void ExtSourceLogic::ApplyToControls(const uint32_t* flags, int n, int inputType, int source) {
    if (!flags) return;
    if (inputType == 0 || inputType == 1) inputType_ = static_cast<uint32_t>(inputType);
    const int count = std::clamp(n, 0, kSourceCount);
    pending_ = source >= 0 && source < count && flags[source] ? source : kNoPendingSource;
    masterChecked_ = false;
    typeChecked_ = {false, false};
    const int c = GetSelectedSource();
    int slot = 0;
    {
        std::lock_guard<std::mutex> eq(eqLock_);
        for (int s = 0; s < count; ++s) records_[s].enabled = flags[s] ? 1 : 0;
    }
    for (int s = 0; s < count; ++s) {
        switchShown_[s] = flags[s] != 0;
        if (switchShown_[s]) {
            switchPlace_[s] = SwitchSlot(slot++);
        } else if (view_) {
            view_->ShowCurve(CurveId(s), false, false);
        }
    }
    int shown = 0;
    for (bool b : switchShown_) shown += b ? 1 : 0;
    masterPlace_ = SwitchSlot(shown);
    Changed(false);
    if (c >= 0 && c < kSourceCount && switchShown_[c]) {
        Changed(true);
        return;
    }
    EnterMasterMode();
}

void ExtSourceLogic::DrawSignalMeter(bool lowLevel, const int32_t* codes, bool codesAreIndexes) {
    mapLowLevel_ = lowLevel;
    if (codes) {
        for (int i = 0; i < 8; ++i) {
            const int code = codesAreIndexes ? model::RoutingIndexToCode(codes[i]) : codes[i];
            mapRows_[i] = InputMapRow(code, lowLevel);
        }
    }
    Changed(true);
}

// ---- edits -------------------------------------------------------------------------------------

void ExtSourceLogic::MarkEqDirty() {
    std::lock_guard<std::mutex> g(eqLock_);
    eqDirty_ = 1;
}

void ExtSourceLogic::OnEqBandChanged(int band, const float* gains, uint32_t eqOff) {
    const int s = GetSelectedSource();
    changed_ = 1;
    if (s < 0 || !gains) return;
    if (band < -2 || band >= kSourceBands) return;
    ExtSourceRecord copy;
    {
        std::lock_guard<std::mutex> g(eqLock_);
        ExtSourceRecord& r = records_[s];
        for (int k = 0; k < kSourceBands; ++k)
            if (std::isfinite(gains[k])) r.gains[k] = gains[k];
        r.eqOff = eqOff;
        if (band == -1) {
            for (int k = 0; k < kSourceBands; ++k) dsp::ComputeEqBand(&r.sections[k], 1.0, k);
        } else if (band == -2) {
            DesignSourceSections(&r);
        } else {
            DesignSourceBand(&r, band);
        }
        eqDirty_ = 1;
        copy = r;
    }
    ShowSourceCurve(s, copy);
}

void ExtSourceLogic::OnEqBandSwitch(int band, uint32_t on) {
    const int s = GetSelectedSource();
    if (s < 0) return;
    std::lock_guard<std::mutex> g(eqLock_);
    if (band >= 0 && band < kSourceBands)
        records_[s].bandSwitches[band] = on;
    else
        records_[s].bandSwitches.fill(on);
    eqDirty_ = 1;
}

void ExtSourceLogic::OnEqOffChanged(uint32_t off) {
    const int s = GetSelectedSource();
    if (s < 0) return;
    std::lock_guard<std::mutex> g(eqLock_);
    records_[s].eqOff = off;
    changed_ = 1;
    eqDirty_ = 1;
}

void ExtSourceLogic::OnSliderMoved(int index, float value) {
    if (index == 0 && std::isfinite(value)) masterValue_ = std::clamp(value, kSourceMasterMin, kSourceMasterMax);
    if (index == 1 && std::isfinite(value)) sensValue_ = std::clamp(value, sensMin_, sensMax_);
    const int s = GetSelectedSource();
    float master = 0.0f;
    {
        std::lock_guard<std::mutex> g(levelLock_);
        for (auto& r : records_) r.master = masterValue_;
        master = masterValue_;
        if (s >= 0) records_[s].sensitivity = sensValue_;
        levelDirty_ = 1;
    }
    if (view_) view_->SendMasterLevelChanged(master);
    if (index == 1) changed_ = 1;
    Changed(true);
}

void ExtSourceLogic::SetLevelAll(float dB) {
    if (!std::isfinite(dB)) return;
    masterValue_ = std::clamp(dB, kSourceMasterMin, kSourceMasterMax);
    {
        std::lock_guard<std::mutex> g(levelLock_);
        for (auto& r : records_) r.master = masterValue_;
    }
    Changed(true);
}

void ExtSourceLogic::OnShowWindow() {
    if (firstShow_) {
        firstShow_ = false;
        return;
    }
    std::lock_guard<std::mutex> g(selectLock_);
    selectDirty_ = 1;
}

void ExtSourceLogic::Reset() {
    LightSource(kMasterMode);
    masterChecked_ = false;
    typeChecked_ = {false, false};
    changed_ = 0;
    inputType_ = 0;
    std::array<ExtSourceRecord, kSourceCount> fresh;
    for (auto& r : fresh) r = InitialSourceRecord();
    {
        std::lock_guard<std::mutex> eq(eqLock_);
        std::lock_guard<std::mutex> lv(levelLock_);
        records_ = fresh;
    }
    for (int s = 0; s < kSourceCount; ++s) ShowSourceCurve(s, fresh[s]);
    if (view_) {
        view_->SetHighlight(static_cast<int32_t>(CurveId(0)), false);
        view_->PanelSetEnabled(true);
    }
    panelEnabled_ = true;
    LightSource(kAux1);
    sensValue_ = kDefaultSensitivity;
    masterValue_ = kDefaultSourceMaster;
    Changed(true);
}

// ---- the device's replies ------------------------------------------------------------------------

int ExtSourceLogic::OnDeviceReply(const uint8_t* f, size_t length) {
    const ParsedSourceReply reply = ParseSourceReply(f, length);
    switch (reply.kind) {
        case SourceReply::None: return 0;
        case SourceReply::Ignored: return 1;
        case SourceReply::InputConfig: {
            const InputConfigReply& c = reply.inputConfig;
            DrawSignalMeter(c.lowLevel, c.indexes, true);
            ApplyToControls(c.flags, kSourceCount, c.type, kNoPendingSource);
            return 1;
        }
        case SourceReply::SourceEq: break;
    }
    const int s = reply.sourceEq.source;
    {
        std::lock_guard<std::mutex> eq(eqLock_);
        std::lock_guard<std::mutex> lv(levelLock_);
        ApplySourceEqReply(reply.sourceEq, &records_[s]);
    }
    ShowSourceCurve(s, CopyRecord(s));
    if (s == GetSelectedSource()) LoadControlsFromSource(false, kMasterMode);
    return 1;
}

}  // namespace pages
