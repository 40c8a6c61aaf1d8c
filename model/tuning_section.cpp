#include "model/tuning_section.h"

#include <bit>
#include <cmath>

namespace model {

static_assert(std::endian::native == std::endian::little,
              "records are written to files as they lie in memory, little-endian");

struct TuningSection::Staging {
    uint32_t workingMode = 0;
    int blockCount = 0;
    int blockPreset[kPresetCount] = {};  // which preset each block of the file holds
    DspPreset block[kPresetCount];
    int32_t listeningPoint[kPresetCount] = {};
};

namespace {

const char* PresetName(int preset) {
    static const char* const kNames[kPresetCount] = {"A", "B", "C", "D"};
    return preset >= 0 && preset < kPresetCount ? kNames[preset] : "?";
}

std::string RecordProblem(const DspChannelRecord& r) {
    auto outside = [](const char* what, long long v, int lo, int hi) {
        return std::string(what) + " is " + std::to_string(v) + " (allowed " + std::to_string(lo) +
               " to " + std::to_string(hi) + ")";
    };
    if (r.output < -1 || r.output >= kChannelCount)
        return outside("the output number", r.output, -1, kChannelCount - 1);
    if (r.position < -1 || r.position > kHighestPositionOrKind)
        return outside("the speaker position", r.position, -1, kHighestPositionOrKind);
    if (r.kind < -1 || r.kind > kHighestPositionOrKind)
        return outside("the speaker kind", r.kind, -1, kHighestPositionOrKind);
    for (int k = 0; k < kBandCount; ++k)
        if (!std::isfinite(r.EQGain[k]))
            return "the gain of equaliser band " + std::to_string(k + 1) + " is not a number";
    const CrossoverParams& x = r.crossover;
    if (!std::isfinite(x.LPFreq)) return "the low-pass frequency is not a number";
    if (!std::isfinite(x.HPFreq)) return "the high-pass frequency is not a number";
    for (float slope : {x.LFSlope, x.HFSlope})
        if (!std::isfinite(slope) || slope < 0.0f || slope > static_cast<float>(kHighestSlope))
            return "a crossover slope is not between 0 and 48 dB per octave";
    return "";
}

// What must never come from a file: the run-time word, the reserved words and the designed
// sections. The record is designed again before its sections are used.
void ForgetDesign(DspChannelRecord& r, CrossoverSections& sections) {
    r.crossover.sectionArray = 0;
    r.crossover.sectionCount = 0;
    r.reserved = 0;
    for (auto& s : r.eqSections) s = IdentitySection();
    sections.section.fill(IdentitySection());
}

// Pending sends refer to the tuning being replaced; the loaded one is written whole afterwards.
void ClearChannelFlags(TuningModel& m) {
    for (int p = 0; p < kPresetCount; ++p)
        for (int o = 0; o < kChannelCount; ++o)
            for (int f = 0; f < kDirtyFlagCount; ++f) m.TakeDirty(p, o, f);
}

}  // namespace

TuningSection::TuningSection(TuningModel& model) : model_(model) {}
TuningSection::~TuningSection() = default;

void TuningSection::Write(SectionWriter& out, const SectionContext& context) const {
    out.WriteU32(kRecordSizeWord);
    out.WriteU32(kCrossoverSizeWord);
    out.WriteU32(model_.WorkingMode());
    for (int p = 0; p < kPresetCount; ++p) {
        if (context.presetFile && !context.included[p]) continue;
        out.WriteU32(static_cast<uint32_t>(p));
        for (int o = 0; o < kChannelCount; ++o) {
            DspChannelRecord r = model_.Record(p, o);
            r.crossover.sectionArray = 0;
            r.reserved = 0;
            for (auto& s : r.eqSections) s.reserved = 0;
            out.WriteBytes(&r, sizeof r);
        }
    }
    for (int p = 0; p < kPresetCount; ++p)
        out.WriteU32(static_cast<uint32_t>(model_.ListeningPoint(p)));
}

std::string TuningSection::Read(SectionReader& in, const SectionContext& context) {
    staged_.reset();
    auto staging = std::make_unique<Staging>();
    Staging& s = *staging;

    s.blockCount = context.presetFile ? context.IncludedCount() : kPresetCount;
    if (context.presetFile && context.slot == -1 && s.blockCount != kPresetCount)
        return "the file holds " + std::to_string(s.blockCount) +
               " preset(s), but loading all presets needs all four";
    int b = 0;
    for (int p = 0; p < kPresetCount; ++p)
        if (!context.presetFile || context.included[p]) s.blockPreset[b++] = p;

    const size_t expected = TuningSectionSize(s.blockCount);
    if (in.Remaining() < expected)
        return "the file ends early (" + std::to_string(in.Remaining()) + " of " +
               std::to_string(expected) + " bytes are there)";

    uint32_t recordSize = 0, blockSize = 0;
    in.ReadU32(&recordSize);
    in.ReadU32(&blockSize);
    in.ReadU32(&s.workingMode);
    if (recordSize != kRecordSizeWord)
        return "the channel record size is " + std::to_string(recordSize) + ", not 5072";
    if (blockSize != kCrossoverSizeWord)
        return "the crossover block size is " + std::to_string(blockSize) + ", not 76";

    for (b = 0; b < s.blockCount; ++b) {
        uint32_t index = 0;
        in.ReadU32(&index);  // the preset index is not used: blocks come in ascending order
        in.ReadBytes(&s.block[b], sizeof(DspPreset));
        for (int o = 0; o < kChannelCount; ++o) {
            const std::string problem = RecordProblem(s.block[b].channel[o]);
            if (!problem.empty())
                return "preset " + std::string(PresetName(s.blockPreset[b])) + ", record " +
                       std::to_string(o) + ": " + problem;
        }
    }
    for (int p = 0; p < kPresetCount; ++p) {
        in.ReadI32(&s.listeningPoint[p]);
        if (s.listeningPoint[p] < 0 || s.listeningPoint[p] > 3)
            return "the listening point of preset " + std::string(PresetName(p)) + " is " +
                   std::to_string(s.listeningPoint[p]) + " (allowed 0 to 3)";
    }
    staged_ = std::move(staging);
    return "";
}

bool TuningSection::Compatible(const SectionContext& /*context*/) const {
    if (!staged_ || staged_->blockCount < 1) return false;
    const int current = model_.CurrentPreset();
    for (int o = 0; o < kChannelCount; ++o) {
        const DspChannelRecord& f = staged_->block[0].channel[o];
        const DspChannelRecord& m = model_.Record(current, o);
        if (f.output != m.output || f.position != m.position || f.kind != m.kind) return false;
    }
    return true;
}

void TuningSection::Apply(const SectionContext& context) {
    if (!staged_) return;
    const Staging& s = *staged_;
    TuningObserver& view = model_.Observer();

    if (!context.presetFile) {
        ClearChannelFlags(model_);
        view.ClearSpeakers();
        view.ResetCrossoverPanel();
        view.ResetDisplaySwitches();
        view.ClearChartCurves();
        for (int o = 0; o < kChannelCount; ++o) model_.SetMuteValue(o, 0);
        model_.ResetAssignedCount();
        // The working mode stored in the file is read and not applied: it stays as it was.
        for (int p = 0; p < kPresetCount; ++p) {
            model_.Preset(p) = s.block[p];
            for (int o = 0; o < kChannelCount; ++o)
                ForgetDesign(model_.Record(p, o), model_.Sections(p, o));
            view.AssignmentLoaded(p);
        }
        for (int p = 0; p < kPresetCount; ++p)
            model_.SetListeningPointValue(p, s.listeningPoint[p]);
        model_.ShowLevelIcons();
        model_.CyclePresets(true);
    } else if (context.slot == -1) {
        ClearChannelFlags(model_);
        view.ResetCrossoverPanel();
        view.ResetDisplaySwitches();
        view.ClearChartCurves();
        for (int b = 0; b < s.blockCount; ++b) {
            const int p = s.blockPreset[b];
            for (int o = 0; o < kChannelCount; ++o) {
                DspChannelRecord& r = model_.Record(p, o);
                if (!IsAssigned(r) || !IsAssigned(s.block[b].channel[o])) continue;
                r = s.block[b].channel[o];
                ForgetDesign(r, model_.Sections(p, o));
            }
        }
        for (int p = 0; p < kPresetCount; ++p)
            model_.SetListeningPointValue(p, s.listeningPoint[p]);
        model_.CyclePresets(true);
    } else {
        const int current = model_.CurrentPreset();
        // A single preset loads only into the preset the user is looking at.
        if (context.slot != current) return;
        ClearChannelFlags(model_);
        view.ResetCrossoverPanel();
        view.ResetDisplaySwitches();
        view.ClearChartCurves();
        for (int o = 0; o < kChannelCount; ++o) {
            DspChannelRecord f = s.block[0].channel[o];
            DspChannelRecord& r = model_.Record(current, o);
            if (!IsAssigned(r) || !IsAssigned(f)) continue;
            // The center and the subwoofer spot have no mirror partner to be linked to.
            if (f.position == kCenter || f.position == kSubwooferSpot) {
                f.EQLink = 0;
                f.crossover.bXoLink = 0;
            }
            r = f;
            ForgetDesign(r, model_.Sections(current, o));
        }
        model_.DesignPreset(current);
        view.RefreshPages();
        view.ChannelStatesChanged();
        model_.SetListeningPointValue(current, s.listeningPoint[current]);
        view.ShowListeningPoint(s.listeningPoint[current]);
    }
    if (model_.Connected()) model_.SetChanged(1);
}

void TuningSection::Discard() { staged_.reset(); }

}  // namespace model
