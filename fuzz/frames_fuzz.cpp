// Fuzz target for every frame the device sends: the bytes are cut into frames as the link cuts
// them, and the frames are handed, as the main window hands a read-back, to every parser in the
// program's order (the tuning, the external sources, the output levels, the wizard, the dynamic
// equalisation, the preset, the source and the working mode), over the model and the pages' and
// the dialog's logic. Whatever they hold, every value stays in range, and a read-back of which no
// parser took anything changes nothing. A diagnostics dump is also written out.
//
// Input: [0] bit 0 keeps each frame's checksum as it came (so that bad frames are met too);
//        otherwise every frame is sealed. Then the device's bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "app/device_commands.h"
#include "app/frame_dispatch.h"
#include "dialogs/wizard_logic.h"
#include "pages/car_channel_logic.h"
#include "fuzz_world.h"
#include "link/receive.h"
#include "model/tables.h"
#include "model/tuning_receive.h"

using namespace fuzzing;

namespace {

struct Collect : devlink::FrameSink {
    void Deliver(devlink::Frame&& f) override { frames.push_back({next++, std::move(f)}); }
    std::vector<devlink::ReceivedFrame> frames;
    uint64_t next = 1;
};

// The wizard's window reduced to what its parser of the unit's configuration reaches: the car
// view it makes on the first routing frame. Everything else is drawing.
class WizardWindow : public dialogs::WizardView {
public:
    void SetSkin(uint32_t, uint32_t) override {}
    void Repaint() override {}
    void ShowButton(dialogs::WizButton, bool) override {}
    void EnableButton(dialogs::WizButton, bool) override {}
    void MoveButton(dialogs::WizButton, int, int) override {}
    void ShowBox(int, bool) override {}
    void MoveBox(int, int, int) override {}
    void ShowCheck(int, bool) override {}
    void MoveCheck(int, int, int) override {}
    void SetCheck(int, bool) override {}
    void ShowBar(bool) override {}
    void SetBar(double) override {}
    void StartTimer(uint32_t, uint32_t) override {}
    void StopTimer(uint32_t) override {}
    void OpenPopup(int, int, int, const std::vector<dialogs::MenuItemState>&) override {}
    pages::CarChannelLogic* CarView(int mode) override {
        if (!car) car = std::make_unique<pages::CarChannelLogic>(mode);
        return car.get();
    }
    void ShowCarView(bool) override {}
    void PostToParent(uint32_t, uintptr_t, intptr_t) override {}
    void PostToSelf(uint32_t, uintptr_t, intptr_t) override {}
    std::unique_ptr<pages::CarChannelLogic> car;
};

void CheckWizardRecord(const dialogs::WizardIoRecord& r) {
    Check(r.inputType == 0 || r.inputType == 1);
    // Inputs index the routing table (the frames built from them read it) or are not connected.
    for (int32_t i : r.highLevelInput) Check((i >= 0 && i < model::kRoutingIndexCount) || i == 1024);
    for (int32_t i : r.lowLevelInput) Check((i >= 0 && i < model::kRoutingIndexCount) || i == 1024);
    for (int32_t f : r.sourceFlags) Check(f >= 0 && f <= 255);  // a byte of the unit's, read as on or off
    Check(r.labelCount >= 0 && r.labelCount <= pages::kMaxCarLabels);
    for (int i = 0; i < r.labelCount; ++i) {
        const pages::CarChannelLabel& l = r.labelTable[i];
        Check(l.channel >= -1 && l.channel < model::kChannelCount);
    }
    for (const pages::WizardOutputEntry& e : r.outputTable) Check(e.channel >= -1 && e.channel < model::kChannelCount);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const bool keepChecksums = data[0] & 1;
    std::vector<uint8_t> bytes(data + 1, data + size);
    Collect cut;
    std::atomic<int> open{0};
    devlink::ParseReceived(bytes.data(), bytes.size(), open, cut);
    if (!keepChecksums)
        for (auto& f : cut.frames) devlink::SealFrame(f.bytes);

    World w;
    int source = -1, mode = -1;
    app::MainWindowParsers parsers;
    parsers.tuning = [&](const uint8_t* f, size_t n) { return model::ReceiveTuningFrame(w.model, f, n); };
    parsers.externalSources = [&](const uint8_t* f, size_t n) { return w.sources.OnDeviceReply(f, n); };
    parsers.outputLevels = [&](const uint8_t* f, size_t n) { return w.levels.ParseLevelResponse(f, n); };
    WizardWindow wizardWindow;
    dialogs::WizardLogic wizard(wizardWindow, true);
    wizard.Start();
    parsers.wizard = [&](const uint8_t* f, size_t n) { return wizard.ParseDeviceConfig(f, n); };
    parsers.dynamicEq = [&](const uint8_t* f, size_t n) { return w.dynamicEq.ConvertDeviceCurve(f, n); };
    parsers.preset = [&](const uint8_t* f, size_t n) {
        int preset = -1;
        const int taken = app::ParsePresetMessage(f, n, &preset);
        if (preset >= 0) {
            Check(preset < model::kPresetCount);
            w.model.SelectPreset(preset);
            w.levels.SelectPreset(preset, 0);
            w.dynamicEq.SetDeviceState(preset, 0);
        }
        return taken;
    };
    parsers.source = [&](const uint8_t* f, size_t n) { return app::ParseSourceMessage(f, n, &source); };
    parsers.workingMode = [&](const uint8_t* f, size_t n) { return app::ParseWorkingModeMessage(f, n, &mode); };

    const app::DispatchResult r =
        app::DispatchFrames(cut.frames, app::InDispatchOrder(parsers), nullptr, [](uint64_t) {});
    Check(r.taken <= cut.frames.size());
    Check(source >= -1 && source <= 4 && mode >= -1 && mode <= 1);
    // The unit's layout as the main window applies it after a read-back.
    if (const auto layout = wizard.TakeDeviceLayout()) w.model.ApplyDeviceConfiguration(*layout);
    CheckWizardRecord(wizard.GetIoRecord());
    if (r.taken == 0) Check(SameAs(w, StartSnapshot()));
    if (source >= 0) w.sources.SelectSource(source);
    else w.sources.ResetSwitches();
    CheckRanges(w);

    // The diagnostics dump, as the poll thread writes what its reply wait copied.
    static std::FILE* sink = std::fopen("/dev/null", "wb");
    for (const auto& f : cut.frames)
        if (f.bytes.size() > 4 && f.bytes[4] == 0xD7) {
            std::vector<uint8_t> reply(app::kDeviceStateDumpLength, 0);
            std::copy_n(f.bytes.begin(), std::min(f.bytes.size(), reply.size()), reply.begin());
            Check(app::WriteDeviceStateDump(reply.data(), reply.size(), sink));
        }
    return 0;
}
