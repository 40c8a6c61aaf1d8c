// The program's entry: the registry key, the application object, the main window and its message
// loop.
#include <windows.h>

#include "app/darvix.h"
#include "os/settings.h"
#include "res/resource.h"
#include "ui/messages.h"

namespace {

HWND g_mainWindow = nullptr;

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
    if (!RegisterClassExA(&wc)) {
        WNDCLASSEXA existing{};
        existing.cbSize = sizeof existing;
        GetClassInfoExA(instance, "DIALOGUIMODULE", &existing);
    }

    g_mainWindow = CreateWindowExA(0, "DIALOGUIMODULE", "darvix", 0, 0, 0, 400, 300, nullptr, nullptr, instance,
                                   application);
    if (g_mainWindow) UpdateWindow(g_mainWindow);

    MSG msg{};
    int code = 0;
    for (;;) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            code = static_cast<int>(msg.wParam);
            break;
        }
        if (got == -1) break;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    delete application;
    return code;
}
