// DisplayChart: the frequency-response chart of the tuning page, the external-source page and
// the dynamic-equalisation dialog. A FrameWnd over its background image with a small zoom slider
// at the right of the plot; its curves, responses and paint plans come from DisplayChartLogic,
// and Paint executes a plan with GDI+ into the back buffer.
#pragma once

#include <windows.h>

#include "pages/chart_prefix.h"
#include "pages/display_chart_logic.h"
#include "ui/frame_wnd.h"
#include "ui/gdi.h"
#include "ui/slider.h"

namespace pages {

class DisplayChart : public ui::FrameWnd {
public:
    // backgroundId 0: the chart's own background (and its geometry).
    DisplayChart(HWND parent, int x, int y, UINT backgroundId);
    ~DisplayChart() override;

    DisplayChartLogic& Logic() { return logic_; }
    dsp::CurveList& Curves() { return logic_.Curves(); }
    ui::Slider& ZoomSlider() { return slider_; }

    void ShowResponse(uint32_t id, const model::BiquadSection* sections, int count, bool repaint,
                      bool bypassed = false) {
        logic_.ShowResponse(id, sections, count, repaint, bypassed);
    }
    void ShowCrossoverResponse(uint32_t id, const model::CrossoverParams& block,
                               const model::CrossoverSections& sections, bool repaint) {
        logic_.ShowCrossoverResponse(id, block, sections, repaint);
    }
    void ShowSumResponse(bool show, const model::DspChannelRecord* records,
                         const model::CrossoverSections* sections, const int32_t* triples, int count,
                         bool repaint) {
        logic_.ShowSumResponse(show, records, sections, triples, count, repaint);
    }
    void Paint(bool updateNow) { logic_.Paint(updateNow); }

    LRESULT OnAppMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    // The face drawn again covers the curves: the next paint composites all of them.
    void Redraw(bool updateNow) override;

    // For a chart built off screen that may stay there a long while (a page or dialog not shown at
    // start): until its window is on screen the chart keeps nothing between its computations
    // (responses filtered anew, to the same curves), and its paints, which nobody could see, are
    // drawn into the back buffer when the window is first painted on screen (the same pixels);
    // what it keeps now is freed. Once on screen it keeps what makes its next steps fast.
    void KeepNothingUntilShown();
    bool KeepingNothing() const { return dormant_; }
    // A paint is owed to the back buffer (asked for while off screen and kept nothing).
    bool PaintOwed() const { return paintOwed_; }

    // Draws an owed paint before the back buffer goes to the screen.
    void OnPaint(HDC dc, const PAINTSTRUCT& paint) override;

    // The drawing kept between paints (for tests and the benchmarks).
    const ChartPrefix& Kept() const { return kept_; }

private:
    void Execute(const dsp::PaintPlan& plan, bool updateNow);

    ui::gdi::MemoryDC background_, track_, thumb_;
    ChartPrefix kept_;
    bool faceRedrawn_ = true;
    bool dormant_ = false;
    bool paintOwed_ = false;
    RECT unshown_{0, 0, 0, 0};  // changed in the back buffer, not yet on the screen
    DisplayChartLogic logic_;
    ui::Slider slider_;
};

}  // namespace pages
