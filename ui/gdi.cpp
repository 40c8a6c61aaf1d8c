#include "ui/gdi.h"

#include <cstring>

#include "os/phases.h"
#include "ui/win.h"

namespace ui::gdi {
namespace {

LiveCounts g_live;
size_t g_bitmapBytes = 0;
std::vector<HGDIOBJ>* g_journal = nullptr;

// The open account and, while the record is on, the account and size of each live bitmap made
// in one.
const char* g_account = nullptr;
struct Accounted {
    HGDIOBJ bitmap;
    size_t account;  // into g_accounts
    size_t bytes;
};
std::vector<Accounted> g_accounted;
std::vector<AccountBytes> g_accounts;

void Account(HGDIOBJ bitmap, size_t bytes) {
    if (!g_account || !os::PhasesOn()) return;
    size_t i = 0;
    while (i < g_accounts.size() && std::strcmp(g_accounts[i].name, g_account) != 0) ++i;
    if (i == g_accounts.size()) g_accounts.push_back({g_account, 0, 0});
    g_accounts[i].bytes += bytes;
    ++g_accounts[i].bitmaps;
    g_accounted.push_back({bitmap, i, bytes});
}

void Unaccount(HGDIOBJ bitmap) {
    for (size_t i = g_accounted.size(); i-- > 0;)
        if (g_accounted[i].bitmap == bitmap) {
            AccountBytes& a = g_accounts[g_accounted[i].account];
            a.bytes -= g_accounted[i].bytes;
            --a.bitmaps;
            g_accounted.erase(g_accounted.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
}

size_t PixelBytes(HGDIOBJ bitmap) {
    BITMAP info{};
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return 0;
    return static_cast<size_t>(info.bmWidthBytes) * static_cast<size_t>(info.bmHeight);
}

template <class H>
H Made(H handle, long LiveCounts::*counter) {
    if (handle) {
        ++(g_live.*counter);
        if (counter == &LiveCounts::bitmaps) {
            const size_t bytes = PixelBytes(handle);
            g_bitmapBytes += bytes;
            Account(reinterpret_cast<HGDIOBJ>(handle), bytes);
        }
        if (g_journal) g_journal->push_back(reinterpret_cast<HGDIOBJ>(handle));
    }
    return handle;
}

}  // namespace

LiveCounts Live() { return g_live; }
size_t LiveBitmapBytes() { return g_bitmapBytes; }

BitmapAccount::BitmapAccount(const char* name) : previous_(g_account) { g_account = name; }
BitmapAccount::~BitmapAccount() { g_account = previous_; }

std::vector<AccountBytes> BitmapAccounts() { return g_accounts; }

void SetJournal(std::vector<HGDIOBJ>* journal) { g_journal = journal; }

HDC MakeMemoryDC(HDC compatible) {
    return Made(CreateCompatibleDC(compatible), &LiveCounts::memoryDcs);
}

void FreeMemoryDC(HDC dc) {
    if (dc && DeleteDC(dc)) --g_live.memoryDcs;
}

HBITMAP MakeBitmap(HDC compatible, int width, int height) {
    void* bits = nullptr;
    if (HBITMAP made = MakeDib(width, height, &bits)) return made;
    return Made(CreateCompatibleBitmap(compatible, width < 1 ? 1 : width, height < 1 ? 1 : height),
                &LiveCounts::bitmaps);
}

HDC ScreenFormatDC() {
    static const HDC dc = [] () -> HDC {
        HDC screen = GetDC(nullptr);
        if (!screen) return nullptr;
        HDC memory = CreateCompatibleDC(screen);
        HBITMAP pixel = memory ? CreateCompatibleBitmap(screen, 1, 1) : nullptr;
        ReleaseDC(nullptr, screen);
        if (!pixel) {
            if (memory) DeleteDC(memory);
            return nullptr;
        }
        SelectObject(memory, pixel);
        return memory;
    }();
    return dc;
}

namespace {

// The bytes of a BITMAP resource of the program's (its header, then its colours and pixels) and
// their count; null when there is no such resource.
const void* StoredBitmap(UINT id, DWORD* size) {
    HMODULE module = ModuleInstance();
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), reinterpret_cast<LPCSTR>(RT_BITMAP));
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    *size = data ? SizeofResource(module, found) : 0;
    return data;
}

// A 32-bit DIB section of 0x00RRGGBB pixels, rows top-down when `topDown`, else bottom-up as a
// BMP stores them. The colours are given as bit fields, not BI_RGB: Wine's GDI+ takes a BI_RGB
// 32-bit section for one with alpha and would then draw into it otherwise than into a screen bitmap.
HBITMAP MakeSection(int width, int height, bool topDown, void** bits) {
    struct {
        BITMAPINFOHEADER header;
        DWORD masks[3];
    } info{};
    info.header.biSize = sizeof info.header;
    info.header.biWidth = width < 1 ? 1 : width;
    info.header.biHeight = (topDown ? -1 : 1) * (height < 1 ? 1 : height);
    info.header.biPlanes = 1;
    info.header.biBitCount = 32;
    info.header.biCompression = BI_BITFIELDS;
    info.masks[0] = 0xff0000;
    info.masks[1] = 0x00ff00;
    info.masks[2] = 0x0000ff;
    void* pixels = nullptr;
    HBITMAP made = Made(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &pixels,
                                         nullptr, 0),
                        &LiveCounts::bitmaps);
    *bits = made ? pixels : nullptr;
    return made;
}

// The pixels of a BITMAP resource that is stored as the program stores its skins (a plain
// 40-byte header, 32 bits a pixel, BI_RGB, no colour table, the rows whole), copied into a section
// of their own; null for any other form, which LoadBitmapA then reads.
HBITMAP CopyStoredPixels(UINT id) {
    DWORD size = 0;
    const auto* data = static_cast<const unsigned char*>(StoredBitmap(id, &size));
    if (!data || size < sizeof(BITMAPINFOHEADER)) return nullptr;
    BITMAPINFOHEADER header;
    std::memcpy(&header, data, sizeof header);
    if (header.biSize != sizeof header || header.biPlanes != 1 || header.biBitCount != 32 ||
        header.biCompression != BI_RGB || header.biClrUsed != 0 || header.biWidth <= 0 ||
        header.biHeight <= 0 || header.biWidth > 0x8000 || header.biHeight > 0x8000)
        return nullptr;
    const size_t bytes = static_cast<size_t>(header.biWidth) * 4 * static_cast<size_t>(header.biHeight);
    if (bytes > size - sizeof header) return nullptr;
    void* bits = nullptr;
    HBITMAP made = MakeSection(header.biWidth, header.biHeight, false, &bits);
    if (made) std::memcpy(bits, data + sizeof header, bytes);
    return made;
}

}  // namespace

