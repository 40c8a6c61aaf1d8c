// GDI+ objects through the flat API, each owned by one scope and counted, so that tests can show
// that a drawing frees everything it made (GetGuiResources reads 0 under Wine). For the toolkit's
// own drawing code: it includes GDI+'s headers.
#pragma once

#include <windows.h>
// GDI+'s headers need the COM interfaces declared first.
#include <objidl.h>
#include <gdiplus.h>

namespace ui::gp {

namespace flat = Gdiplus::DllExports;
using Gdiplus::GpStatus;

// The live count behind ui::LiveGdiplusObjects.
long& LiveCounter();

template <class T, GpStatus(WINGDIPAPI* Delete)(T*)>
class Owned {
public:
    Owned() = default;
    ~Owned() { Reset(); }
    void Reset() {
        if (p_ && Delete(p_) == Gdiplus::Ok) --LiveCounter();
        p_ = nullptr;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    T** Out() { return &p_; }
    // Call after the creating function: counts what it made.
    bool Made(GpStatus status) {
        if (status != Gdiplus::Ok) p_ = nullptr;
        if (p_) ++LiveCounter();
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
using Pen = Owned<Gdiplus::GpPen, flat::GdipDeletePen>;
using StringFormat = Owned<Gdiplus::GpStringFormat, flat::GdipDeleteStringFormat>;
inline GpStatus WINGDIPAPI DisposeBitmap(Gdiplus::GpBitmap* bitmap) { return flat::GdipDisposeImage(bitmap); }
using Bitmap = Owned<Gdiplus::GpBitmap, DisposeBitmap>;

// A solid brush of an ARGB colour.
bool MakeSolidBrush(uint32_t argb, Brush& out);

}  // namespace ui::gp
