// A small test driver for end-to-end tests: finds the program's windows by class, title, parent and
// rectangle, sends them messages and keys, reads texts and the registry, and saves screenshots.
//
// Two ways to run it:
//   darvix_driver COMMAND ARGS...   one command; it prints its answer on stdout and exits 0 on
//                                   success, 1 when the window or condition was not found (after
//                                   the time-out, which it reports on stderr), 2 on bad arguments.
//   darvix_driver serve             commands on stdin, one a line as a JSON array of strings
//                                   (["wait", "MYFRAMEWND", "*", "20000"]); each is answered on
//                                   stdout by one line, {"ok":true,"value":...} or
//                                   {"ok":false,"error":"the reason"}; ends at end of input or on
//                                   ["quit"]. Under Wine a process costs a few hundred
//                                   milliseconds to start, so a test talks to one of these for its
//                                   whole run instead of starting one per command. Values: handles
//                                   as strings, a window as {hwnd, class, visible, enabled, x, y,
//                                   w, h, id, text} (list, children, state), texts as strings,
//                                   numbers as numbers, arrays for what prints several lines.
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
//   shot-shown HWND FILE.bmp DELAY_MS [TIMEOUT_MS] [BUSY]
//                                         waits for the hidden window to show, then, DELAY_MS
//                                         after it showed, takes its screenshot; prints how many
//                                         milliseconds after it showed the shot was taken. BUSY 1:
//                                         from when it shows until the shot, WM_NULL is posted to
//                                         it every millisecond, as a thread's queue is kept full by a
//                                         stream of messages (a window's WM_PAINT waits for an
//                                         empty queue)
//   whole-shown HWND BEFORE.bmp [TIMEOUT_MS] [BUSY]
//                                         waits for the hidden window to show, then grabs its pixels
//                                         again and again until none is black (every channel below
//                                         8) that was not black in BEFORE (a shot of it from
//                                         earlier); prints how many milliseconds after it showed the
//                                         first such grab began. BUSY as for shot-shown, between grabs
//   item HWND ID TEXT                     sets the text of the dialog item ID (WM_SETTEXT)
//   memory HWND                           working set and private bytes of the window's process (KiB)
//   settle HWND [ROUNDS] [TIMEOUT_MS]     until the window's thread has handled what was posted to
//                                         it (ROUNDS empty messages sent in turn, 6 unless given)
//   reg-get KEY NAME                      a REG_DWORD value under HKEY_CURRENT_USER (nothing: none)
//   reg-set KEY NAME VALUE                writes one, creating the key
//   reg-delete KEY NAME                   removes one (not there is no error)
//   focus HWND                            the window with the keyboard focus in HWND's thread
//   keys VK:SCAN[:e]...                   real key presses (SendInput) to whatever has the focus:
//                                         each key down in order, then up in reverse; SCAN the
//                                         scan code, e the extended-key flag (tells left and
//                                         right keys apart, as a keyboard does)
//   refuse-main-window FILE               while FILE exists (at most two minutes), no process of
//                                         the desktop can create a window of class DIALOGUIMODULE;
//                                         prints "hooked" once the hook is in place (one-shot
//                                         only: it holds its process for as long as FILE exists)
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <psapi.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Handles are printed and read in hexadecimal (as %p prints them, with or without 0x).
HWND ParseHwnd(const std::string& s) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(s.c_str(), nullptr, 16)));
}
long ParseNum(const std::string& s) { return std::strtol(s.c_str(), nullptr, 0); }

std::string HwndText(HWND h) {
    char b[32];
    std::snprintf(b, sizeof b, "%p", static_cast<void*>(h));
    return b;
}

std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* fmt, ...) {
    char b[1024];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(b, sizeof b, fmt, args);
    va_end(args);
    return b;
}

