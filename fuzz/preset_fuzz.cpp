// Fuzz target for the preset files, all presets and one preset, through the container and the
// real sections of the tuning and the output levels. A refused or incompatible file leaves
// everything as it was; an accepted one leaves every value in range.
//
// Input: [0] the slot the file is opened for (value % 5 - 1: all presets, or preset 0..3) and,
//        in bits 4..5, the preset selected when it is opened; then the file.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "fuzz_world.h"

using namespace fuzzing;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int slot = (data[0] & 0x0F) % 5 - 1;
    const int current = (data[0] >> 4) & 3;
    const std::span<const uint8_t> file(data + 1, size - 1);

    World w;
    w.model.SelectPreset(current);
    w.levels.SelectPreset(current, 0);
    static std::vector<uint8_t> before;
    Snapshot(w, before);
    std::string why;
    const model::PresetFileStatus checked = model::CheckPresetImage(file, slot, w.Presets(), &why);
    Check(SameAs(w, before));
    const model::PresetFileStatus status = model::LoadPresetImage(file, slot, w.Presets(), &why);
    // The check alone says what the load will do.
    Check(status == checked);
    if (status != model::PresetFileStatus::kOk) {
        Check(!why.empty() && SameAs(w, before));
        return 0;
    }
    CheckRanges(w);
    Check(w.model.CurrentPreset() == current);
    return 0;
}
