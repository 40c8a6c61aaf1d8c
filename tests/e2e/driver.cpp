// A small test driver for end-to-end tests: finds the program's windows by class, title, parent and
// rectangle, sends them messages and keys, reads texts and saves screenshots. One command per run;
// it prints its answer on stdout and exits 0 on success, 1 when the window or condition was not
// found (after the time-out, which it reports on stderr), 2 on bad arguments.
//
//   list                                  every top-level window: handle class visible rect "text"
//   wait CLASS [TITLE|*] [TIMEOUT_MS]     a visible top-level window; prints its handle
//   wait-gone HWND [TIMEOUT_MS]           until the window no longer exists
//   child PARENT CLASS [X Y W H]          a child (any depth) by class and, optionally, its
//                                         rectangle in the parent's client coordinates
//   children PARENT                       every child: handle class visible client-rect "text"
//   text HWND                             its window text
//   statics HWND                          the texts of its Static children, one per line
//   state HWND                            visible enabled x y w h (screen)
//   post HWND MSG WPARAM LPARAM           PostMessage (numbers in C syntax: 0x8035, 12, -1)
//   send HWND MSG WPARAM LPARAM           SendMessage; prints the result
//   key HWND VK                           WM_KEYDOWN then WM_KEYUP
//   click HWND X Y                        WM_LBUTTONDOWN, WM_LBUTTONUP at client (X, Y)
//   dblclick HWND X Y                     WM_LBUTTONDBLCLK then WM_LBUTTONUP
//   ctrlclick HWND X Y                    as click, with the Ctrl key held (MK_CONTROL)
//   wheel HWND X Y DELTA [KEYS]           WM_MOUSEWHEEL at client (X, Y): DELTA 120 is one notch
//                                         away from the user; KEYS the MK_ bits held (0x8 Ctrl)
//   button HWND TEXT                      clicks the button child with that text (BM_CLICK)
//   shot HWND FILE.bmp                    the window's pixels from the screen, 24-bit BMP
//   item HWND ID TEXT                     sets the text of the dialog item ID (WM_SETTEXT)
//   memory HWND                           working set and private bytes of the window's process (KiB)
//   focus HWND                            the window with the keyboard focus in HWND's thread
//   keys VK:SCAN[:e]...                   real key presses (SendInput) to whatever has the focus:
//                                         each key down in order, then up in reverse; SCAN the
//                                         scan code, e the extended-key flag (tells left and
//                                         right keys apart, as a keyboard does)
//   refuse-main-window FILE               while FILE exists (at most two minutes), no process of
//                                         the desktop can create a window of class DIALOGUIMODULE;
//                                         prints "hooked" once the hook is in place
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Handles are printed and read in hexadecimal (as %p prints them, with or without 0x).
HWND ParseHwnd(const char* s) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(s, nullptr, 16))); }
long ParseNum(const char* s) { return std::strtol(s, nullptr, 0); }

std::string ClassOf(HWND h) {
    char buf[256] = {};
    GetClassNameA(h, buf, sizeof buf);
    return buf;
}

std::string TextOf(HWND h) {
    // WM_GETTEXT reaches windows of other processes too (GetWindowText would not for controls).
    char buf[4096] = {};
    SendMessageTimeoutA(h, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 2000,
                        nullptr);
    return buf;
}

RECT ClientRectInParent(HWND child, HWND parent) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

struct Search {
    std::string cls;
    std::string title;
    bool anyTitle;
    HWND found;
};

BOOL CALLBACK FindTop(HWND h, LPARAM p) {
    Search* s = reinterpret_cast<Search*>(p);
    if (!IsWindowVisible(h) || ClassOf(h) != s->cls) return TRUE;
    if (!s->anyTitle && TextOf(h) != s->title) return TRUE;
    s->found = h;
    return FALSE;
}

BOOL CALLBACK ListTop(HWND h, LPARAM) {
    RECT r;
    GetWindowRect(h, &r);
    std::printf("%p %s %d %ld %ld %ld %ld \"%s\"\n", static_cast<void*>(h), ClassOf(h).c_str(),
                IsWindowVisible(h) ? 1 : 0, r.left, r.top, r.right - r.left, r.bottom - r.top,
                TextOf(h).c_str());
    return TRUE;
}

