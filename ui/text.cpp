#include "ui/text.h"

// GDI+'s headers need the COM interfaces declared first.
#include <objidl.h>
#include <gdiplus.h>

namespace ui {
namespace {

namespace flat = Gdiplus::DllExports;
using Gdiplus::GpStatus;

long g_live = 0;

// One GDI+ object for one drawing, freed by its scope; the counter shows nothing outlives it.
template <class T, GpStatus(WINGDIPAPI* Delete)(T*)>
class Owned {
public:
    Owned() = default;
    ~Owned() {
        if (p_ && Delete(p_) == Gdiplus::Ok) --g_live;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    T** Out() { return &p_; }
    // Call after the creating function: counts what it made.
    bool Made(GpStatus status) {
        if (status != Gdiplus::Ok) p_ = nullptr;
        if (p_) ++g_live;
        return p_ != nullptr;
    }
    T* get() const { return p_; }

private:
    T* p_ = nullptr;
};

using Graphics = Owned<Gdiplus::GpGraphics, flat::GdipDeleteGraphics>;
using Family = Owned<Gdiplus::GpFontFamily, flat::GdipDeleteFontFamily>;
using Font = Owned<Gdiplus::GpFont, flat::GdipDeleteFont>;
using Brush = Owned<Gdiplus::GpBrush, flat::GdipDeleteBrush>;
using Format = Owned<Gdiplus::GpStringFormat, flat::GdipDeleteStringFormat>;

// Families tried, in order, after the one asked for.
constexpr const wchar_t* kFallbackFamilies[] = {
    L"Arial", L"Liberation Sans", L"DejaVu Sans", L"Tahoma", L"Verdana", L"Microsoft Sans Serif",
    L"MS Sans Serif",
};

bool MakeFamily(const wchar_t* name, Family& out) {
    return name && out.Made(flat::GdipCreateFontFamilyFromName(name, nullptr, out.Out()));
}

// The asked family, else the first fallback GDI+ knows, else the generic sans serif (a clone, so
// that freeing it is like freeing any other family).
bool FindFamily(const wchar_t* name, Family& out) {
    if (MakeFamily(name, out)) return true;
    for (const wchar_t* fallback : kFallbackFamilies)
        if (MakeFamily(fallback, out)) return true;
    Gdiplus::GpFontFamily* generic = nullptr;
    if (flat::GdipGetGenericFontFamilySansSerif(&generic) != Gdiplus::Ok || !generic) return false;
    return out.Made(flat::GdipCloneFontFamily(generic, out.Out()));
}

}  // namespace

GdiplusSession::GdiplusSession() {
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&token_, &input, nullptr) != Gdiplus::Ok) token_ = 0;
}

GdiplusSession::~GdiplusSession() {
    if (token_) Gdiplus::GdiplusShutdown(token_);
}

std::wstring Widen(const char* text) {
    if (!text || !*text) return std::wstring();
    const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (n <= 1) return std::wstring();
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), n);
    wide.resize(static_cast<size_t>(n - 1));
    return wide;
}

std::wstring ResolvedFontFamily(const wchar_t* family) {
    Family f;
    if (!FindFamily(family, f)) return std::wstring();
    WCHAR name[LF_FACESIZE] = {};
    flat::GdipGetFamilyName(f.get(), name, LANG_NEUTRAL);
    return name;
}

bool DrawTextAntialiased(HDC dc, const char* text, const RECT& layout, const TextStyle& style) {
    const std::wstring wide = Widen(text);
    if (!dc || wide.empty()) return false;
    Graphics graphics;
    if (!graphics.Made(flat::GdipCreateFromHDC(dc, graphics.Out()))) return false;
    flat::GdipSetTextRenderingHint(graphics.get(), Gdiplus::TextRenderingHintAntiAlias);
    flat::GdipSetSmoothingMode(graphics.get(), Gdiplus::SmoothingModeAntiAlias);

    Family family;
    if (!FindFamily(style.family, family)) return false;
    Font font;
    const INT fontStyle = style.bold ? Gdiplus::FontStyleBold : Gdiplus::FontStyleRegular;
    if (!font.Made(flat::GdipCreateFont(family.get(), style.points, fontStyle, Gdiplus::UnitPoint,
                                        font.Out())))
        return false;
    Brush brush;
    Gdiplus::GpSolidFill* fill = nullptr;
    const GpStatus made = flat::GdipCreateSolidFill(style.argb, &fill);
    *brush.Out() = fill;
    if (!brush.Made(made)) return false;

    const Gdiplus::RectF box(static_cast<Gdiplus::REAL>(layout.left),
                             static_cast<Gdiplus::REAL>(layout.top),
                             static_cast<Gdiplus::REAL>(layout.right - layout.left),
                             static_cast<Gdiplus::REAL>(layout.bottom - layout.top));
    Format format;
    if (style.centred &&
        format.Made(flat::GdipCreateStringFormat(0, LANG_NEUTRAL, format.Out())))
    {
        flat::GdipSetStringFormatAlign(format.get(), Gdiplus::StringAlignmentCenter);
        // A centred word stays one line even where the font at hand is wider than the box.
        flat::GdipSetStringFormatFlags(format.get(), Gdiplus::StringFormatFlagsNoWrap);
    }
    return flat::GdipDrawString(graphics.get(), wide.c_str(), static_cast<INT>(wide.size()),
                                font.get(), &box, format.get(), brush.get()) == Gdiplus::Ok;
}

long LiveGdiplusObjects() { return g_live; }

}  // namespace ui
