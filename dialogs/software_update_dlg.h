// SoftwareUpdateDlg: the firmware update's dialog. A popup FrameWnd of the dialog skin, hidden
// until the main window starts an update; it animates its bar while the poll thread sends the
// image, shows the unit's result and answers OK with 0x8039 (0, 0) to the main window. Its window
// text is the result text it draws (it has no caption, so only tools see it).
#pragma once

#include <cstdint>
#include <vector>

#include "dialogs/software_update_logic.h"
#include "ui/btn_wnd.h"
#include "ui/frame_wnd.h"
#include "ui/progress_bar.h"

namespace devlink {
class UsbLink;
}

namespace dialogs {

class SoftwareUpdateDlg : public ui::FrameWnd {
public:
    static constexpr UINT_PTR kTimer = 12500;
    static constexpr UINT kTimerMs = 50;

    SoftwareUpdateDlg(HWND parent, int x, int y);
    ~SoftwareUpdateDlg() override;

    // Main window: the update begins (the argument is unused, as the caller has always passed 0).
    void Start(int unused);
    void Hide();
    // Poll thread.
    int GetPhase() const { return logic_.GetPhase(); }
    void RunFirmwareUpdate(devlink::UsbLink& link, const std::vector<uint8_t>& file);

    void Redraw(bool updateNow) override;
    void OnTimer(WPARAM timerId, LPARAM lParam) override;
    LRESULT OnAppMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnClose() override { return false; }  // only OK ends it

    const SoftwareUpdateLogic& Logic() const { return logic_; }
    HWND OkButton() const { return ok_.GetHwnd(); }
    HWND Bar() const { return bar_.GetHwnd(); }
    HWND SecondBar() const { return secondBar_.GetHwnd(); }

private:
    void RefreshView();

    SoftwareUpdateLogic logic_;
    ui::BtnWnd ok_;
    ui::ProgressBar bar_;
    ui::ProgressBar secondBar_;
    bool timerOn_ = false;
};

}  // namespace dialogs
