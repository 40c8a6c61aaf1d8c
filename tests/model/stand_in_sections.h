// Stand-ins for the sections of the pages that are not part of the model, with the layouts those
// sections have in real files; used by the file tests and the fuzz target.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/file_section.h"

namespace filetest {

// The output-level section: i32 count (34 in a setup file, 32 or 8 in a preset file), then count
// f32 levels. Only what the container needs from it: it reads exactly what it expects.
class LevelsStandIn : public model::FileSection {
public:
    float level[4][8] = {};
    float master = -45.0f, subwoofer = 0.0f;
    int applied = 0;

    void Write(model::SectionWriter& out, const model::SectionContext& c) const override {
        std::vector<float> v = Values(c, level, master, subwoofer);
        out.WriteI32(static_cast<int32_t>(v.size()));
        for (float f : v) out.WriteF32(f);
    }
    std::string Read(model::SectionReader& in, const model::SectionContext& c) override {
        int32_t count = 0;
        if (!in.ReadI32(&count)) return "the file ends early";
        const size_t expected = Values(c, level, master, subwoofer).size();
        if (count != static_cast<int32_t>(expected)) return "the level count is wrong";
        staged_.assign(expected, 0.0f);
        for (float& f : staged_)
            if (!in.ReadF32(&f)) return "the file ends early";
        return "";
    }
    void Apply(const model::SectionContext& c) override {
        ++applied;
        size_t i = 0;
        if (!c.presetFile) {
            for (auto& row : level)
                for (float& f : row) f = staged_[i++];
            master = staged_[i++];
            subwoofer = staged_[i++];
        } else {
            for (int p = 0; p < 4; ++p)
                if (c.included[p])
                    for (float& f : level[p]) f = staged_[i++];
        }
    }
    void Discard() override { staged_.clear(); }

private:
    static std::vector<float> Values(const model::SectionContext& c, const float (&level)[4][8],
                                     float master, float subwoofer) {
        std::vector<float> v;
        for (int p = 0; p < 4; ++p)
            if (!c.presetFile || c.included[p]) v.insert(v.end(), level[p], level[p] + 8);
        if (!c.presetFile) {
            v.push_back(master);
            v.push_back(subwoofer);
        }
        return v;
    }
    std::vector<float> staged_;
};

// A section of a size word and a fixed number of bytes (the dynamic-equalisation section: 4976
// and 9960 more bytes; the external-source section: 4992 and 24968 more).
class FixedStandIn : public model::FileSection {
public:
    FixedStandIn(uint32_t sizeWord, size_t bytes) : data(bytes), sizeWord_(sizeWord) {
        for (size_t i = 0; i < bytes; ++i) data[i] = static_cast<uint8_t>(i * 7 + sizeWord);
    }
    std::vector<uint8_t> data;
    int applied = 0;

    void Write(model::SectionWriter& out, const model::SectionContext&) const override {
        out.WriteU32(sizeWord_);
        out.WriteBytes(data.data(), data.size());
    }
    std::string Read(model::SectionReader& in, const model::SectionContext&) override {
        uint32_t word = 0;
        if (!in.ReadU32(&word)) return "the file ends early";
        if (word != sizeWord_) return "the record size is wrong";
        staged_.resize(data.size());
        if (!in.ReadBytes(staged_.data(), staged_.size())) return "the file ends early";
        return "";
    }
    void Apply(const model::SectionContext&) override {
        ++applied;
        data = staged_;
    }
    void Discard() override { staged_.clear(); }

private:
    uint32_t sizeWord_;
    std::vector<uint8_t> staged_;
};

}  // namespace filetest