// A JSON string. Window texts are bytes of the ANSI code page: those above 0x7F are given as the
// code points of the same number, so that every answer is plain ASCII.
std::string Quote(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char b[8];
            std::snprintf(b, sizeof b, "\\u%04x", c);
            out += b;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

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

// What a command answers: the text the one-shot command line prints, the value of a serve-mode
// answer (JSON), or why it failed.
struct Reply {
    bool ok = true;
    int code = 0;
    std::string plain;
    std::string json = "null";
    std::string error;
};

Reply Done(std::string plain = "", std::string json = "null") {
    Reply r;
    r.plain = std::move(plain);
    r.json = std::move(json);
    return r;
}

Reply Fail(std::string why, int code = 1) {
    Reply r;
    r.ok = false;
    r.code = code;
    r.error = std::move(why);
    return r;
}

// The facts of one window, for both kinds of answer. `parent` null: screen coordinates.
struct WindowFacts {
    HWND h;
    std::string cls, text;
    bool visible, enabled;
    RECT r;
    int id;
};

// The text is asked of the window's thread, which may be busy for a while: `withText` false leaves
// it out where the answer must come at once (state).
WindowFacts FactsOf(HWND h, HWND parent, bool withText = true) {
    WindowFacts f{h, ClassOf(h), withText ? TextOf(h) : std::string(), IsWindowVisible(h) != FALSE,
                  IsWindowEnabled(h) != FALSE, {}, 0};
    if (parent) {
        f.r = ClientRectInParent(h, parent);
        f.id = GetDlgCtrlID(h);
    } else {
        GetWindowRect(h, &f.r);
    }
    return f;
}

std::string FactsJson(const WindowFacts& f) {
    return Format("{\"hwnd\":\"%s\",\"class\":", HwndText(f.h).c_str()) + Quote(f.cls) +
           Format(",\"visible\":%d,\"enabled\":%d,\"x\":%ld,\"y\":%ld,\"w\":%ld,\"h\":%ld,\"id\":%d,\"text\":",
                  f.visible ? 1 : 0, f.enabled ? 1 : 0, f.r.left, f.r.top, f.r.right - f.r.left, f.r.bottom - f.r.top,
                  f.id) +
           Quote(f.text) + "}";
}

BOOL CALLBACK CollectWindow(HWND h, LPARAM p) {
    reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
    return TRUE;
}

std::vector<HWND> TopWindows() {
    std::vector<HWND> all;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&all));
    return all;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> all;
    EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&all));
    return all;
}

HWND FindTop(const std::string& cls, const std::string& title) {
    for (HWND h : TopWindows()) {
        if (!IsWindowVisible(h) || ClassOf(h) != cls) continue;
        if (title != "*" && TextOf(h) != title) continue;
        return h;
    }
    return nullptr;
}

// A window's pixels as they are on the screen: 24-bit rows bottom up, each padded to four bytes, as
// a BMP file holds them.
struct Grab {
    BITMAPINFOHEADER header{};
    std::vector<unsigned char> bits;
    int Stride() const { return ((header.biWidth * 3 + 3) / 4) * 4; }
};

bool GrabWindow(HWND h, Grab& g) {
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
    bool ok = dib != nullptr;
    if (ok) {
        HGDIOBJ old = SelectObject(mem, dib);
        ok = BitBlt(mem, 0, 0, w, hgt, screen, r.left, r.top, SRCCOPY) != FALSE;
        SelectObject(mem, old);
        g.header = bi.bmiHeader;
        const unsigned char* p = static_cast<const unsigned char*>(bits);
        g.bits.assign(p, p + static_cast<size_t>(g.Stride()) * hgt);
        DeleteObject(dib);
    }
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return ok;
}

bool SaveBitmap(HWND h, const char* path) {
    Grab g;
    if (!GrabWindow(h, g)) return false;
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof g.header;
    fh.bfSize = static_cast<DWORD>(fh.bfOffBits + g.bits.size());
    bool ok = false;
    if (FILE* f = std::fopen(path, "wb")) {
        ok = std::fwrite(&fh, sizeof fh, 1, f) == 1 && std::fwrite(&g.header, sizeof g.header, 1, f) == 1 &&
             std::fwrite(g.bits.data(), g.bits.size(), 1, f) == 1;
        ok = (std::fclose(f) == 0) && ok;
    }
    return ok;
}

