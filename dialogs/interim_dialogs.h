// The maintenance dialogs and the I/O wizard, not built yet: each is a hidden popup FrameWnd of its
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

};

}  // namespace dialogs
