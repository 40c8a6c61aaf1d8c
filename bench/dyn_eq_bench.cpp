// Time of one Easy-mode EQ slider step of the dynamic-equalisation dialog: both Easy curves
// recomputed, the selected curve's 31 sections designed and its chart curve computed. Natively
// the step goes through the dialog's logic to the chart's own logic (no window to paint); in the
// Windows build the slider's message is sent to the real dialog, shown and calibrating in Easy
// mode, and the step lasts until everything it changed is painted (the chart, the slider, the
// value box and the status line). Printed beside the chart's one-step targets: 2 ms natively,
// 16 ms under Wine with its paint.
#include <cstdio>
#include <functional>
#include <vector>

#include "bench/timing.h"

#ifdef _WIN32
#include "bench/host_window.h"
#include "dialogs/eq_dynamic_dlg.h"
#include "ui/messages.h"
#include "ui/text.h"
#else
#include "dialogs/eq_dynamic_logic.h"
#include "pages/display_chart_logic.h"
#endif

namespace {

// The EQ slider's value of step i: it walks -6 .. +6 dB in half-dB steps and starts again, so
// each step moves the slider.
float Value(int i) { return static_cast<float>(i % 25) * 0.5f - 6.0f; }

// Runs one warming step (i = -1), then `rounds` timed ones; prints median, min and p95.
void TimeSteps(const char* what, int rounds, const std::function<void(int)>& step, const char* target) {
    bench::PrintMs(what, 58, bench::Time(rounds, step), target);
}

#ifndef _WIN32
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
#else
// Handles what is queued (paints above all) until nothing is left. The dialog's timers are left
// out: the save timer's end is not part of a slider step.
void Pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_TIMER) continue;
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

// One slider step as the slider sends it: the thumb moves, then the dialog hears of the change.
void MoveSlider(dialogs::EqDynamicDlg& dlg, int index, float value) {
    ui::Slider& s = index == 0 ? dlg.VolumeSlider() : dlg.EqSlider();
    float change = value - s.GetValue();
    s.SetValue(value);
    SendMessageA(dlg.GetHwnd(), ui::MsgSliderMoved, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&change));
}

void Click(dialogs::EqDynamicDlg& dlg, dialogs::DynEqControl c) {
    SendMessageA(dlg.GetHwnd(), ui::MsgButtonClicked, 0, reinterpret_cast<LPARAM>(dlg.ControlWindow(c)));
    Pump();
}
#endif

}  // namespace

#ifndef _WIN32
int main() {
    ChartOnlyView view;
    os::FakeSleeper sleeper;
    dialogs::EqDynamicLogic logic(&view, &sleeper);
    logic.Reset();
    logic.OnModeClicked(dialogs::kDynEqEasy);
    logic.OnTimer(dialogs::kDynEqReadyTimer);
    logic.OnVolumeMoved(-40.0f);
    logic.OnStart();
    TimeSteps("dynamic EQ: one Easy EQ-slider step with its chart curve", 200,
              [&](int i) { logic.OnEqSliderMoved(Value(i)); }, "2 ms; 16 ms under Wine with its paint");
    return 0;
}
#else
int main() {
    ui::GdiplusSession gdiplus;
    HWND host =
        bench::MakeHostWindow("DynEqBenchHost", "dynamic EQ", DefWindowProcA, WS_POPUP | WS_VISIBLE, 1280, 1024);
    int status = 0;
    {
        dialogs::EqDynamicDlg dlg(host, 300, 100);
        if (!dlg.GetHwnd() || !dlg.Chart()) {
            std::printf("dynamic EQ: the dialog could not be made\n");
            status = 1;
        } else {
            // Shown, Easy, the Low-volume curve calibrating after START: the EQ slider is live.
            dlg.ResetCurves();
            dlg.Show();
            Pump();
            Click(dlg, dialogs::DynEqControl::Easy);
            SendMessageA(dlg.GetHwnd(), WM_TIMER, dialogs::kDynEqReadyTimer, 0);
            MoveSlider(dlg, 0, -40.0f);
            Pump();
            Click(dlg, dialogs::DynEqControl::Start);
            if (!IsWindowEnabled(dlg.ControlWindow(dialogs::DynEqControl::EqSlider))) {
                std::printf("dynamic EQ: the EQ slider did not come on after START\n");
                status = 1;
            } else {
                const long paintsBefore = dlg.Chart()->Logic().Paints();
                int steps = 0;
                TimeSteps("dynamic EQ under Wine: one Easy EQ-slider step, real dialog", 200,
                          [&](int i) {
                              // The warming step goes to 0 dB: the timed ones start at -6 dB.
                              MoveSlider(dlg, 1, Value(i < 0 ? 12 : i));
                              Pump();
                              ++steps;
                          },
                          "<= 16 ms");
                // Each step should draw the chart once; more would mean wasted paints.
                std::printf("chart paints per step: %.2f\n",
                            static_cast<double>(dlg.Chart()->Logic().Paints() - paintsBefore) / steps);
            }
            dlg.Hide();
        }
    }
    DestroyWindow(host);
    return status;
}
#endif
