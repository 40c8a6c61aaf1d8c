// The response chart's drawing kept between paints: a copy of the back buffer taken just before
// the first operation that changed last time. A slider step changes the same few curves again and
// again, and those come late in the paint order (the highlighted curves of the edited output, then
// the sum), so a paint puts the copy back and draws with GDI+ only from that operation on: the
// same calls from the same pixels, so the same picture as drawing everything. Under Wine each
// semi-transparent anti-aliased curve costs milliseconds, and two dozen are shown.
//
// The plot is drawn in a DIB of the chart's own, fills straight into its pixels and lines through
// a GDI+ bitmap over them, each line in vertical strips. Under Wine, GDI+ draws a thin line by
// blending a layer the size of the line's bounds into its target (through AlphaBlend when that is
// a DC), and its cost grows faster than the number of points: a curve in strips a hundred pixels
// wide costs a third of one call. A 32-bit DIB of plain RGB would be taken for one with alpha,
// and everything drawn into it through its DC would go the slow way: the DIB has bit fields.
//
// Kept layers of each curve composited with AlphaBlend were measured as well and were slower
// under Wine: blending fifty layers costs more than the curves it saves.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "dsp/curve_list.h"
#include "ui/gdi.h"
#include "ui/text_gdiplus.h"

namespace pages {

// Lines are drawn in strips of this many pixel columns.
constexpr int kLineStripWidth = 96;

// GdipDrawLines of `points` under the plan's transform, clipped to the plan's plot, as calls
// each clipped to a strip of `stripWidth` columns with just the points whose segments can reach
// into it. Each pixel is drawn by one call, from every segment that touches it, so the picture
// is that of one call over the whole plot. Points whose columns do not ascend (or a width of 0)
// are drawn in one call. Leaves the graphics clipped to the plot.
void DrawLinesInStrips(Gdiplus::GpGraphics* g, Gdiplus::GpPen* pen, const dsp::PaintPlan& plan,
                       const dsp::ChartPoint* points, int count, int stripWidth);

// Fills the polygon of `points` (closed from the last to the first) under the plan's transform,
// by the winding rule, with `argb` blended over the 32-bit pixels (`width` x `height`, top row
// first), inside the plan's plot: its corners on whole pixels, every pixel whose centre is inside
// moved by alpha / 255 of the way to the colour. The fills lie under their curve's line, which
// draws their edge; a path filled through GDI+ costs a layer blended over the path's bounds.
void FillPolygon(uint32_t* pixels, int width, int height, const dsp::PaintPlan& plan, const dsp::ChartPoint* points,
                 int count, uint32_t argb);

class ChartPrefix {
public:
    // Draws the plan into `back` (width x height pixels). `faceRedrawn`: the back buffer no
    // longer holds the last paint, so the background (and `labels`) are drawn first. Returns the
    // rectangle of `back` that changed (empty when nothing did).
    RECT Paint(HDC back, HDC background, int width, int height, const dsp::PaintPlan& plan, bool faceRedrawn,
               void (*labels)(HDC, const dsp::PaintPlan&));

    // Operations drawn with GDI+ by the last paint, and where the kept copy stands.
    int Drawn() const { return drawnNow_; }
    int KeptAt() const { return keptAt_; }
    // Frees the plot's canvas, the kept copy and the last paint's operations: the next paint draws
    // everything (from the background) and keeps them again.
    void Release();
    bool Holds() const { return canvas_.Get() || copy_.Get() || !last_.empty(); }

    // Bytes of the last paint's operations kept to compare the next one with (the bitmaps aside).
    size_t OpBytes() const;

private:
    struct Op {
        int kind = 0;
        uint32_t argb = 0;
        uint32_t curve = 0;
        std::vector<dsp::ChartPoint> points;  // capacity kept from paint to paint
        RECT bounds{};
        bool Same(const dsp::PaintOp& op) const;
    };
    void DrawOps(HDC back, const dsp::PaintPlan& plan, size_t from, size_t to);

    int width_ = 0, height_ = 0;
    std::vector<Op> last_;  // the ops of the last paint, as drawn
    size_t lastCount_ = 0;
    bool MakeCanvas(HDC compatible);
    ui::gdi::MemoryDC canvas_;     // where the plot is drawn
    void* canvasBits_ = nullptr;   // its pixels
    ui::gdi::MemoryDC copy_;  // the back buffer before op keptAt_
    int keptAt_ = -1;         // -1: no copy
    struct Frame {
        int clipLeft, clipTop, clipRight, clipBottom;
        float tx, ty, sx, sy, ox, penWidth;
        bool operator==(const Frame&) const = default;
    } frame_{};
    std::string topLabel_, bottomLabel_;
    bool drawnOnce_ = false;
    int drawnNow_ = 0;
};

}  // namespace pages
