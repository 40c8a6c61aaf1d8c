#include "app/system_dialogs.h"

#include "app/ask.h"
#include "ui/msg_box.h"

namespace app {
namespace {

// The entry point as a plain address, so that each caller turns it into its own function type.
void* Entry(const char* library, const char* name) {
    HMODULE module = GetModuleHandleA(library);
    if (!module) module = LoadLibraryA(library);
    return module ? reinterpret_cast<void*>(GetProcAddress(module, name)) : nullptr;
}

}  // namespace

BOOL ShowFileDialog(OPENFILENAMEA& ofn, bool save) {
    using Dialog = BOOL(WINAPI*)(LPOPENFILENAMEA);
    const auto dialog =
        reinterpret_cast<Dialog>(Entry("comdlg32.dll", save ? "GetSaveFileNameA" : "GetOpenFileNameA"));
    if (!dialog) {
        AskUser(ofn.hwndOwner, "The file dialog cannot be shown: comdlg32.dll could not be loaded.", ui::MbOk);
        return FALSE;
    }
    return dialog(&ofn);
}

void OpenWithShell(const char* address) {
    using Execute = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
    if (const auto execute = reinterpret_cast<Execute>(Entry("shell32.dll", "ShellExecuteA")))
        execute(nullptr, "open", address, nullptr, nullptr, SW_SHOW);
}

}  // namespace app
