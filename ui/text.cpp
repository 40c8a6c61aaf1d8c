#include "ui/text.h"

#include "ui/text_gdiplus.h"

#include "os/phases.h"

#include <map>
#include <string>

namespace ui {

namespace gp {

long& LiveCounter() {
    static long live = 0;
    return live;
}

bool MakeSolidBrush(uint32_t argb, Brush& out) {
    Gdiplus::GpSolidFill* fill = nullptr;
    const GpStatus made = flat::GdipCreateSolidFill(argb, &fill);
    *out.Out() = fill;
    return out.Made(made);
}

}  // namespace gp

namespace {

using namespace gp;

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
// Each asked name remembers the fallback that served it: a missing face is looked up once, not
// on every drawing (the chart draws its labels on every paint).
bool FindFamily(const wchar_t* name, Family& out) {
    static std::map<std::wstring, std::wstring> served;  // UI thread only
    const std::wstring asked = name ? name : L"";
    const auto known = served.find(asked);
    if (known != served.end() && MakeFamily(known->second.c_str(), out)) return true;
    if (MakeFamily(name, out)) return true;
    for (const wchar_t* fallback : kFallbackFamilies) {
        if (MakeFamily(fallback, out)) {
            served[asked] = fallback;
            return true;
        }
    }
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
    os::PhaseTimer timer("GDI+-texts-drawn");
    Graphics graphics;
    if (!graphics.Made(flat::GdipCreateFromHDC(dc, graphics.Out()))) return false;
    flat::GdipSetTextRenderingHint(graphics.get(), static_cast<Gdiplus::TextRenderingHint>(style.hint));
    flat::GdipSetSmoothingMode(graphics.get(), Gdiplus::SmoothingModeAntiAlias);

    Family family;
    if (!FindFamily(style.family, family)) return false;
    Font font;
    const INT fontStyle = style.bold ? Gdiplus::FontStyleBold : Gdiplus::FontStyleRegular;
    if (!font.Made(flat::GdipCreateFont(family.get(), style.points, fontStyle, Gdiplus::UnitPoint,
                                        font.Out())))
        return false;
    Brush brush;
    if (!MakeSolidBrush(style.argb, brush)) return false;
    StringFormat format;
    if (style.formatFlags >= 0) {
        if (!format.Made(flat::GdipCreateStringFormat(style.formatFlags, LANG_NEUTRAL, format.Out())))
            return false;
        flat::GdipSetStringFormatAlign(format.get(), static_cast<Gdiplus::StringAlignment>(style.alignment));
    }
    // From a point, GDI+ lays the text out in a box without size: no wrapping, no clipping.
    const Gdiplus::RectF box(static_cast<Gdiplus::REAL>(layout.left),
                             static_cast<Gdiplus::REAL>(layout.top),
                             style.atPoint ? 0.0f : static_cast<Gdiplus::REAL>(layout.right - layout.left),
                             style.atPoint ? 0.0f : static_cast<Gdiplus::REAL>(layout.bottom - layout.top));
    const INT length = static_cast<INT>(style.maxChars >= 0 && static_cast<size_t>(style.maxChars) < wide.size()
                                            ? static_cast<size_t>(style.maxChars)
                                            : wide.size());
    return flat::GdipDrawString(graphics.get(), wide.c_str(), length, font.get(), &box, format.get(),
                                brush.get()) == Gdiplus::Ok;
}

long LiveGdiplusObjects() { return LiveCounter(); }

}  // namespace ui
