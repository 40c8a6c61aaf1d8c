// The toolkit's GDI objects are made and freed only through these wrappers. Each handle has one
// owner, and the wrappers count the live handles of each kind: GetGuiResources reads 0 under
// Wine, so these counts (and a journal of the handles made, for GetObjectType) are how tests show
// that windows, skin changes and message boxes free everything they make. UI thread only.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <vector>

namespace ui::gdi {

struct LiveCounts {
    long memoryDcs = 0;
    long windowDcs = 0;  // GetDC without ReleaseDC
    long bitmaps = 0;
    long brushes = 0;
    long pens = 0;
    long fonts = 0;
    long Total() const { return memoryDcs + windowDcs + bitmaps + brushes + pens + fonts; }
    bool operator==(const LiveCounts&) const = default;
};
LiveCounts Live();
// Bytes of the pixels of every bitmap made above and not yet freed.
size_t LiveBitmapBytes();

// While the start-up record is on (os::PhasesOn), the bitmaps made while an account is open are
// counted under its name (the innermost open account), until they are freed, so that the record
// can tell what holds the pixels. Names must outlive the program (string literals).
class BitmapAccount {
public:
    explicit BitmapAccount(const char* name);
    ~BitmapAccount();
    BitmapAccount(const BitmapAccount&) = delete;
    BitmapAccount& operator=(const BitmapAccount&) = delete;

private:
    const char* previous_;
};
struct AccountBytes {
    const char* name;
    size_t bytes;
    long bitmaps;
};
// The live bitmaps of each account, in the order the accounts were first used.
std::vector<AccountBytes> BitmapAccounts();

// While a journal is set, every handle made through the wrappers is appended to it (tests check
// afterwards that GDI no longer knows them). Null stops the journal.
void SetJournal(std::vector<HGDIOBJ>* journal);

HDC MakeMemoryDC(HDC compatible);
void FreeMemoryDC(HDC dc);
// A colour bitmap of 32 bits a pixel for a back buffer or a strip: a DIB section of the pixel
// layout of a 32-bit screen bitmap, or, when no section can be made, a bitmap compatible with
// `compatible` (then pass a window DC: a fresh memory DC holds a 1 x 1 monochrome bitmap and would
// give a monochrome one). Sizes below 1 become 1. Under Wine, selecting a screen-compatible bitmap
// into a DC asks the server three times for the display's depth; a section is selected at once.
HBITMAP MakeBitmap(HDC compatible, int width, int height);
// A memory DC holding a 1 x 1 bitmap of the screen's format, made on first use and kept for the
// life of the program (UI thread): memory DCs and bitmaps made compatible with it are those a
// window's DC would give, without asking for one (under Wine each window DC is a trip to the
// server). Null when the screen gives no DC.
HDC ScreenFormatDC();
// A 32-bit top-down DIB section of 0x00RRGGBB pixels (bit fields, no alpha); `bits` receives its
// pixels (rows of width * 4 bytes).
HBITMAP MakeDib(int width, int height, void** bits);
// A BITMAP resource of the program; null when there is none of that id. A resource stored as the
// skins are (32 bits a pixel, BI_RGB) is copied into a DIB section as it stands; any other form is
// read by LoadBitmapA. The pixels are the same either way (LoadBitmapA makes a screen bitmap
// through a DC of its own, six server trips under Wine, and the select that follows costs three).
HBITMAP LoadSkinBitmap(UINT id);
HBRUSH MakeBrush(COLORREF colour);
HPEN MakePen(int style, int width, COLORREF colour);
HFONT MakeFont(int height, int weight, const char* face);
// Frees a bitmap, brush, pen or font made above. It must not be selected into a DC any more.
void Free(HGDIOBJ object);

SIZE BitmapSize(HBITMAP bitmap);  // 0 x 0 for null
// The size of a BITMAP resource of the program, read from its header (no bitmap is made);
// 0 x 0 when there is none of that id.
SIZE SkinBitmapSize(UINT id);
size_t BitmapBytes(HBITMAP bitmap);  // its rows of pixels; 0 for null

// A memory DC and the bitmap it holds. The bitmap belongs to it: replacing the bitmap frees the
// old one, and Reset (or the destructor) puts the DC's own bitmap back before freeing both.
class MemoryDC {
public:
    MemoryDC() = default;
    ~MemoryDC() { Reset(); }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;

    // A new DC compatible with `compatible` (frees what was there); false when GDI refuses.
    bool Create(HDC compatible);
    // Selects `bitmap` (which may be null: the DC is then empty) and frees the previous one.
    void SetBitmap(HBITMAP bitmap);
    void Reset();

    HDC Get() const { return dc_; }
    operator HDC() const { return dc_; }
    HBITMAP Bitmap() const { return bitmap_; }
    // Size of the bitmap held, 0 x 0 without one.
    SIZE Size() const { return size_; }
    bool HasBitmap() const { return dc_ && bitmap_ && size_.cx > 0 && size_.cy > 0; }

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ original_ = nullptr;
    SIZE size_{0, 0};
};

// GetDC / ReleaseDC of a window for one scope. With flags: GetDCEx(window, null, flags), whose
// clipping follows the flags alone (not the window's WS_CLIPCHILDREN).
class WindowDC {
public:
    explicit WindowDC(HWND window);
    WindowDC(HWND window, DWORD flags);
    ~WindowDC();
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    operator HDC() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// The DC a window's memory DCs and bitmaps are made compatible with: the kept screen-format DC
// (ScreenFormatDC), or, when there is none, the window's own DC for this scope.
class FormatDC {
public:
    explicit FormatDC(HWND window) : dc_(ScreenFormatDC()) {
        if (!dc_) dc_ = own_.emplace(window);
    }
    FormatDC(const FormatDC&) = delete;
    FormatDC& operator=(const FormatDC&) = delete;
    operator HDC() const { return dc_; }

private:
    std::optional<WindowDC> own_;
    HDC dc_;
};

}  // namespace ui::gdi
