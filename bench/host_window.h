// The top-level window a Windows benchmark puts the windows it times in.
#pragma once

#include <windows.h>

namespace bench {

// Registers `className` with `proc` and makes a window of it at (0, 0).
inline HWND MakeHostWindow(const char* className, const char* title, WNDPROC proc, DWORD style, int width,
                           int height) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = className;
    RegisterClassA(&wc);
    return CreateWindowExA(0, className, title, style, 0, 0, width, height, nullptr, nullptr, wc.hInstance,
                           nullptr);
}

}  // namespace bench
