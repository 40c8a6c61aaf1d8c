// Time of the response chart's work on the tuning page: a full refresh of every curve the page can
// show (its eight default outputs, every band boosted or cut, 48 dB slopes: 24 curves and their
// acoustic sum) and one slider step (one band on one output, and on outputs 0 to 5 as a linked
// Standard-mode step: the changed curves, their totals and the sum). In the Windows build each
// figure is taken again with the chart's paint. Natively our FFT is set beside FFTW's.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

#include "bench/timing.h"
#include "dsp/response.h"
#include "dsp/signal.h"
#include "model/tuning_model.h"
#include "pages/chart_raster.h"
#include "pages/chart_view.h"
#include "pages/display_chart_logic.h"

#ifdef _WIN32
#include "bench/host_window.h"
#include "pages/display_chart.h"
#include "ui/text.h"
#endif
#ifdef DARVIX_HAVE_FFTW
#include <fftw3.h>
#endif

namespace {

using bench::Figures;
using bench::Time;

void Print(const char* what, const Figures& f, const char* target) { bench::PrintMs(what, 64, f, target); }

// The page's tuning for the figures: eight outputs, 48 dB slopes, every band away from 0 dB.
void Tune(model::TuningModel& m) {
    const int p = m.CurrentPreset();
    for (int o = 0; o < model::kChannelCount; ++o) {
        model::DspChannelRecord& r = m.Record(p, o);
        r.crossover.LFSlope = r.crossover.HFSlope = 48.0f;
        r.crossover.FilterModel = (o % 2) ? model::kButterworth : model::kLinkwitz;
        for (int k = 0; k < model::kBandCount; ++k) r.EQGain[k] = (k % 2 ? 1.0f : -1.0f) * float(1 + (k + o) % 12);
    }
    m.DesignPreset(p);
}

struct Page {
    model::TuningModel& m;
    pages::DisplayChartLogic& chart;
    int32_t triples[3 * model::kChannelCount];

