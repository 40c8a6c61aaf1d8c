#include "pages/ext_source_logic.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "dsp/eq.h"
#include "link/bytes.h"
#include "model/tables.h"
#include "pages/output_level_logic.h"

namespace pages {
namespace {

using devlink::DeviceCommand;
using devlink::GetF32LE;
using devlink::GetU32LE;
using devlink::PutF32LE;
using devlink::PutU32LE;

// Offsets inside a record.
constexpr size_t kGainsAt = 4;
constexpr size_t kSwitchesAt = 128;
constexpr size_t kSectionsAt = 256;
constexpr size_t kSectionSize = 152;
constexpr size_t kEqOffAt = 4968;
constexpr size_t kDeviceFlagAt = 4972;
constexpr size_t kRangeFlagAt = 4976;
constexpr size_t kMasterAt = 4980;
constexpr size_t kSensitivityAt = 4984;
constexpr size_t kEnabledAt = 4988;
static_assert(kSectionsAt + kSourceBands * kSectionSize == kEqOffAt);
static_assert(kEnabledAt + 4 == kSourceRecordSize);

void PutF64LE(uint8_t* p, double v) {
    const uint64_t u = std::bit_cast<uint64_t>(v);
    PutU32LE(p, static_cast<uint32_t>(u));
    PutU32LE(p + 4, static_cast<uint32_t>(u >> 32));
}

// Linear gain of a band in dB; the largest a single-precision float on the wire can carry.
double LinearGain(float dB) { return std::pow(10.0, static_cast<double>(dB) / 20.0); }
bool GainFitsFrame(float dB) {
    if (!std::isfinite(dB)) return false;
    const double g = LinearGain(dB);
    return std::isfinite(g) && g <= static_cast<double>(FLT_MAX);
}

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

// ---- records -----------------------------------------------------------------------------------

void WriteSourceRecord(const ExtSourceRecord& r, uint8_t out[kSourceRecordSize]) {
    std::memset(out, 0, kSourceRecordSize);
    for (int k = 0; k < kSourceBands; ++k) {
        PutF32LE(out + kGainsAt + 4 * k, r.gains[k]);
        PutU32LE(out + kSwitchesAt + 4 * k, r.bandSwitches[k]);
        uint8_t* s = out + kSectionsAt + kSectionSize * k;
        for (int i = 0; i < model::kCoefficientCount; ++i) {
            PutF64LE(s + 8 * i, r.sections[k].b[i]);
            PutF64LE(s + 72 + 8 * i, r.sections[k].a[i]);
        }
        PutU32LE(s + 144, static_cast<uint32_t>(r.sections[k].order));
    }
    PutU32LE(out + kEqOffAt, r.eqOff);
    PutU32LE(out + kDeviceFlagAt, r.deviceFlag);
    PutU32LE(out + kRangeFlagAt, r.rangeFlag);
    PutF32LE(out + kMasterAt, r.master);
    PutF32LE(out + kSensitivityAt, r.sensitivity);
    PutU32LE(out + kEnabledAt, r.enabled);
}

bool ReadSourceRecord(const uint8_t in[kSourceRecordSize], ExtSourceRecord* out, std::string* why) {
    ExtSourceRecord r;
    for (int k = 0; k < kSourceBands; ++k) {
        r.gains[k] = GetF32LE(in + kGainsAt + 4 * k);
        if (!GainFitsFrame(r.gains[k])) {
            if (why) *why = "band " + std::to_string(k + 1) + " holds a gain that is not a usable number";
            return false;
        }
        r.bandSwitches[k] = GetU32LE(in + kSwitchesAt + 4 * k) ? 1 : 0;
    }
    r.eqOff = GetU32LE(in + kEqOffAt);
    r.deviceFlag = GetU32LE(in + kDeviceFlagAt);
    r.rangeFlag = GetU32LE(in + kRangeFlagAt);
    r.master = GetF32LE(in + kMasterAt);
    r.sensitivity = GetF32LE(in + kSensitivityAt);
    if (!std::isfinite(r.sensitivity)) {
        if (why) *why = "the input sensitivity is not a number";
        return false;
    }
    r.enabled = GetU32LE(in + kEnabledAt) ? 1 : 0;
    DesignSourceSections(&r);
    if (out) *out = r;
    return true;
}

void DesignSourceSections(ExtSourceRecord* r) {
    for (int k = 0; k < kSourceBands; ++k) {
        r->sections[k] = model::BiquadSection{};
        dsp::ComputeEqBand(&r->sections[k], 1.0, k);
        if (GainFitsFrame(r->gains[k])) dsp::ComputeEqBand(&r->sections[k], LinearGain(r->gains[k]), k);
    }
}

ExtSourceRecord InitialSourceRecord() {
    ExtSourceRecord r;
    DesignSourceSections(&r);
    r.master = kDefaultSourceMaster;
    r.sensitivity = kDefaultSensitivity;
    return r;
}

// ---- frames ------------------------------------------------------------------------------------

devlink::Frame BuildSourceSelectMessage(uint8_t source) {
    devlink::Frame f = devlink::NewFrame(devlink::kNodeDsp, DeviceCommand::SourceSelect, 7);
    f[5] = source;
    devlink::SealFrame(f);
    return f;
}

devlink::Frame BuildSourceEqMessage(uint8_t source, const ExtSourceRecord& r) {
    devlink::Frame f = devlink::NewFrame(devlink::kNodeDsp, DeviceCommand::SourceEq, 136);
    f[5] = source;
    uint32_t mask = 0;
    for (int k = 0; k < kSourceBands; ++k) {
        // Gains the record cannot hold as a finite linear value go out flat rather than as inf.
        const float g = GainFitsFrame(r.gains[k]) ? static_cast<float>(LinearGain(r.gains[k])) : 1.0f;
        PutF32LE(&f[6 + 4 * k], g);
        if (r.bandSwitches[k]) mask |= 1u << k;
    }
    PutU32LE(&f[130], mask);
    f[134] = static_cast<uint8_t>(r.eqOff);
    devlink::SealFrame(f);
    return f;
}

uint8_t SensitivityCode(float dB) {
    if (!std::isfinite(dB)) return 0;
    // 2 * trunc(dB + 3) kept to its low byte without an out-of-range integer conversion.
    const double steps = std::fmod(2.0 * std::trunc(static_cast<double>(dB) + 3.0), 256.0);
    return static_cast<uint8_t>(static_cast<int>(steps) & 0xFF);
}

devlink::Frame BuildSourceSensitivityMessage(uint8_t source, const ExtSourceRecord& r) {
    devlink::Frame f = devlink::NewFrame(devlink::kNodeDsp, DeviceCommand::SourceSensitivity, 11);
    f[5] = source;
    f[7] = static_cast<uint8_t>(r.rangeFlag);
    f[9] = SensitivityCode(r.sensitivity);
    devlink::SealFrame(f);
    return f;
}

devlink::Frame BuildSourceLevelsMessage(const std::array<ExtSourceRecord, kSourceCount>& records) {
    devlink::Frame f = devlink::NewFrame(devlink::kNodeDsp, DeviceCommand::SourceFlags, 11);
    for (int s = 0; s < kSourceCount; ++s) f[5 + s] = static_cast<uint8_t>(records[s].enabled);
    devlink::SealFrame(f);
    return f;
}

// ---- texts and tables --------------------------------------------------------------------------

const char* SourceName(int source) {
    static const char* const kNames[kSourceCount] = {"Aux1", "Aux2", "S/PDIF", "Optical", "Phone"};
    return source >= 0 && source < kSourceCount ? kNames[source] : "Master";
}

std::string SensitivityReadout(float dB) {
    const double v = 3.61 * std::pow(10.0, -static_cast<double>(dB) / 20.0);
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
        } else if (GainFitsFrame(r.gains[band])) {
            dsp::ComputeEqBand(&r.sections[band], LinearGain(r.gains[band]), band);
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

// ---- the device --------------------------------------------------------------------------------

int ExtSourceLogic::SendPendingChanges(const devlink::FrameSender& sender) {
    int sent = 0;
    {
        std::unique_lock<std::mutex> g(selectLock_);
        if (selectDirty_) {
            selectDirty_ = 0;
            const int s = GetSelectedSource();
            const devlink::Frame f = BuildSourceSelectMessage(s >= 0 ? static_cast<uint8_t>(s) : 0xFF);
            g.unlock();
            sender.Send(f);
            sender.sleeper().SleepMs(kSourceSwitchMs);
            sent = 1;
        }
    }
    if (allDirty_.exchange(0)) {
        for (int s = 0; s < kSourceCount; ++s) {
            bool enabled = false;
            sender.SendLocked(eqLock_, [&] {
                enabled = records_[s].enabled != 0;
                if (!enabled) return devlink::Frame{};
                eqDirty_ = 0;
                return BuildSourceEqMessage(static_cast<uint8_t>(s), records_[s]);
            });
            if (!enabled) continue;
            sender.SendLocked(levelLock_, [&] {
                levelDirty_ = 0;
                return BuildSourceSensitivityMessage(static_cast<uint8_t>(s), records_[s]);
            });
            sent = 1;
        }
        return sent;
    }
    {
        std::unique_lock<std::mutex> g(eqLock_);
        if (eqDirty_) {
            const int s = GetSelectedSource();
            eqDirty_ = 0;
            if (s >= 0 && s < kSourceCount) {
                const devlink::Frame f = BuildSourceEqMessage(static_cast<uint8_t>(s), records_[s]);
                g.unlock();
                sender.Send(f);
                sent = 1;
            }
        }
    }
    {
        std::unique_lock<std::mutex> g(levelLock_);
        if (levelDirty_) {
            const int s = GetSelectedSource();
            levelDirty_ = 0;
            if (s >= 0 && s < kSourceCount) {
                const devlink::Frame f = BuildSourceSensitivityMessage(static_cast<uint8_t>(s), records_[s]);
                g.unlock();
                sender.Send(f);
                sender.SendLocked(levelLock_, [&] { return BuildMasterLevelMessage(-records_[s].master); });
            } else {
                const devlink::Frame f = BuildMasterLevelMessage(-records_[0].master);
                g.unlock();
                sender.Send(f);
            }
            sent = 1;
        }
    }
    return sent;
}

void ExtSourceLogic::SendAll(const devlink::FrameSender& sender) {
    sender.SendLocked(eqLock_, [&] { return BuildSourceLevelsMessage(records_); });
    // Taken by exchange: a source named while these frames go out waits for the next resend.
    const int p = pending_.exchange(kNoPendingSource);
    if (p < 0 || p >= kSourceCount) return;
    sender.SendLocked(eqLock_, [&] { return BuildSourceEqMessage(static_cast<uint8_t>(p), records_[p]); });
    if (p == kAux1 || p == kAux2 || p == kPhone)
        sender.SendLocked(levelLock_,
                          [&] { return BuildSourceSensitivityMessage(static_cast<uint8_t>(p), records_[p]); });
}

int ExtSourceLogic::RequestSendAll(const devlink::FrameSender& sender) {
    changed_ = 1;
    SendAll(sender);
    return 1;
}

void ExtSourceLogic::MarkAllDirty() {
    {
        std::lock_guard<std::mutex> g(selectLock_);
        selectDirty_ = 1;
    }
    {
        std::lock_guard<std::mutex> g(eqLock_);
        eqDirty_ = 1;
    }
    {
        std::lock_guard<std::mutex> g(levelLock_);
        levelDirty_ = 1;
    }
    allDirty_ = 1;
}

int ExtSourceLogic::OnDeviceReply(const uint8_t* f, size_t length) {
    if (!f || length < 7) return 0;
    if (f[4] == static_cast<uint8_t>(DeviceCommand::InputConfig)) {
        if (length != kInputConfigLength) return 1;
        const bool lowLevel = f[5] == 1;
        int32_t indexes[8];
        std::fill(std::begin(indexes), std::end(indexes), 1024);
        for (int i = 0; i < (lowLevel ? 6 : 8); ++i) indexes[i] = model::RoutingCodeToIndex(f[11 + i], lowLevel ? 1 : 0);
        DrawSignalMeter(lowLevel, indexes, true);
        int type = -1;
        if (f[5] == 1 || f[5] == 2) type = f[5] - 1;
        uint32_t flags[kSourceCount];
        for (int s = 0; s < kSourceCount; ++s) flags[s] = f[6 + s];
        ApplyToControls(flags, kSourceCount, type, kNoPendingSource);
        return 1;
    }
    if (f[4] != static_cast<uint8_t>(DeviceCommand::SourceEq)) return 0;
    if (length != kSourceEqReplyLength || f[5] >= kSourceCount) return 1;
    float linear[kSourceBands];
    for (int k = 0; k < kSourceBands; ++k) {
        linear[k] = GetF32LE(f + 6 + 4 * k);
        // A gain that is no number at all makes the whole frame suspect: nothing of it is kept.
        if (!std::isfinite(linear[k])) return 1;
    }
    const int s = f[5];
    {
        std::lock_guard<std::mutex> eq(eqLock_);
        std::lock_guard<std::mutex> lv(levelLock_);
        ExtSourceRecord& r = records_[s];
        r.eqOff = f[134];
        r.deviceFlag = f[135];
        r.rangeFlag = f[136];
        r.sensitivity = f[137] * 0.5f - 3.0f - (r.rangeFlag ? 12.0f : 0.0f);
        const uint32_t mask = GetU32LE(f + 130);
        for (int k = 0; k < kSourceBands; ++k) {
            r.bandSwitches[k] = (mask >> k) & 1u;
            // No decibel value stands for a gain of zero or below: that band keeps what it had.
            if (linear[k] <= 0.0f) continue;
            r.gains[k] = static_cast<float>(20.0 * std::log10(static_cast<double>(linear[k])));
            dsp::ComputeEqBand(&r.sections[k], linear[k], k);
        }
    }
    ShowSourceCurve(s, CopyRecord(s));
    if (s == GetSelectedSource()) LoadControlsFromSource(false, kMasterMode);
    return 1;
}

// ---- the setup-file section --------------------------------------------------------------------

int ExtSourceLogic::Load(int32_t fileSource, uint32_t inputType,
                         const std::array<ExtSourceRecord, kSourceCount>& loaded) {
    const int c = GetSelectedSource();
    std::array<ExtSourceRecord, kSourceCount> records = loaded;
    // The master level belongs to the output-level page; every record follows it.
    float master = masterValue_;
    if (view_)
        if (std::optional<float> m = view_->QueryOutputMaster(); m && std::isfinite(*m)) master = *m;
    master = std::clamp(master, kSourceMasterMin, kSourceMasterMax);
    for (auto& r : records) r.master = master;
    masterValue_ = master;
    {
        std::lock_guard<std::mutex> eq(eqLock_);
        std::lock_guard<std::mutex> lv(levelLock_);
        records_ = records;
    }
    for (int s = 0; s < kSourceCount; ++s) ShowSourceCurve(s, records[s]);
    const uint32_t type = inputType <= 1 ? inputType : 0;
    uint32_t flags[kSourceCount];
    for (int s = 0; s < kSourceCount; ++s) flags[s] = records[s].enabled;
    ApplyToControls(flags, kSourceCount, static_cast<int>(type), kNoPendingSource);
    const bool cShown = c >= 0 && c < kSourceCount && flags[c];
    if (c != kMasterMode && !cShown) {
        // The file's source is lit only when the same file enables it.
        const bool fileShown = fileSource >= 0 && fileSource < kSourceCount && flags[fileSource];
        LoadControlsFromSource(true, fileShown ? fileSource : kMasterMode);
    } else {
        LoadControlsFromSource(false, kMasterMode);
    }
    return GetSelectedSource();
}

void ExtSourceSection::Write(model::SectionWriter& out, const model::SectionContext&) const {
    out.WriteU32(kSourceRecordSize);
    out.WriteI32(page_.GetSelectedSource());
    out.WriteU32(page_.InputType());
    uint8_t bytes[kSourceRecordSize];
    for (int s = 0; s < kSourceCount; ++s) {
        WriteSourceRecord(page_.CopyRecord(s), bytes);
        out.WriteBytes(bytes, sizeof bytes);
    }
}

std::string ExtSourceSection::Read(model::SectionReader& in, const model::SectionContext&) {
    staged_.reset();
    if (in.Remaining() < kSourceSectionSize) return "the file ends inside the external-source section";
    uint32_t size = 0;
    Staging staging;
    in.ReadU32(&size);
    if (size != kSourceRecordSize)
        return "the external-source section's record size is " + std::to_string(size) + ", not " +
               std::to_string(kSourceRecordSize);
    in.ReadI32(&staging.source);
    in.ReadU32(&staging.inputType);
    for (int s = 0; s < kSourceCount; ++s) {
        const uint8_t* p = in.Take(kSourceRecordSize);
        std::string why;
        if (!p || !ReadSourceRecord(p, &staging.records[s], &why))
            return std::string("the external source ") + SourceName(s) + ": " + why;
    }
    staged_ = std::move(staging);
    return "";
}

void ExtSourceSection::Apply(const model::SectionContext&) {
    if (!staged_) return;
    lastResult_ = page_.Load(staged_->source, staged_->inputType, staged_->records);
}

}  // namespace pages
