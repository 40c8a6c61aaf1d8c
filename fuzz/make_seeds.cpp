// Writes the seed corpora of the setup, preset and frames targets from real files and frames:
// setup and preset files saved by the program's own sections (a factory state and a tuned one),
// and the frames the simulated unit streams on a read-back, with the application's own replies.
// Usage: fuzz_make_seeds <fuzz/corpus folder>. Run again when a file or frame layout changes.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "../tests/model/tuned_model.h"
#include "fuzz_world.h"
#include "link/frame.h"
#include "sim/device.h"
#include "sim/dyn_eq_store.h"
#include "sim/level_store.h"
#include "sim/source_store.h"
#include "sim/tuning_store.h"

namespace {

std::filesystem::path g_root;

void Put(const std::string& target, const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::filesystem::path dir = g_root / target;
    std::filesystem::create_directories(dir);
    if (std::FILE* f = std::fopen((dir / name).string().c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

// A world whose every section holds something besides its defaults.
void Tune(fuzzing::World& w) {
    filetest::Tune(w.model);
    for (int i = 0; i < pages::kLevelChannels; ++i) w.levels.OnFaderMoved(i, -1.5f * static_cast<float>(i), 0.0f);
    w.levels.OnFaderMoved(pages::kMasterFader, -20.0f, 0.0f);
    const uint32_t flags[pages::kSourceCount] = {1, 1, 0, 1, 1};
    w.sources.ApplyToControls(flags, pages::kSourceCount, 1, pages::kNoPendingSource);
    w.sources.OnSourcePicked(pages::kAux2);
    float gains[pages::kSourceBands];
    for (int k = 0; k < pages::kSourceBands; ++k) gains[k] = static_cast<float>(k % 7) - 3.0f;
    w.sources.OnEqBandChanged(4, gains, 0);
    w.sources.OnSliderMoved(1, 6.5f);
    w.dynamicEq.OnModeClicked(1);
    float dyn[dialogs::kDynEqBands];
    for (int k = 0; k < dialogs::kDynEqBands; ++k) dyn[k] = static_cast<float>(k % 5) - 2.0f;
    w.dynamicEq.OnBandEdit(-2, dyn);
}

// Single frames make the best seeds: a mutation then lands in the one frame it can change. A few
// seeds keep a read-back's frames together, for what one frame does to the next.
void PutFrames(const std::string& name, const std::vector<devlink::Frame>& frames) {
    for (size_t i = 0; i < frames.size(); ++i) {
        std::vector<uint8_t> seed{0};
        seed.insert(seed.end(), frames[i].begin(), frames[i].end());
        Put("frames", name + "_" + std::to_string(i), seed);
    }
}

std::vector<uint8_t> Stream(const std::vector<devlink::Frame>& frames, uint8_t mode = 0) {
    std::vector<uint8_t> out{mode};
    for (const auto& f : frames) out.insert(out.end(), f.begin(), f.end());
    return out;
}

void FileSeeds() {
    for (int tuned = 0; tuned < 2; ++tuned) {
        fuzzing::World w;
        if (tuned) Tune(w);
        const std::string state = tuned ? "tuned" : "factory";
        Put("setup", state, model::BuildSetupImage(w.Setup()));
        for (int slot = -1; slot < 4; slot += tuned ? 2 : 5) {
            std::vector<uint8_t> file;
            if (!model::BuildPresetImage(slot, w.Presets(), &file)) continue;
            // The slot the file is opened for, and the preset selected then (the one it holds).
            const int current = slot < 0 ? 0 : slot;
            file.insert(file.begin(), static_cast<uint8_t>((slot + 1) | (current << 4)));
            Put("preset", state + (slot < 0 ? "_all" : "_preset" + std::to_string(slot)), file);
        }
    }
}

void FrameSeeds() {
    sim::TuningStore tuning;
    const std::vector<devlink::Frame> all = tuning.ReadAllFrames();
    // One channel's equaliser, crossover and delay, and the listening points.
    PutFrames("tuning", {all[0], all[1], all[2], all.back()});

    sim::SourceOptions options;
    options.source = 3;
    options.flags = {1, 0, 1, 1, 1};
    options.inputType = 1;
    const std::vector<devlink::Frame> sources = sim::SourceStore(options).ReadAllFrames();
    PutFrames("sources", {sources.front(), sources[sources.size() - 2], sources.back()});
    Put("frames", "sources_read_back", Stream(sources));
    Put("frames", "sources_none_bad_checksums", Stream(sim::SourceStore().ReadAllFrames(), 1));
    PutFrames("levels", {sim::LevelStore().ReportFrame(), sim::LevelStore::ClipReply(0x81)});

    sim::DynEqState dyn;
    dyn.mode = 1;
    dyn.switches = {0, 1, 0, 1};
    dyn.levels = {40, 130};
    for (int k = 0; k < 31; ++k) dyn.gains[0][k] = 0.5f + 0.05f * static_cast<float>(k);
    PutFrames("dynamic_eq", sim::DynEqStore(dyn).ReportFrames());
    Put("frames", "dynamic_eq_read_back", Stream(sim::DynEqStore(dyn).ReportFrames()));
    PutFrames("dynamic_eq_short", {sim::DynEqStore({}, sim::DynEqFault::ShortCurve).ReportFrames().front()});

    // The application's own: preset, source, working mode, a live curve and a diagnostics dump.
    using sim::SimUnit;
    std::vector<uint8_t> curve(125, 0);
    curve[0] = 2;
    for (int k = 0; k < 31; ++k) devlink::PutF32LE(&curve[1 + 4 * k], 0.25f + 0.1f * static_cast<float>(k));
    std::vector<uint8_t> dump(796);
    for (size_t i = 0; i < dump.size(); ++i) dump[i] = static_cast<uint8_t>(i * 13);
    const std::vector<devlink::Frame> own = {
        SimUnit::BuildReply(devlink::kNodeDsp, 0x7D, {2}), SimUnit::BuildReply(devlink::kNodeDsp, 0x7A, {1}),
        SimUnit::BuildReply(devlink::kNodeDsp, 0xCF, {0}), SimUnit::BuildReply(devlink::kNodeDsp, 0x74, curve),
        SimUnit::BuildReply(devlink::kNodeDsp, 0xD7, dump)};
    PutFrames("application", own);
    Put("frames", "application_read_back", Stream({own.begin(), own.end() - 1}));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    g_root = argv[1];
    FileSeeds();
    FrameSeeds();
    return 0;
}
