// The response chart's drawing kept between paints: a copy of the back buffer taken just before
// the first operation that changed last time. A slider step changes the same few curves again and
// again, and those come late in the paint order (the highlighted curves of the edited output, then
// the sum), so a paint puts the copy back and draws only from that operation on: the same
// operations over the same pixels, so the same picture as drawing everything.
//
// The plot is drawn in a DIB of the chart's own, fills and lines straight into its pixels
// (pages/chart_raster.h), and copied into the back buffer.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "dsp/curve_list.h"
#include "ui/gdi.h"

namespace pages {

class ChartPrefix {
public:
    // Draws the plan into `back` (width x height pixels). `faceRedrawn`: the back buffer no
    // longer holds the last paint, so the background (and `labels`) are drawn first. Returns the
    // rectangle of `back` that changed (empty when nothing did).
    RECT Paint(HDC back, HDC background, int width, int height, const dsp::PaintPlan& plan, bool faceRedrawn,
               void (*labels)(HDC, const dsp::PaintPlan&));

    // Operations drawn by the last paint, and where the kept copy stands.
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
    ui::gdi::MemoryDC copy_;  // the back buffer's plot before op keptAt_
    int copyWidth_ = 0, copyHeight_ = 0;
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
