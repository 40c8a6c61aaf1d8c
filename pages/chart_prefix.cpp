#include "pages/chart_prefix.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "os/phases.h"
#include "pages/chart_raster.h"

namespace pages {
namespace {

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

// The pixels an op can touch: its points through the plan's transform, widened by the line's
// half width and its anti-aliased edge, inside the clip.
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
    const double edge = std::ceil(LineWidthInPixels(plan) / 2.0) + 1.0;
    return Intersect({bound(std::floor(x0) - edge), bound(std::floor(y0) - edge), bound(std::ceil(x1) + edge + 1.0),
                      bound(std::ceil(y1) + edge + 1.0)},
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

void ChartPrefix::DrawOps(HDC back, const dsp::PaintPlan& plan, size_t from, size_t to) {
    if (from >= to || !MakeCanvas(back)) return;
    const RECT clip{plan.clipLeft, plan.clipTop, plan.clipRight, plan.clipBottom};
    const int w = clip.right - clip.left, h = clip.bottom - clip.top;
    BitBlt(canvas_, clip.left, clip.top, w, h, back, clip.left, clip.top, SRCCOPY);
    GdiFlush();
    uint32_t* pixels = static_cast<uint32_t*>(canvasBits_);
    for (size_t i = from; i < to; ++i) {
        const dsp::PaintOp& op = plan.ops[i];
        if (op.count < 1) continue;
        ++drawnNow_;
        if (op.kind == dsp::PaintOp::kFill)
            FillPolygon(pixels, width_, height_, plan, op.points, op.count, op.argb);
        else
            DrawPolyline(pixels, width_, height_, plan, op.points, op.count, op.argb);
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
    // The copy holds the plot only: outside it the back buffer changes only when everything is
    // drawn again.
    const RECT clip{plan.clipLeft, plan.clipTop, plan.clipRight, plan.clipBottom};
    const int plotWidth = std::max(0, static_cast<int>(clip.right - clip.left));
    const int plotHeight = std::max(0, static_cast<int>(clip.bottom - clip.top));
    if (copy_.Get() && (plotWidth != copyWidth_ || plotHeight != copyHeight_)) copy_.Reset();
    if (!copy_.Get() && plotWidth > 0 && plotHeight > 0 && copy_.Create(back)) {
        ui::gdi::BitmapAccount account(os::held::kChartKeptCopy);
        copy_.SetBitmap(ui::gdi::MakeBitmap(back, plotWidth, plotHeight));
        copyWidth_ = plotWidth;
        copyHeight_ = plotHeight;
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

    size_t from = 0;
    if (!full && keptAt_ >= 0 && static_cast<size_t>(keptAt_) <= first && copy_.HasBitmap()) {
        from = static_cast<size_t>(keptAt_);
        // Only the plot holds curves; outside it the back buffer is as the copy.
        BitBlt(back, clip.left, clip.top, copyWidth_, copyHeight_, copy_, 0, 0, SRCCOPY);
    } else {
        if (background) BitBlt(back, 0, 0, width_, height_, background, 0, 0, SRCCOPY);
        if (labels) labels(back, plan);
        if (!full) changed = Union(changed, clip);  // the copy was of no use: everything is drawn again
    }
    DrawOps(back, plan, from, first);
    if (copy_.HasBitmap() && (keptAt_ < 0 || static_cast<size_t>(keptAt_) != first || from == 0)) {
        BitBlt(copy_, 0, 0, copyWidth_, copyHeight_, back, clip.left, clip.top, SRCCOPY);
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
