#include "dialogs/dyn_eq_section.h"

#include <cstring>
#include <mutex>

#include "dialogs/dyn_eq_messages.h"
#include "dialogs/eq_dynamic_logic.h"
#include "link/bytes.h"

namespace dialogs {

void EqDynamicSection::Write(model::SectionWriter& out, const model::SectionContext&) const {
    std::array<DynEqCurveRecord, kDynEqCurves> records;
    uint32_t mode, curve;
    {
        std::lock_guard<std::mutex> guard(dialog_.lock_);
        records = dialog_.records_;
        mode = static_cast<uint32_t>(dialog_.mode_);
        curve = static_cast<uint32_t>(dialog_.curve_);
    }
    out.WriteU32(sizeof(DynEqCurveRecord));
    out.WriteU32(mode);
    out.WriteU32(curve);
    for (DynEqCurveRecord& r : records) {
        for (model::BiquadSection& s : r.sections) s.reserved = 0;
        out.WriteBytes(&r, sizeof r);
    }
}

std::string EqDynamicSection::Read(model::SectionReader& in, const model::SectionContext&) {
    staged_.reset();
    const uint8_t* p = in.Take(kSize);
    if (!p)
        return "the dynamic-equalisation section is cut short: " + std::to_string(in.Remaining()) +
               " bytes are left, " + std::to_string(kSize) + " are needed";
    const uint32_t size = devlink::GetU32LE(p);
    if (size != sizeof(DynEqCurveRecord))
        return "the dynamic-equalisation section's record size is " + std::to_string(size) + ", not " +
               std::to_string(sizeof(DynEqCurveRecord));
    Staging s;
    s.mode = devlink::GetU32LE(p + 4);
    s.curve = devlink::GetU32LE(p + 8);
    static const char* const kNames[kDynEqCurves] = {"Low-volume", "High-volume"};
    for (int c = 0; c < kDynEqCurves; ++c) {
        DynEqCurveRecord& r = s.records[c];
        std::memcpy(&r, p + 12 + c * sizeof(DynEqCurveRecord), sizeof r);
        const std::string curve = std::string("the dynamic-equalisation section's ") + kNames[c] + " curve";
        if (!DynEqGainFits(r.eqLevel)) return curve + " has an EQ level that is not a usable number of dB";
        const int level = DynEqLevelByte(r.reference);
        if (level < 0 || level > 255)
            return curve + " has a reference volume outside -60..67.5 dB";
        for (int i = 0; i < kDynEqBands; ++i)
            if (!DynEqGainFits(r.gains[i]))
                return curve + "'s band " + std::to_string(i) + " gain is not a usable number of dB";
    }
    staged_ = s;
    return "";
}

void EqDynamicSection::Apply(const model::SectionContext&) {
    if (!staged_) return;
    Staging s = *staged_;
    staged_.reset();
    // The file's sections are not used: the chart and the device work from the gains.
    for (DynEqCurveRecord& r : s.records) {
        std::memset(r.sections, 0, sizeof r.sections);
        DesignDynEqBands(r);
    }
    const int mode = s.mode <= kDynEqOff ? static_cast<int>(s.mode) : 0;
    const int curve = s.curve <= 1 ? static_cast<int>(s.curve) : 0;
    {
        std::lock_guard<std::mutex> guard(dialog_.lock_);
        dialog_.records_ = s.records;
        dialog_.mode_ = mode;
        dialog_.curve_ = curve;
    }
    dialog_.CheckRadio(mode, curve);
    dialog_.RefreshControls();
}

}  // namespace dialogs
