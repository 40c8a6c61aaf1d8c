// The dynamic-equalisation section of setup files: u32 4976, u32 mode, u32 curve, the Low-volume
// and the High-volume records (9964 bytes), little-endian.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "dialogs/dyn_eq_records.h"
#include "model/file_section.h"

namespace dialogs {

class EqDynamicLogic;

class EqDynamicSection : public model::FileSection {
public:
    static constexpr size_t kSize = 12 + 2 * sizeof(DynEqCurveRecord);

    explicit EqDynamicSection(EqDynamicLogic& dialog) : dialog_(dialog) {}
    // The reserved words of the sections are written as 0.
    void Write(model::SectionWriter& out, const model::SectionContext& context) const override;
    // Refuses a section that ends early, has another record size, or a curve whose EQ level or a
    // band gain is not a usable number of dB or whose reference volume no level byte holds.
    std::string Read(model::SectionReader& in, const model::SectionContext& context) override;
    // The curves, mode and curve of the file (a mode or curve out of range gives 0); the sections
    // are designed afresh from the gains, never taken from the file.
    void Apply(const model::SectionContext& context) override;
    void Discard() override { staged_.reset(); }

private:
    struct Staging {
        uint32_t mode = 0, curve = 0;
        std::array<DynEqCurveRecord, kDynEqCurves> records;
    };
    EqDynamicLogic& dialog_;
    std::optional<Staging> staged_;
};

}  // namespace dialogs
