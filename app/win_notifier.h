// The link's and the poll thread's way to the user interface in the program: posts to the main
// window, and the system message box for the firmware-version check.
#pragma once

#include <windows.h>

#include <atomic>

#include "link/notifier.h"

namespace app {

class WindowNotifier : public devlink::LinkNotifier {
public:
    void SetWindow(HWND window) { window_.store(window); }
    void Post(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        if (HWND w = window_.load()) PostMessageA(w, message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam));
    }
    void ShowMessageBox(const std::string& title, const std::string& text) override {
        MessageBoxA(window_.load(), text.c_str(), title.c_str(), MB_OK | MB_ICONWARNING);
    }

private:
    std::atomic<HWND> window_{nullptr};
};

}  // namespace app
