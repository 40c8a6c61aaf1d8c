// The dynamic-equalisation send cycle: every raised message flag becomes one frame, the flag
// tested and cleared and the frame built under the dialog's lock, the frame written after the lock
// is released, so that the user interface never waits for a frame's pacing.
#include <mutex>

#include "dialogs/dyn_eq_messages.h"
#include "dialogs/eq_dynamic_logic.h"

namespace dialogs {
namespace {

using devlink::Frame;

// Tests and clears a flag; the caller holds the lock.
bool Take(int& flag) {
    const bool raised = flag != 0;
    flag = 0;
    return raised;
}

}  // namespace

void EqDynamicLogic::MarkAllDirty() {
    std::lock_guard<std::mutex> guard(lock_);
    fullFlag_ = 1;
}

int EqDynamicLogic::SendPending(const devlink::FrameSender& sender) {
    int sent = 0;
    // Builds one frame under the lock (no frame: nothing to send) and sends it after.
    auto send = [&](auto&& build) {
        sender.SendLocked(lock_, [&]() -> Frame {
            Frame f = build();
            if (!f.empty()) ++sent;
            return f;
        });
    };
    auto mode = [&] { return BuildDynEqModeMessage(mode_, switches_[preset_] == 0 ? 1 : 0); };
    auto level = [&](int c, int flag) { return BuildDynEqLevelMessage(c, -records_[c].reference, flag); };

    // The full send goes alone: the mode, then each curve's gains and reference level.
    bool full;
    {
        std::lock_guard<std::mutex> guard(lock_);
        full = Take(fullFlag_);
    }
    if (full) {
        send(mode);
        for (int c = 0; c < kDynEqCurves; ++c) {
            send([&] { return BuildDynEqCurveMessage(c, records_[c].gains); });
            send([&] { return level(c, 0); });
        }
        return sent;
    }

    send([&] { return Take(startFlag_) ? BuildDynEqStartMessage(curve_) : Frame{}; });
    send([&] { return Take(stopFlag_) ? BuildDynEqStopMessage(stopCurve_) : Frame{}; });
    // The selected curve first, then one left pending by a change of curve.
    const int first = Curve();
    for (int c : {first, 1 - first})
        send([&] { return Take(curveFlags_[c]) ? BuildDynEqCurveMessage(c, records_[c].gains) : Frame{}; });
    // A mode is followed by the selected curve's level unless dynamic equalisation went off.
    bool modeSent = false;
    send([&] {
        modeSent = Take(modeFlag_);
        return modeSent ? mode() : Frame{};
    });
    if (modeSent) send([&] { return mode_ == kDynEqOff ? Frame{} : level(curve_, 1); });
    send([&] { return Take(levelFlag_) ? level(curve_, 1) : Frame{}; });
    send([&] { return Take(openFlag_) ? BuildDynEqStartMessage(-1) : Frame{}; });
    send([&] { return Take(closeFlag_) ? BuildDynEqStopMessage(-1) : Frame{}; });
    return sent;
}

int EqDynamicLogic::SendPendingChanges(const devlink::FrameSender* sender) {
    if (sender) return SendPending(*sender) > 0 ? 1 : 0;
    // Without a link nothing goes out: a full send is dropped, every other message waits.
    std::lock_guard<std::mutex> guard(lock_);
    return Take(fullFlag_) ? 1 : 0;
}

}  // namespace dialogs
