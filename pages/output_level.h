// OutputLevel: the output-level page (eight channel faders, master and subwoofer faders, clip
// indicators, mutes, Link, channel icons). A thin window over OutputLevelLogic: it makes the
// controls at their places, hands every notification to the logic and draws what it says.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>

#include "link/notifier.h"
#include "link/usb_link.h"
#include "pages/output_level_logic.h"
#include "ui/btn_wnd.h"
#include "ui/frame_wnd.h"
#include "ui/gdi.h"
#include "ui/slider.h"

namespace pages {

class OutputLevel : public ui::FrameWnd {
public:
    OutputLevel(HWND parent, int x, int y);
    ~OutputLevel() override;

    void Redraw(bool updateNow) override;
    void OnTimer(WPARAM timerId, LPARAM lParam) override;
    LRESULT OnAppMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnShowWindow(bool show) override;

    // The fader's value in dB (unrounded); redraws its readout.
    float DrawLevelValue(int fader);
    void SetChannelIcon(int channel, int position, int kind, int variant);
    int GetLevels(float* out, int n) const { return logic_.GetLevels(out, n); }
    void SetMasterLevel(float dB);
    void SetMutes(const uint32_t mutes[8]);
    void SelectPreset(int preset, int markChanged);
    void CopyPreset(int from, int to);
    void ResetLevels();
    void Reset();
    void RequestFullSend() { logic_.RequestFullSend(); }
    // The send cycle, a member of both the idle cycle's list and the full write's; its clip poll
    // awaits the reply on the link SetReplyChannel names.
    devlink::WriteMember& SendCycle() { return logic_; }
    void SetReplyChannel(devlink::ReplyChannel* replies) { logic_.SetReplyChannel(replies); }
    int SendPendingLevels(devlink::UsbLink& link) {
        logic_.SetReplyChannel(&link);
        return logic_.SendPending(link.Sender());
    }
    int ParseLevelResponse(const uint8_t* frame, size_t length);
    void SetChanged(int changed) { logic_.SetChanged(changed); }
    int IsChanged() const { return logic_.IsChanged(); }
    model::FileSection& Section() { return logic_.Section(); }

    OutputLevelLogic& Logic() { return logic_; }
    // For tests: the controls.
    ui::Slider& Fader(int i) { return faders_[i]; }
    ui::ChkWnd* ClipIndicator(int c) { return clip_[c].get(); }
    ui::ChkWnd* MuteSwitch(int c) { return mute_[c].get(); }
    ui::ChkWnd* LinkSwitch() { return link_.get(); }
    // The readout rectangle of a fader and the icon place of a channel, in page coordinates.
    RECT ReadoutRect(int fader) const;
    RECT IconRect(int channel) const;

private:
    // Posts the poll thread's clip masks to this window.
    class ClipNotifier : public devlink::LinkNotifier {
    public:
        explicit ClipNotifier(HWND window) : window_(window) {}
        void Post(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
            if (window_) PostMessageA(window_, message, wParam, lParam);
        }
        void ShowMessageBox(const std::string&, const std::string&) override {}

    private:
        HWND window_;
    };

    POINT SkinOrigin() const;
    void SyncControls();
    void DrawReadout(int fader);
    void DrawIcon(int channel);
    void TellMaster();

    OutputLevelLogic logic_;
    std::unique_ptr<ClipNotifier> notifier_;
    ui::gdi::MemoryDC thumb_;
    ui::gdi::MemoryDC faderBackground_;
    ui::gdi::MemoryDC readoutStrip_;
    ui::gdi::MemoryDC icons_;
    int readoutStripTop_ = 0;  // page y of the strip's first row
    std::array<ui::Slider, kLevelFaders> faders_;
    std::array<std::unique_ptr<ui::ChkWnd>, 8> clip_;
    std::array<std::unique_ptr<ui::ChkWnd>, 8> mute_;
    std::unique_ptr<ui::ChkWnd> link_;
    std::array<int, 8> iconIndex_{};
    UINT_PTR timer_ = 0;
    bool built_ = false;
};

}  // namespace pages
