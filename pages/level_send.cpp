// The output levels' send cycle, run by the poll thread: after a full-send request every preset's
// levels; otherwise each fader whose flag is set; with nothing to send, the clip poll when one is
// due. Each frame is built under the page's lock with its flag taken there, and written after the
// lock is released.
#include <algorithm>

#include "link/bytes.h"
#include "pages/output_level_logic.h"

namespace pages {

void OutputLevelLogic::MarkAllDirty() { RequestFullSend(); }

int OutputLevelLogic::SendPending(const devlink::FrameSender& sender) {
    return SendPendingLevels(sender, replies_.load());
}

int OutputLevelLogic::SendPendingLevels(const devlink::FrameSender& sender, devlink::ReplyChannel* replies) {
    bool all = false;
    {
        std::lock_guard<std::mutex> g(lock_);
        all = sendAll_ != 0;
        sendAll_ = 0;
    }
    if (all) {
        // Every preset's channels; the master and subwoofer level go with each preset.
        for (int p = 0; p < kLevelPresets; ++p)
            for (int i = 0; i < kLevelFaders; ++i)
                sender.SendLocked(lock_, [&] {
                    sendFlags_[i] = 0;
                    return BuildLevelMessage(i, p, i < kLevelChannels ? -levels_[p][i] : -faders_[i]);
                });
        return 1;
    }

    bool sent = false;
    for (int i = 0; i < kLevelFaders; ++i)
        sender.SendLocked(lock_, [&] {
            if (!sendFlags_[i]) return devlink::Frame{};
            sendFlags_[i] = 0;
            sent = true;
            return BuildLevelMessage(i, preset_, -faders_[i]);
        });
    if (sent) return 1;

    if (!replies || !clipEnabled_.load() || !clipRequest_.load()) return 0;
    PollClips(sender, *replies);
    return 1;
}

void OutputLevelLogic::PollClips(const devlink::FrameSender& sender, devlink::ReplyChannel& replies) {
    replies.SetReceiveGate(0);
    // The first poll after the page is shown counts but is not shown: the device's first answer
    // may still hold clips from before.
    const int counter = std::min(clipCounter_.load() + 1, 2);
    clipCounter_.store(counter);
    sender.Send(BuildLevelsRequest());
    uint8_t reply[16] = {};
    const int got = replies.WaitResponse(static_cast<uint8_t>(devlink::DeviceCommand::LevelsRequest), reply,
                                         sizeof reply, kClipReplyWaitMs, true, nullptr);
    // A reply without a mask byte before its checksum counts as none.
    const std::optional<uint8_t> mask = got ? ClipReplyMask(reply) : std::nullopt;
    if (mask && counter == 2 && notifier_) notifier_->Post(kMsgClipMask, *mask, 0);
    clipRequest_.store(0);
    replies.SetReceiveGate(1);
    replies.ClearReceived();
}

}  // namespace pages
