// Fuzz target for the readers of untrusted files: the setup file, the preset file (all presets and
// one preset) and the firmware image header. Every input goes to all of them. Besides not crashing,
// a reader must leave the model exactly as it was when it refuses a file, and must never load an
// index or a listening point that is out of range.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "app/firmware_image.h"
#include "dialogs/eq_dynamic_logic.h"
#include "model/setup_file.h"
#include "model/tuning_section.h"
#include "stand_in_sections.h"

namespace {

using namespace model;

std::vector<uint8_t> Snapshot(TuningModel& m) {
    std::vector<uint8_t> s(sizeof(DspPreset) * kPresetCount + 4 * kPresetCount);
    for (int p = 0; p < kPresetCount; ++p) {
        std::memcpy(&s[sizeof(DspPreset) * p], &m.Preset(p), sizeof(DspPreset));
        const int32_t lp = m.ListeningPoint(p);
        std::memcpy(&s[sizeof(DspPreset) * kPresetCount + 4 * p], &lp, 4);
    }
    return s;
}

void Check(bool condition) {
    if (!condition) std::abort();
}

void CheckLoaded(const TuningModel& m) {
    for (int p = 0; p < kPresetCount; ++p) {
        Check(m.ListeningPoint(p) >= 0 && m.ListeningPoint(p) <= 3);
        for (int o = 0; o < kChannelCount; ++o) {
            const DspChannelRecord& r = m.Record(p, o);
            Check(r.output >= -1 && r.output < kChannelCount);
            Check(r.position >= -1 && r.position <= kHighestPositionOrKind);
            Check(r.kind >= -1 && r.kind <= kHighestPositionOrKind);
            Check(r.crossover.sectionArray == 0);
            Check(r.crossover.sectionCount >= 0 && r.crossover.sectionCount <= kMaxCrossoverSections);
        }
    }
}

struct Setup {
    TuningModel model;
    TuningSection tuning{model};
    filetest::LevelsStandIn levels;
    os::FakeSleeper sleeper;
    dialogs::EqDynamicLogic dynamicEq{nullptr, &sleeper};
    filetest::FixedStandIn externalSources{4992, 24968};
};

// The dynamic-equalisation section's bytes as they stand.
std::vector<uint8_t> SectionBytes(const model::FileSection& section) {
    std::vector<uint8_t> out;
    model::SectionWriter w(out);
    section.Write(w, {});
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    {
        Setup s;
        const std::vector<uint8_t> before = Snapshot(s.model);
        const std::vector<uint8_t> dynBefore = SectionBytes(s.dynamicEq.Section());
        const std::string why =
            LoadSetupImage(bytes, {&s.tuning, &s.levels, &s.dynamicEq.Section(), &s.externalSources});
        if (why.empty()) {
            CheckLoaded(s.model);
            // A loaded dynamic-equalisation section holds only what may be sent and saved again.
            Check(s.dynamicEq.Mode() >= 0 && s.dynamicEq.Mode() <= 2 && (s.dynamicEq.Curve() & ~1) == 0);
            for (int c = 0; c < 2; ++c) {
                const dialogs::DynEqCurveRecord r = s.dynamicEq.Record(c);
                const int level = dialogs::DynEqLevelByte(r.reference);
                Check(level >= 0 && level <= 255 && dialogs::DynEqGainFits(r.eqLevel));
                for (float g : r.gains) Check(dialogs::DynEqGainFits(g));
            }
        } else {
            Check(Snapshot(s.model) == before && s.levels.applied == 0 &&
                  SectionBytes(s.dynamicEq.Section()) == dynBefore);
        }
    }
    for (int slot : {-1, 0}) {
        Setup s;
        const std::vector<uint8_t> before = Snapshot(s.model);
        std::string why;
        const PresetFileStatus status = LoadPresetImage(bytes, slot, {&s.tuning, &s.levels}, &why);
        if (status == PresetFileStatus::kOk) CheckLoaded(s.model);
        else Check(Snapshot(s.model) == before && s.levels.applied == 0 && !why.empty());
    }
    {
        app::MemoryImage image(data, size);
        std::string why;
        if (!app::ValidateFirmwareImage(image, &why)) Check(!why.empty());
        else Check(size >= app::kFirmwareHeaderSize);
    }
    return 0;
}
