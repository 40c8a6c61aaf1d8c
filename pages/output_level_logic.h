// The output-level page without its windows: the levels of four presets by eight channels
// (level_records.h), the master and subwoofer faders, the Link and mute switches, the send flags
// the poll thread serves, the clip-indicator poll and the readouts. The device's level frames are
// in level_messages.*, the send cycle in level_send.cpp and the page's section of setup and preset
// files in level_section.*. The window (OutputLevel) maps its controls onto this and draws what it
// says.
//
// Threads: the user interface thread edits; the poll thread calls SendPendingLevels. Everything
// the two share is behind one lock, held only to read or write the values, never across a send.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "link/frame.h"
#include "link/notifier.h"
#include "link/pending_sender.h"
#include "link/reply_channel.h"
#include "model/file_section.h"
#include "pages/level_messages.h"
#include "pages/level_records.h"
#include "pages/level_section.h"
#include "ui/messages.h"

namespace pages {

// Clip poll: the page's timer and its period; the reply wait.
constexpr unsigned kClipTimerId = 123478;
constexpr unsigned kClipTimerMs = 500;
constexpr int kClipReplyWaitMs = 250;

// The readout of a fader: the value rounded down to the half dB, "%2.1f".
std::string LevelReadout(float dB);

// The row of the channel icon strip for a speaker (22: none).
int ChannelIconIndex(int position, int kind, int variant);
constexpr int kNoChannelIcon = 22;
constexpr int kChannelIconCount = 23;

class OutputLevelLogic : public devlink::WriteMember {
public:
    // notifier: where the poll thread posts the clip mask (the page's own window); replies: the
    // link the clip poll awaits its reply on. Either may be null (no clip poll runs without replies).
    explicit OutputLevelLogic(devlink::LinkNotifier* notifier = nullptr, devlink::ReplyChannel* replies = nullptr);
    OutputLevelLogic(const OutputLevelLogic&) = delete;
    OutputLevelLogic& operator=(const OutputLevelLogic&) = delete;

    void SetNotifier(devlink::LinkNotifier* notifier) { notifier_ = notifier; }
    // The link SendPending's clip poll uses; set before the poll thread sends.
    void SetReplyChannel(devlink::ReplyChannel* replies) { replies_.store(replies); }
    // Called on the user interface thread after a file section was applied (the window then
    // shows the new values).
    void SetLoadListener(std::function<void()> listener) { onLoaded_ = std::move(listener); }

    // --- the user's moves ---
    // Fader i now shows `value`, moved by `change`. Returns true when the master moved (the
    // window tells the main window). The values of every fader are then Fader(j).
    bool OnFaderMoved(int fader, float value, float change);
    // The mute switch c now shows `muted`; returns all eight mutes (1 = muted), which the main
    // window is told together.
    std::array<uint32_t, 8> SetMute(int channel, bool muted);
    void SetLink(bool on) { link_ = on; }
    bool Link() const { return link_; }

    // --- the application's calls ---
    void SelectPreset(int preset, int markChanged);
    void CopyPreset(int from, int to);
    void ResetLevels();
    void Reset();
    int GetLevels(float* out, int n) const;
    void SetMasterLevel(float dB);
    void SetMutes(const uint32_t mutes[8]);
    std::array<uint32_t, 8> Mutes() const { return mutes_; }
    void RequestFullSend();
    int IsChanged() const { return changed_; }
    void SetChanged(int changed) { changed_ = changed; }
    int CurrentPreset() const { return preset_; }

    // The device's frames: 0 when not a level report (shorter than 7 bytes or another command);
    // 1 when taken. *applied is set when a full report was applied (the window then redraws
    // and tells the main window the master).
    int ParseLevelResponse(const uint8_t* frame, size_t length, bool* applied = nullptr);

    // --- the send cycle (level_send.cpp) ---
    // Poll thread: sends what is pending; with nothing pending, the clip poll when one is due.
    // Returns 1 when it sent something. replies may be null (then no clip poll runs). The page is
    // on both the idle cycle's list and the full write's (MarkAllDirty, then SendPending).
    int SendPendingLevels(const devlink::FrameSender& sender, devlink::ReplyChannel* replies);
    // SendPendingLevels over the reply channel given at construction or by SetReplyChannel.
    int SendPending(const devlink::FrameSender& sender) override;
    // The full send: RequestFullSend.
    void MarkAllDirty() override;

    // --- the clip poll ---
    void OnShow(bool show);
    // The page's timer: requests a poll unless one is pending.
    void OnClipTimer();
    // The mask the poll thread posted: the indicators to light, or nothing while hidden.
    std::optional<uint8_t> ClipMaskToShow(uint8_t mask) const;
    int ClipCounter() const { return clipCounter_.load(); }
    bool ClipRequested() const { return clipRequest_.load() != 0; }

    // --- what the window draws ---
    float Fader(int i) const;
    float Level(int preset, int channel) const;
    bool SendFlag(int i) const;
    bool SendAllPending() const;

    OutputLevelSection& Section() { return section_; }

    static constexpr uint32_t kMsgClipMask = ui::MsgClipMask;

private:
    friend class OutputLevelSection;
    void SetFaderLocked(int i, float value);
    void PollClips(const devlink::FrameSender& sender, devlink::ReplyChannel& replies);
    void FadersFromPresetLocked();

    mutable std::mutex lock_;
    devlink::LinkNotifier* notifier_;
    std::atomic<devlink::ReplyChannel*> replies_;
    LevelTable levels_{};
    std::array<float, kLevelFaders> faders_{};
    std::array<uint32_t, kLevelFaders> sendFlags_{};
    uint32_t sendAll_ = 0;
    int preset_ = 0;
    int changed_ = 0;
    bool link_ = false;
    std::array<uint32_t, 8> mutes_{};
    std::atomic<int> clipEnabled_{0};
    std::atomic<int> clipRequest_{0};
    std::atomic<int> clipCounter_{0};  // polls since the page was shown, at most 2
    std::function<void()> onLoaded_;
    OutputLevelSection section_{*this};
};

}  // namespace pages
