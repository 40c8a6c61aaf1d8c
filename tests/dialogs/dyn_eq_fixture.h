// The dynamic-equalisation dialog's logic as the tests drive it: a stand-in window, a recording
// link and a sleeper that returns at once; and the device's curve and mode replies.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "dialogs/eq_dynamic_logic.h"
#include "dyn_eq_view.h"
#include "frame_helpers.h"
#include "link/bytes.h"
#include "os/time.h"

namespace dyneqtest {

using devlink::Frame;
using msgtest::ToHex;

// The dialog after Reset Settings with its stand-in window, a recording link and a sleeper that
// returns at once.
struct Dialog {
    FakeView view;
    os::FakeSleeper sleeper;
    dialogs::EqDynamicLogic logic{&view, &sleeper};
    msgtest::RecordingLink link;

    Dialog() { logic.Reset(); }
    // What one poll cycle sends, as hex frames.
    std::vector<std::string> Serve() {
        link.frames.clear();
        logic.SendPendingChanges(&link.sender);
        std::vector<std::string> out;
        for (const Frame& f : link.frames) out.push_back(ToHex(f));
        return out;
    }
    // Only the command bytes of one cycle.
    std::vector<int> ServeCommands() {
        link.frames.clear();
        logic.SendPendingChanges(&link.sender);
        std::vector<int> out;
        for (const Frame& f : link.frames) out.push_back(f.size() > 4 ? f[4] : -1);
        return out;
    }
    void Calibrate(float volume, float eqLevel) {
        logic.OnTimer(dialogs::kDynEqReadyTimer);
        logic.OnVolumeMoved(volume);
        logic.OnStart();
        logic.OnEqSliderMoved(eqLevel);
        logic.OnTimer(dialogs::kDynEqSaveTimer);
        logic.OnSave();
    }
};

inline Frame CurveReply(int curveByte, const float linear[31], uint8_t level, size_t length = 132) {
    Frame f = devlink::NewFrame(devlink::kNodePc, devlink::DeviceCommand::DynEqCurve, length);
    f[0] = devlink::kNodePc;
    f[1] = devlink::kNodeDsp;
    f[5] = static_cast<uint8_t>(curveByte);
    for (size_t i = 0; i < 31 && 6 + 4 * i + 4 <= length; ++i) devlink::PutF32LE(&f[6 + 4 * i], linear[i]);
    if (length > 130) f[130] = level;
    devlink::SealFrame(f);
    return f;
}

inline Frame ModeReply(int mode, std::array<uint8_t, 4> switches, size_t length = 11) {
    Frame f = devlink::NewFrame(devlink::kNodePc, devlink::DeviceCommand::DynEqMode, length);
    f[5] = static_cast<uint8_t>(mode);
    for (size_t p = 0; p < 4 && 6 + p < length - 1; ++p) f[6 + p] = switches[p];
    devlink::SealFrame(f);
    return f;
}

}  // namespace dyneqtest