struct ChildSearch {
    HWND parent;
    std::string cls;
    bool byRect;
    RECT rect;
    std::vector<HWND> all;
};

BOOL CALLBACK CollectChild(HWND h, LPARAM p) {
    reinterpret_cast<ChildSearch*>(p)->all.push_back(h);
    return TRUE;
}

std::vector<HWND> Children(HWND parent) {
    ChildSearch s{parent, "", false, {}, {}};
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&s));
    return s.all;
}

bool SaveBitmap(HWND h, const char* path) {
    RECT r;
    if (!GetWindowRect(h, &r)) return false;
    const int w = r.right - r.left, hgt = r.bottom - r.top;
    if (w <= 0 || hgt <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = hgt;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, w, hgt, screen, r.left, r.top, SRCCOPY);
    SelectObject(mem, old);
    const int stride = ((w * 3 + 3) / 4) * 4;
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
    fh.bfSize = fh.bfOffBits + stride * hgt;
    bool ok = false;
    if (FILE* f = std::fopen(path, "wb")) {
        ok = std::fwrite(&fh, sizeof fh, 1, f) == 1 && std::fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f) == 1 &&
             std::fwrite(bits, stride * hgt, 1, f) == 1;
        ok = (std::fclose(f) == 0) && ok;
    }
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return ok;
}

