// What the fuzz targets feed: the tuning model and the portable logic of every page and dialog that
// owns a file section or parses the device's frames, wired as the program wires them, with the
// checks the targets apply to them: a snapshot of everything a refused file must leave untouched,
// and the ranges every loaded or received value must keep.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "dialogs/dyn_eq_messages.h"
#include "dialogs/eq_dynamic_logic.h"
#include "model/setup_file.h"
#include "model/tuning_model.h"
#include "model/tuning_section.h"
#include "os/time.h"
#include "pages/ext_source_logic.h"
#include "pages/output_level_logic.h"

namespace fuzzing {

// A broken promise ends the run as a crash does, so that libFuzzer keeps the input.
inline void Check(bool condition) {
    if (!condition) std::abort();
}

struct World {
    model::TuningModel model;
    model::TuningSection tuning{model};
    pages::OutputLevelLogic levels;
    pages::ExtSourceLogic sources{nullptr, false};
    os::FakeSleeper sleeper;
    dialogs::EqDynamicLogic dynamicEq{nullptr, &sleeper};

    World() { sources.Start(); }

    model::SetupSections Setup() {
        return {&tuning, &levels.Section(), &dynamicEq.Section(), &sources.Section()};
    }
    model::PresetSections Presets() { return {&tuning, &levels.Section()}; }
};

class Bytes {
public:
    explicit Bytes(std::vector<uint8_t>& into) : out(into) {}
    template <typename T>
    void Add(const T& v) {
        const auto* p = reinterpret_cast<const uint8_t*>(&v);
        out.insert(out.end(), p, p + sizeof v);
    }
    std::vector<uint8_t>& out;
};

// Everything of the world a refused file must leave as it was: the model's presets, listening
// points and selection, every section as a setup file would hold it now, and what the pages and
// the dialog show besides. Written into `into`, whose memory is kept from call to call (a fresh
// quarter megabyte for every input would cost more than the readers under test).
inline void Snapshot(World& w, std::vector<uint8_t>& into) {
    into.clear();
    Bytes b(into);
    for (int p = 0; p < model::kPresetCount; ++p) {
        b.Add(w.model.Preset(p));
        b.Add(w.model.ListeningPoint(p));
    }
    b.Add(w.model.CurrentPreset());
    model::SectionWriter writer(b.out);
    for (const model::FileSection* s : {static_cast<const model::FileSection*>(&w.tuning),
                                        static_cast<const model::FileSection*>(&w.levels.Section()),
                                        static_cast<const model::FileSection*>(&w.dynamicEq.Section()),
                                        static_cast<const model::FileSection*>(&w.sources.Section())})
        s->Write(writer, {});
    for (int i = 0; i < pages::kLevelFaders; ++i) b.Add(w.levels.Fader(i));
    b.Add(w.levels.Mutes());
    b.Add(w.levels.IsChanged());
    b.Add(w.levels.SendAllPending());
    b.Add(w.sources.GetSelectedSource());
    b.Add(w.sources.InputType());
    b.Add(w.sources.MasterValue());
    b.Add(w.sources.SensitivityValue());
    b.Add(w.sources.IsChanged());
    for (int s = 0; s < pages::kSourceCount; ++s) b.Add(w.sources.SwitchShown(s));
    b.Add(w.dynamicEq.Mode());
    b.Add(w.dynamicEq.Curve());
    b.Add(w.dynamicEq.StatusIndex());
    b.Add(w.dynamicEq.IsChanged());
    b.Add(w.dynamicEq.GetSwitchValue());
    b.Add(w.dynamicEq.PendingFlags());
}

// The snapshot of a world as it starts (the same for every input), and one of `w` now to compare.
inline const std::vector<uint8_t>& StartSnapshot() {
    static const std::vector<uint8_t> start = [] {
        World w;
        std::vector<uint8_t> s;
        Snapshot(w, s);
        return s;
    }();
    return start;
}
inline bool SameAs(World& w, const std::vector<uint8_t>& before) {
    static std::vector<uint8_t> now;
    Snapshot(w, now);
    return now == before;
}

inline bool Finite(float v) { return std::isfinite(v); }

// The ranges every value the world holds must keep, whatever a file or the device said.
inline void CheckRanges(World& w) {
    using namespace model;
    Check(w.model.CurrentPreset() >= 0 && w.model.CurrentPreset() < kPresetCount);
    for (int p = 0; p < kPresetCount; ++p) {
        Check(w.model.ListeningPoint(p) >= 0 && w.model.ListeningPoint(p) <= 3);
        for (int o = 0; o < kChannelCount; ++o) {
            const DspChannelRecord& r = w.model.Record(p, o);
            Check(r.output >= -1 && r.output < kChannelCount);
            Check(r.position >= -1 && r.position <= kHighestPositionOrKind);
            Check(r.kind >= -1 && r.kind <= kHighestPositionOrKind);
            Check(r.crossover.sectionArray == 0);
            Check(r.crossover.sectionCount >= 0 && r.crossover.sectionCount <= kMaxCrossoverSections);
            for (float g : r.EQGain) Check(Finite(g));
        }
    }
    for (int i = 0; i < pages::kLevelFaders; ++i) {
        const float f = w.levels.Fader(i);
        Check(f >= pages::kFaderRanges[i].min && f <= pages::kFaderRanges[i].max);
    }
    for (int p = 0; p < pages::kLevelPresets; ++p)
        for (int c = 0; c < pages::kLevelChannels; ++c) {
            const float l = w.levels.Level(p, c);
            Check(l >= -127.5f && l <= 0.0f);
        }
    const int lit = w.sources.GetSelectedSource();
    Check(lit >= pages::kMasterMode && lit < pages::kSourceCount);
    Check(w.sources.InputType() <= 1);
    Check(Finite(w.sources.MasterValue()) && Finite(w.sources.SensitivityValue()));
    for (int s = 0; s < pages::kSourceCount; ++s) {
        const pages::ExtSourceRecord r = w.sources.Record(s);
        for (float g : r.gains) Check(Finite(g));
        for (uint32_t sw : r.bandSwitches) Check(sw <= 1);
        Check(Finite(r.sensitivity) && Finite(r.master));
        Check(r.master >= pages::kSourceMasterMin && r.master <= pages::kSourceMasterMax);
        Check(r.enabled <= 1);
    }
    // The dynamic equalisation holds only what may be sent and saved again.
    Check(w.dynamicEq.Mode() >= 0 && w.dynamicEq.Mode() <= dialogs::kDynEqOff);
    Check((w.dynamicEq.Curve() & ~1) == 0);
    // Its send requests are flags (one bit per curve for the curve messages).
    const dialogs::EqDynamicLogic::Pending f = w.dynamicEq.PendingFlags();
    for (int flag : {f.start, f.stop, f.mode, f.level, f.open, f.close, f.full}) Check(flag == 0 || flag == 1);
    Check(f.curve >= 0 && f.curve <= 3);
    for (int c = 0; c < dialogs::kDynEqCurves; ++c) {
        const dialogs::DynEqCurveRecord r = w.dynamicEq.Record(c);
        const int level = dialogs::DynEqLevelByte(r.reference);
        Check(level >= 0 && level <= 255 && dialogs::DynEqGainFits(r.eqLevel));
        for (float g : r.gains) Check(dialogs::DynEqGainFits(g));
    }
}

}  // namespace fuzzing
