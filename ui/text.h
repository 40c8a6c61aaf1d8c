// Anti-aliased text with GDI+ (message boxes, device information, level readouts, chart labels).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace ui {

// GDI+ for the life of the object; the application object holds one for the whole run, and
// tests that draw text make their own.
class GdiplusSession {
public:
    GdiplusSession();
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    bool Ok() const { return token_ != 0; }

private:
    ULONG_PTR token_ = 0;
};

struct TextStyle {
    const wchar_t* family = L"Arial";
    float points = 12.0f;
    bool bold = false;
    uint32_t argb = 0xFF000000;  // Gdiplus::Color layout: alpha in the top byte
    bool centred = false;        // centred across the layout box rather than from its left
};

// Draws `text` (the program's ANSI code page) into `dc` with GDI+ DrawString: anti-aliased,
// wrapped inside `layout`, from its top-left corner (the default string format). When GDI+ does
// not know the family (no "LCD5x8H" on most machines, and a fresh Wine knows none), the text is
// drawn in one that exists rather than not at all. False when nothing could be drawn.
bool DrawTextAntialiased(HDC dc, const char* text, const RECT& layout, const TextStyle& style);

// The family name DrawTextAntialiased would use for `family` here (for tests and logs).
std::wstring ResolvedFontFamily(const wchar_t* family);

// ANSI text to UTF-16 with MultiByteToWideChar (mingw's swprintf "%S" is not MSVC's).
std::wstring Widen(const char* text);

// GDI+ objects alive that DrawTextAntialiased made (0 between drawings).
long LiveGdiplusObjects();

}  // namespace ui
