#include "ui/win.h"

namespace ui {

HINSTANCE ModuleInstance() { return GetModuleHandleA(nullptr); }

bool RegisterToolkitClass(const char* name, WNDPROC procedure) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = procedure;
    wc.hInstance = ModuleInstance();
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpszClassName = name;
    if (RegisterClassExA(&wc)) return true;
    // Registered by an earlier window of the same kind.
    WNDCLASSA existing{};
    return GetClassInfoA(ModuleInstance(), name, &existing) != FALSE;
}

}  // namespace ui