HBITMAP MakeDib(int width, int height, void** bits) { return MakeSection(width, height, true, bits); }

HBITMAP LoadSkinBitmap(UINT id) {
    if (id == 0) return nullptr;
    os::PhaseTimer timer("skin-bitmaps-loaded");
    if (HBITMAP copied = CopyStoredPixels(id)) return copied;
    return Made(LoadBitmapA(ModuleInstance(), MAKEINTRESOURCEA(id)), &LiveCounts::bitmaps);
}

HBRUSH MakeBrush(COLORREF colour) { return Made(CreateSolidBrush(colour), &LiveCounts::brushes); }

HPEN MakePen(int style, int width, COLORREF colour) {
    return Made(CreatePen(style, width, colour), &LiveCounts::pens);
}

HFONT MakeFont(int height, int weight, const char* face) {
    os::PhaseTimer timer("GDI-fonts-made");
    return Made(CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH,
                            face),
                &LiveCounts::fonts);
}

void Free(HGDIOBJ object) {
    if (!object) return;
    const DWORD type = GetObjectType(object);
    const size_t bytes = type == OBJ_BITMAP ? PixelBytes(object) : 0;
    if (!DeleteObject(object)) return;
    g_bitmapBytes -= bytes;
    if (type == OBJ_BITMAP && !g_accounted.empty()) Unaccount(object);
    switch (type) {
    case OBJ_BITMAP: --g_live.bitmaps; break;
    case OBJ_BRUSH: --g_live.brushes; break;
    case OBJ_PEN: --g_live.pens; break;
    case OBJ_FONT: --g_live.fonts; break;
    default: break;
    }
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return SIZE{0, 0};
    return SIZE{info.bmWidth, info.bmHeight};
}

size_t BitmapBytes(HBITMAP bitmap) { return PixelBytes(bitmap); }

// Under Wine, LoadBitmapA makes a display-compatible bitmap through a memory DC of its own (four
// GDI objects made and freed, about 0.3 ms even for a small strip); the header alone tells the size.
SIZE SkinBitmapSize(UINT id) {
    if (id == 0) return SIZE{0, 0};
    DWORD size = 0;
    const void* data = StoredBitmap(id, &size);
    if (!data || size < sizeof(BITMAPCOREHEADER)) return SIZE{0, 0};
    const DWORD headerSize = *static_cast<const DWORD*>(data);
    if (headerSize == sizeof(BITMAPCOREHEADER)) {
        const auto* core = static_cast<const BITMAPCOREHEADER*>(data);
        return SIZE{core->bcWidth, core->bcHeight};
    }
    if (headerSize < sizeof(BITMAPINFOHEADER) || size < sizeof(BITMAPINFOHEADER)) return SIZE{0, 0};
    const auto* info = static_cast<const BITMAPINFOHEADER*>(data);
    if (info->biWidth <= 0 || info->biHeight == 0) return SIZE{0, 0};
    return SIZE{info->biWidth, info->biHeight < 0 ? -info->biHeight : info->biHeight};
}

bool MemoryDC::Create(HDC compatible) {
    Reset();
    dc_ = MakeMemoryDC(compatible);
    return dc_ != nullptr;
}

void MemoryDC::SetBitmap(HBITMAP bitmap) {
    HBITMAP old = bitmap_;
    if (dc_) {
        if (bitmap) {
            HGDIOBJ previous = SelectObject(dc_, bitmap);
            if (!original_) original_ = previous;
        } else if (original_) {
            SelectObject(dc_, original_);
            original_ = nullptr;
        }
    }
    bitmap_ = dc_ ? bitmap : nullptr;
    size_ = BitmapSize(bitmap_);
    if (!dc_ && bitmap) Free(bitmap);  // no DC to hold it: nobody would free it
    if (old && old != bitmap) Free(old);
}

void MemoryDC::Reset() {
    if (dc_ && original_) SelectObject(dc_, original_);
    original_ = nullptr;
    FreeMemoryDC(dc_);
    dc_ = nullptr;
    if (bitmap_) Free(bitmap_);
    bitmap_ = nullptr;
    size_ = SIZE{0, 0};
}

WindowDC::WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {
    if (dc_) ++g_live.windowDcs;
}

WindowDC::WindowDC(HWND window, DWORD flags) : window_(window), dc_(GetDCEx(window, nullptr, flags)) {
    if (dc_) ++g_live.windowDcs;
}

WindowDC::~WindowDC() {
    if (dc_ && ReleaseDC(window_, dc_)) --g_live.windowDcs;
}

}  // namespace ui::gdi
