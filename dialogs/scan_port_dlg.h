// ScanPortDlg: the device scan's dialog. A popup FrameWnd of the dialog skin, hidden until the main
// window starts a scan; the poll thread probes one device number a cycle through ScanStep and
// reports here, the user stops at a found unit with OK, goes on with Next, starts over with Retry
// or gives up with Cancel, and the outcome goes to the main window as 0x8031 (0, outcome). Its
// window text is the text it draws last (it has no caption, so only tools see it).
#pragma once

#include <array>
#include <memory>

#include "dialogs/scan_port_logic.h"
#include "link/ftdi.h"
#include "ui/btn_wnd.h"
#include "ui/frame_wnd.h"
#include "ui/progress_bar.h"

namespace devlink {
class UsbLink;
}
namespace os {
class Sleeper;
}

namespace dialogs {

class ScanPortDlg : public ui::FrameWnd, private ScanReport {
public:
    // How long the poll thread waits for the dialog to take a find before it goes on (the find
    // has paused the scan already; the wait only keeps the dialog's face in step).
    static constexpr UINT kFoundDeliveryMs = 5000;

    ScanPortDlg(HWND parent, int x, int y, const devlink::FtdiApiTable* ftdi);
    ~ScanPortDlg() override;

    // Main window.
    void StartScan();
    // Poll thread: one step of the scan.
    int ScanStep(devlink::UsbLink& link, ComSetting& com, os::Sleeper& sleeper);

    void Redraw(bool updateNow) override;
    void OnLButtonDown(int x, int y, WPARAM keys) override;
    LRESULT OnAppMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnClose() override { return false; }  // the dialog outlives every scan

    const ScanPortLogic& Logic() const { return logic_; }
    HWND ButtonWindow(ScanButton button) const;
    HWND Bar() const { return bar_.GetHwnd(); }
    double BarPosition() const { return bar_.GetPos(); }

private:
    void Apply();
    void PostSelf(WPARAM wParam, LPARAM lParam);
    // ScanReport, from the poll thread.
    void Progress(int number) override;
    void Found(int number) override;
    void EndOfNumbers() override;
    void Outcome(int outcome) override;

    ScanPortLogic logic_;
    std::array<std::unique_ptr<ui::BtnWnd>, kScanButtonCount> buttons_;
    ui::ProgressBar bar_;
};

}  // namespace dialogs
