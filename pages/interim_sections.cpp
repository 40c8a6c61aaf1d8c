#include "pages/interim_sections.h"

#include <cmath>
#include <string>

namespace pages {

LevelsSection::LevelsSection() {
    levels_.fill(0.0f);
}

std::vector<float> LevelsSection::Values(const model::SectionContext& c) const {
    std::vector<float> v;
    for (int p = 0; p < 4; ++p)
        if (!c.presetFile || c.included[p]) v.insert(v.end(), levels_.begin() + 8 * p, levels_.begin() + 8 * p + 8);
    if (!c.presetFile) v.insert(v.end(), levels_.begin() + 32, levels_.end());
    return v;
}

void LevelsSection::Write(model::SectionWriter& out, const model::SectionContext& c) const {
    const std::vector<float> v = Values(c);
    out.WriteI32(static_cast<int32_t>(v.size()));
    for (float f : v) out.WriteF32(f);
}

std::string LevelsSection::Read(model::SectionReader& in, const model::SectionContext& c) {
    int32_t count = 0;
    if (!in.ReadI32(&count)) return "the file ends before the output levels";
    const size_t expected = Values(c).size();
    if (count != static_cast<int32_t>(expected))
        return "the output-level section holds " + std::to_string(count) + " values, " +
               std::to_string(expected) + " are expected";
    staged_.assign(expected, 0.0f);
    for (float& f : staged_) {
        if (!in.ReadF32(&f)) return "the file ends inside the output levels";
        if (!std::isfinite(f)) return "an output level is not a number";
    }
    return "";
}

void LevelsSection::Apply(const model::SectionContext& c) {
    size_t i = 0;
    for (int p = 0; p < 4; ++p)
        if (!c.presetFile || c.included[p])
            for (int k = 0; k < 8; ++k) levels_[8 * p + k] = staged_[i++];
    if (!c.presetFile)
        for (int k = 32; k < kSetupCount; ++k) levels_[k] = staged_[i++];
}

void BlockSection::Write(model::SectionWriter& out, const model::SectionContext&) const {
    out.WriteU32(sizeWord_);
    out.WriteBytes(data_.data(), data_.size());
}

std::string BlockSection::Read(model::SectionReader& in, const model::SectionContext&) {
    uint32_t word = 0;
    if (!in.ReadU32(&word)) return "the file ends before a section";
    if (word != sizeWord_)
        return "a section's record size is " + std::to_string(word) + ", not " + std::to_string(sizeWord_);
    staged_.resize(data_.size());
    if (!in.ReadBytes(staged_.data(), staged_.size())) return "the file ends inside a section";
    return "";
}

}  // namespace pages
