// The send cycle: every dirty message group of the tuning becomes one frame, built under the
// group's lock and written after the lock is released, so that the user interface never waits
// for the 70 ms of pacing a frame costs.
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <mutex>
#include <ostream>

#include "link/frame.h"
#include "model/tuning_messages.h"
#include "model/tuning_model.h"

namespace model {
namespace {

using devlink::Frame;

constexpr int64_t kMaxDelaySamples = 1056;

// The cycle sends for a channel that has a speaker kind and an output the device has.
bool SendsFor(const DspChannelRecord& r) {
    return r.kind != kUnassigned && r.output >= 0 && r.output < kChannelCount;
}

void Log(std::ostream* log, const char* line) {
    if (log) *log << line;
}

// The send flags each group lock guards.
struct GroupFlags {
    LockGroup lock;
    int first;
    int count;
};
constexpr GroupFlags kChannelGroups[] = {
    {kLockCrossover, kDirtyCrossover, 1}, {kLockDelay, kDirtyDelay, 1},
    {kLockEqGains, kDirtyBand0, kBandCount}, {kLockEqOff, kDirtyEqOff, 1},
    {kLockEqLink, kDirtyEqLink, 1},       {kLockBandMask, kDirtyBandMask, 1},
};

}  // namespace

int TuningModel::SendPendingChanges(const devlink::FrameSender& link, std::ostream* log) {
    int result = 0;

    // Every pass takes the flag under its group's lock, also for a channel without a speaker
    // (whose flags are only cleared): the user interface sets them under the same lock.
    for (int p = 0; p < kPresetCount; ++p) {
        // Crossover: a crossover without sections cannot be sent; say so in the send log.
        for (int ch = 0; ch < kChannelCount; ++ch) {
            bool taken = false;
            bool built = false;
            link.SendLocked(locks_[kLockCrossover], [&]() -> Frame {
                const bool dirty = TakeDirty(p, ch, kDirtyCrossover);
                const DspChannelRecord& r = presets_[p].channel[ch];
                if (!dirty || !SendsFor(r)) return {};
                taken = true;
                if (r.crossover.sectionCount <= 0) return {};
                Frame f = BuildCrossoverMessage(ch, p, r.crossover, sections_[p][ch]);
                built = !f.empty();
                return f;
            });
            if (!taken) continue;
            Log(log, built ? "ok \n" : "errore !!!!!!!! \n");
            result = 1;
        }

        // Delay: a delay and trim the device cannot hold are dropped with their flag.
        for (int ch = 0; ch < kChannelCount; ++ch) {
            bool sent = false;
            link.SendLocked(locks_[kLockDelay], [&]() -> Frame {
                const bool dirty = TakeDirty(p, ch, kDirtyDelay);
                const DspChannelRecord& r = presets_[p].channel[ch];
                if (!dirty || !SendsFor(r)) return {};
                const int64_t total = int64_t{r.crossover.delay} + r.crossover.delayTrim;
                if (total < 0 || total > kMaxDelaySamples) return {};
                sent = true;
                return BuildDelayMessage(ch, r.crossover, p);
            });
            if (sent) result = 1;
        }

        // Equaliser: one frame carries all 31 bands, however many of them changed, and the
        // channel's EQ off, EQ link and band switches, each copied under its own group's lock.
        for (int ch = 0; ch < kChannelCount; ++ch) {
            const DspChannelRecord& r = presets_[p].channel[ch];
            DspChannelRecord copy{};
            {
                std::lock_guard<std::mutex> guard(locks_[kLockEqGains]);
                bool dirty = false;
                for (int k = 0; k < kBandCount; ++k) dirty |= TakeDirty(p, ch, kDirtyBand0 + k);
                if (!dirty || !SendsFor(r)) continue;
                std::copy(std::begin(r.EQGain), std::end(r.EQGain), std::begin(copy.EQGain));
            }
            {
                std::lock_guard<std::mutex> guard(locks_[kLockEqOff]);
                copy.EQOff = r.EQOff;
            }
            {
                std::lock_guard<std::mutex> guard(locks_[kLockEqLink]);
                copy.EQLink = r.EQLink;
            }
            {
                std::lock_guard<std::mutex> guard(locks_[kLockBandMask]);
                std::copy(std::begin(r.btmskSel), std::end(r.btmskSel), std::begin(copy.btmskSel));
            }
            link.Send(BuildEqMessage(ch, copy, p));
            result = 1;
        }

        // The flag messages, each as its own group.
        auto flagPass = [&](LockGroup lock, int flag, auto build) {
            for (int ch = 0; ch < kChannelCount; ++ch) {
                bool taken = false;
                link.SendLocked(locks_[lock], [&]() -> Frame {
                    const bool dirty = TakeDirty(p, ch, flag);
                    const DspChannelRecord& r = presets_[p].channel[ch];
                    if (!dirty || !SendsFor(r)) return {};
                    taken = true;
                    return build(ch, r);
                });
                if (taken) result = 1;
            }
        };
        flagPass(kLockEqOff, kDirtyEqOff, [p](int ch, const DspChannelRecord& r) {
            return BuildEqOffMessage(ch, r.EQOff, p);
        });
        flagPass(kLockEqLink, kDirtyEqLink, [p](int ch, const DspChannelRecord& r) {
            return BuildEqLinkMessage(ch, r.EQLink, p);
        });
        flagPass(kLockBandMask, kDirtyBandMask, [p](int ch, const DspChannelRecord& r) {
            return BuildEqBandMaskMessage(ch, r.btmskSel, p);
        });
    }

    bool taken = false;
    link.SendLocked(locks_[kLockMute], [&]() -> Frame {
        if (!TakeMuteDirty()) return {};
        taken = true;
        return BuildMuteMaskMessage(mute_.data());
    });
    if (taken) result = 1;

    taken = false;
    link.SendLocked(locks_[kLockListening], [&]() -> Frame {
        if (!TakeListeningPointDirty()) return {};
        taken = true;
        return BuildListeningPointsMessage(PackListeningPoints(listeningPoint_.data()));
    });
    if (taken) result = 1;

    return result;
}

int TuningModel::SendRoutingMap(const devlink::FrameSender* link) {
    if (!link) return 0;
    const Frame frame = BuildRoutingMessage(presets_[0]);
    if (frame.empty()) return 0;
    link->Send(frame);
    return 1;
}

void TuningModel::MarkAllDirty() {
    // Straight to the flags: a full write sends everything, whatever the dirty tracking says.
    for (const GroupFlags& g : kChannelGroups) {
        std::lock_guard<std::mutex> guard(locks_[g.lock]);
        for (int p = 0; p < kPresetCount; ++p)
            for (int ch = 0; ch < kChannelCount; ++ch) {
                if (!IsAssigned(presets_[p].channel[ch])) continue;
                for (int f = g.first; f < g.first + g.count; ++f) dirty_[p][ch][f] = 1;
            }
    }
}

void TuningModel::ClearAllDirty() {
    for (const GroupFlags& g : kChannelGroups) {
        std::lock_guard<std::mutex> guard(locks_[g.lock]);
        for (int p = 0; p < kPresetCount; ++p)
            for (int ch = 0; ch < kChannelCount; ++ch) {
                if (!IsAssigned(presets_[p].channel[ch])) continue;
                for (int f = g.first; f < g.first + g.count; ++f) dirty_[p][ch][f] = 0;
            }
    }
}

}  // namespace model