// A 24-bit BMP file as SaveBitmap writes it; false (with the reason) for anything else.
bool LoadBitmap24(const char* path, Grab& g, std::string& why) {
    FILE* f = std::fopen(path, "rb");
    if (!f) {
        why = Format("cannot open %s", path);
        return false;
    }
    BITMAPFILEHEADER fh{};
    bool ok = std::fread(&fh, sizeof fh, 1, f) == 1 && std::fread(&g.header, sizeof g.header, 1, f) == 1 &&
              fh.bfType == 0x4D42 && g.header.biBitCount == 24 && g.header.biCompression == BI_RGB &&
              g.header.biWidth > 0 && g.header.biHeight > 0;
    if (ok) {
        g.bits.resize(static_cast<size_t>(g.Stride()) * g.header.biHeight);
        ok = std::fseek(f, static_cast<long>(fh.bfOffBits), SEEK_SET) == 0 &&
             std::fread(g.bits.data(), g.bits.size(), 1, f) == 1;
    }
    std::fclose(f);
    if (!ok) why = Format("%s is not a bottom-up 24-bit BMP file", path);
    return ok;
}

// Pixels black in `now` (no channel above 7) that were not black in `before`, of two grabs of one size.
long NewlyBlack(const Grab& before, const Grab& now) {
    long n = 0;
    const int w = now.header.biWidth, hgt = now.header.biHeight, stride = now.Stride();
    for (int y = 0; y < hgt; ++y) {
        const unsigned char* a = before.bits.data() + static_cast<size_t>(y) * stride;
        const unsigned char* b = now.bits.data() + static_cast<size_t>(y) * stride;
        for (int x = 0; x < w * 3; x += 3) {
            const bool black_now = b[x] < 8 && b[x + 1] < 8 && b[x + 2] < 8;
            const bool black_before = a[x] < 8 && a[x + 1] < 8 && a[x + 2] < 8;
            if (black_now && !black_before) ++n;
        }
    }
    return n;
}

// Two posted messages as one input (a click, a key stroke).
Reply PostPair(HWND h, UINT m1, WPARAM w1, LPARAM l1, UINT m2, WPARAM w2, LPARAM l2) {
    if (!IsWindow(h)) return Fail("no window " + HwndText(h));
    if (!PostMessageA(h, m1, w1, l1))
        return Fail(Format("PostMessage to %s failed (error %lu)", HwndText(h).c_str(), GetLastError()));
    // The first half may end the window before the second is posted (a dialog that closes on a
    // double click, on a loaded machine): the input has then been taken as a whole.
    if (!PostMessageA(h, m2, w2, l2) && !(GetLastError() == ERROR_INVALID_WINDOW_HANDLE && !IsWindow(h)))
        return Fail(Format("PostMessage to %s failed (error %lu)", HwndText(h).c_str(), GetLastError()));
    return Done();
}

Reply NoWindow(HWND h) { return Fail("no window " + HwndText(h)); }

HKEY OpenUserKey(const std::string& key, bool create) {
    HKEY k = nullptr;
    const LSTATUS s = create ? RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                               nullptr, &k, nullptr)
                             : RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_ALL_ACCESS, &k);
    return s == ERROR_SUCCESS ? k : nullptr;
}

