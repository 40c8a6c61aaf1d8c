// The maintenance dialogs and the I/O wizard, not built yet: each is a hidden popup FrameWnd of its
// skin and place that takes the main window's and the poll thread's calls and ends its flow as the
// dialog does when the user confirms at once. The write-to-device dialog runs its real states.
#pragma once

#include <atomic>
#include <cstdint>

#include "link/ftdi.h"
#include "link/usb_link.h"
#include "pages/interim_sections.h"
#include "ui/frame_wnd.h"

namespace dialogs {

class InterimDialog : public ui::FrameWnd {
public:
    InterimDialog(HWND parent, int x, int y, UINT skin, UINT overlay);
    void Show();
    void Hide();

protected:
    void PostToParent(UINT message, WPARAM wParam, LPARAM lParam) const;
};

class WizardDlg : public InterimDialog {
public:
    WizardDlg(HWND parent, int x, int y, bool online);
    // Ends at once, not finished: 0x8011 (0, 0).
    void Start();
    void SetConnected(int connected) { connected_ = connected; }
    void SetSourceFlags(const uint32_t flags[5]) {}
    int ServeRequests(devlink::UsbLink& link) { return 0; }
    int ParseDeviceConfig(const uint8_t* frame, size_t length) { return 0; }

private:
    int connected_;
};

class EqDynamicDlg : public InterimDialog {
public:
    EqDynamicDlg(HWND parent, int x, int y);
    // Ends at once: 0x8030 (0, 0).
    void TurnOn();
    void TurnOff() {}
    void SendPendingChanges(const devlink::FrameSender& sender) {}
    void RequestFullSend() {}
    int ConvertDeviceCurve(const uint8_t* frame, size_t length) { return 0; }
    void SelectPreset(int preset) {}
    void ResetCurves() {}
    void SetChanged(int changed) { changed_ = changed; }
    int IsChanged() const { return changed_; }
    pages::BlockSection& Section() { return section_; }

private:
    int changed_ = 0;
    pages::BlockSection section_{4976, 9960};
};

class ScanPortDlg : public InterimDialog {
public:
    ScanPortDlg(HWND parent, int x, int y, const devlink::FtdiApiTable* ftdi);
    // Ends at once, cancelled: 0x8031 (0, 0).
    void StartScan();
    int ScanStep(devlink::UsbLink& link) { return 0; }
};

class SyncDspDlg : public InterimDialog {
public:
    SyncDspDlg(HWND parent, int x, int y);
    void Start() {}
    // Ends at once: 0x8035 (0, 0) after a success, (0, 1) after the last failure (quit).
    void ShowResult(int success);
};

// States: 0 idle or finished, 1 running (the poll thread may work), 2 write begun (0xA5 sent),
// 3 write or FINALIZE ended.
class UpdateDspDlg : public InterimDialog {
public:
    UpdateDspDlg(HWND parent, int x, int y);
    ~UpdateDspDlg() override;

    // a: FINALIZE; b: at once after a load; c: FINALIZE at once, then close. The run starts at once.
    void Start(int a, int b, int c);
    int GetState() const { return state_.load(); }
    // Poll thread: stores the state; 2 sends 0xA5, 3 sends 0xA6.
    void SetStateAndSend(devlink::UsbLink& link, int state);
    // Poll thread: 0xC9, the 0xCB reply within 120 s, then 0x803E (failed, result) to the dialog.
    void RunFinalize(devlink::UsbLink& link);

    // The outcome of the last run, for the main window when the dialog ends.
    bool Succeeded() const { return succeeded_; }
    uint32_t ResultWord() const { return result_; }

    void OnTimer(WPARAM timerId, LPARAM lParam) override;
    LRESULT OnAppMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    static constexpr UINT_PTR kTimer = 12500;
    static constexpr UINT kTimerMs = 50;
    static constexpr int kWriteTicks = 3000;  // 150 s
    static constexpr int kFinalizeTimeoutMs = 120000;

private:
    void ShowResult(bool success);

    std::atomic<int> state_{0};
    int a_ = 0, b_ = 0, c_ = 0;
    int ticks_ = 0;
    uint32_t result_ = 0;
    bool succeeded_ = false;
    bool running_ = false;
};

// Shown by the exit flow; its answer comes as 0x8037 (0, answer) to the main window.
class ExitDlg : public InterimDialog {
public:
    ExitDlg(HWND parent, int x, int y);
    void Show(int online) { InterimDialog::Show(); }
};

}  // namespace dialogs
