// The program's entry: the registry key, the application object, the main window and its message
// loop.
#include <windows.h>

#include "app/darvix.h"
#include "os/settings.h"
#include "res/resource.h"
#include "ui/messages.h"

namespace {

HWND g_mainWindow = nullptr;

// The exit code of a program that could not make its main window (the others come from start-up,
// the poll thread and the scan flow).
constexpr int kExitNoMainWindow = 30;

// Says why there is no main window, in the system's box (the skinned one needs a window of ours),
// and gives the exit code: without a window no message could ever end the loop.
int NoMainWindow(app::Darvix* application, const char* what) {
    const DWORD error = GetLastError();
    char reason[256] = "";
    if (error == 0 || !FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                      reason, sizeof reason, nullptr))
        reason[0] = '\0';
    // The system's text ends with a full stop and a line break.
    size_t n = lstrlenA(reason);
    while (n > 0 && (reason[n - 1] == '\r' || reason[n - 1] == '\n' || reason[n - 1] == ' ' || reason[n - 1] == '.'))
        reason[--n] = '\0';
    char text[512];
    if (error == 0)
        wsprintfA(text, "'darvix' cannot start: %s failed. The program ends.", what);
    else
        wsprintfA(text, "'darvix' cannot start: %s failed (error %lu%s%s). The program ends.", what,
                  static_cast<unsigned long>(error), reason[0] ? ": " : "", reason);
    MessageBoxA(nullptr, text, "darvix", MB_OK | MB_ICONERROR);
    delete application;
    return kExitNoMainWindow;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        auto* app = static_cast<app::Darvix*>(create->lpCreateParams);
        // The rest of start-up, device probes included, runs here, before CreateWindowEx returns.
        app->HandleMessage(window, WM_CREATE, wParam, lParam);
        app->HandleMessage(window, ui::MsgCreate, wParam, lParam);
        return DefWindowProcA(window, message, wParam, lParam);
    }
    auto* app = reinterpret_cast<app::Darvix*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (app && app->HandleMessage(window, message, wParam, lParam)) return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    os::Settings& settings = os::ProgramSettings();
    os::EnsureRegistryKeys(settings);
    os::StorePathSetting(settings);

    auto* application = new app::Darvix(nullptr, nullptr);

    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_APP));
    wc.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(IDI_APP_SMALL));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "DIALOGUIMODULE";
    // Each step below says why it failed; nothing earlier may speak for it.
    SetLastError(0);
    if (!RegisterClassExA(&wc)) {
        WNDCLASSEXA existing{};
        existing.cbSize = sizeof existing;
        if (!GetClassInfoExA(instance, "DIALOGUIMODULE", &existing))
            return NoMainWindow(application, "registering the main window's class");
    }

    SetLastError(0);
    g_mainWindow = CreateWindowExA(0, "DIALOGUIMODULE", "darvix", 0, 0, 0, 400, 300, nullptr, nullptr, instance,
                                   application);
    if (!g_mainWindow) return NoMainWindow(application, "creating the main window");
    UpdateWindow(g_mainWindow);

    MSG msg{};
    int code = 0;
    for (;;) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            code = static_cast<int>(msg.wParam);
            break;
        }
        if (got == -1) break;
        // The hidden keys work whichever window inside the main window has the keyboard focus (a
        // page takes it when clicked); the main window's own keys reach its handler.
        if (msg.message == WM_KEYDOWN && msg.hwnd != g_mainWindow && IsChild(g_mainWindow, msg.hwnd))
            application->OnHotKey(msg.wParam);
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    delete application;
    return code;
}
