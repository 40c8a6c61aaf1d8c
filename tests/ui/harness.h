// What every window test shares (the library darvix_uitest): a recording parent window, message
// pumping, the places and texts of windows, pixels, bitmaps, screenshots and the fixture of a
// dialog's test. Tests drive real windows with messages under Wine.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ui/text.h"

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

// A window's text (up to 1023 characters).
std::string Text(HWND w);
// Its own WS_VISIBLE, whether or not the window around it shows.
bool Visible(HWND w);
bool Enabled(HWND w);
// A child's window rectangle in its parent's client coordinates, and its top left corner.
RECT RectIn(HWND child, HWND parent);
POINT PlaceIn(HWND child, HWND parent);
SIZE SizeOf(HWND w);      // of the window rectangle
SIZE ClientSize(HWND w);  // of the client area

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
// Paints a window and its children now and saves what the screen shows of it as `name`.bmp in
// the screenshot folder.
void Shot(HWND w, const std::string& name);

// The fixture of a dialog's window test: a GDI+ session of its own, as the application object
// holds one, and a recording parent for the dialog to post to.
class DialogTest : public ::testing::Test {
protected:
    ui::GdiplusSession gdiplus;
    RecordingParent parent;
};

}  // namespace uitest