Reply Run(const std::vector<std::string>& a) {
    if (a.empty()) return Fail("no command", 2);
    const std::string& cmd = a[0];
    const size_t argc = a.size() - 1;
    auto need = [&](size_t n) { return argc >= n; };

    if (cmd == "list") {
        std::string plain, json = "[";
        for (HWND h : TopWindows()) {
            const WindowFacts f = FactsOf(h, nullptr);
            plain += Format("%s %s %d %ld %ld %ld %ld \"%s\"\n", HwndText(h).c_str(), f.cls.c_str(), f.visible ? 1 : 0,
                            f.r.left, f.r.top, f.r.right - f.r.left, f.r.bottom - f.r.top, f.text.c_str());
            json += (json.size() > 1 ? "," : "") + FactsJson(f);
        }
        return Done(plain, json + "]");
    }
    if (cmd == "wait" && need(1)) {
        const std::string title = argc > 1 ? a[2] : "*";
        const DWORD timeout = argc > 2 ? static_cast<DWORD>(ParseNum(a[3])) : 10000;
        const DWORD start = GetTickCount();
        do {
            if (HWND h = FindTop(a[1], title)) return Done(HwndText(h) + "\n", Quote(HwndText(h)));
            Sleep(50);
        } while (GetTickCount() - start < timeout);
        return Fail(Format("wait: no visible %s \"%s\" within %lu ms", a[1].c_str(), title.c_str(),
                           static_cast<unsigned long>(timeout)));
    }
    if (cmd == "wait-gone" && need(1)) {
        HWND h = ParseHwnd(a[1]);
        const DWORD timeout = argc > 1 ? static_cast<DWORD>(ParseNum(a[2])) : 10000;
        const DWORD start = GetTickCount();
        while (IsWindow(h)) {
            if (GetTickCount() - start >= timeout)
                return Fail(Format("wait-gone: %s still there after %lu ms", a[1].c_str(),
                                   static_cast<unsigned long>(timeout)));
            Sleep(50);
        }
        return Done();
    }
    if (cmd == "child" && need(2)) {
        HWND parent = ParseHwnd(a[1]);
        if (!IsWindow(parent)) return NoWindow(parent);
        const bool byRect = need(6);
        for (HWND h : Children(parent)) {
            if (ClassOf(h) != a[2]) continue;
            if (byRect) {
                const RECT r = ClientRectInParent(h, parent);
                if (r.left != ParseNum(a[3]) || r.top != ParseNum(a[4]) || r.right - r.left != ParseNum(a[5]) ||
                    r.bottom - r.top != ParseNum(a[6]))
                    continue;
            }
            return Done(HwndText(h) + "\n", Quote(HwndText(h)));
        }
        return Fail(byRect ? Format("no %s child of %s at %s,%s %sx%s", a[2].c_str(), a[1].c_str(), a[3].c_str(),
                                    a[4].c_str(), a[5].c_str(), a[6].c_str())
                           : Format("no %s child of %s", a[2].c_str(), a[1].c_str()));
    }
    if (cmd == "children" && need(1)) {
        HWND parent = ParseHwnd(a[1]);
        if (!IsWindow(parent)) return NoWindow(parent);
        std::string plain, json = "[";
        for (HWND h : Children(parent)) {
            const WindowFacts f = FactsOf(h, parent);
            plain += Format("%s %s %d %ld %ld %ld %ld \"%s\" id %d\n", HwndText(h).c_str(), f.cls.c_str(),
                            f.visible ? 1 : 0, f.r.left, f.r.top, f.r.right - f.r.left, f.r.bottom - f.r.top,
                            f.text.c_str(), f.id);
            json += (json.size() > 1 ? "," : "") + FactsJson(f);
        }
        return Done(plain, json + "]");
    }
    if (cmd == "text" && need(1)) {
        HWND h = ParseHwnd(a[1]);
        if (!IsWindow(h)) return NoWindow(h);
        const std::string t = TextOf(h);
        return Done(t + "\n", Quote(t));
    }
    if (cmd == "statics" && need(1)) {
        HWND h = ParseHwnd(a[1]);
        if (!IsWindow(h)) return NoWindow(h);
        std::string plain, json = "[";
        for (HWND c : Children(h))
            if (ClassOf(c) == "Static") {
                const std::string t = TextOf(c);
                if (t.empty()) continue;
                plain += t + "\n";
                json += (json.size() > 1 ? "," : "") + Quote(t);
            }
        return Done(plain, json + "]");
    }
    if (cmd == "state" && need(1)) {
        HWND h = ParseHwnd(a[1]);
        if (!IsWindow(h)) return NoWindow(h);
        const WindowFacts f = FactsOf(h, nullptr, false);
        return Done(Format("%d %d %ld %ld %ld %ld\n", f.visible ? 1 : 0, f.enabled ? 1 : 0, f.r.left, f.r.top,
                           f.r.right - f.r.left, f.r.bottom - f.r.top),
                    FactsJson(f));
    }
    if ((cmd == "post" || cmd == "send") && need(4)) {
        HWND h = ParseHwnd(a[1]);
        if (!IsWindow(h)) return NoWindow(h);
        const UINT msg = static_cast<UINT>(ParseNum(a[2]));
        const WPARAM w = static_cast<WPARAM>(std::strtoll(a[3].c_str(), nullptr, 0));
        const LPARAM l = static_cast<LPARAM>(std::strtoll(a[4].c_str(), nullptr, 0));
        if (cmd == "post") {
            if (PostMessageA(h, msg, w, l)) return Done();
            return Fail(Format("PostMessage 0x%X to %s failed (error %lu)", msg, a[1].c_str(), GetLastError()));
        }
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(h, msg, w, l, SMTO_NORMAL, 10000, &result))
            return Fail(Format("SendMessage 0x%X to %s got no answer within 10000 ms", msg, a[1].c_str()));
        return Done(Format("%ld\n", static_cast<long>(result)), Format("%ld", static_cast<long>(result)));
    }
    if (cmd == "key" && need(2)) {
        const WPARAM vk = static_cast<WPARAM>(ParseNum(a[2]));
        return PostPair(ParseHwnd(a[1]), WM_KEYDOWN, vk, 1, WM_KEYUP, vk, 0xC0000001);
    }
    if ((cmd == "click" || cmd == "dblclick" || cmd == "ctrlclick") && need(3)) {
        const LPARAM at = MAKELPARAM(ParseNum(a[2]), ParseNum(a[3]));
        if (cmd == "ctrlclick")
            return PostPair(ParseHwnd(a[1]), WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, at, WM_LBUTTONUP, MK_CONTROL, at);
        return PostPair(ParseHwnd(a[1]), cmd == "click" ? WM_LBUTTONDOWN : WM_LBUTTONDBLCLK, MK_LBUTTON, at,
                        WM_LBUTTONUP, 0, at);
    }
    if (cmd == "wheel" && need(4)) {
        HWND h = ParseHwnd(a[1]);
        // The wheel's point is on the screen, its delta in the high word with the keys below it.
        POINT at{static_cast<LONG>(ParseNum(a[2])), static_cast<LONG>(ParseNum(a[3]))};
        if (!ClientToScreen(h, &at)) return NoWindow(h);
        const long delta = ParseNum(a[4]);
        const long keys = argc > 4 ? ParseNum(a[5]) : 0;
        const WPARAM w = MAKEWPARAM(static_cast<WORD>(keys), static_cast<WORD>(static_cast<short>(delta)));
        if (PostMessageA(h, WM_MOUSEWHEEL, w, MAKELPARAM(at.x, at.y))) return Done();
        return Fail(Format("PostMessage WM_MOUSEWHEEL to %s failed (error %lu)", a[1].c_str(), GetLastError()));
    }
    if (cmd == "button" && need(2)) {
        HWND h = ParseHwnd(a[1]);
        if (!IsWindow(h)) return NoWindow(h);
        for (HWND c : Children(h))
            if (ClassOf(c) == "Button" && TextOf(c) == a[2]) {
                if (PostMessageA(c, BM_CLICK, 0, 0)) return Done();
                return Fail(Format("BM_CLICK to \"%s\" failed (error %lu)", a[2].c_str(), GetLastError()));
            }
        return Fail(Format("no button \"%s\" in %s", a[2].c_str(), a[1].c_str()));
    }
    if (cmd == "shot" && need(2)) {
        if (SaveBitmap(ParseHwnd(a[1]), a[2].c_str())) return Done();
        return Fail(Format("no screenshot of %s into %s", a[1].c_str(), a[2].c_str()));
    }
    if (cmd == "shot-shown" && need(3)) {
        HWND h = ParseHwnd(a[1]);
        const DWORD delay = static_cast<DWORD>(ParseNum(a[3]));
        const DWORD timeout = argc > 3 ? static_cast<DWORD>(ParseNum(a[4])) : 20000;
        const DWORD start = GetTickCount();
        // Looked at every millisecond or so: the shot's time is counted from the first look
        // that finds the window shown.
        while (!IsWindowVisible(h)) {
            if (!IsWindow(h)) return NoWindow(h);
            if (GetTickCount() - start >= timeout)
                return Fail(Format("shot-shown: %s not shown within %lu ms", a[1].c_str(),
                                   static_cast<unsigned long>(timeout)));
            Sleep(1);
        }
        const DWORD shown = GetTickCount();
        if (argc > 4 && ParseNum(a[5]) != 0) {
            while (GetTickCount() - shown < delay) {
                for (int i = 0; i < 10; ++i) PostMessageA(h, WM_NULL, 0, 0);
                Sleep(1);
            }
        } else {
            Sleep(delay);
        }
        const DWORD at = GetTickCount() - shown;
        if (!SaveBitmap(h, a[2].c_str())) return Fail(Format("no screenshot of %s into %s", a[1].c_str(), a[2].c_str()));
        return Done(Format("%lu\n", static_cast<unsigned long>(at)), Format("%lu", static_cast<unsigned long>(at)));
    }
    if (cmd == "whole-shown" && need(2)) {
        HWND h = ParseHwnd(a[1]);
        Grab before;
        std::string why;
        if (!LoadBitmap24(a[2].c_str(), before, why)) return Fail(why, 2);
        const DWORD timeout = argc > 2 ? static_cast<DWORD>(ParseNum(a[3])) : 20000;
        const bool busy = argc > 3 && ParseNum(a[4]) != 0;
        const DWORD start = GetTickCount();
        while (!IsWindowVisible(h)) {
            if (!IsWindow(h)) return NoWindow(h);
            if (GetTickCount() - start >= timeout)
                return Fail(Format("whole-shown: %s not shown within %lu ms", a[1].c_str(),
                                   static_cast<unsigned long>(timeout)));
            Sleep(1);
        }
        const DWORD shown = GetTickCount();
        Grab now;
        long black = -1;
        for (;;) {
            // Counted from when the grab began: its pixels were on the screen by then at the latest.
            const DWORD at = GetTickCount() - shown;
            if (!GrabWindow(h, now)) return NoWindow(h);
            if (now.header.biWidth != before.header.biWidth || now.header.biHeight != before.header.biHeight)
                return Fail(Format("whole-shown: %s is %ldx%ld, the earlier shot %ldx%ld", a[1].c_str(),
                                   static_cast<long>(now.header.biWidth), static_cast<long>(now.header.biHeight),
                                   static_cast<long>(before.header.biWidth),
                                   static_cast<long>(before.header.biHeight)));
            black = NewlyBlack(before, now);
            if (black == 0)
                return Done(Format("%lu\n", static_cast<unsigned long>(at)), Format("%lu", static_cast<unsigned long>(at)));
            if (at >= timeout) break;
            if (busy)
                for (int i = 0; i < 10; ++i) PostMessageA(h, WM_NULL, 0, 0);
            Sleep(1);
        }
        return Fail(Format("whole-shown: %s still has %ld pixels black %lu ms after it showed", a[1].c_str(), black,
                           static_cast<unsigned long>(timeout)));
    }
    if (cmd == "item" && need(3)) {
        HWND item = GetDlgItem(ParseHwnd(a[1]), static_cast<int>(ParseNum(a[2])));
        if (!item) return Fail(Format("no item %s in %s", a[2].c_str(), a[1].c_str()));
        DWORD_PTR result = 0;
        if (SendMessageTimeoutA(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(a[3].c_str()), SMTO_NORMAL, 5000,
                                &result))
            return Done();
        return Fail(Format("WM_SETTEXT to item %s of %s got no answer within 5000 ms", a[2].c_str(), a[1].c_str()));
    }
    if (cmd == "memory" && need(1)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(ParseHwnd(a[1]), &pid);
        HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
        if (!process) return Fail(Format("cannot open the process of %s", a[1].c_str()));
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        const BOOL ok = GetProcessMemoryInfo(process, &counters, sizeof counters);
        CloseHandle(process);
        if (!ok) return Fail(Format("no memory figures of the process of %s", a[1].c_str()));
        const unsigned long ws = static_cast<unsigned long>(counters.WorkingSetSize / 1024);
        const unsigned long priv = static_cast<unsigned long>(counters.PagefileUsage / 1024);
        return Done(Format("%lu %lu\n", ws, priv), Format("[%lu,%lu]", ws, priv));
    }
    if (cmd == "settle" && need(1)) {
        // A message sent to another thread's window is handled when that thread next looks for
        // messages, before the ones posted to it; so each empty message sent in turn comes back
        // once the thread has handled (about) one more of the messages posted before it, and of
        // those that their handlers posted in turn. A thread inside a long handler keeps the
        // answer until it is done.
        HWND h = ParseHwnd(a[1]);
        const long rounds = argc > 1 ? ParseNum(a[2]) : 6;
        const UINT timeout = argc > 2 ? static_cast<UINT>(ParseNum(a[3])) : 5000;
        for (long i = 0; i < rounds; ++i) {
            DWORD_PTR result = 0;
            if (!IsWindow(h)) return Done();  // gone with what it was sent: nothing left to wait for
            if (!SendMessageTimeoutA(h, WM_NULL, 0, 0, SMTO_NORMAL, timeout, &result))
                return Fail(Format("settle: %s gave no answer within %u ms", a[1].c_str(), timeout));
        }
        return Done();
    }
    if (cmd == "reg-get" && need(2)) {
        HKEY k = OpenUserKey(a[1], false);
        DWORD value = 0, type = 0, size = sizeof value;
        const bool found = k && RegQueryValueExA(k, a[2].c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                                                 &size) == ERROR_SUCCESS;
        if (k) RegCloseKey(k);
        if (!found) return Done();
        if (type != REG_DWORD) return Fail(Format("%s is not a REG_DWORD (type %lu)", a[2].c_str(), type));
        return Done(Format("0x%lx\n", static_cast<unsigned long>(value)), Format("%lu", static_cast<unsigned long>(value)));
    }
    if (cmd == "reg-set" && need(3)) {
        HKEY k = OpenUserKey(a[1], true);
        if (!k) return Fail("cannot create the key " + a[1]);
        const DWORD value = static_cast<DWORD>(std::strtoull(a[3].c_str(), nullptr, 0));
        const LSTATUS s = RegSetValueExA(k, a[2].c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                         sizeof value);
        RegCloseKey(k);
        if (s == ERROR_SUCCESS) return Done();
        return Fail(Format("cannot write %s (error %ld)", a[2].c_str(), static_cast<long>(s)));
    }
    if (cmd == "reg-delete" && need(2)) {
        if (HKEY k = OpenUserKey(a[1], false)) {
            const LSTATUS s = RegDeleteValueA(k, a[2].c_str());
            RegCloseKey(k);
            if (s != ERROR_SUCCESS && s != ERROR_FILE_NOT_FOUND)
                return Fail(Format("cannot delete %s (error %ld)", a[2].c_str(), static_cast<long>(s)));
        }
        return Done();
    }
    if (cmd == "focus" && need(1)) {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        const DWORD thread = GetWindowThreadProcessId(ParseHwnd(a[1]), nullptr);
        if (!thread || !GetGUIThreadInfo(thread, &info)) return Fail("no focus of the thread of " + a[1]);
        return Done(HwndText(info.hwndFocus) + "\n", Quote(HwndText(info.hwndFocus)));
    }
    if (cmd == "keys" && need(1)) {
        std::vector<INPUT> down;
        for (size_t i = 1; i <= argc; ++i) {
            char* end = nullptr;
            INPUT in{};
            in.type = INPUT_KEYBOARD;
            in.ki.wVk = static_cast<WORD>(std::strtoul(a[i].c_str(), &end, 0));
            if (*end != ':') return Fail("keys: not VK:SCAN[:e]: " + a[i], 2);
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
            if (SendInput(1, &in, sizeof in) != 1)
                return Fail(Format("SendInput failed (error %lu)", static_cast<unsigned long>(GetLastError())));
            Sleep(30);
        }
        return Done();
    }
    if (cmd == "refuse-main-window" && need(1)) {
        char path[MAX_PATH] = {};
        const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string dll(path, n);
        dll = dll.substr(0, dll.find_last_of("\\/") + 1) + "darvix_refuse_window.dll";
        HMODULE module = LoadLibraryA(dll.c_str());
        auto proc = module ? reinterpret_cast<HOOKPROC>(GetProcAddress(module, "RefuseMainWindow")) : nullptr;
        HHOOK hook = proc ? SetWindowsHookExA(WH_CBT, proc, module, 0) : nullptr;
        if (!hook)
            return Fail(Format("refuse-main-window: no hook from %s (error %lu)", dll.c_str(),
                               static_cast<unsigned long>(GetLastError())));
        std::printf("hooked\n");
        std::fflush(stdout);
        const DWORD start = GetTickCount();
        while (GetFileAttributesA(a[1].c_str()) != INVALID_FILE_ATTRIBUTES && GetTickCount() - start < 120000) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
            Sleep(50);
        }
        UnhookWindowsHookEx(hook);
        return Done();
    }
    return Fail("unknown command or missing arguments: " + cmd + " (see the comment at the top of driver.cpp)", 2);
}

