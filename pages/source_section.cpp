#include "pages/source_section.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "link/bytes.h"
#include "pages/ext_source_logic.h"

namespace pages {
namespace {

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

}  // namespace

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

// ---- the page's side of a load -----------------------------------------------------------------

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

// ---- the section ---------------------------------------------------------------------------------

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
