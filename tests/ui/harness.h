// What the toolkit's tests share: a recording parent window, message pumping, pixels, bitmaps
// and screenshots. Tests drive real windows with messages under Wine.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace uitest {

struct Received {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    float value;  // *(float*)lParam for MsgSliderMoved, read during the call
    bool sent;    // SendMessage rather than PostMessage
};

// A top-level window that records every private message and WM_NCLBUTTONDOWN it gets. It never
// passes WM_NCLBUTTONDOWN on: without a window manager the system's move loop never returns.
class RecordingParent {
public:
    explicit RecordingParent(int width = 1100, int height = 700);
    ~RecordingParent();
    RecordingParent(const RecordingParent&) = delete;
    RecordingParent& operator=(const RecordingParent&) = delete;

    HWND hwnd() const { return window_; }
    std::vector<Received> received;
    LRESULT reply = 0;  // returned for the private messages sent to it
    // Called for every private message while it is handled (pointers in it are valid then).
    std::function<void(UINT message, WPARAM wParam, LPARAM lParam)> onPrivate;
    // Called on WM_ENTERIDLE, which a modal dialog it owns sends when its queue is empty.
    std::function<void(HWND dialog)> onIdle;

    std::vector<Received> Of(UINT message) const;
    void Clear() { received.clear(); }

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    HWND window_ = nullptr;
};

// Dispatches everything queued for this thread, except WM_NCLBUTTONDOWN (kept in DroppedNcDowns).
void Pump();
std::vector<MSG>& DroppedNcDowns();

// Mouse messages with a point in client coordinates (negative words for points left or above).
LPARAM Point(int x, int y);
void Click(HWND window, int x, int y);  // WM_LBUTTONDOWN then WM_LBUTTONUP at the same point

// 0x00BBGGRR of a pixel of a DC.
COLORREF Pixel(HDC dc, int x, int y);
// A pixel of a BITMAP resource, read from the resource itself.
COLORREF BitmapPixel(UINT bitmapId, int x, int y);
SIZE BitmapSizeOf(UINT bitmapId);

// A memory DC holding a bitmap resource, for owners' DCs (slider backgrounds and thumbs).
class LoadedBitmap {
public:
    explicit LoadedBitmap(UINT bitmapId);
    ~LoadedBitmap();
    HDC dc() const { return dc_; }

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

// Pixels that differ from `background` inside a rectangle (text drawn there, whatever glyphs).
int PixelsDifferentFrom(HDC dc, const RECT& area, COLORREF background);

// The pixels (0x00RRGGBB) of an area of a DC, row by row from the top; empty for an empty area.
std::vector<uint32_t> Grab(HDC dc, const RECT& area);

// Writes an area of a DC as a 24-bit BMP file; false when it cannot.
bool SaveBmp(HDC dc, const RECT& area, const std::string& path);
// Folder for screenshots: $DARVIX_SCREENSHOTS or "screenshots" in the working folder.
std::string ScreenshotFolder();

}  // namespace uitest
