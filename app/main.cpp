// The program's entry: the registry key, the application object, the main window and its message
// loop.
#include <windows.h>

#include <string>

#include "app/darvix.h"
#include "os/phases.h"
#include "os/settings.h"
#include "pages/display_chart.h"
#include "res/resource.h"
#include "ui/btn_wnd.h"
#include "ui/frame_wnd.h"
#include "ui/gdi.h"
#include "ui/messages.h"
#include "ui/win.h"

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

// The start-up record's account of the buffers every frame window holds (its back buffer and its
// skin), over every frame of this thread, child or pop-up.
struct FrameBuffers {
    size_t frames = 0, back = 0, skin = 0, buttons = 0, buttonBytes = 0;
    // The response charts: their curves' points, their engines' arrays, their paint plans.
    size_t charts = 0, chartsWithCurves = 0, curves = 0, curvePoints = 0, engineWork = 0, engineKept = 0, enginePrefixes = 0,
           plans = 0;
};

BOOL CALLBACK CountFrame(HWND window, LPARAM p) {
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpA(name, ui::FrameWnd::kClassName) == 0) {
        if (auto* frame = ui::AttachedObject<ui::FrameWnd>(window)) {
            auto* sum = reinterpret_cast<FrameBuffers*>(p);
            ++sum->frames;
            sum->back += frame->BackBufferBytes();
            sum->skin += frame->SkinBytes();
            if (auto* chart = dynamic_cast<pages::DisplayChart*>(frame)) {
                const dsp::ResponseEngine::Held held = chart->Logic().Engine().HeldBytes();
                ++sum->charts;
                if (chart->Curves().PointBytes() > 0) ++sum->chartsWithCurves;
                sum->curvePoints += chart->Curves().PointBytes();
                for (const auto& curve : chart->Curves().Curves()) sum->curves += curve->count > 0 ? 1 : 0;
                sum->engineWork += held.work;
                sum->engineKept += held.kept;
                sum->enginePrefixes += held.prefixes;
                sum->plans += chart->Logic().PlanBytes() + chart->Kept().OpBytes();
            }
        }
    } else if (lstrcmpA(name, ui::BtnWnd::kClassName) == 0) {
        if (auto* button = ui::AttachedObject<ui::BtnWnd>(window)) {
            auto* sum = reinterpret_cast<FrameBuffers*>(p);
            ++sum->buttons;
            sum->buttonBytes += button->BufferBytes();
        }
    }
    return TRUE;
}

BOOL CALLBACK CountFramesUnder(HWND window, LPARAM p) {
    CountFrame(window, p);
    EnumChildWindows(window, CountFrame, p);
    return TRUE;
}

// The blocks in use in the process's heaps (the C and C++ run-time allocate from them), walked
// once for the record.
size_t HeapBytesInUse() {
    HANDLE heaps[64];
    const DWORD count = GetProcessHeaps(64, heaps);
    size_t bytes = 0;
    for (DWORD i = 0; i < count && i < 64; ++i) {
        if (!HeapLock(heaps[i])) continue;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) bytes += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return bytes;
}

// Once the main window is on screen and every window in it has painted, the record gets its last
// phase and the buffers' account, and is written.
void FinishStartupRecord() {
    os::MarkPhase("every window painted");
    FrameBuffers sum;
    EnumThreadWindows(GetCurrentThreadId(), CountFramesUnder, reinterpret_cast<LPARAM>(&sum));
    os::SetPhaseBytes("frame-windows", sum.frames);
    os::SetPhaseBytes("frame-back-buffers", sum.back);
    os::SetPhaseBytes("frame-skins", sum.skin);
    os::SetPhaseBytes("button-windows", sum.buttons);
    os::SetPhaseBytes("button-buffers-and-strips", sum.buttonBytes);
    os::SetPhaseBytes("all-bitmaps", ui::gdi::LiveBitmapBytes());
    for (const ui::gdi::AccountBytes& a : ui::gdi::BitmapAccounts()) {
        os::SetPhaseBytes(("bitmaps:" + std::string(a.name)).c_str(), a.bytes);
        os::SetPhaseBytes(("bitmap-count:" + std::string(a.name)).c_str(), static_cast<uint64_t>(a.bitmaps));
    }
    os::SetPhaseBytes("chart-curves", sum.curves);
    os::SetPhaseBytes("charts", sum.charts);
    os::SetPhaseBytes("charts-with-curves", sum.chartsWithCurves);
    os::SetPhaseBytes("chart-curve-points", sum.curvePoints);
    os::SetPhaseBytes("chart-engine-work-arrays", sum.engineWork);
    os::SetPhaseBytes("chart-engine-kept-responses", sum.engineKept);
    os::SetPhaseBytes("chart-engine-prefix-responses", sum.enginePrefixes);
    os::SetPhaseBytes("chart-plans", sum.plans);
    os::SetPhaseBytes("heap-in-use", HeapBytesInUse());
    os::WritePhases();
}

// True once the main window is on screen with nothing left to paint.
bool StartupPainted() {
    if (!IsWindowVisible(g_mainWindow) || (HIWORD(GetQueueStatus(QS_PAINT)) & QS_PAINT)) return false;
    FinishStartupRecord();
    return true;
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
    os::SetPhaseGauge([]() -> uint64_t { return ui::gdi::LiveBitmapBytes(); });
    os::MarkPhase("WinMain");
    os::Settings& settings = os::ProgramSettings();
    os::EnsureRegistryKeys(settings);
    os::StorePathSetting(settings);

    auto* application = new app::Darvix(nullptr, nullptr);
    os::MarkPhase("application object built");

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
    os::MarkPhase("main window creation returned");

    MSG msg{};
    int code = 0;
    // UpdateWindow above may have painted everything already; then the first message ends it.
    bool recording = os::PhasesOn();
    if (recording) PostMessageA(g_mainWindow, WM_NULL, 0, 0);
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
        if (recording && (msg.message == WM_PAINT || msg.message == WM_NULL)) recording = !StartupPainted();
    }
    delete application;
    return code;
}
