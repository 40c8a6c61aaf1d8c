// Time from an equaliser slider's message to the tuning page's model updated and its chart
// recomputed, through the page's own logic: the panel's slider step becomes the page's band
// notification, the page writes the gains into the model, designs the bands and hands the chart
// (the response chart's own computation, without a window) every curve it redraws. Three edits:
// one band in Expert mode, one band in Standard mode on a 3-way front with the EQ L/R link on
// (six outputs), and a move of all 31 bands as one group. Figures: median and worst of many.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "pages/car_channel_logic.h"
#include "pages/channel_map_logic.h"
#include "pages/chart_view.h"
#include "pages/display_chart_logic.h"
#include "pages/dsp_setting_logic.h"
#include "ui/messages.h"

namespace {

// The page's chart view over the response chart's logic; the status lines go nowhere.
class ComputingChart : public pages::ChartView {
public:
    bool HasChart() const override { return true; }
    bool HasSettings() const override { return true; }
    bool HasDeviceInfo() const override { return false; }
    void ShowResponse(uint32_t id, const model::BiquadSection* s, int n, bool repaint) override {
        chart.ShowResponse(id, s, n, repaint);
    }
    void ShowCrossoverResponse(uint32_t id, const model::CrossoverParams& b,
                               const model::CrossoverSections& s, bool repaint) override {
        chart.ShowCrossoverResponse(id, b, s, repaint);
    }
    void ShowSumResponse(bool show, const model::DspChannelRecord* r, const model::CrossoverSections* s,
                         const int32_t* t, int n, bool repaint) override {
        chart.ShowSumResponse(show, r, s, t, n, repaint);
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
    void GetSwitches(int* e, int* x, int* t) override {
        *e = 1;
        *x = 1;
        *t = 0;
    }
    void ResetSwitches(bool) override {}
    void SetSource(int) override {}
    void SetLine(int, const char*) override {}
    void RefreshText(bool) override {}

    pages::DisplayChartLogic chart{false, [](const dsp::PaintPlan&, bool) {}};
};

struct Figures {
    double median, worst;
};

Figures Time(int rounds, const std::function<void(int)>& run) {
    std::vector<double> ms;
    run(-1);  // warm
    for (int i = 0; i < rounds; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        run(i);
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

struct Page {
    ComputingChart chart;
    pages::ChannelMapLogic map;
    pages::CarChannelLogic car;
    std::unique_ptr<pages::DSPSettingLogic> logic;
    Page() {
        pages::DspPageViews v;
        v.chart = &chart;
        v.channelMap = &map;
        v.carView = &car;
        logic = std::make_unique<pages::DSPSettingLogic>(v, false);
    }
    // The slider of `band` moved to `value`, as the equaliser panel reports it to the page.
    void Slide(int band, float value) {
        pages::EqSettingsLogic& eq = logic->Eq();
        const float old = eq.Value(band);
        logic->Send(eq.OnSliderMoved(band, value, value - old));
    }
};

void Report(const char* what, const Figures& f) {
    std::printf("%-62s median %7.3f ms  worst %7.3f ms   (target <= 2 ms)\n", what, f.median, f.worst);
}

}  // namespace

int main() {
    std::printf("tuning page: slider message -> model updated and chart recomputed, natively\n");
    {
        Page p;
        p.logic->StoreWorkingMode(0);
        Report("one band, Expert mode (front-left woofer, EQ link on: 2 outputs)",
               Time(200, [&](int i) { p.Slide(17, (i % 2) ? 3.0f : -3.0f); }));
    }
    {
        Page p;
        // The page's start: a 3-way front pair and two subwoofers, Standard mode, every EQ link on.
        Report("one band, Standard mode, 3-way front, EQ L/R Link (6 outputs)",
               Time(200, [&](int i) { p.Slide(17, (i % 2) ? 3.0f : -3.0f); }));
    }
    {
        Page p;
        p.logic->StoreWorkingMode(0);
        pages::EqSettingsLogic& eq = p.logic->Eq();
        p.logic->Send(eq.OnSelectAllClicked(true));
        Report("31-band group move, Expert mode (2 outputs)",
               Time(100, [&](int i) { p.Slide(10, eq.Value(10) + ((i % 2) ? 1.0f : -1.0f)); }));
    }
    return 0;
}
