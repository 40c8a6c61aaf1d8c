// The tuning's section of setup and preset files: the record and block sizes, the working mode,
// the presets (index and eight raw records each) and the four listening points, little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "model/file_section.h"
#include "model/tuning_model.h"

namespace model {

constexpr uint32_t kRecordSizeWord = sizeof(DspChannelRecord);     // 5072
constexpr uint32_t kCrossoverSizeWord = sizeof(CrossoverParams);   // 76
constexpr size_t kTuningHeaderBytes = 12;
constexpr size_t kPresetBlockBytes = 4 + sizeof(DspPreset);        // 40580
constexpr size_t kListeningPointBytes = 16;
// The section's size with this many presets (a setup file: 4, 162348 bytes).
constexpr size_t TuningSectionSize(int presets) {
    return kTuningHeaderBytes + static_cast<size_t>(presets) * kPresetBlockBytes +
           kListeningPointBytes;
}

// The limits a record read from a file must keep; anything else in it is kept as written.
constexpr int kHighestSlope = 48;
constexpr int kHighestPositionOrKind = 11;

class TuningSection : public FileSection {
public:
    explicit TuningSection(TuningModel& model);
    ~TuningSection() override;

    // Writes 5072, 76 and the working mode, then every preset (a setup file) or the presets the
    // header includes (a preset file), then the four listening points. The run-time word and the
    // reserved words of the records are written as 0.
    void Write(SectionWriter& out, const SectionContext& context) const override;

    // Refuses a section that ends early, has other size words, a record whose output lies outside
    // -1..7 or whose position or kind lies outside -1..11, a gain, frequency or slope that is not a
    // finite number, a slope outside 0..48, or a listening point outside 0..3.
    std::string Read(SectionReader& in, const SectionContext& context) override;

    // The preset file check: the first preset in the file has, output by output, the output,
    // position and kind of the current preset's records.
    bool Compatible(const SectionContext& context) const override;

    // A setup file replaces the whole tuning (the working mode in the file is not applied; mutes
    // are cleared). A preset file for all presets replaces each record that is assigned both in the
    // model and in the file; one for a single preset does so only when that preset is current. The
    // filter sections are designed afresh, never taken from the file.
    void Apply(const SectionContext& context) override;

    void Discard() override;

private:
    struct Staging;

    TuningModel& model_;
    std::unique_ptr<Staging> staged_;
};

}  // namespace model
