// The response chart without its window: the curve list, the response engine, the zoom and the
// paint plan. DisplayChart (the window) executes the plans it hands out; tests take them.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "dsp/curve_list.h"
#include "dsp/response.h"
#include "model/records.h"

namespace pages {

class DisplayChartLogic {
public:
    // customBackground: the creator gave its own background (the other geometry). execute runs
    // each paint's plan with its update-now flag; it is called only while the chart is not held.
    DisplayChartLogic(bool customBackground, std::function<void(const dsp::PaintPlan&, bool)> execute);
    ~DisplayChartLogic();
    DisplayChartLogic(const DisplayChartLogic&) = delete;
    DisplayChartLogic& operator=(const DisplayChartLogic&) = delete;

    dsp::CurveList& Curves() { return curves_; }
    const dsp::CurveList& Curves() const { return curves_; }
    const dsp::ChartGeometry& Geometry() const { return geometry_; }
    dsp::ResponseEngine& Engine() { return engine_; }

    // An equaliser curve (kind 0) from a cascade, then the speaker's total when its crossover
    // curve (id + 1) holds points. bypassed: the unit plays the channel without its equaliser
    // (EQ Off): the curve is drawn all the same and the total takes it as flat.
    void ShowResponse(uint32_t id, const model::BiquadSection* sections, int count, bool repaint,
                      bool bypassed = false);
    // A crossover curve (kind 1) of the block's designed sections, closed to 0 dB for a full
    // range (or unset) block and to the bottom otherwise; then the total when the equaliser
    // curve (id - 1) holds points.
    void ShowCrossoverResponse(uint32_t id, const model::CrossoverParams& block,
                               const model::CrossoverSections& sections, bool repaint);
    // The acoustic sum of the listed (position, kind, output) triples, as their curves' shown
    // flags say; show false (or nothing listed) only hides it.
    void ShowSumResponse(bool show, const model::DspChannelRecord* records,
                         const model::CrossoverSections* sections, const int32_t* triples,
                         int count, bool repaint);

    // The zoom slider's value v: the level axis becomes -12 v .. +12 v, then a paint.
    void SetZoom(float v);
    void Paint(bool updateNow) { curves_.Paint(updateNow); }
    long Paints() const { return paints_; }
    // Bytes of the paint plan's points and thinnings, and of the chart's response rows.
    size_t PlanBytes() const;

private:
    void UpdateTotal(uint32_t equaliserId, uint32_t crossoverId);
    void Execute(bool updateNow);

    bool custom_;
    const dsp::ChartGeometry& geometry_;
    std::function<void(const dsp::PaintPlan&, bool)> execute_;
    dsp::CurveList curves_;
    dsp::ResponseEngine engine_;
    dsp::PaintPlan plan_;
    std::vector<float> xs_, ys_;
    std::vector<dsp::SumSpeaker> speakers_;
    int savedErrorMode_ = 0;
    long paints_ = 0;
};

}  // namespace pages
