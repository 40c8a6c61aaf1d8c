#include "ui/win.h"

namespace ui {

HINSTANCE ModuleInstance() { return GetModuleHandleA(nullptr); }

HCURSOR SystemCursor(LPCSTR id) {
    // The system's cursors are shared: every load gives the same handle, yet under Wine each load
    // asks the server three times about the display. Start-up makes a few hundred windows that
    // each want one.
    static const HCURSOR arrow = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    static const HCURSOR hand = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND));
    if (id == reinterpret_cast<LPCSTR>(IDC_ARROW)) return arrow;
    if (id == reinterpret_cast<LPCSTR>(IDC_HAND)) return hand;
    return LoadCursorA(nullptr, id);
}

bool RegisterToolkitClass(const char* name, WNDPROC procedure) {
    // Registered by an earlier window of the same kind: looking it up costs nothing, where a
    // second registration is refused only after a trip to the server.
    WNDCLASSA existing{};
    if (GetClassInfoA(ModuleInstance(), name, &existing)) return true;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = procedure;
    wc.hInstance = ModuleInstance();
    wc.hCursor = SystemCursor(reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpszClassName = name;
    if (RegisterClassExA(&wc)) return true;
    return GetClassInfoA(ModuleInstance(), name, &existing) != FALSE;
}

}  // namespace ui
