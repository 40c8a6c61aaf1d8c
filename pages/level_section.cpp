#include "pages/level_section.h"

#include <algorithm>
#include <cmath>

#include "pages/output_level_logic.h"

namespace pages {
namespace {

// The lowest channel level a level byte can carry (255 half-dB steps of attenuation).
constexpr float kLowestStoredLevel = -127.5f;

bool ValidChannelLevel(float v) { return std::isfinite(v) && v <= 0.0f && v >= kLowestStoredLevel; }

}  // namespace

// ---- the file section ----------------------------------------------------------------------------
//
// A setup file holds a count and that many floats: 34 (the 32 channel levels preset by preset,
// the master, the subwoofer level; the last two are kept in the file but a load leaves the
// faders as they are, so that loading a setup never changes the volume); files of older programs
// hold 1..10 values (the eight channel levels for every preset, then the master and the
// subwoofer level, which these do set). A preset file holds eight levels per preset it contains.

void OutputLevelSection::Write(model::SectionWriter& out, const model::SectionContext& context) const {
    std::lock_guard<std::mutex> g(page_.lock_);
    if (!context.presetFile) {
        out.WriteI32(kSetupCount);
        for (const auto& preset : page_.levels_)
            for (float v : preset) out.WriteF32(v);
        out.WriteF32(page_.faders_[kMasterFader]);
        out.WriteF32(page_.faders_[kSubwooferFader]);
        return;
    }
    if (context.slot < -1 || context.slot > 3) {
        out.WriteI32(0);
        return;
    }
    out.WriteI32(8 * context.IncludedCount());
    for (int p = 0; p < kLevelPresets; ++p)
        if (context.included[p])
            for (float v : page_.levels_[p]) out.WriteF32(v);
}

std::string OutputLevelSection::Read(model::SectionReader& in, const model::SectionContext& context) {
    staged_.reset();
    int32_t count = 0;
    if (!in.ReadI32(&count)) return "the file ends before the output levels";
    if (count < 0) return "the output-level section holds a negative count (" + std::to_string(count) + ")";
    if (!context.presetFile) {
        if (count > kSetupCount)
            return "the output-level section holds " + std::to_string(count) + " values, at most 34 are allowed";
    } else {
        const int expected = 8 * context.IncludedCount();
        if (count != expected)
            return "the output-level section holds " + std::to_string(count) + " values, " +
                   std::to_string(expected) + " are expected";
    }
    Staging s;
    s.count = count;
    s.values.resize(static_cast<size_t>(count));
    // Which values are channel levels: older setup files put the channels first, then master and
    // subwoofer; the others hold channel levels up to value 32.
    const int channelValues = context.presetFile ? count : count <= 10 ? std::min(count, 8) : std::min(count, 32);
    for (int k = 0; k < count; ++k) {
        float& v = s.values[static_cast<size_t>(k)];
        if (!in.ReadF32(&v)) return "the file ends inside the output levels";
        if (!std::isfinite(v)) return "output level " + std::to_string(k + 1) + " is not a number";
        if (k < channelValues && !ValidChannelLevel(v))
            return "output level " + std::to_string(k + 1) + " is outside -127.5 to 0 dB";
    }
    staged_ = std::move(s);
    return "";
}

void OutputLevelSection::Apply(const model::SectionContext& context) {
    if (!staged_) return;
    const Staging& s = *staged_;
    {
        std::lock_guard<std::mutex> g(page_.lock_);
        auto& levels = page_.levels_;
        if (!context.presetFile) {
            if (s.count >= 1 && s.count <= 10) {
                for (int k = 0; k < s.count; ++k) {
                    const float v = s.values[static_cast<size_t>(k)];
                    if (k < kLevelChannels)
                        for (auto& preset : levels) preset[k] = v;
                    page_.SetFaderLocked(k, v);
                }
            } else {
                for (int k = 0; k < s.count && k < 32; ++k) levels[k / 8][k % 8] = s.values[static_cast<size_t>(k)];
            }
        } else if (context.slot == -1) {
            size_t b = 0;
            for (int p = 0; p < kLevelPresets; ++p) {
                if (!context.included[p]) continue;
                for (int c = 0; c < kLevelChannels; ++c) levels[p][c] = s.values[8 * b + c];
                ++b;
            }
        } else if (context.slot >= 0 && context.slot < kLevelPresets && s.count >= 8) {
            for (int c = 0; c < kLevelChannels; ++c) levels[context.slot][c] = s.values[c];
        }
        page_.FadersFromPresetLocked();
    }
    staged_.reset();
    if (page_.onLoaded_) page_.onLoaded_();
}

}  // namespace pages
