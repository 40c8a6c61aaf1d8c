// The tuning page's view of its panels over a real chart's computation and no window to paint:
// the curves, the totals and the sum are what the program computes. The curve switches are the
// page's at start (equaliser and crossover on, total off) unless a test sets them.
#pragma once

#include "pages/chart_view.h"
#include "pages/display_chart_logic.h"

namespace pagetest {

class ComputingChart : public pages::ChartView {
public:
    bool HasChart() const override { return true; }
    bool HasSettings() const override { return true; }
    bool HasDeviceInfo() const override { return false; }
    void ShowResponse(uint32_t id, const model::BiquadSection* s, int count, bool repaint, bool bypassed) override {
        chart.ShowResponse(id, s, count, repaint, bypassed);
    }
    void ShowCrossoverResponse(uint32_t id, const model::CrossoverParams& block, const model::CrossoverSections& s,
                               bool repaint) override {
        chart.ShowCrossoverResponse(id, block, s, repaint);
    }
    void ShowSumResponse(bool show, const model::DspChannelRecord* records, const model::CrossoverSections* s,
                         const int32_t* triples, int count, bool repaint) override {
        chart.ShowSumResponse(show, records, s, triples, count, repaint);
    }
    void SetCurveLineArgb(uint32_t id, pages::CurveColour c, bool repaint) override {
        chart.Curves().SetCurveLineArgb(id, c.r, c.g, c.b, c.a, repaint);
    }
    void SetCurveFillArgb(uint32_t id, pages::CurveColour c, bool repaint) override {
        chart.Curves().SetCurveFillArgb(id, c.r, c.g, c.b, c.a, repaint);
    }
    void ShowCurve(uint32_t id, bool shown, bool repaint) override { chart.Curves().ShowCurve(id, shown, repaint); }
    void ShowAllCurves(bool shown) override { chart.Curves().ShowAllCurves(shown); }
    void SetHighlight(int32_t a, int32_t b, int32_t c, bool repaint) override {
        chart.Curves().SetHighlight(a, b, c, repaint);
    }
    void ClearCurves() override { chart.Curves().ClearCurves(); }
    void SetHoldRedraw(bool hold) override { chart.Curves().SetHoldRedraw(hold); }
    void Paint(bool updateNow) override { chart.Paint(updateNow); }
    void GetSwitches(int* eq, int* xo, int* total) override {
        if (eq) *eq = switches[0];
        if (xo) *xo = switches[1];
        if (total) *total = switches[2];
    }
    void ResetSwitches(bool) override {}
    void SetSource(int) override {}
    void SetLine(int, const char*) override {}
    void RefreshText(bool) override {}

    int switches[3] = {1, 1, 0};
    pages::DisplayChartLogic chart{false, nullptr};
};

}  // namespace pagetest
