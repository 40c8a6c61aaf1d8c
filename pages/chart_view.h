// The tuning page's view of its three information panels: the response chart (DisplayChart), the
// curve switches and source name (DisplaySettings) and the device status lines (DeviceInfo).
// The page's logic talks to them only through this interface; the program implements it over the
// real windows, the tests over a recording double. A panel that could not be created answers
// false to its Has* query and the page's operations that need it do nothing.
#pragma once

#include <cstdint>

#include "model/records.h"

namespace pages {

// A curve colour with its alpha (the chart stores it as one 32-bit ARGB value).
struct CurveColour {
    uint8_t r, g, b, a;
};

// The ids of a speaker's curves and of the acoustic sum (the model's ParamIndex).
uint32_t EqualiserCurveId(int position, int kind);
uint32_t CrossoverCurveId(int position, int kind);
uint32_t TotalCurveId(int position, int kind);
constexpr uint32_t kSumCurveId = 432;

// The tuning page's colours of a speaker's equaliser and crossover curves.
constexpr CurveColour kEqualiserFill{120, 255, 120, 120};
constexpr CurveColour kEqualiserLine{200, 250, 200, 205};
constexpr CurveColour kCrossoverFill{255, 120, 120, 120};
constexpr CurveColour kCrossoverLine{250, 20, 20, 180};

class ChartView {
public:
    virtual ~ChartView() = default;

    virtual bool HasChart() const = 0;
    virtual bool HasSettings() const = 0;
    virtual bool HasDeviceInfo() const = 0;

    // DisplayChart. A crossover curve is drawn from the block's words and the sections the model
    // designed for it (the block's section count of them); the sum takes the current preset's
    // eight records with their eight section arrays and (position, kind, output) triples. An
    // equaliser the unit bypasses (EQ Off) is drawn and counts as flat in its speaker's total.
    virtual void ShowResponse(uint32_t id, const model::BiquadSection* sections, int count,
                              bool repaint, bool bypassed) = 0;
    virtual void ShowCrossoverResponse(uint32_t id, const model::CrossoverParams& block,
                                       const model::CrossoverSections& sections, bool repaint) = 0;
    virtual void ShowSumResponse(bool show, const model::DspChannelRecord* records,
                                 const model::CrossoverSections* sections, const int32_t* triples,
                                 int count, bool repaint) = 0;
    virtual void SetCurveLineArgb(uint32_t id, CurveColour colour, bool repaint) = 0;
    virtual void SetCurveFillArgb(uint32_t id, CurveColour colour, bool repaint) = 0;
    virtual void ShowCurve(uint32_t id, bool shown, bool repaint) = 0;
    virtual void ShowAllCurves(bool shown) = 0;
    virtual void SetHighlight(int32_t id1, int32_t id2, int32_t id3, bool repaint) = 0;
    virtual void ClearCurves() = 0;
    virtual void SetHoldRedraw(bool hold) = 0;
    virtual void Paint(bool updateNow) = 0;

    // DisplaySettings: each switch 1 on, 0 off, 2 while disabled.
    virtual void GetSwitches(int* equaliser, int* crossover, int* total) = 0;
    virtual void ResetSwitches(bool resetSource) = 0;
    virtual void SetSource(int source) = 0;

    // DeviceInfo: line 0..4 (others ignored), drawn by RefreshText.
    virtual void SetLine(int line, const char* text) = 0;
    virtual void RefreshText(bool updateNow) = 0;
};

}  // namespace pages
