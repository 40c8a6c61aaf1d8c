#include "dsp/curve_list.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <utility>

namespace dsp {

const ChartGeometry kDefaultChartGeometry{20, 21, 712, 150, 5, 23, 5, 140, 720, 67, 739, 150};
const ChartGeometry kCustomChartGeometry{36, 13, 728, 143, 12, 10, 12, 135, 742, 62, 761, 145};
const float kChartXMin = static_cast<float>(std::log10(19.69));
const float kChartXMax = static_cast<float>(std::log10(20000.0));

namespace {

// Stamps for ChartCurve::version, unique in the process (charts may live on several threads).
uint64_t NewVersion() {
    static std::atomic<uint64_t> next{1};
    return next.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

CurveList::CurveList(std::function<void(bool)> paint) : paint_(std::move(paint)) {}

ChartCurve* CurveList::FindCurve(uint32_t id) {
    for (auto& c : curves_)
        if (c->id == id) return c.get();
    return nullptr;
}

const ChartCurve* CurveList::FindCurve(uint32_t id) const {
    for (const auto& c : curves_)
        if (c->id == id) return c.get();
    return nullptr;
}

bool CurveList::HasCurve(uint32_t id) const {
    const ChartCurve* c = FindCurve(id);
    return c && c->count >= 1;
}

void CurveList::SetCurve(uint32_t id, uint32_t kind, const float* xs, const float* ys, int n,
                         int mode, bool repaint) {
    ChartCurve* c = FindCurve(id);
    if (!c || c->count == 0) {
        // A curve without points starts afresh: the empty one is reused, else a new one heads
        // the list.
        if (!c) {
            curves_.insert(curves_.begin(), std::make_unique<ChartCurve>());
            c = curves_.front().get();
        }
        c->id = id;
        c->kind = kind;
        c->line = kDefaultLine;
        c->fill = kDefaultFill;
        c->shown = true;
        c->bypassed = false;
        c->count = 0;
        c->version = NewVersion();
    }
    if (n <= 0 || !xs || !ys) return;
    c->version = NewVersion();
    if (static_cast<int>(c->points.size()) - 3 < n) c->points.assign(static_cast<size_t>(n) + 3, {});
    ChartPoint* p = c->points.data();
    float lowest = ys[0];
    for (int i = 0; i < n; ++i) {
        p[i] = {xs[i], ys[i]};
        lowest = std::min(lowest, ys[i]);
    }
    if (mode == kCloseToZero) {
        p[n] = {p[n - 1].x, 0.0f};
        p[n + 1] = {p[0].x, 0.0f};
        p[n + 2] = p[0];
    } else if (mode == kCloseToBottom) {
        const float m = std::min(yMin_, lowest);
        p[n] = {p[n - 1].x, m};
        p[n + 1] = {p[0].x, m};
        p[n + 2] = p[0];
    } else {
        p[n] = p[n + 1] = p[n + 2] = p[n - 1];
    }
    c->count = n + 3;
    if (repaint) Paint(repaint);
}

void CurveList::ShowCurve(uint32_t id, bool shown, bool repaint) {
    ChartCurve* c = FindCurve(id);
    if (c) c->shown = shown;
    if (repaint || !c) Paint(repaint);
}

bool CurveList::IsCurveShown(uint32_t id) const {
    const ChartCurve* c = FindCurve(id);
    return c && c->shown;
}

void CurveList::ShowAllCurves(bool shown) {
    for (auto& c : curves_) c->shown = shown;
}

void CurveList::SetHighlight(int32_t id1, int32_t id2, int32_t id3, bool repaint) {
    highlight_[0] = id1;
    highlight_[1] = id2;
    highlight_[2] = id3;
    if (repaint) Paint(true);
}

void CurveList::ClearCurves() {
    for (auto& c : curves_) {
        c->count = 0;
        c->version = NewVersion();
    }
    highlight_[0] = highlight_[1] = highlight_[2] = -1;
}

void CurveList::SetHoldRedraw(bool hold) {
    hold_ = hold;
    if (!hold) Paint(true);
}

void CurveList::SetColour(uint32_t id, bool lineColour, uint32_t argb, bool keepAlpha, bool repaint) {
    ChartCurve* c = FindCurve(id);
    if (!c) return;
    uint32_t& target = lineColour ? c->line : c->fill;
    target = keepAlpha ? (target & 0xFF000000u) | (argb & 0x00FFFFFFu) : argb;
    if (repaint) Paint(true);
}

void CurveList::SetCurveLineArgb(uint32_t id, uint8_t r, uint8_t g, uint8_t b, uint8_t a, bool repaint) {
    SetColour(id, true, Argb(a, r, g, b), false, repaint);
}
void CurveList::SetCurveFillArgb(uint32_t id, uint8_t r, uint8_t g, uint8_t b, uint8_t a, bool repaint) {
    SetColour(id, false, Argb(a, r, g, b), false, repaint);
}
void CurveList::SetCurveLineRgb(uint32_t id, uint8_t r, uint8_t g, uint8_t b, bool repaint) {
    SetColour(id, true, Argb(0, r, g, b), true, repaint);
}
void CurveList::SetCurveFillRgb(uint32_t id, uint8_t r, uint8_t g, uint8_t b, bool repaint) {
    SetColour(id, false, Argb(0, r, g, b), true, repaint);
}

void CurveList::Paint(bool updateNow) {
    if (hold_ || !paint_) return;
    paint_(updateNow);
}

PixelPoint MapToPixel(const ChartGeometry& g, float yMin, float yMax, float x, float y) {
    const double mid = (g.top + g.bottom) / 2.0;
    return {g.left + (x - kChartXMin) * (g.right - g.left) / static_cast<double>(kChartXMax - kChartXMin),
            mid - y * (g.bottom - g.top) / static_cast<double>(yMax - yMin)};
}

namespace {

// "%d" of a value truncated toward zero, cut to at most `limit` characters.
std::string Label(float value, size_t limit) {
    char text[32];
    const double v = std::trunc(static_cast<double>(value));
    // Out-of-range values cannot come from the zoom; keep the conversion defined anyway.
    const long long whole = std::isfinite(v) && std::fabs(v) < 1e15 ? static_cast<long long>(v) : 0;
    std::snprintf(text, sizeof text, "%lld", whole);
    std::string s(text);
    if (s.size() > limit) s.resize(limit);
    return s;
}

// The curve's data points thinned per pixel column, then its closing points, into `out`;
// returns how many data points were kept.
int Thin(const PaintPlan& plan, const ChartCurve& c, std::vector<ChartPoint>& out) {
    out.clear();
    const int n = c.count - 3;
    const ChartPoint* p = c.points.data();
    auto place = [&](float x) { return plan.tx + plan.sx * (x + plan.ox); };
    // floor(place) == col without a floor per point (col is a floor, so an integer or not finite).
    auto inColumn = [](float f, float col) { return f == col || (f >= col && f < col + 1.0f); };
    int i = 0;
    while (i < n) {
        const float col = std::floor(place(p[i].x));
        int j = i, lo = i, hi = i;
        float loY = p[i].y, hiY = p[i].y;  // p[lo].y and p[hi].y
        while (j + 1 < n && inColumn(place(p[j + 1].x), col)) {
            ++j;
            const float y = p[j].y;
            if (y < loY) lo = j, loY = y;
            if (y > hiY) hi = j, hiY = y;
        }
        int keep[4] = {i, std::min(lo, hi), std::max(lo, hi), j};
        int last = -1;
        for (int k : keep) {
            if (k == last) continue;
            out.push_back(p[k]);
            last = k;
        }
        i = j + 1;
    }
    const int kept = static_cast<int>(out.size());
    for (int k = n; k < c.count; ++k) out.push_back(p[k]);
    return kept;
}

// The curve's thinned points in the plan's kept thinnings, thinned anew unless the curve has not
// changed since; returns which thinning holds them and how many data points were kept.
std::pair<size_t, int> AddThinned(PaintPlan& plan, const ChartCurve& c) {
    size_t which = plan.thinned.size();
    for (size_t k = 0; k < plan.thinned.size(); ++k)
        if (plan.thinned[k].curve == &c) which = k;
    if (which == plan.thinned.size())
        plan.thinned.push_back({&c, 0, 0, 0.0f, 0.0f, 0.0f, 0, {}});  // stamp 0: never current
    PaintPlan::Thinned* t = &plan.thinned[which];
    if (t->id != c.id || t->version != c.version || t->tx != plan.tx || t->sx != plan.sx || t->ox != plan.ox) {
        t->kept = Thin(plan, c, t->points);
        t->id = c.id;
        t->version = c.version;
        t->tx = plan.tx;
        t->sx = plan.sx;
        t->ox = plan.ox;
    }
    return {which, t->kept};
}

// Ops point into the thinnings once they stop growing.
void AddCurve(PaintPlan& plan, const ChartCurve& c, uint32_t fill, uint32_t line, bool filled) {
    const auto [which, kept] = AddThinned(plan, c);
    if (filled) plan.ops.push_back({PaintOp::kFill, nullptr, kept + 3, fill, which, c.id});
    plan.ops.push_back({PaintOp::kLine, nullptr, kept, line, which, c.id});
}

}  // namespace

void MakePaintPlan(const CurveList& curves, const ChartGeometry& g, PaintPlan& plan) {
    plan.topLabel = Label(curves.YMax(), 4);
    plan.bottomLabel = Label(curves.YMin(), 5);
    plan.topLabelX = static_cast<float>(g.topLabelX);
    plan.topLabelY = static_cast<float>(g.topLabelY);
    plan.bottomLabelX = static_cast<float>(g.bottomLabelX);
    plan.bottomLabelY = static_cast<float>(g.bottomLabelY);
    plan.labelArgb = kLabelColour;
    plan.clipLeft = g.left;
    plan.clipTop = g.top;
    plan.clipRight = g.right;
    plan.clipBottom = g.bottom;
    plan.tx = static_cast<float>(g.left);
    plan.ty = static_cast<float>((g.top + g.bottom) / 2.0);
    plan.sx = static_cast<float>((g.right - g.left) / static_cast<double>(kChartXMax - kChartXMin));
    plan.sy = static_cast<float>(-(g.bottom - g.top) / static_cast<double>(curves.YMax() - curves.YMin()));
    plan.ox = -kChartXMin;
    plan.penWidth = 0.0001f;
    plan.ops.clear();

    const ChartCurve* sum = nullptr;
    const ChartCurve* highlighted[3] = {};
    int setAside = 0;
    const int32_t* ids = curves.Highlights();
    for (const auto& owned : curves.Curves()) {
        const ChartCurve& c = *owned;
        if (c.id == kSumId) {
            if (c.shown) sum = &c;
            continue;
        }
        if (c.count < 1 || !c.shown) continue;
        const bool isHighlight = static_cast<int32_t>(c.id) == ids[0] ||
                                 static_cast<int32_t>(c.id) == ids[1] ||
                                 static_cast<int32_t>(c.id) == ids[2];
        if (isHighlight && setAside < 3) {
            highlighted[setAside++] = &c;
            continue;
        }
        AddCurve(plan, c, kGreyFill, c.kind == kKindCrossover ? kGreyCrossoverLine : kGreyLine,
                 c.kind != kKindCrossover);
    }
    for (int i = 0; i < setAside; ++i)
        AddCurve(plan, *highlighted[i], highlighted[i]->fill, highlighted[i]->line,
                 highlighted[i]->kind != kKindCrossover);
    if (sum && sum->count >= 1) AddCurve(plan, *sum, 0, sum->line, false);
    for (PaintOp& op : plan.ops) op.points = plan.thinned[op.thinned].points.data();
}

size_t CurveList::PointBytes() const {
    size_t bytes = 0;
    for (const auto& c : curves_) bytes += c->points.capacity() * sizeof(ChartPoint);
    return bytes;
}

}  // namespace dsp
