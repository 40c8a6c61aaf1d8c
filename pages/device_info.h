// DeviceInfo: the tuning page's panel of five device status lines in an LCD-style face.
#pragma once

#include <windows.h>

#include "pages/device_info_logic.h"
#include "ui/frame_wnd.h"

namespace pages {

class DeviceInfo : public ui::FrameWnd {
public:
    DeviceInfo(HWND parent, int x, int y);

    // Lines 0..4; others are ignored. Nothing is drawn until RefreshText.
    void SetLine(int line, const char* text) { lines_.SetLine(line, text); }
    const char* Line(int line) const { return lines_.Line(line); }
    const DeviceInfoLines& Lines() const { return lines_; }
    void RefreshText(bool updateNow);

private:
    DeviceInfoLines lines_;
};

}  // namespace pages
