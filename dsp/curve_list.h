// The response chart's model: a list of curves (newest first), each a polyline of (log10 Hz, dB)
// points closed into an outline for filling, with colours and a shown flag; the level range, the
// hold flag and the three highlighted curves; and the paint plan that turns them into drawing
// operations in the chart's order. Window-free: the chart's window only executes the plan.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace dsp {

struct ChartPoint {
    float x, y;
};

// ARGB in one word, alpha in the high byte.
constexpr uint32_t Argb(uint8_t a, uint8_t r, uint8_t g, uint8_t b) {
    return (uint32_t{a} << 24) | (uint32_t{r} << 16) | (uint32_t{g} << 8) | b;
}

// The kinds of curve (the chart draws crossovers unfilled and never fills the sum).
constexpr uint32_t kKindEqualiser = 0;
constexpr uint32_t kKindCrossover = 1;
constexpr uint32_t kKindTotal = 1024;
constexpr uint32_t kKindSum = 4096;
constexpr uint32_t kSumId = 432;

constexpr uint32_t kDefaultLine = Argb(115, 200, 200, 250);
constexpr uint32_t kDefaultFill = Argb(120, 120, 120, 255);

// Closing modes of SetCurve.
constexpr int kCloseToZero = 0;
constexpr int kCloseToBottom = 1;
constexpr int kCloseRepeatLast = -2;  // any other value does the same

struct ChartCurve {
    uint32_t id = 0;
    uint32_t kind = 0;
    std::vector<ChartPoint> points;  // capacity: points.size()
    int count = 0;                   // points stored with the 3 closing points; 0 = empty
    uint32_t line = kDefaultLine;
    uint32_t fill = kDefaultFill;
    bool shown = true;
    // An equaliser curve whose channel the unit plays with the equaliser bypassed: drawn as it
    // is set, counted as flat in its speaker's total.
    bool bypassed = false;
    // A stamp taken anew whenever the points or the count change, never given to another curve
    // or change (so a paint plan can tell its kept thinning of this curve is current).
    uint64_t version = 0;
};

class CurveList {
public:
    // paint(updateNow) draws the chart; it is called only while the hold flag is clear.
    explicit CurveList(std::function<void(bool)> paint = {});

    void SetCurve(uint32_t id, uint32_t kind, const float* xs, const float* ys, int n, int mode,
                  bool repaint);
    bool HasCurve(uint32_t id) const;
    ChartCurve* FindCurve(uint32_t id);
    const ChartCurve* FindCurve(uint32_t id) const;
    // Sets the flag when found; paints when repaint is set or nothing was found.
    void ShowCurve(uint32_t id, bool shown, bool repaint);
    bool IsCurveShown(uint32_t id) const;
    void ShowAllCurves(bool shown);
    void SetHighlight(int32_t id1, int32_t id2, int32_t id3, bool repaint);
    // Empties every curve (ids, colours and flags stay) and clears the highlights; no painting.
    void ClearCurves();
    void SetHoldRedraw(bool hold);
    bool Held() const { return hold_; }
    // A missing id changes nothing and paints nothing. The Rgb forms keep the alpha.
    void SetCurveLineArgb(uint32_t id, uint8_t r, uint8_t g, uint8_t b, uint8_t a, bool repaint);
    void SetCurveFillArgb(uint32_t id, uint8_t r, uint8_t g, uint8_t b, uint8_t a, bool repaint);
    void SetCurveLineRgb(uint32_t id, uint8_t r, uint8_t g, uint8_t b, bool repaint);
    void SetCurveFillRgb(uint32_t id, uint8_t r, uint8_t g, uint8_t b, bool repaint);

    // Draws unless held.
    void Paint(bool updateNow);

