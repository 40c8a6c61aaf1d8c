// The external sources' send cycle, run by the poll thread: the selection (then the pause the
// device needs to change its input), the lit source's equaliser, its sensitivity with the master
// level, or, after MarkAllDirty, every enabled source's equaliser and sensitivity. Each frame is
// built under its group's lock with the flag taken there, and written after the lock is released.
#include "pages/ext_source_logic.h"
#include "pages/output_level_logic.h"

namespace pages {

namespace {
bool IsSource(int s) { return s >= 0 && s < kSourceCount; }
}  // namespace

int ExtSourceLogic::SendPending(const devlink::FrameSender& sender) { return SendPendingChanges(sender); }

int ExtSourceLogic::SendPendingChanges(const devlink::FrameSender& sender) {
    int sent = 0;
    bool selected = false;
    sender.SendLocked(selectLock_, [&] {
        if (!selectDirty_) return devlink::Frame{};
        selectDirty_ = 0;
        selected = true;
        const int s = GetSelectedSource();
        return BuildSourceSelectMessage(s >= 0 ? static_cast<uint8_t>(s) : 0xFF);
    });
    if (selected) {
        sender.sleeper().SleepMs(kSourceSwitchMs);
        sent = 1;
    }

    if (allDirty_.exchange(0)) {
        for (int s = 0; s < kSourceCount; ++s) {
            bool enabled = false;
            sender.SendLocked(eqLock_, [&] {
                enabled = records_[s].enabled != 0;
                if (!enabled) return devlink::Frame{};
                eqDirty_ = 0;
                return BuildSourceEqMessage(static_cast<uint8_t>(s), records_[s]);
            });
            if (!enabled) continue;
            sender.SendLocked(levelLock_, [&] {
                levelDirty_ = 0;
                return BuildSourceSensitivityMessage(static_cast<uint8_t>(s), records_[s]);
            });
            sent = 1;
        }
        return sent;
    }

    // The lit source's equaliser; in Master mode the request is dropped.
    sender.SendLocked(eqLock_, [&] {
        if (!eqDirty_) return devlink::Frame{};
        eqDirty_ = 0;
        const int s = GetSelectedSource();
        if (!IsSource(s)) return devlink::Frame{};
        sent = 1;
        return BuildSourceEqMessage(static_cast<uint8_t>(s), records_[s]);
    });

    // The lit source's sensitivity, then the master level; in Master mode the master level alone.
    bool levelTaken = false;
    int levelSource = kMasterMode;
    sender.SendLocked(levelLock_, [&] {
        if (!levelDirty_) return devlink::Frame{};
        levelDirty_ = 0;
        levelTaken = true;
        const int s = GetSelectedSource();
        if (!IsSource(s)) return BuildMasterLevelMessage(-records_[0].master);
        levelSource = s;
        return BuildSourceSensitivityMessage(static_cast<uint8_t>(s), records_[s]);
    });
    if (IsSource(levelSource))
        sender.SendLocked(levelLock_, [&] { return BuildMasterLevelMessage(-records_[levelSource].master); });
    if (levelTaken) sent = 1;
    return sent;
}

void ExtSourceLogic::SendAll(const devlink::FrameSender& sender) {
    sender.SendLocked(eqLock_, [&] { return BuildSourceLevelsMessage(records_); });
    // Taken by exchange: a source named while these frames go out waits for the next resend.
    const int p = pending_.exchange(kNoPendingSource);
    if (!IsSource(p)) return;
    sender.SendLocked(eqLock_, [&] { return BuildSourceEqMessage(static_cast<uint8_t>(p), records_[p]); });
    if (p == kAux1 || p == kAux2 || p == kPhone)
        sender.SendLocked(levelLock_,
                          [&] { return BuildSourceSensitivityMessage(static_cast<uint8_t>(p), records_[p]); });
}

int ExtSourceLogic::RequestSendAll(const devlink::FrameSender& sender) {
    changed_ = 1;
    SendAll(sender);
    return 1;
}

void ExtSourceLogic::MarkAllDirty() {
    {
        std::lock_guard<std::mutex> g(selectLock_);
        selectDirty_ = 1;
    }
    {
        std::lock_guard<std::mutex> g(eqLock_);
        eqDirty_ = 1;
    }
    {
        std::lock_guard<std::mutex> g(levelLock_);
        levelDirty_ = 1;
    }
    allDirty_ = 1;
}

}  // namespace pages