// One line of serve mode: a JSON array of strings (the escapes JSON has; \u00XX gives byte XX).
bool ParseArgs(const std::string& line, std::vector<std::string>& out) {
    size_t i = 0;
    auto skip = [&] {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r' || line[i] == '\n')) ++i;
    };
    skip();
    if (i >= line.size() || line[i++] != '[') return false;
    skip();
    if (i < line.size() && line[i] == ']') return true;
    for (;;) {
        skip();
        if (i >= line.size() || line[i++] != '"') return false;
        std::string s;
        for (;;) {
            if (i >= line.size()) return false;
            char c = line[i++];
            if (c == '"') break;
            if (c != '\\') {
                s += c;
                continue;
            }
            if (i >= line.size()) return false;
            c = line[i++];
            switch (c) {
                case 'n': s += '\n'; break;
                case 't': s += '\t'; break;
                case 'r': s += '\r'; break;
                case 'b': s += '\b'; break;
                case 'f': s += '\f'; break;
                case 'u': {
                    if (i + 4 > line.size()) return false;
                    const unsigned long code = std::strtoul(line.substr(i, 4).c_str(), nullptr, 16);
                    i += 4;
                    s += code < 0x100 ? static_cast<char>(code) : '?';
                    break;
                }
                default: s += c;
            }
        }
        out.push_back(s);
        skip();
        if (i >= line.size()) return false;
        if (line[i] == ']') return true;
        if (line[i++] != ',') return false;
    }
}

