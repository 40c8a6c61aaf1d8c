// The pages of the main window whose panels are not built yet: each is a FrameWnd of its place and
// size that takes the main window's calls and keeps what the calls hand it (levels, mutes, source
// flags, the file section), so that files and flows pass through them unchanged.
#pragma once

#include <array>
#include <cstdint>

#include "link/frame.h"
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

}  // namespace pages
