// The maintenance dialogs not built yet: each is a hidden popup FrameWnd of its
// skin and place that takes the main window's and the poll thread's calls and ends its flow as the
// dialog does when the user confirms at once.
#pragma once

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

}  // namespace dialogs
