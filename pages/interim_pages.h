// The pages of the main window whose panels are not built yet: each is a FrameWnd of its place and
// size that takes the main window's calls and keeps what the calls hand it (levels, mutes, source
// flags, the file section), so that files and flows pass through them unchanged.
#pragma once

#include <array>
#include <cstdint>

#include "link/frame.h"
#include "link/ftdi.h"
#include "pages/interim_sections.h"
#include "ui/frame_wnd.h"

namespace pages {

// A page that draws its name and a note on its skin.
class InterimPage : public ui::FrameWnd {
public:
    InterimPage(HWND parent, ui::WndRect rect, UINT skin, COLORREF background, bool centre,
                const char* name);
    ~InterimPage() override;
    void Redraw(bool updateNow) override;

protected:
    const char* name_;
    HFONT font_ = nullptr;
};

class OutputLevel : public InterimPage {
public:
    OutputLevel(HWND parent, int x, int y);

    void SetMasterLevel(float dB) { master_ = dB; }
    float MasterLevel() const { return master_; }
    void SetMutes(const uint32_t mutes[8]);
    void SetChannelIcon(int channel, int position, int kind, int variant) {}
    // The ten level values: eight channel levels, the master, the subwoofer. Returns 10.
    int GetLevels(float out[10]) const;
    void ResetLevels() {}
    void Reset() { master_ = 0.0f; }
    void SelectPreset(int preset) {}
    void CopyPreset(int from, int to) {}
    int ParseLevelResponse(const uint8_t* frame, size_t length) { return 0; }
    void SendPendingLevels(const devlink::FrameSender& sender) {}
    void RequestFullSend() {}
    void SetChanged(int changed) { changed_ = changed; }
    int IsChanged() const { return changed_; }
    LevelsSection& Section() { return section_; }

private:
    float master_ = 0.0f;
    std::array<uint32_t, 8> mutes_{};
    int changed_ = 0;
    LevelsSection section_;
};

class ExtSourceEq : public InterimPage {
public:
    ExtSourceEq(HWND parent, int x, int y, bool online);

    void SetOutputLevelWindow(HWND window) { levels_ = window; }
    void SetLevelAll(float dB) {}
    // Five source flags, 1 = enabled.
    void GetSourceFlags(uint32_t out[5]) const;
    void ApplyToControls(const uint32_t* flags, int count, int inputType, int source);
    void DrawSignalMeter(int lowLevel, const int32_t* codes, int on) {}
    void SetConnected(int connected) { connected_ = connected; }
    int OnDeviceReply(const uint8_t* frame, size_t length) { return 0; }
    void ResetSwitches() {}
    void SelectSource(int source) {}
    void SelectPreset(int preset, int fromUser) {}
    void SendPendingChanges(const devlink::FrameSender& sender) {}
    void MarkAllDirty() {}
    void SendAll(const devlink::FrameSender& sender) {}
    void RequestSendAll() {}
    void SetChanged(int changed) { changed_ = changed; }
    int IsChanged() const { return changed_; }
    void ResetRecords() { flags_.fill(0); }
    BlockSection& Section() { return section_; }

private:
    HWND levels_ = nullptr;
    std::array<uint32_t, 5> flags_{};
    int connected_ = 0;
    int changed_ = 0;
    BlockSection section_{4992, 24968};
};

class TabBarCtrl : public ui::FrameWnd {
public:
    TabBarCtrl(HWND parent, int x, int y, bool online, const devlink::FtdiApiTable* ftdi, bool rescue);
    void SetConnected(int connected) { connected_ = connected; }
    void SetPage(int page) { page_ = page; }
    void SetPreset(int preset) { preset_ = preset; }
    void SetWorkingMode(int mode) { mode_ = mode; }
    int Page() const { return page_; }
    int Preset() const { return preset_; }

private:
    int connected_;
    int page_ = 0;
    int preset_ = 0;
    int mode_ = 1;
};

}  // namespace pages
