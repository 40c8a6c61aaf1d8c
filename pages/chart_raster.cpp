#include "pages/chart_raster.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace pages {
namespace {

// The plan's plot inside the pixels, [left, right) x [top, bottom); empty when they miss.
struct Area {
    int left, top, right, bottom;
    bool Empty() const { return left >= right || top >= bottom; }
};

Area PlotIn(const dsp::PaintPlan& plan, int width, int height) {
    return {std::max(plan.clipLeft, 0), std::max(plan.clipTop, 0), std::min(plan.clipRight, width),
            std::min(plan.clipBottom, height)};
}

// Source over with `alpha` (0..255) of the colour's 0x00RRGGBB: each channel moves by alpha / 255
// of the way to the colour's, the pixel's top byte kept.
class Blend {
public:
    Blend(uint32_t argb, uint32_t alpha)
        : keep_(255 - alpha),
          r_(((argb >> 16) & 0xFF) * alpha / 255),
          g_(((argb >> 8) & 0xFF) * alpha / 255),
          b_((argb & 0xFF) * alpha / 255) {}
    uint32_t operator()(uint32_t d) const {
        const uint32_t dr = (d >> 16) & 0xFF, dg = (d >> 8) & 0xFF, db = d & 0xFF;
        return (d & 0xFF000000u) | ((r_ + (dr * keep_ + 127) / 255) << 16) | ((g_ + (dg * keep_ + 127) / 255) << 8) |
               (b_ + (db * keep_ + 127) / 255);
    }

private:
    uint32_t keep_, r_, g_, b_;
};

// The same blend with the kept part of each channel looked up: for the many pixels of a fill.
class BlendTable {
public:
    BlendTable(uint32_t argb, uint32_t alpha) {
        const uint32_t keep = 255 - alpha;
        for (uint32_t v = 0; v < 256; ++v) kept_[v] = static_cast<uint8_t>((v * keep + 127) / 255);
        colour_ = ((((argb >> 16) & 0xFF) * alpha / 255) << 16) | ((((argb >> 8) & 0xFF) * alpha / 255) << 8) |
                  ((argb & 0xFF) * alpha / 255);
    }
    uint32_t operator()(uint32_t d) const {
        return (d & 0xFF000000u) +
               (colour_ + (static_cast<uint32_t>(kept_[(d >> 16) & 0xFF]) << 16) +
                (static_cast<uint32_t>(kept_[(d >> 8) & 0xFF]) << 8) + kept_[d & 0xFF]);
    }

private:
    uint8_t kept_[256];
    uint32_t colour_;
};

// The whole numbers of pixels at or below, and at or above, a device coordinate, in a range that
// cannot overflow (by conversion: the library's floor and ceil are calls under 32-bit mingw).
int Floor(double v) {
    const double c = std::clamp(v, -1e6, 1e6);
    const int i = static_cast<int>(c);
    return i > c ? i - 1 : i;
}
int Ceil(double v) {
    const double c = std::clamp(v, -1e6, 1e6);
    const int i = static_cast<int>(c);
    return i < c ? i + 1 : i;
}

}  // namespace

double LineWidthInPixels(const dsp::PaintPlan& plan) {
    // The pen is given in world units, which the transform scales differently across and along.
    const double scale = std::sqrt(std::fabs(static_cast<double>(plan.sx) * static_cast<double>(plan.sy)));
    const double width = static_cast<double>(plan.penWidth) * scale;
    return std::isfinite(width) ? std::clamp(width, 1.0, 64.0) : 1.0;
}

void FillPolygon(uint32_t* pixels, int width, int height, const dsp::PaintPlan& plan, const dsp::ChartPoint* points,
                 int count, uint32_t argb) {
    const uint32_t alpha = argb >> 24;
    const Area plot = PlotIn(plan, width, height);
    if (!pixels || count < 3 || alpha == 0 || plot.Empty()) return;
    struct Corner {
        int x, y;
    };
    // Corners on whole pixels, as a path filled through a DC has them.
    thread_local std::vector<Corner> corner;
    corner.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const float x = plan.tx + plan.sx * (points[i].x + plan.ox), y = plan.ty + plan.sy * points[i].y;
        auto whole = [](float v) {
            return std::isfinite(v) ? static_cast<int>(std::clamp(std::floor(v + 0.5f), -1e6f, 1e6f)) : 0;
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
        const Corner a = corner[static_cast<size_t>(i)], b = corner[static_cast<size_t>((i + 1) % count)];
        if (a.y == b.y) continue;
        const int up = b.y > a.y ? 1 : -1;
        const Corner lo = up > 0 ? a : b, hi = up > 0 ? b : a;
        // Rows whose centre y + 0.5 lies in [lo.y, hi.y).
        const int first = std::max(lo.y, plot.top), last = std::min(hi.y, plot.bottom);
        const float slope = static_cast<float>(hi.x - lo.x) / static_cast<float>(hi.y - lo.y);
        for (int row = first; row < last; ++row)
            crossings.push_back({row, static_cast<float>(lo.x) + static_cast<float>(row - lo.y) * slope, up});
    }
    std::sort(crossings.begin(), crossings.end());
    const BlendTable blend(argb, alpha);
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
            const int from = std::max(static_cast<int>(std::ceil(start)), plot.left);
            const int to = std::min(static_cast<int>(std::ceil(c.x)), plot.right);
            for (int x = from; x < to; ++x) line[x] = blend(line[x]);
        }
    }
}

