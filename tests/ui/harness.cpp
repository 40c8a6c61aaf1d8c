#include "tests/ui/harness.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "ui/text.h"

namespace uitest {
namespace {

constexpr const char* kParentClass = "DarvixTestParent";

// The posted message Pump is dispatching: a message that arrives as anything else was sent
// (InSendMessage tells only sends from other threads).
const MSG* g_dispatching = nullptr;

bool IsBeingDispatched(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return g_dispatching && g_dispatching->hwnd == window && g_dispatching->message == message &&
           g_dispatching->wParam == wParam && g_dispatching->lParam == lParam;
}

// GDI+ is the application object's to start; each test process starts its own.
class GdiplusEnvironment : public ::testing::Environment {
public:
    void SetUp() override { session_ = std::make_unique<ui::GdiplusSession>(); }
    void TearDown() override { session_.reset(); }

private:
    std::unique_ptr<ui::GdiplusSession> session_;
};
::testing::Environment* const g_gdiplus =
    ::testing::AddGlobalTestEnvironment(new GdiplusEnvironment);

// Wine hands every activated top-level window to the window manager, and hiding or destroying
// such a window then waits up to 2 s for the manager to confirm; under Xvfb there is none, so
// each message box would cost 2 s. Wine reads "Managed" for this program only (AppDefaults) when
// its display driver starts, on the first window: set before main, it applies from the start.
struct UnmanagedWindows {
    UnmanagedWindows() {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, path, sizeof path);
        std::string exe = path;
        exe = exe.substr(exe.find_last_of("\\/") + 1);
        const std::string key = "Software\\Wine\\AppDefaults\\" + exe + "\\X11 Driver";
        HKEY k;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            &k, nullptr) == ERROR_SUCCESS) {
            RegSetValueExA(k, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
            RegCloseKey(k);
        }
    }
} g_unmanagedWindows;

}  // namespace

RecordingParent::RecordingParent(int width, int height) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = kParentClass;
    RegisterClassExA(&wc);
    window_ = CreateWindowExA(0, kParentClass, "test parent",
                              WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, width, height,
                              nullptr, nullptr, GetModuleHandleA(nullptr), this);
    Pump();
}

RecordingParent::~RecordingParent() {
    if (window_) DestroyWindow(window_);
    Pump();
}

std::vector<Received> RecordingParent::Of(UINT message) const {
    std::vector<Received> out;
    for (const Received& r : received)
        if (r.message == message) out.push_back(r);
    return out;
}

LRESULT CALLBACK RecordingParent::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<RecordingParent*>(
            reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<RecordingParent*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self) return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
    }
    if (message >= 0x8000 && message <= 0xBFFF) {
        const bool sent = !IsBeingDispatched(window, message, wParam, lParam);
        float value = 0.0f;
        if (message == 0x8040 && lParam) value = *reinterpret_cast<const float*>(lParam);
        if (self->onPrivate) self->onPrivate(message, wParam, lParam);
        self->received.push_back({message, wParam, lParam, value, sent});
        return self->reply;
    }
    if (message == WM_NCLBUTTONDOWN) {
        self->received.push_back(
            {message, wParam, lParam, 0.0f, !IsBeingDispatched(window, message, wParam, lParam)});
        return 0;
    }
    if (message == WM_ENTERIDLE && self->onIdle) {
        self->onIdle(reinterpret_cast<HWND>(lParam));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

std::vector<MSG>& DroppedNcDowns() {
    static std::vector<MSG> dropped;
    return dropped;
}

void Pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_NCLBUTTONDOWN) {
            DroppedNcDowns().push_back(m);
            continue;
        }
        TranslateMessage(&m);
        g_dispatching = &m;
        DispatchMessageA(&m);
        g_dispatching = nullptr;
    }
}

LPARAM Point(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)),
                      static_cast<WORD>(static_cast<short>(y)));
}