int Serve() {
    // Answers end in "\n" alone, not the "\r\n" of the text mode.
    _setmode(_fileno(stdout), _O_BINARY);
    std::string line;
    int c;
    for (;;) {
        line.clear();
        while ((c = std::fgetc(stdin)) != EOF && c != '\n') line += static_cast<char>(c);
        if (c == EOF && line.empty()) return 0;
        std::vector<std::string> args;
        Reply r;
        if (!ParseArgs(line, args))
            r = Fail("not a JSON array of strings: " + line, 2);
        else if (args.size() == 1 && args[0] == "quit")
            return 0;
        else
            r = Run(args);
        if (r.ok)
            std::printf("{\"ok\":true,\"value\":%s}\n", r.json.c_str());
        else
            std::printf("{\"ok\":false,\"error\":%s}\n", Quote(r.error).c_str());
        std::fflush(stdout);
        if (c == EOF) return 0;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "serve") == 0) return Serve();
    const Reply r = Run(std::vector<std::string>(argv + 1, argv + argc));
    if (!r.ok) {
        // Said on stderr so that a time-out can be told from a driver that never got this far.
        std::fprintf(stderr, "%s\n", r.error.c_str());
        return r.code;
    }
    std::fputs(r.plain.c_str(), stdout);
    return 0;
}
