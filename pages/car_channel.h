// CarChannel: the tuning page's car view, a child window over its logic (view mode). It draws
// the logic's layout from its skin and icon bitmaps, hands clicks to the logic and sends its
// notifications to the page, and keeps the four listening-point seats.
#pragma once

#include <windows.h>

#include <map>
#include <memory>

#include "pages/car_channel_logic.h"
#include "ui/btn_wnd.h"
#include "ui/frame_wnd.h"

namespace pages {

class CarChannel : public ui::FrameWnd {
public:
    static constexpr int kLeft = 2, kTop = 297;

    CarChannel(HWND parent, int x = kLeft, int y = kTop, int mode = kViewMode);
    ~CarChannel() override;

    // What the page's logic drives (its CarView).
    CarChannelLogic& Logic() { return logic_; }
    ui::ChkWnd* Seat(int i) { return i >= 0 && i < kSeatCount ? seats_[i].get() : nullptr; }

    void Redraw(bool updateNow) override;
    void OnLButtonDown(int x, int y, WPARAM keys) override;
    LRESULT OnAppMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    // Enabling changes nothing by itself: the next layout shows or hides the speakers.
    void OnEnable(bool) override {}

    // Wizard mode's controls (null where there is none).
    ui::ChkWnd* Toggle(int t) { return t >= 0 && t < kPassiveToggles ? toggles_[t].get() : nullptr; }
    ui::BtnWnd* UpButton(int label) { return Slot(label) ? labelControls_[label].up.get() : nullptr; }
    ui::BtnWnd* DownButton(int label) {
        return Slot(label) ? labelControls_[label].down.get() : nullptr;
    }
    ui::ChkWnd* AmplifierBox(int label) {
        return Slot(label) ? labelControls_[label].amplifier.get() : nullptr;
    }

private:
    void LoadIcon(int id);
    void ShowSeats();
    // Wizard mode: the toggles and the labels' controls follow the logic.
    struct LabelControls {
        std::unique_ptr<ui::BtnWnd> up, down;
        std::unique_ptr<ui::ChkWnd> amplifier;
        int rightSide = -1;
    };
    static bool Slot(int label) { return label >= 0 && label < kMaxCarLabels; }
    void SyncWizardControls();
    bool OnWizardButton(HWND from);

    CarChannelLogic logic_;
    std::map<int, std::unique_ptr<ui::gdi::MemoryDC>> icons_;
    std::unique_ptr<ui::ChkWnd> seats_[kSeatCount];
    std::unique_ptr<ui::ChkWnd> toggles_[kPassiveToggles];
    LabelControls labelControls_[kMaxCarLabels];
    HFONT font_ = nullptr;
    bool built_ = false;
};

}  // namespace pages
