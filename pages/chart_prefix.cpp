#include "pages/chart_prefix.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "os/phases.h"
#include "ui/text_gdiplus.h"

namespace pages {
namespace {

namespace flat = ui::gp::flat;

const Gdiplus::PointF* AsGdiplus(const dsp::ChartPoint* p) {
    return reinterpret_cast<const Gdiplus::PointF*>(p);
}

RECT Union(const RECT& a, const RECT& b) {
    if (IsRectEmpty(&a)) return b;
    if (IsRectEmpty(&b)) return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

RECT Intersect(const RECT& a, const RECT& b) {
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    if (r.left >= r.right || r.top >= r.bottom) return {0, 0, 0, 0};
    return r;
}

// The pixels an op can touch: its points through the plan's transform, widened by two pixels
// for the anti-aliased edge, inside the clip.
RECT Bounds(const dsp::PaintPlan& plan, const dsp::PaintOp& op) {
    double x0 = 1e30, y0 = 1e30, x1 = -1e30, y1 = -1e30;
    for (int i = 0; i < op.count; ++i) {
        const double x = plan.tx + plan.sx * (static_cast<double>(op.points[i].x) + plan.ox);
        const double y = plan.ty + plan.sy * static_cast<double>(op.points[i].y);
        x0 = std::min(x0, x);
        x1 = std::max(x1, x);
        y0 = std::min(y0, y);
        y1 = std::max(y1, y);
    }
    if (!(x0 <= x1) || !(y0 <= y1)) return {0, 0, 0, 0};
    auto bound = [](double v) { return static_cast<LONG>(std::clamp(v, -1e6, 1e6)); };
    return Intersect({bound(std::floor(x0) - 2), bound(std::floor(y0) - 2), bound(std::ceil(x1) + 3),
                      bound(std::ceil(y1) + 3)},
                     {plan.clipLeft, plan.clipTop, plan.clipRight, plan.clipBottom});
}

}  // namespace

bool ChartPrefix::Op::Same(const dsp::PaintOp& op) const {
    return kind == op.kind && argb == op.argb && curve == op.curve &&
           static_cast<int>(points.size()) == op.count &&
           std::memcmp(points.data(), op.points, sizeof(dsp::ChartPoint) * points.size()) == 0;
}

void ChartPrefix::Release() {
    canvas_.Reset();
    canvasBits_ = nullptr;
    copy_.Reset();
    keptAt_ = -1;
    std::vector<Op>().swap(last_);
    lastCount_ = 0;
    drawnOnce_ = false;
}

size_t ChartPrefix::OpBytes() const {
    size_t bytes = last_.capacity() * sizeof(Op);
    for (const Op& op : last_) bytes += op.points.capacity() * sizeof(dsp::ChartPoint);
    return bytes;
}

bool ChartPrefix::MakeCanvas(HDC compatible) {
    if (canvas_.HasBitmap() && canvasBits_) return true;
    canvasBits_ = nullptr;
    ui::gdi::BitmapAccount account(os::held::kChartCanvas);
    if (!canvas_.Create(compatible)) return false;
    canvas_.SetBitmap(ui::gdi::MakeDib(width_, height_, &canvasBits_));
    return canvas_.HasBitmap() && canvasBits_;
}

namespace {

// How far a hairline's anti-aliased edge can reach past the ends of its segments, in pixels.
constexpr float kReach = 2.0f;

void Transform(Gdiplus::GpGraphics* g, const dsp::PaintPlan& plan) {
    flat::GdipTranslateWorldTransform(g, plan.tx, plan.ty, Gdiplus::MatrixOrderPrepend);
    flat::GdipScaleWorldTransform(g, plan.sx, plan.sy, Gdiplus::MatrixOrderPrepend);
    flat::GdipTranslateWorldTransform(g, plan.ox, 0.0f, Gdiplus::MatrixOrderPrepend);
}

// Clips to the columns [left, right) of the plot. A clip is given in world units: it is set in
// pixels, and the plan's transform put back after.
void ClipTo(Gdiplus::GpGraphics* g, const dsp::PaintPlan& plan, int left, int right) {
    flat::GdipResetWorldTransform(g);
    flat::GdipSetClipRectI(g, left, plan.clipTop, right - left, plan.clipBottom - plan.clipTop,
                           Gdiplus::CombineModeReplace);
    Transform(g, plan);
}

Gdiplus::GpGraphics* SetUp(ui::gp::Graphics& graphics, const dsp::PaintPlan& plan) {
    Gdiplus::GpGraphics* g = graphics.get();
    flat::GdipSetSmoothingMode(g, Gdiplus::SmoothingModeAntiAlias);
    ClipTo(g, plan, plan.clipLeft, plan.clipRight);
    return g;
}

}  // namespace

void FillPolygon(uint32_t* pixels, int width, int height, const dsp::PaintPlan& plan, const dsp::ChartPoint* points,
                 int count, uint32_t argb) {
    const uint32_t alpha = argb >> 24;
    if (!pixels || count < 3 || alpha == 0) return;
    const int top = std::max(plan.clipTop, 0), bottom = std::min(plan.clipBottom, height);
    const int left = std::max(plan.clipLeft, 0), right = std::min(plan.clipRight, width);
    if (top >= bottom || left >= right) return;
    // Corners on whole pixels, as a path filled through a DC has them.
    thread_local std::vector<POINT> corner;
    corner.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const float x = plan.tx + plan.sx * (points[i].x + plan.ox), y = plan.ty + plan.sy * points[i].y;
        auto whole = [](float v) {
            return std::isfinite(v) ? static_cast<LONG>(std::clamp(std::floor(v + 0.5f), -1e6f, 1e6f)) : 0;
        };
        corner[static_cast<size_t>(i)] = {whole(x), whole(y)};
    }
    // Where each edge crosses the centre line of each row it spans, with its direction.
    struct Crossing {
        int row;
        float x;
        int up;
        bool operator<(const Crossing& o) const { return row != o.row ? row < o.row : x < o.x; }
    };
    thread_local std::vector<Crossing> crossings;
    crossings.clear();
    for (int i = 0; i < count; ++i) {
        const POINT a = corner[static_cast<size_t>(i)], b = corner[static_cast<size_t>((i + 1) % count)];
        if (a.y == b.y) continue;
        const int up = b.y > a.y ? 1 : -1;
        const POINT lo = up > 0 ? a : b, hi = up > 0 ? b : a;
        // Rows whose centre y + 0.5 lies in [lo.y, hi.y).
        const int first = std::max(static_cast<int>(lo.y), top), last = std::min(static_cast<int>(hi.y), bottom);
        const float slope = static_cast<float>(hi.x - lo.x) / static_cast<float>(hi.y - lo.y);
        for (int row = first; row < last; ++row)
            crossings.push_back({row, static_cast<float>(lo.x) + static_cast<float>(row - lo.y) * slope, up});
    }
    std::sort(crossings.begin(), crossings.end());
    // Source over: each channel moves by alpha / 255 of the way to the fill's.
    const uint32_t keep = 255 - alpha;
    const uint32_t r = ((argb >> 16) & 0xFF) * alpha / 255, g = ((argb >> 8) & 0xFF) * alpha / 255,
                   b = (argb & 0xFF) * alpha / 255;
    auto blend = [&](uint32_t d) {
        const uint32_t dr = (d >> 16) & 0xFF, dg = (d >> 8) & 0xFF, db = d & 0xFF;
        return (d & 0xFF000000u) | ((r + (dr * keep + 127) / 255) << 16) | ((g + (dg * keep + 127) / 255) << 8) |
               (b + (db * keep + 127) / 255);
    };
    // In each row, the pixels whose centres lie where the winding is not 0.
    int row = -1, winding = 0;
    float start = 0.0f;
    uint32_t* line = nullptr;
    for (const Crossing& c : crossings) {
        if (c.row != row) {
            row = c.row;
            winding = 0;
            line = pixels + static_cast<size_t>(row) * static_cast<size_t>(width);
        }
        const int before = winding;
        winding += c.up;
        if (before == 0) {
            start = c.x;
        } else if (winding == 0) {
            const int from = std::max(static_cast<int>(std::ceil(start)), left);
            const int to = std::min(static_cast<int>(std::ceil(c.x)), right);
            for (int x = from; x < to; ++x) line[x] = blend(line[x]);
        }
    }
}

void DrawLinesInStrips(Gdiplus::GpGraphics* g, Gdiplus::GpPen* pen, const dsp::PaintPlan& plan,
                       const dsp::ChartPoint* points, int count, int stripWidth) {
    auto column = [&](int i) { return plan.tx + plan.sx * (points[i].x + plan.ox); };
    bool ascending = count >= 2 && stripWidth > 0;
    for (int i = 1; ascending && i < count; ++i) ascending = column(i) >= column(i - 1);  // false for NaN too
    if (!ascending) {
        ClipTo(g, plan, plan.clipLeft, plan.clipRight);
        flat::GdipDrawLines(g, pen, AsGdiplus(points), count);
        return;
    }
    int first = 0;
    for (int left = plan.clipLeft; left < plan.clipRight; left += stripWidth) {
        const int right = std::min(left + stripWidth, plan.clipRight);
        // Every segment that can touch the strip: from the last point well left of it to the
        // first point well right of it.
        while (first + 1 < count && column(first + 1) <= left - kReach) ++first;
        int last = first;
        while (last + 1 < count && column(last) < right + kReach) ++last;
        if (column(first) >= right + kReach) continue;  // the curve starts further right
        if (column(last) <= left - kReach) break;       // and has ended
        ClipTo(g, plan, left, right);
        flat::GdipDrawLines(g, pen, AsGdiplus(points + first), last - first + 1);
    }
    ClipTo(g, plan, plan.clipLeft, plan.clipRight);
}

void ChartPrefix::DrawOps(HDC back, const dsp::PaintPlan& plan, size_t from, size_t to) {
    if (from >= to || !MakeCanvas(back)) return;
    const RECT clip{plan.clipLeft, plan.clipTop, plan.clipRight, plan.clipBottom};
    const int w = clip.right - clip.left, h = clip.bottom - clip.top;
    BitBlt(canvas_, clip.left, clip.top, w, h, back, clip.left, clip.top, SRCCOPY);
    GdiFlush();
    // The bitmap only describes the DIB's pixels: made for each paint, so that nothing of GDI+
    // outlives one.
    ui::gp::Bitmap pixels;
    ui::gp::Graphics onPixels;
    if (!pixels.Made(flat::GdipCreateBitmapFromScan0(width_, height_, width_ * 4, PixelFormat32bppRGB,
                                                     static_cast<BYTE*>(canvasBits_), pixels.Out())) ||
        !onPixels.Made(flat::GdipGetImageGraphicsContext(pixels.get(), onPixels.Out())))
        return;
    Gdiplus::GpGraphics* lines = SetUp(onPixels, plan);
    for (size_t i = from; i < to; ++i) {
        const dsp::PaintOp& op = plan.ops[i];
        if (op.count < 1) continue;
        ++drawnNow_;
        if (op.kind == dsp::PaintOp::kFill) {
            FillPolygon(static_cast<uint32_t*>(canvasBits_), width_, height_, plan, op.points, op.count, op.argb);
        } else {
            ui::gp::Pen pen;
            if (pen.Made(flat::GdipCreatePen1(op.argb, plan.penWidth, Gdiplus::UnitWorld, pen.Out())))
                DrawLinesInStrips(lines, pen.get(), plan, op.points, op.count, kLineStripWidth);
            flat::GdipFlush(lines, Gdiplus::FlushIntentionSync);
        }
    }
    BitBlt(back, clip.left, clip.top, w, h, canvas_, clip.left, clip.top, SRCCOPY);
}

RECT ChartPrefix::Paint(HDC back, HDC background, int width, int height, const dsp::PaintPlan& plan,
                        bool faceRedrawn, void (*labels)(HDC, const dsp::PaintPlan&)) {
    drawnNow_ = 0;
    bool full = faceRedrawn || !drawnOnce_;
    if (width != width_ || height != height_) {
        width_ = width;
        height_ = height;
        copy_.Reset();
        canvas_.Reset();
        canvasBits_ = nullptr;
        full = true;
    }
    const Frame frame{plan.clipLeft, plan.clipTop, plan.clipRight, plan.clipBottom, plan.tx, plan.ty,
                      plan.sx,       plan.sy,      plan.ox,        plan.penWidth};
    if (!(frame == frame_) || plan.topLabel != topLabel_ || plan.bottomLabel != bottomLabel_) {
        frame_ = frame;
        topLabel_ = plan.topLabel;
        bottomLabel_ = plan.bottomLabel;
        full = true;
    }
    if (full) keptAt_ = -1;
    if (!copy_.Get() && copy_.Create(back)) {
        ui::gdi::BitmapAccount account(os::held::kChartKeptCopy);
        copy_.SetBitmap(ui::gdi::MakeBitmap(back, width_, height_));
    }

    // The first op that differs from the last paint's.
    const size_t n = plan.ops.size();
    size_t first = 0;
    while (first < n && first < lastCount_ && last_[first].Same(plan.ops[first])) ++first;
    if (!full && first == n && n == lastCount_) return {0, 0, 0, 0};

    // What changes on screen: the ops drawn anew, where they were and where they go.
    RECT changed{0, 0, 0, 0};
    if (full) {
        changed = {0, 0, width_, height_};
    } else {
        for (size_t i = first; i < lastCount_; ++i) changed = Union(changed, last_[i].bounds);
        for (size_t i = first; i < n; ++i) changed = Union(changed, Bounds(plan, plan.ops[i]));
    }

    const RECT clip{plan.clipLeft, plan.clipTop, plan.clipRight, plan.clipBottom};
    size_t from = 0;
    if (!full && keptAt_ >= 0 && static_cast<size_t>(keptAt_) <= first && copy_.HasBitmap()) {
        from = static_cast<size_t>(keptAt_);
        // Only the plot holds curves; outside it the back buffer is as the copy.
        BitBlt(back, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top, copy_, clip.left,
               clip.top, SRCCOPY);
    } else {
        if (background) BitBlt(back, 0, 0, width_, height_, background, 0, 0, SRCCOPY);
        if (labels) labels(back, plan);
        if (!full) changed = Union(changed, clip);  // the copy was of no use: everything is drawn again
    }
    DrawOps(back, plan, from, first);
    if (copy_.HasBitmap() && (keptAt_ < 0 || static_cast<size_t>(keptAt_) != first || from == 0)) {
        BitBlt(copy_, 0, 0, width_, height_, back, 0, 0, SRCCOPY);
        keptAt_ = static_cast<int>(first);
    }
    DrawOps(back, plan, first, n);
    drawnOnce_ = true;

    if (last_.size() < n) last_.resize(n);
    for (size_t i = first; i < n; ++i) {
        const dsp::PaintOp& op = plan.ops[i];
        Op& kept = last_[i];
        kept.kind = op.kind;
        kept.argb = op.argb;
        kept.curve = op.curve;
        kept.points.assign(op.points, op.points + std::max(op.count, 0));
        kept.bounds = Bounds(plan, op);
    }
    lastCount_ = n;
    return Intersect(changed, {0, 0, width_, height_});
}

}  // namespace pages