    Page(model::TuningModel& model, pages::DisplayChartLogic& c) : m(model), chart(c) {
        const int p = m.CurrentPreset();
        for (int o = 0; o < model::kChannelCount; ++o) {
            triples[3 * o] = m.Record(p, o).position;
            triples[3 * o + 1] = m.Record(p, o).kind;
            triples[3 * o + 2] = o;
        }
    }
    void Curve(int o) {
        const int p = m.CurrentPreset();
        const model::DspChannelRecord& r = m.Record(p, o);
        chart.ShowResponse(pages::EqualiserCurveId(r.position, r.kind), r.eqSections, model::kBandCount, false);
    }
    void Crossover(int o) {
        const int p = m.CurrentPreset();
        const model::DspChannelRecord& r = m.Record(p, o);
        chart.ShowCrossoverResponse(pages::CrossoverCurveId(r.position, r.kind), r.crossover, m.Sections(p, o), false);
    }
    void Sum() {
        const int p = m.CurrentPreset();
        chart.ShowSumResponse(true, &m.Record(p, 0), &m.Sections(p, 0), triples, model::kChannelCount, false);
    }
    void FullRefresh(bool paint) {
        chart.Curves().SetHoldRedraw(true);
        chart.Engine().Forget();  // a refresh after the model changed computes every speaker
        for (int o = 0; o < model::kChannelCount; ++o) {
            Curve(o);
            Crossover(o);
        }
        Sum();
        chart.Curves().SetHoldRedraw(false);
        if (!paint) return;
    }
    // One band of the given outputs moves by a step; their curves, totals and the sum follow.
    void SliderStep(int first, int last, int round) {
        const int p = m.CurrentPreset();
        chart.Curves().SetHoldRedraw(true);
        for (int o = first; o <= last; ++o) {
            m.Record(p, o).EQGain[20] = (round % 2) ? 3.5f : -3.5f;
            m.SetEqBandGain(o, 20);
            Curve(o);
        }
        Sum();
        chart.Curves().SetHoldRedraw(false);
    }
};

// Where a paint of every curve goes, part by part: its plan, then the fills and the lines drawn
// into the pixels of a chart-sized buffer.
void Parts(pages::DisplayChartLogic& chart) {
    dsp::PaintPlan plan;
    Print("the paint plan of every curve", Time(60, [&](int) { dsp::MakePaintPlan(chart.Curves(), chart.Geometry(), plan); }),
          "part of a paint");
    const int width = plan.clipRight + 40, height = plan.clipBottom + 10;
    std::vector<uint32_t> pixels(static_cast<size_t>(width * height), 0x00202830u);
    auto draw = [&](dsp::PaintOp::Kind kind) {
        for (const dsp::PaintOp& op : plan.ops) {
            if (op.kind != kind) continue;
            if (kind == dsp::PaintOp::kFill)
                pages::FillPolygon(pixels.data(), width, height, plan, op.points, op.count, op.argb);
            else
                pages::DrawPolyline(pixels.data(), width, height, plan, op.points, op.count, op.argb);
        }
    };
    Print("  its fills into the plot's pixels", Time(60, [&](int) { draw(dsp::PaintOp::kFill); }), "part of a paint");
    Print("  its lines into the plot's pixels", Time(60, [&](int) { draw(dsp::PaintOp::kLine); }), "part of a paint");
}

void Run(pages::DisplayChartLogic& chart, const char* with) {
    model::TuningModel m;
    Tune(m);
    Page page(m, chart);
    page.FullRefresh(false);
    Parts(chart);
    char what[160];
    std::snprintf(what, sizeof what, "full refresh, 24 curves + sum%s", with);
#ifdef _WIN32
    const char* full = "10 ms natively";
    const char* step = "p95 <= 16 ms under Wine with its paint";
#else
    const char* full = "<= 10 ms";
    const char* step = "<= 2 ms";
#endif
    Print(what, Time(30, [&](int) { page.FullRefresh(true); }), full);
    std::snprintf(what, sizeof what, "slider step, one output%s", with);
    Print(what, Time(100, [&](int i) { page.SliderStep(0, 0, i); }), step);
    std::snprintf(what, sizeof what, "slider step, outputs 0..5 linked%s", with);
    Print(what, Time(50, [&](int i) { page.SliderStep(0, 5, i); }), step);
    // As the tuning page draws it: only the edited speaker's curves shown, without a sum.
    chart.Curves().ShowAllCurves(false);
    const model::DspChannelRecord& r = m.Record(m.CurrentPreset(), 0);
    chart.Curves().ShowCurve(pages::EqualiserCurveId(r.position, r.kind), true, false);
    chart.Curves().ShowCurve(pages::CrossoverCurveId(r.position, r.kind), true, false);
    std::snprintf(what, sizeof what, "slider step, one output, page view%s", with);
    Print(what, Time(100, [&](int i) {
              chart.Curves().SetHoldRedraw(true);
              m.Record(m.CurrentPreset(), 0).EQGain[20] = (i % 2) ? 3.5f : -3.5f;
              m.SetEqBandGain(0, 20);
              page.Curve(0);
              chart.Curves().SetHoldRedraw(false);
          }),
          step);
}

#ifndef _WIN32
// Median time of both transforms, their ratio and the largest difference of their bins.
void Compare(const char* what, const Figures& ours, const Figures& theirs, double largest, double diff) {
    std::printf("%s: our FFT / FFTW: %.2f x (median; target <= 1.5 x); largest difference %.3g (%.3g of the "
                "largest bin)\n",
                what, ours.median / theirs.median, diff, diff / largest);
}

// Our transforms with the given butterfly kernel (the default kernel's figures are the ones the
// chart gets; the other is shown beside them).
struct Ours {
    Figures complex, real;
};
Ours TimeOurs(const char* kernel, const std::vector<double>& re0, const std::vector<double>& im0, std::vector<double>& re,
              std::vector<double>& im, std::vector<double>& rre, std::vector<double>& rim) {
    Ours o;
    char what[160];
    o.complex = Time(400, [&](int) { dsp::FftFrom(re0.data(), im0.data(), re.data(), im.data(), dsp::kBlockOrder); });
    std::snprintf(what, sizeof what, "our FFT (%s), 16384 complex points (reading its input in)", kernel);
    Print(what, o.complex, "<= 1.5 x FFTW's");
    o.real = Time(400, [&](int) { dsp::RealFft(re0.data(), rre.data(), rim.data(), dsp::kBlockOrder); });
    std::snprintf(what, sizeof what, "our FFT (%s), 16384 real points, the chart's (reading its input in)", kernel);
    Print(what, o.real, "<= 1.5 x FFTW's");
    return o;
}

void CompareFft() {
    constexpr int n = dsp::kBlockLength;
    std::vector<double> re0(n), im0(n);
    std::mt19937_64 rng(3);
    std::uniform_real_distribution<double> u(-1, 1);
    for (int i = 0; i < n; ++i) {
        re0[i] = u(rng);
        im0[i] = 0.0;
    }
    // Each side reads the same input from where it lies into its own work arrays.
    std::vector<double> re(n), im(n), rre(n / 2 + 1), rim(n / 2 + 1);
    const dsp::FftKernel chosen = dsp::CurrentFftKernel();
    const struct {
        dsp::FftKernel kernel;
        const char* name;
    } kernels[] = {{dsp::FftKernel::Avx, "AVX"}, {dsp::FftKernel::Sse2, "SSE2"}};
    std::printf("FFT kernel chosen for this processor: %s\n", chosen == dsp::FftKernel::Avx ? "AVX" : "SSE2");
#ifdef DARVIX_HAVE_FFTW
    fftw_complex* in = fftw_alloc_complex(n);
    fftw_complex* out = fftw_alloc_complex(n);
    double* rin = fftw_alloc_real(n);
    fftw_plan plan = fftw_plan_dft_1d(n, in, out, FFTW_FORWARD, FFTW_MEASURE);  // planned once
    fftw_plan rplan = fftw_plan_dft_r2c_1d(n, rin, out, FFTW_MEASURE);
    const Figures theirs = Time(400, [&](int) {
        for (int i = 0; i < n; ++i) {
            in[i][0] = re0[i];
            in[i][1] = im0[i];
        }
        fftw_execute(plan);
    });
    Print("FFTW, 16384 complex points (with copying its input in)", theirs, "reference");
    std::vector<double> fre(n), fim(n), frre(n / 2 + 1), frim(n / 2 + 1);
    for (int i = 0; i < n; ++i) {
        fre[i] = out[i][0];
        fim[i] = out[i][1];
    }
    const Figures theirsReal = Time(400, [&](int) {
        std::copy(re0.begin(), re0.end(), rin);
        fftw_execute(rplan);
    });
    Print("FFTW, 16384 real points (with copying its input in)", theirsReal, "reference");
    for (int i = 0; i <= n / 2; ++i) {
        frre[i] = out[i][0];
        frim[i] = out[i][1];
    }
    // Largest bin and largest difference of ours from FFTW's over the first count bins.
    auto compare = [](const char* what, const Figures& o, const Figures& t, const std::vector<double>& ar,
                      const std::vector<double>& ai, const std::vector<double>& br, const std::vector<double>& bi,
                      size_t count) {
        double largest = 0.0, diff = 0.0;
        for (size_t i = 0; i < count; ++i) {
            largest = std::max(largest, std::hypot(br[i], bi[i]));
            diff = std::max(diff, std::hypot(ar[i] - br[i], ai[i] - bi[i]));
        }
        Compare(what, o, t, largest, diff);
    };
#endif
    for (const auto& k : kernels) {
        if (!dsp::UseFftKernel(k.kernel)) {
            std::printf("FFT kernel %s: this processor cannot run it\n", k.name);
            continue;
        }
        const Ours o = TimeOurs(k.name, re0, im0, re, im, rre, rim);
#ifdef DARVIX_HAVE_FFTW
        char what[64];
        std::snprintf(what, sizeof what, "complex, %s", k.name);
        compare(what, o.complex, theirs, re, im, fre, fim, n);
        std::snprintf(what, sizeof what, "real, %s", k.name);
        compare(what, o.real, theirsReal, rre, rim, frre, frim, n / 2 + 1);
#else
        (void)o;
#endif
    }
    dsp::UseFftKernel(chosen);
#ifdef DARVIX_HAVE_FFTW
    fftw_destroy_plan(plan);
    fftw_destroy_plan(rplan);
    fftw_free(in);
    fftw_free(out);
    fftw_free(rin);
#else
    std::printf("FFTW is not installed (libfftw3-dev): no comparison\n");
#endif
}
#endif

}  // namespace

int main() {
    {
        pages::DisplayChartLogic chart(false, nullptr);
        Run(chart, "");
    }
#ifdef _WIN32
    {
        ui::GdiplusSession gdiplus;
        HWND host = bench::MakeHostWindow("ChartBenchHost", "chart", DefWindowProcA,
                                          WS_OVERLAPPEDWINDOW | WS_VISIBLE, 800, 220);
        pages::DisplayChart window(host, 0, 0, 0);
        Run(window.Logic(), ", with its paint");
        // A paint keeps the plot as it stood before its first changed curve, so a refresh that
        // changes nothing draws nothing: this is the cost of drawing all of them again.
        model::TuningModel m;
        Tune(m);
        Page page(m, window.Logic());
        window.Curves().ShowAllCurves(true);
        page.FullRefresh(true);
        Print("every curve drawn again (24 + sum, the face redrawn first)", Time(60, [&](int) {
                  window.Redraw(false);
                  window.Paint(true);
              }),
              "p95 <= 16 ms under Wine");
        DestroyWindow(host);
    }
#else
    CompareFft();
#endif
    return 0;
}
