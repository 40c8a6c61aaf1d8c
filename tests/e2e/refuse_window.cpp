// A hook for end-to-end cases: refuses the creation of the program's main window (class
// "DIALOGUIMODULE"), so that a case sees what the program does when its window cannot be made.
// The driver installs it for every thread of the desktop ("refuse-main-window"); Wine loads this
// DLL into the program to call it.
#include <windows.h>

extern "C" __declspec(dllexport) LRESULT CALLBACK RefuseMainWindow(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        const auto* create = reinterpret_cast<const CBT_CREATEWNDA*>(lParam);
        const char* cls = create && create->lpcs ? create->lpcs->lpszClass : nullptr;
        // A class atom is no name; only the named class is refused.
        if (cls && !IS_INTRESOURCE(cls) && lstrcmpiA(cls, "DIALOGUIMODULE") == 0) return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
