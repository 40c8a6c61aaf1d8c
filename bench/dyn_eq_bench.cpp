// Time of one Easy-mode EQ slider step of the dynamic-equalisation dialog: both Easy curves
// recomputed, the selected curve's 31 sections designed and its chart curve computed (the chart's
// own logic). Printed beside the chart's one-step targets: 2 ms natively, 16 ms under Wine with
// its paint.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "dialogs/eq_dynamic_logic.h"
#include "pages/display_chart_logic.h"

namespace {

// A window that only computes the chart's curves.
class ChartOnlyView : public dialogs::EqDynamicView {
public:
    ChartOnlyView() : chart_(false, [](const dsp::PaintPlan&, bool) {}) {}
    void Check(dialogs::DynEqControl, bool) override {}
    void Enable(dialogs::DynEqControl, bool) override {}
    void Show(dialogs::DynEqControl, bool) override {}
    void SetSlider(int, float) override {}
    void LoadEqGains(const float*) override {}
    void LoadEqEnables(const int32_t*) override {}
    void SetHeight(int) override {}
    void StartTimer(uint32_t, uint32_t) override {}
    void StopTimer(uint32_t) override {}
    void RedrawTexts() override {}
    void ChartResponse(uint32_t id, const model::BiquadSection* s, int n) override { chart_.ShowResponse(id, s, n, false); }
    void ChartColours(uint32_t, pages::CurveColour, pages::CurveColour) override {}
    void ChartShow(uint32_t, bool) override {}
    void ChartHighlight(int32_t) override {}
    bool AskDisable() override { return true; }
    void PostClosed() override {}

private:
    pages::DisplayChartLogic chart_;
};

}  // namespace

int main() {
    ChartOnlyView view;
    os::FakeSleeper sleeper;
    dialogs::EqDynamicLogic logic(&view, &sleeper);
    logic.Reset();
    logic.OnModeClicked(dialogs::kDynEqEasy);
    logic.OnTimer(dialogs::kDynEqReadyTimer);
    logic.OnVolumeMoved(-40.0f);
    logic.OnStart();
    std::vector<double> ms;
    for (int i = -1; i < 200; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        logic.OnEqSliderMoved(static_cast<float>(i % 25) * 0.5f - 6.0f);
        const auto t1 = std::chrono::steady_clock::now();
        if (i >= 0) ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-58s median %7.3f ms  min %7.3f ms  p95 %7.3f ms   (target %s)\n",
                "dynamic EQ: one Easy EQ-slider step with its chart curve", ms[ms.size() / 2], ms.front(),
                ms[ms.size() * 95 / 100], "2 ms; 16 ms under Wine with its paint");
    return 0;
}
