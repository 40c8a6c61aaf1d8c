// The response chart's curves drawn straight into the plot's 32-bit pixels (top row first, 0x00RRGGBB
// in the low bytes): the fills under the curves and their lines. Both take the plan's transform and
// stay inside its plot; each pixel is blended once per curve, source over, by its share of the
// colour's alpha. Under Wine, GDI+ draws each fill or line through a layer the size of its bounds,
// and two dozen curves cost more than a frame.
#pragma once

#include <cstdint>

#include "dsp/curve_list.h"

namespace pages {

// Fills the polygon of `points` (closed from the last to the first) under the plan's transform,
// by the winding rule, with `argb` blended over the pixels (`width` x `height`), inside the plan's
// plot: its corners on whole pixels, every pixel whose centre is inside moved by alpha / 255 of
// the way to the colour. The fills lie under their curve's line, which draws their edge.
void FillPolygon(uint32_t* pixels, int width, int height, const dsp::PaintPlan& plan, const dsp::ChartPoint* points,
                 int count, uint32_t argb);

// Draws the open polyline of `points` under the plan's transform as an anti-aliased line of the
// plan's pen, with `argb` blended over the pixels (`width` x `height`) inside the plan's plot. A
// pen thinner than a pixel draws the thinnest line, one pixel wide. A pixel's share of the colour
// is its coverage: 1 where its centre lies within half the line's width of the polyline, falling
// to 0 one pixel further out (a tent across the line, rounded where segments meet and at the
// ends); where segments overlap a pixel takes the largest of their shares, once. Segments with
// a point that is not finite are left out, and so are segments of no length.
void DrawPolyline(uint32_t* pixels, int width, int height, const dsp::PaintPlan& plan, const dsp::ChartPoint* points,
                  int count, uint32_t argb);

// The width in pixels of the line DrawPolyline draws with the plan's pen (at least 1).
double LineWidthInPixels(const dsp::PaintPlan& plan);

}  // namespace pages