void Click(HWND window, int x, int y) {
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, Point(x, y));
    SendMessageA(window, WM_LBUTTONUP, 0, Point(x, y));
}

COLORREF Pixel(HDC dc, int x, int y) { return GetPixel(dc, x, y); }

LoadedBitmap::LoadedBitmap(UINT bitmapId) {
    bitmap_ = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(bitmapId));
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    if (bitmap_) old_ = SelectObject(dc_, bitmap_);
}

LoadedBitmap::~LoadedBitmap() {
    if (old_) SelectObject(dc_, old_);
    DeleteDC(dc_);
    if (bitmap_) DeleteObject(bitmap_);
}

std::string Text(HWND w) {
    char buffer[1024] = {};
    GetWindowTextA(w, buffer, sizeof buffer);
    return buffer;
}

bool Visible(HWND w) { return w && (GetWindowLongPtrA(w, GWL_STYLE) & WS_VISIBLE) != 0; }

bool Enabled(HWND w) { return w && IsWindowEnabled(w); }

RECT RectIn(HWND child, HWND parent) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

POINT PlaceIn(HWND child, HWND parent) {
    const RECT r = RectIn(child, parent);
    return {r.left, r.top};
}

SIZE SizeOf(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    return {r.right - r.left, r.bottom - r.top};
}

SIZE ClientSize(HWND w) {
    RECT r{};
    GetClientRect(w, &r);
    return {r.right, r.bottom};
}

COLORREF BitmapPixel(UINT bitmapId, int x, int y) {
    LoadedBitmap b(bitmapId);
    return GetPixel(b.dc(), x, y);
}

SIZE BitmapSizeOf(UINT bitmapId) {
    HBITMAP b = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(bitmapId));
    BITMAP info{};
    if (b) GetObjectA(b, sizeof info, &info);
    if (b) DeleteObject(b);
    return SIZE{info.bmWidth, info.bmHeight};
}

int PixelsDifferentFrom(HDC dc, const RECT& area, COLORREF background) {
    int n = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (GetPixel(dc, x, y) != background) ++n;
    return n;
}

std::vector<uint32_t> Grab(HDC dc, const RECT& area) {
    const int w = area.right - area.left, h = area.bottom - area.top;
    if (w <= 0 || h <= 0) return {};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib) return {};
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, w, h, dc, area.left, area.top, SRCCOPY);
    GdiFlush();
    const auto* p = static_cast<const uint32_t*>(bits);
    std::vector<uint32_t> out(p, p + static_cast<size_t>(w) * h);
    for (uint32_t& v : out) v &= 0xFFFFFFu;
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(dib);
    return out;
}

bool SaveBmp(HDC dc, const RECT& area, const std::string& path) {
    const int w = area.right - area.left, h = area.bottom - area.top;
    if (w <= 0 || h <= 0) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;  // bottom-up, as BMP files store it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib) return false;
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, w, h, dc, area.left, area.top, SRCCOPY);
    GdiFlush();
    const DWORD row = (static_cast<DWORD>(w) * 3 + 3) & ~3u;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + row * static_cast<DWORD>(h);
    bool ok = false;
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        ok = std::fwrite(&file, sizeof file, 1, f) == 1 &&
             std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, f) == 1 &&
             std::fwrite(bits, row, static_cast<size_t>(h), f) == static_cast<size_t>(h);
        ok = std::fclose(f) == 0 && ok;
    }
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(dib);
    return ok;
}

std::string ScreenshotFolder() {
    const char* env = std::getenv("DARVIX_SCREENSHOTS");
    std::string folder = env && *env ? env : "screenshots";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

void Shot(HWND w, const std::string& name) {
    RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump();
    RECT r;
    GetWindowRect(w, &r);
    HDC screen = GetDC(nullptr);
    SaveBmp(screen, r, ScreenshotFolder() + "\\" + name + ".bmp");
    ReleaseDC(nullptr, screen);
}

}  // namespace uitest
