// The start-up dialog: the splash picture with the choice of connection mode, confirmed with Enter
// or a double click; the same dialog without the choice is the "Credits" box.
#pragma once

#include <windows.h>

#include "app/decisions.h"

namespace app {

class SplashDialog {
public:
    SplashDialog() = default;
    ~SplashDialog() { ReleaseDc(); }
    SplashDialog(const SplashDialog&) = delete;
    SplashDialog& operator=(const SplashDialog&) = delete;

    // Runs the modal dialog; with the FTDI load result 0 or -1 "Offline" is forced with a warning.
    void Run(HWND parent, UINT templateId, bool showModeSelector, UINT bitmapId, int ftdiResult);
    ConnectionMode Mode() const { return mode_; }
    void ReleaseDc();

    static constexpr int kComboId = 1001;
    static constexpr int kFocusButtonId = 1002;

    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

private:
    INT_PTR OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    void OnInitDialog(HWND dialog);

    HWND parent_ = nullptr;
    HWND dialog_ = nullptr;
    bool showModeSelector_ = true;
    UINT bitmapId_ = 0;
    HDC memory_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ original_ = nullptr;
    ConnectionMode mode_ = ConnectionMode::Target;
    int ftdiResult_ = 1;
};

}  // namespace app