    // The level axis: -half .. +half dB.
    void SetRange(float yMin, float yMax) {
        yMin_ = yMin;
        yMax_ = yMax;
    }
    float YMin() const { return yMin_; }
    float YMax() const { return yMax_; }
    const int32_t* Highlights() const { return highlight_; }
    const std::vector<std::unique_ptr<ChartCurve>>& Curves() const { return curves_; }
    // Bytes of the curves' point arrays.
    size_t PointBytes() const;

private:
    void SetColour(uint32_t id, bool lineColour, uint32_t argb, bool keepAlpha, bool repaint);

    std::function<void(bool)> paint_;
    std::vector<std::unique_ptr<ChartCurve>> curves_;  // index 0 is the head (newest)
    int32_t highlight_[3] = {-1, -1, -1};
    bool hold_ = false;
    float yMin_ = -12.0f, yMax_ = 12.0f;
};

// The fixed places of a chart: the plot area and the two level labels, in client pixels.
struct ChartGeometry {
    int left, top, right, bottom;  // plot rectangle
    int topLabelX, topLabelY, bottomLabelX, bottomLabelY;
    int sliderLeft, sliderTop, sliderRight, sliderBottom;  // zoom slider window
};
// With the chart's own background, and with the background a creator gives.
extern const ChartGeometry kDefaultChartGeometry;
extern const ChartGeometry kCustomChartGeometry;

// The frequency axis: log10(19.69 Hz) .. log10(20000 Hz).
extern const float kChartXMin;
extern const float kChartXMax;

// Where a point (log10 Hz, dB) lands in client pixels (0 dB on the plot's middle row).
struct PixelPoint {
    double x, y;
};
PixelPoint MapToPixel(const ChartGeometry& g, float yMin, float yMax, float x, float y);

// One drawing operation of a paint, in world coordinates (log10 Hz, dB).
struct PaintOp {
    enum Kind { kFill, kLine } kind;
    const ChartPoint* points;  // into the plan's thinnings: valid until the plan is made again
    int count;
    uint32_t argb;
    size_t thinned;  // which of the plan's thinnings holds its points
    uint32_t curve;  // the id of the curve it draws (a curve has at most one op of each kind)
};

struct PaintPlan {
    std::string topLabel, bottomLabel;  // "%d" of the range, at most 4 and 5 characters
    float topLabelX, topLabelY, bottomLabelX, bottomLabelY;
    uint32_t labelArgb;
    // The clip rectangle (the plot) and the world transform, applied as: translate (tx, ty),
    // then scale (sx, sy), then translate (ox, 0) (each prepended).
    int clipLeft, clipTop, clipRight, clipBottom;
    float tx, ty, sx, sy, ox;
    float penWidth;
    std::vector<PaintOp> ops;  // in drawing order

    // Each curve's points as drawn, which the ops point into. Where several points fall on one
    // pixel column only the first, the lowest, the highest and the last of them are kept (in their
    // order): the drawing is the same, and the high bins, dozens to a column, no longer slow the
    // paint down. Reused while the curve and the frequency mapping stay the same (a slider step
    // changes a few of the curves drawn).
    struct Thinned {
        const ChartCurve* curve;
        uint32_t id;
        uint64_t version;
        float tx, sx, ox;
        int kept;  // data points; the closing ones follow
        std::vector<ChartPoint> points;
    };
    std::vector<Thinned> thinned;
};

// The chart's drawing, in order: labels, every shown curve with points in grey (fill unless it
// is a crossover, then line) except up to three highlighted ones, those in their own colours,
// and the sum's line last. `plan`'s storage is reused.
void MakePaintPlan(const CurveList& curves, const ChartGeometry& geometry, PaintPlan& plan);

constexpr uint32_t kGreyFill = Argb(70, 150, 150, 150);
constexpr uint32_t kGreyCrossoverLine = Argb(180, 120, 120, 120);
constexpr uint32_t kGreyLine = Argb(100, 120, 120, 120);
constexpr uint32_t kLabelColour = Argb(190, 20, 20, 55);

}  // namespace dsp