void DrawPolyline(uint32_t* pixels, int width, int height, const dsp::PaintPlan& plan, const dsp::ChartPoint* points,
                  int count, uint32_t argb) {
    const uint32_t alpha = argb >> 24;
    const Area plot = PlotIn(plan, width, height);
    if (!pixels || count < 2 || alpha == 0 || plot.Empty()) return;
    const int columns = plot.right - plot.left, rows = plot.bottom - plot.top;
    // Each pixel's coverage by the line so far (0..255), and the rows each column has touched:
    // every segment takes the largest share, and the pixels are blended once at the end. The
    // shares are all 0 between lines (each line clears what it touched).
    thread_local std::vector<uint8_t> coverage;
    thread_local std::vector<int> firstRow, lastRow;
    if (coverage.size() < static_cast<size_t>(columns) * static_cast<size_t>(rows))
        coverage.resize(static_cast<size_t>(columns) * static_cast<size_t>(rows), 0);
    firstRow.assign(static_cast<size_t>(columns), rows);
    lastRow.assign(static_cast<size_t>(columns), -1);

    // Pixel centres lie on whole device coordinates, as GDI+ has them by default: the pixel
    // (c, r) covers [c - 0.5, c + 0.5] x [r - 0.5, r + 0.5]. A centre at distance d from the line
    // gets the share reach - d: the whole colour within half the width, nothing a pixel further.
    const double reach = LineWidthInPixels(plan) / 2.0 + 0.5, reach2 = reach * reach;
    auto device = [&](const dsp::ChartPoint& p, double& x, double& y) {
        x = static_cast<double>(plan.tx) + static_cast<double>(plan.sx) * (static_cast<double>(p.x) + plan.ox);
        y = static_cast<double>(plan.ty) + static_cast<double>(plan.sy) * static_cast<double>(p.y);
        return std::isfinite(x) && std::isfinite(y);
    };
    double ax = 0, ay = 0;
    bool aFinite = device(points[0], ax, ay);
    for (int i = 1; i < count; ++i) {
        double bx = 0, by = 0;
        const bool bFinite = device(points[i], bx, by);
        const double x0 = ax, y0 = ay;
        const bool drawn = aFinite && bFinite;
        ax = bx;
        ay = by;
        aFinite = bFinite;
        if (!drawn) continue;
        const double dx = bx - x0, dy = by - y0, length2 = dx * dx + dy * dy;
        if (!(length2 > 0.0)) continue;
        const double perLength2 = 1.0 / length2, perDx = dx != 0.0 ? 1.0 / dx : 0.0;
        // The columns whose centres lie within reach of the segment, in the plot.
        const int c0 = std::max(Ceil(std::min(x0, bx) - reach), plot.left);
        const int c1 = std::min(Floor(std::max(x0, bx) + reach), plot.right - 1);
        for (int c = c0; c <= c1; ++c) {
            // The part of the segment within reach of the column's centre line, and its rows.
            double t0 = 0.0, t1 = 1.0;
            if (dx != 0.0) {
                t0 = (c - reach - x0) * perDx;
                t1 = (c + reach - x0) * perDx;
                if (t0 > t1) std::swap(t0, t1);
                t0 = std::max(t0, 0.0);
                t1 = std::min(t1, 1.0);
                if (t0 > t1) continue;
            }
            const double ya = y0 + t0 * dy, yb = y0 + t1 * dy;
            const int r0 = std::max(Ceil(std::min(ya, yb) - reach), plot.top);
            const int r1 = std::min(Floor(std::max(ya, yb) + reach), plot.bottom - 1);
            if (r0 > r1) continue;
            const size_t column = static_cast<size_t>(c - plot.left);
            uint8_t* share = coverage.data() + column * static_cast<size_t>(rows);
            const double cx = c - x0;
            for (int r = r0; r <= r1; ++r) {
                // Distance from the pixel's centre to the nearest point of the segment.
                const double cy = r - y0;
                const double t = std::clamp((cx * dx + cy * dy) * perLength2, 0.0, 1.0);
                const double ex = cx - t * dx, ey = cy - t * dy, d2 = ex * ex + ey * ey;
                if (d2 >= reach2) continue;
                const double s = reach - std::sqrt(d2);
                const uint8_t v = static_cast<uint8_t>(std::min(s, 1.0) * 255.0 + 0.5);
                uint8_t& kept = share[r - plot.top];
                if (v > kept) kept = v;
            }
            firstRow[column] = std::min(firstRow[column], r0 - plot.top);
            lastRow[column] = std::max(lastRow[column], r1 - plot.top);
        }
    }
    // Each touched pixel moves once, by its share of the colour's alpha.
    for (int column = 0; column < columns; ++column) {
        uint8_t* share = coverage.data() + static_cast<size_t>(column) * static_cast<size_t>(rows);
        for (int r = firstRow[static_cast<size_t>(column)]; r <= lastRow[static_cast<size_t>(column)]; ++r) {
            const uint32_t v = share[r];
            if (v == 0) continue;
            share[r] = 0;
            uint32_t& pixel = pixels[static_cast<size_t>(r + plot.top) * static_cast<size_t>(width) +
                                     static_cast<size_t>(column + plot.left)];
            pixel = Blend(argb, (alpha * v + 127) / 255)(pixel);
        }
    }
}

}  // namespace pages