int Usage() {
    std::fprintf(stderr, "usage: see the comment at the top of driver.cpp\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string cmd = argv[1];
    auto need = [&](int n) { return argc >= n + 2; };

    if (cmd == "list") {
        EnumWindows(ListTop, 0);
        return 0;
    }
    if (cmd == "wait" && need(1)) {
        Search s{argv[2], argc > 3 ? argv[3] : "*", argc <= 3 || std::strcmp(argv[3], "*") == 0, nullptr};
        const DWORD timeout = argc > 4 ? static_cast<DWORD>(ParseNum(argv[4])) : 10000;
        const DWORD start = GetTickCount();
        do {
            EnumWindows(FindTop, reinterpret_cast<LPARAM>(&s));
            if (s.found) {
                std::printf("%p\n", static_cast<void*>(s.found));
                return 0;
            }
            Sleep(50);
        } while (GetTickCount() - start < timeout);
        // Said on stderr so that a time-out can be told from a driver that never got this far.
        std::fprintf(stderr, "wait: no visible %s \"%s\" within %lu ms\n", argv[2], argc > 3 ? argv[3] : "*",
                     static_cast<unsigned long>(timeout));
        return 1;
    }
    if (cmd == "wait-gone" && need(1)) {
        HWND h = ParseHwnd(argv[2]);
        const DWORD timeout = argc > 3 ? static_cast<DWORD>(ParseNum(argv[3])) : 10000;
        const DWORD start = GetTickCount();
        while (IsWindow(h)) {
            if (GetTickCount() - start >= timeout) {
                std::fprintf(stderr, "wait-gone: %s still there after %lu ms\n", argv[2],
                             static_cast<unsigned long>(timeout));
                return 1;
            }
            Sleep(50);
        }
        return 0;
    }
    if (cmd == "child" && need(2)) {
        HWND parent = ParseHwnd(argv[2]);
        const bool byRect = need(6);
        for (HWND h : Children(parent)) {
            if (ClassOf(h) != argv[3]) continue;
            if (byRect) {
                const RECT r = ClientRectInParent(h, parent);
                if (r.left != ParseNum(argv[4]) || r.top != ParseNum(argv[5]) ||
                    r.right - r.left != ParseNum(argv[6]) || r.bottom - r.top != ParseNum(argv[7]))
                    continue;
            }
            std::printf("%p\n", static_cast<void*>(h));
            return 0;
        }
        return 1;
    }
    if (cmd == "children" && need(1)) {
        HWND parent = ParseHwnd(argv[2]);
        for (HWND h : Children(parent)) {
            const RECT r = ClientRectInParent(h, parent);
            std::printf("%p %s %d %ld %ld %ld %ld \"%s\" id %d\n", static_cast<void*>(h), ClassOf(h).c_str(),
                        IsWindowVisible(h) ? 1 : 0, r.left, r.top, r.right - r.left, r.bottom - r.top,
                        TextOf(h).c_str(), GetDlgCtrlID(h));
        }
        return 0;
    }
    if (cmd == "text" && need(1)) {
        HWND h = ParseHwnd(argv[2]);
        if (!IsWindow(h)) return 1;
        std::printf("%s\n", TextOf(h).c_str());
        return 0;
    }
    if (cmd == "statics" && need(1)) {
        HWND h = ParseHwnd(argv[2]);
        if (!IsWindow(h)) return 1;
        for (HWND c : Children(h))
            if (ClassOf(c) == "Static") {
                const std::string t = TextOf(c);
                if (!t.empty()) std::printf("%s\n", t.c_str());
            }
        return 0;
    }
    if (cmd == "state" && need(1)) {
        HWND h = ParseHwnd(argv[2]);
        if (!IsWindow(h)) return 1;
        RECT r;
        GetWindowRect(h, &r);
        std::printf("%d %d %ld %ld %ld %ld\n", IsWindowVisible(h) ? 1 : 0, IsWindowEnabled(h) ? 1 : 0, r.left,
                    r.top, r.right - r.left, r.bottom - r.top);
        return 0;
    }
    if ((cmd == "post" || cmd == "send") && need(4)) {
        HWND h = ParseHwnd(argv[2]);
        const UINT msg = static_cast<UINT>(ParseNum(argv[3]));
        const WPARAM w = static_cast<WPARAM>(std::strtoll(argv[4], nullptr, 0));
        const LPARAM l = static_cast<LPARAM>(std::strtoll(argv[5], nullptr, 0));
        if (cmd == "post") return PostMessageA(h, msg, w, l) ? 0 : 1;
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(h, msg, w, l, SMTO_NORMAL, 10000, &result)) return 1;
        std::printf("%ld\n", static_cast<long>(result));
        return 0;
    }
    if (cmd == "key" && need(2)) {
        HWND h = ParseHwnd(argv[2]);
        const WPARAM vk = static_cast<WPARAM>(ParseNum(argv[3]));
        return PostMessageA(h, WM_KEYDOWN, vk, 1) && PostMessageA(h, WM_KEYUP, vk, 0xC0000001) ? 0 : 1;
    }
    if (cmd == "ctrlclick" && need(3)) {
        HWND h = ParseHwnd(argv[2]);
        const LPARAM at = MAKELPARAM(ParseNum(argv[3]), ParseNum(argv[4]));
        return PostMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, at) &&
                       PostMessageA(h, WM_LBUTTONUP, MK_CONTROL, at)
                   ? 0
                   : 1;
    }
    if ((cmd == "click" || cmd == "dblclick") && need(3)) {
        HWND h = ParseHwnd(argv[2]);
        const LPARAM at = MAKELPARAM(ParseNum(argv[3]), ParseNum(argv[4]));
        const UINT down = cmd == "click" ? WM_LBUTTONDOWN : WM_LBUTTONDBLCLK;
        return PostMessageA(h, down, MK_LBUTTON, at) && PostMessageA(h, WM_LBUTTONUP, 0, at) ? 0 : 1;
    }
    if (cmd == "wheel" && need(4)) {
        HWND h = ParseHwnd(argv[2]);
        // The wheel's point is on the screen, its delta in the high word with the keys below it.
        POINT at{static_cast<LONG>(ParseNum(argv[3])), static_cast<LONG>(ParseNum(argv[4]))};
        if (!ClientToScreen(h, &at)) return 1;
        const long delta = ParseNum(argv[5]);
        const long keys = argc > 6 ? ParseNum(argv[6]) : 0;
        const WPARAM w = MAKEWPARAM(static_cast<WORD>(keys), static_cast<WORD>(static_cast<short>(delta)));
        return PostMessageA(h, WM_MOUSEWHEEL, w, MAKELPARAM(at.x, at.y)) ? 0 : 1;
    }
    if (cmd == "button" && need(2)) {
        HWND h = ParseHwnd(argv[2]);
        for (HWND c : Children(h))
            if (ClassOf(c) == "Button" && TextOf(c) == argv[3]) return PostMessageA(c, BM_CLICK, 0, 0) ? 0 : 1;
        return 1;
    }
    if (cmd == "shot" && need(2)) return SaveBitmap(ParseHwnd(argv[2]), argv[3]) ? 0 : 1;
    if (cmd == "item" && need(3)) {
        HWND item = GetDlgItem(ParseHwnd(argv[2]), static_cast<int>(ParseNum(argv[3])));
        if (!item) return 1;
        DWORD_PTR result = 0;
        return SendMessageTimeoutA(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]), SMTO_NORMAL, 5000, &result)
                   ? 0
                   : 1;
    }
    if (cmd == "focus" && need(1)) {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        const DWORD thread = GetWindowThreadProcessId(ParseHwnd(argv[2]), nullptr);
        if (!thread || !GetGUIThreadInfo(thread, &info)) return 1;
        std::printf("%p\n", static_cast<void*>(info.hwndFocus));
        return 0;
    }
    if (cmd == "keys" && need(1)) {
        std::vector<INPUT> down;
        for (int i = 2; i < argc; ++i) {
            char* end = nullptr;
            INPUT in{};
            in.type = INPUT_KEYBOARD;
            in.ki.wVk = static_cast<WORD>(std::strtoul(argv[i], &end, 0));
            if (*end != ':') return Usage();
            in.ki.wScan = static_cast<WORD>(std::strtoul(end + 1, &end, 0));
            if (*end == ':' && end[1] == 'e') in.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
            down.push_back(in);
        }
        std::vector<INPUT> all = down;
        for (auto it = down.rbegin(); it != down.rend(); ++it) {
            INPUT up = *it;
            up.ki.dwFlags |= KEYEVENTF_KEYUP;
            all.push_back(up);
        }
        // One key at a time, a little apart, as fingers give them.
        for (INPUT& in : all) {
            if (SendInput(1, &in, sizeof in) != 1) return 1;
            Sleep(30);
        }
        return 0;
    }
    if (cmd == "refuse-main-window" && need(1)) {
        char path[MAX_PATH] = {};
        const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string dll(path, n);
        dll = dll.substr(0, dll.find_last_of("\\/") + 1) + "darvix_refuse_window.dll";
        HMODULE module = LoadLibraryA(dll.c_str());
        auto proc = module ? reinterpret_cast<HOOKPROC>(GetProcAddress(module, "RefuseMainWindow")) : nullptr;
        HHOOK hook = proc ? SetWindowsHookExA(WH_CBT, proc, module, 0) : nullptr;
        if (!hook) {
            std::fprintf(stderr, "refuse-main-window: no hook from %s (error %lu)\n", dll.c_str(),
                         static_cast<unsigned long>(GetLastError()));
            return 1;
        }
        std::printf("hooked\n");
        std::fflush(stdout);
        const DWORD start = GetTickCount();
        while (GetFileAttributesA(argv[2]) != INVALID_FILE_ATTRIBUTES && GetTickCount() - start < 120000) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
            Sleep(50);
        }
        UnhookWindowsHookEx(hook);
        return 0;
    }
    if (cmd == "memory" && need(1)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(ParseHwnd(argv[2]), &pid);
        HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
        if (!process) return 1;
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        const BOOL ok = GetProcessMemoryInfo(process, &counters, sizeof counters);
        CloseHandle(process);
        if (!ok) return 1;
        std::printf("%lu %lu\n", static_cast<unsigned long>(counters.WorkingSetSize / 1024),
                    static_cast<unsigned long>(counters.PagefileUsage / 1024));
        return 0;
    }
    return Usage();
}
