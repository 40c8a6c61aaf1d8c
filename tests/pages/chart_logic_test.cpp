#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

#include "dsp/crossover.h"
#include "dsp/eq.h"
#include "model/tables.h"
#include "model/tuning_model.h"
#include "pages/chart_view.h"
#include "pages/display_chart_logic.h"

using namespace model;
using dsp::ChartCurve;

namespace {

// A chart whose paints are counted and whose last plan is kept.
struct Chart {
    int paints = 0;
    bool lastUpdate = false;
    dsp::PaintPlan last;
    pages::DisplayChartLogic logic{false, [this](const dsp::PaintPlan& p, bool u) {
                                       ++paints;
                                       lastUpdate = u;
                                       last = p;
                                   }};
    dsp::CurveList& curves() { return logic.Curves(); }
};

std::vector<float> Ramp(int n, float y0) {
    std::vector<float> v(n);
    for (int i = 0; i < n; ++i) v[i] = y0 + static_cast<float>(i);
    return v;
}

CrossoverSections Design(CrossoverParams& x) {
    CrossoverSections s;
    s.section.fill(IdentitySection());
    dsp::DesignCrossover(x, s);
    return s;
}

CrossoverParams Block(int type, int family, float lp, float hp, float slope) {
    CrossoverParams x{};
    x.FilterType = type;
    x.FilterModel = family;
    x.LPFreq = lp;
    x.HPFreq = hp;
    x.LFSlope = x.HFSlope = slope;
    return x;
}

TEST(ChartCurves, AFlatEqualiserIsExactlyZeroAtEveryKeptBin) {
    Chart c;
    DspChannelRecord r{};
    dsp::ComputeEqBands(&r);  // every gain 0 dB
    c.logic.ShowResponse(40, r.eqSections, kBandCount, false);
    const ChartCurve* e = c.curves().FindCurve(40);
    ASSERT_NE(e, nullptr);
    ASSERT_EQ(e->count, 6824);
    EXPECT_EQ(e->kind, dsp::kKindEqualiser);
    for (int i = 0; i < 6821; ++i) ASSERT_EQ(e->points[i].y, 0.0f) << i;
    EXPECT_EQ(e->points[0].x, static_cast<float>(std::log10(17.578125)));
    EXPECT_EQ(e->points[6820].x, static_cast<float>(std::log10(19998.046875)));
    // Closed down to 0 dB.
    EXPECT_EQ(e->points[6821].x, e->points[6820].x);
    EXPECT_EQ(e->points[6821].y, 0.0f);
    EXPECT_EQ(e->points[6822].x, e->points[0].x);
    EXPECT_EQ(e->points[6823].x, e->points[0].x);
    // Identity sections (and none at all) give the same.
    const BiquadSection id[3] = {IdentitySection(), IdentitySection(1), IdentitySection(0)};
    c.logic.ShowResponse(2, id, 3, false);
    c.logic.ShowResponse(4, nullptr, 0, false);
    for (uint32_t k : {2u, 4u})
        for (int i = 0; i < 6821; ++i) ASSERT_EQ(c.curves().FindCurve(k)->points[i].y, 0.0f);
    EXPECT_EQ(c.paints, 0);
}

TEST(ChartCurves, TheTotalExistsOnlyWithBothCurvesAndIsTheirSum) {
    Chart c;
    DspChannelRecord r{};
    r.EQGain[17] = 6.0f;
    dsp::ComputeEqBands(&r);
    CrossoverParams x = Block(kLowPass, kLinkwitz, 1000, 0, 24);
    const CrossoverSections s = Design(x);
    const uint32_t eq = pages::EqualiserCurveId(kFrontLeft, kWoofer);
    const uint32_t total = pages::TotalCurveId(kFrontLeft, kWoofer);
    c.logic.ShowResponse(eq, r.eqSections, kBandCount, false);
    EXPECT_FALSE(c.curves().HasCurve(total));
    c.logic.ShowCrossoverResponse(eq + 1, x, s, false);
    ASSERT_TRUE(c.curves().HasCurve(total));
    const ChartCurve* e = c.curves().FindCurve(eq);
    const ChartCurve* xo = c.curves().FindCurve(eq + 1);
    const ChartCurve* t = c.curves().FindCurve(total);
    EXPECT_EQ(t->kind, dsp::kKindTotal);
    EXPECT_EQ(t->count, 6824);
    for (int i = 0; i < 6821; ++i) {
        ASSERT_EQ(t->points[i].x, e->points[i].x);
        ASSERT_EQ(t->points[i].y, e->points[i].y + xo->points[i].y);
    }
    EXPECT_EQ(t->fill, dsp::Argb(120, 120, 120, 255));
    EXPECT_EQ(t->line, dsp::Argb(205, 200, 200, 250));
    // A low pass closes to the bottom: below the axis and its own lowest point.
    EXPECT_EQ(xo->kind, dsp::kKindCrossover);
    float lowest = 0.0f;
    for (int i = 0; i < 6821; ++i) lowest = std::min(lowest, xo->points[i].y);
    EXPECT_LT(lowest, -12.0f);
    EXPECT_EQ(xo->points[6821].y, lowest);
    EXPECT_EQ(xo->points[6822].y, lowest);
    // A full range block closes to 0 dB.
    CrossoverParams full = Block(kFullRange, kLinkwitz, 0, 0, 0);
    const CrossoverSections fs = Design(full);
    c.logic.ShowCrossoverResponse(3, full, fs, false);
    EXPECT_EQ(c.curves().FindCurve(3)->points[6821].y, 0.0f);
}

// Two speakers as the tuning page lists them: (position, kind, output).
struct TwoSpeakers {
    DspChannelRecord records[kChannelCount]{};
    CrossoverSections sections[kChannelCount];
    int32_t triples[6] = {kFrontLeft, kWoofer, 0, kFrontRight, kWoofer, 1};
    TwoSpeakers(const CrossoverParams& a, const CrossoverParams& b) {
        records[0].crossover = a;
        records[1].crossover = b;
        for (int o = 0; o < 2; ++o) {
            sections[o] = Design(records[o].crossover);
            dsp::ComputeEqBands(&records[o]);
        }
    }
    void Show(Chart& c, bool equaliser, bool crossover) {
        for (int i = 0; i < 2; ++i) {
            const int p = triples[3 * i], k = triples[3 * i + 1], o = triples[3 * i + 2];
            c.logic.ShowResponse(pages::EqualiserCurveId(p, k), records[o].eqSections, kBandCount, false);
            c.logic.ShowCrossoverResponse(pages::CrossoverCurveId(p, k), records[o].crossover, sections[o], false);
            c.curves().ShowCurve(pages::EqualiserCurveId(p, k), equaliser, false);
            c.curves().ShowCurve(pages::CrossoverCurveId(p, k), crossover, false);
            c.curves().ShowCurve(pages::TotalCurveId(p, k), false, false);
        }
        c.logic.ShowSumResponse(true, records, sections, triples, 2, false);
    }
    const ChartCurve& Sum(Chart& c) { return *c.curves().FindCurve(dsp::kSumId); }
};

TEST(ChartSum, OppositePolaritiesCancelAndEqualOnesDouble) {
    const CrossoverParams lp = Block(kLowPass, kButterworth, 800, 0, 18);
    CrossoverParams inv = lp;
    inv.bInvPhase = 1;
    {
        Chart c;
        TwoSpeakers s(lp, inv);
        s.Show(c, false, true);
        const ChartCurve& sum = s.Sum(c);
        EXPECT_EQ(sum.kind, dsp::kKindSum);
        EXPECT_EQ(sum.count, 6824);
        for (int i = 0; i < 6824; ++i) ASSERT_EQ(sum.points[i].y, -360.0f) << i;
    }
    {
        Chart c;
        TwoSpeakers s(lp, lp);
        s.Show(c, false, true);
        const ChartCurve& sum = s.Sum(c);
        const ChartCurve& one = *c.curves().FindCurve(pages::CrossoverCurveId(kFrontLeft, kWoofer));
        for (int i = 0; i < 6821; ++i) {
            if (one.points[i].y > -200.0f) {
                ASSERT_NEAR(sum.points[i].y - one.points[i].y, 20 * std::log10(2.0), 1e-4) << i;
            }
        }
        // The closing points repeat the last one.
        EXPECT_EQ(sum.points[6823].y, sum.points[6820].y);
        EXPECT_EQ(sum.fill, dsp::Argb(120, 120, 120, 120));
        EXPECT_EQ(sum.line, dsp::Argb(180, 20, 20, 255));
    }
    {
        Chart c;
        TwoSpeakers s(lp, lp);
        s.Show(c, false, false);  // no curve shown: no speaker adds anything
        for (int i = 0; i < 6824; ++i) ASSERT_EQ(s.Sum(c).points[i].y, -720.0f);
    }
}

TEST(ChartSum, ALinkwitzPairSumsFlatOnlyWithOneInverted) {
    CrossoverParams low = Block(kLowPass, kLinkwitz, 2000, 0, 12);
    CrossoverParams high = Block(kHighPass, kLinkwitz, 0, 2000, 12);
    for (int inverted : {0, 1}) {
        high.bInvPhase = static_cast<uint32_t>(inverted);
        Chart c;
        TwoSpeakers s(low, high);
        s.Show(c, false, true);
        double worst = 0.0;
        for (int i = 0; i < 6821; ++i) worst = std::max(worst, std::fabs(double(s.Sum(c).points[i].y)));
        if (inverted)
            EXPECT_LT(worst, 1e-3);
        else
            EXPECT_GT(worst, 20.0);  // a deep notch at the crossover point
    }
}

TEST(ChartSum, HiddenSumComputesNothing) {
    Chart c;
    TwoSpeakers s(Block(kLowPass, kLinkwitz, 2000, 0, 12), Block(kHighPass, kLinkwitz, 0, 2000, 12));
    const long before = c.logic.Engine().Passes();
    c.logic.ShowSumResponse(false, s.records, s.sections, s.triples, 2, false);
    EXPECT_EQ(c.logic.Engine().Passes(), before);
    EXPECT_FALSE(c.curves().HasCurve(dsp::kSumId));
    EXPECT_EQ(c.paints, 1);  // hiding a missing curve still paints
    // An output outside 0..7 and a crossover count outside 0..9 add nothing.
    int32_t bad[3] = {kFrontLeft, kWoofer, 8};
    s.Show(c, true, true);
    c.logic.ShowSumResponse(true, s.records, s.sections, bad, 1, false);
    for (int i = 0; i < 6824; ++i) ASSERT_EQ(s.Sum(c).points[i].y, -720.0f);
    s.records[0].crossover.sectionCount = 200;
    c.logic.ShowSumResponse(true, s.records, s.sections, s.triples, 1, false);
    const ChartCurve& eq = *c.curves().FindCurve(pages::EqualiserCurveId(kFrontLeft, kWoofer));
    for (int i = 0; i < 6821; ++i) ASSERT_EQ(s.Sum(c).points[i].y, eq.points[i].y);
}

TEST(ChartSum, ASliderStepFiltersOnlyWhatChangedAndGivesTheSameBits) {
    TuningModel m;
    const int preset = m.CurrentPreset();
    for (int o = 0; o < kChannelCount; ++o)
        for (int k = 0; k < kBandCount; ++k) m.Record(preset, o).EQGain[k] = static_cast<float>((k * 5 + o) % 25 - 12);
    m.DesignPreset(preset);
    int32_t triples[3 * kChannelCount];
    for (int o = 0; o < kChannelCount; ++o) {
        triples[3 * o] = m.Record(preset, o).position;
        triples[3 * o + 1] = m.Record(preset, o).kind;
        triples[3 * o + 2] = o;
    }
    auto draw = [&](Chart& c) {
        for (int o = 0; o < kChannelCount; ++o) {
            const DspChannelRecord& r = m.Record(preset, o);
            c.logic.ShowResponse(pages::EqualiserCurveId(r.position, r.kind), r.eqSections, kBandCount, false);
            c.logic.ShowCrossoverResponse(pages::CrossoverCurveId(r.position, r.kind), r.crossover,
                                          m.Sections(preset, o), false);
        }
        c.logic.ShowSumResponse(true, &m.Record(preset, 0), &m.Sections(preset, 0), triples, kChannelCount, false);
    };
    Chart live;
    draw(live);
    // One band of output 3 moves.
    m.Record(preset, 3).EQGain[20] = 9.5f;
    m.SetEqBandGain(3, 20);
    const DspChannelRecord& r3 = m.Record(preset, 3);
    const long before = live.logic.Engine().Passes();
    live.logic.ShowResponse(pages::EqualiserCurveId(r3.position, r3.kind), r3.eqSections, kBandCount, false);
    live.logic.ShowSumResponse(true, &m.Record(preset, 0), &m.Sections(preset, 0), triples, kChannelCount, false);
    // Its curve filters the equaliser from the kept response before band 20 (bands 0..19 are
    // unchanged); its part of the sum only runs that through its crossover.
    EXPECT_EQ(live.logic.Engine().Passes() - before, (kBandCount - 20) + dsp::UsableCrossoverCount(r3.crossover));

    Chart fresh;
    draw(fresh);
    const ChartCurve& a = *live.curves().FindCurve(dsp::kSumId);
    const ChartCurve& b = *fresh.curves().FindCurve(dsp::kSumId);
    ASSERT_EQ(a.count, b.count);
    EXPECT_EQ(std::memcmp(a.points.data(), b.points.data(), sizeof(dsp::ChartPoint) * a.count), 0);
}

TEST(ChartCurves, GarbageSectionBytesChartAsDesignedFromTheValues) {
    TuningModel clean, dirty;
    const int p = clean.CurrentPreset();
    for (TuningModel* m : {&clean, &dirty}) {
        m->Record(p, 0).EQGain[17] = 6.0f;
        m->DesignPreset(p);
    }
    // What a damaged file could leave in the stored sections.
    DspChannelRecord& r = dirty.Record(p, 0);
    for (int k = 0; k < kBandCount; ++k) {
        BiquadSection& s = r.eqSections[k];
        s.order = (k % 3 == 0) ? 200 : 2;
        s.a[0] = (k % 3 == 1) ? 0.0 : s.a[0];
        s.b[1] = (k % 3 == 2) ? std::numeric_limits<double>::quiet_NaN() : s.b[1];
    }
    {
        // Even undesigned, the engine passes such sections as identities (nothing read beyond).
        Chart c;
        c.logic.ShowResponse(0, r.eqSections, kBandCount, false);
        for (int i = 0; i < 6821; ++i) ASSERT_EQ(c.curves().FindCurve(0)->points[i].y, 0.0f);
    }
    dirty.DesignPreset(p);
    Chart a, b;
    a.logic.ShowResponse(0, clean.Record(p, 0).eqSections, kBandCount, false);
    b.logic.ShowResponse(0, dirty.Record(p, 0).eqSections, kBandCount, false);
    const ChartCurve& ca = *a.curves().FindCurve(0);
    const ChartCurve& cb = *b.curves().FindCurve(0);
    EXPECT_EQ(std::memcmp(ca.points.data(), cb.points.data(), sizeof(dsp::ChartPoint) * ca.count), 0);
    EXPECT_NEAR(ca.points[341 - 6].y, 6.0f, 0.01f);  // 999 Hz
}

TEST(CurveList, OperationsAndTheirPaints) {
    Chart c;
    dsp::CurveList& l = c.curves();
    const auto xs = Ramp(4, 1.0f), ys = Ramp(4, -2.0f);

    l.SetCurve(7, 0, xs.data(), ys.data(), 0, 0, true);  // n = 0: an empty, shown curve, no paint
    ASSERT_NE(l.FindCurve(7), nullptr);
    EXPECT_FALSE(l.HasCurve(7));
    EXPECT_TRUE(l.IsCurveShown(7));
    EXPECT_EQ(c.paints, 0);

    l.SetCurve(7, 0, xs.data(), ys.data(), 4, 0, true);
    EXPECT_EQ(c.paints, 1);
    EXPECT_TRUE(c.lastUpdate);
    l.SetCurve(9, 1, xs.data(), ys.data(), 4, 1, false);
    EXPECT_EQ(l.Curves().front()->id, 9u);  // the newest heads the list
    EXPECT_EQ(c.paints, 1);

    l.SetCurveLineRgb(7, 1, 2, 3, false);  // keeps the default alpha 115
    EXPECT_EQ(l.FindCurve(7)->line, dsp::Argb(115, 1, 2, 3));
    l.SetCurveFillArgb(7, 4, 5, 6, 7, true);
    EXPECT_EQ(l.FindCurve(7)->fill, dsp::Argb(7, 4, 5, 6));
    EXPECT_EQ(c.paints, 2);
    l.SetCurveLineArgb(99, 1, 1, 1, 1, true);  // missing: nothing, no paint
    EXPECT_EQ(c.paints, 2);

    l.ShowCurve(7, false, false);
    EXPECT_FALSE(l.IsCurveShown(7));
    EXPECT_EQ(c.paints, 2);
    l.ShowCurve(99, true, false);  // missing: paints anyway
    EXPECT_EQ(c.paints, 3);
    EXPECT_FALSE(l.IsCurveShown(99));
    l.ShowAllCurves(true);
    EXPECT_TRUE(l.IsCurveShown(7));
    EXPECT_EQ(c.paints, 3);

    l.SetHighlight(7, 9, -1, true);
    EXPECT_EQ(c.paints, 4);
    l.SetHoldRedraw(true);
    l.SetCurve(7, 0, xs.data(), ys.data(), 4, 0, true);
    l.ShowCurve(9, true, true);
    l.SetHighlight(-1, -1, -1, true);
    c.logic.Paint(true);
    EXPECT_EQ(c.paints, 4);  // held
    l.SetHoldRedraw(false);
    EXPECT_EQ(c.paints, 5);  // released: one paint

    l.ClearCurves();
    EXPECT_FALSE(l.HasCurve(7));
    EXPECT_FALSE(l.HasCurve(9));
    EXPECT_EQ(l.Highlights()[0], -1);
    EXPECT_EQ(c.paints, 5);
    l.ShowCurve(7, false, false);
    l.SetCurve(7, 5, xs.data(), ys.data(), 2, 0, false);  // restarted: default colours, shown, new kind
    EXPECT_EQ(l.FindCurve(7)->line, dsp::kDefaultLine);
    EXPECT_EQ(l.FindCurve(7)->fill, dsp::kDefaultFill);
    EXPECT_TRUE(l.IsCurveShown(7));
    EXPECT_EQ(l.FindCurve(7)->kind, 5u);
    EXPECT_EQ(l.FindCurve(7)->count, 5);
    EXPECT_EQ(l.FindCurve(7)->points.size(), 7u);  // the array is kept
    l.SetCurve(7, 0, xs.data(), ys.data(), 4, 0, false);  // holds points: kind stays
    EXPECT_EQ(l.FindCurve(7)->kind, 5u);
}

TEST(CurveList, ClosingModes) {
    Chart c;
    dsp::CurveList& l = c.curves();
    const float xs[3] = {1.5f, 2.0f, 3.0f}, ys[3] = {-3.0f, 4.0f, -20.0f};
    struct Case {
        int mode;
        dsp::ChartPoint close[3];
    } cases[] = {
        {0, {{3.0f, 0.0f}, {1.5f, 0.0f}, {1.5f, -3.0f}}},
        {1, {{3.0f, -20.0f}, {1.5f, -20.0f}, {1.5f, -3.0f}}},
        {-2, {{3.0f, -20.0f}, {3.0f, -20.0f}, {3.0f, -20.0f}}},
        {5, {{3.0f, -20.0f}, {3.0f, -20.0f}, {3.0f, -20.0f}}},
    };
    uint32_t id = 0;
    for (const Case& k : cases) {
        l.SetCurve(id, 0, xs, ys, 3, k.mode, false);
        const ChartCurve* cv = l.FindCurve(id++);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(cv->points[3 + i].x, k.close[i].x) << k.mode << " " << i;
            EXPECT_EQ(cv->points[3 + i].y, k.close[i].y) << k.mode << " " << i;
        }
    }
    // Mode 1 closes at the chart's minimum when the curve stays above it.
    const float high[2] = {1.0f, 2.0f};
    l.SetCurve(50, 0, xs, high, 2, 1, false);
    EXPECT_EQ(l.FindCurve(50)->points[2].y, -12.0f);
}

TEST(PaintPlan, OrderGreyAndHighlightRules) {
    Chart c;
    dsp::CurveList& l = c.curves();
    const float xs[2] = {2.0f, 3.0f}, ys[2] = {1.0f, 2.0f};
    // Newest first: 432 (sum), 11 (crossover), 10 (equaliser), 300 (total), 20 (hidden), 21 (empty).
    l.SetCurve(21, 0, xs, ys, 0, 0, false);
    l.SetCurve(20, 0, xs, ys, 2, 0, false);
    l.ShowCurve(20, false, false);
    l.SetCurve(300, 1024, xs, ys, 2, 1, false);
    l.SetCurve(10, 0, xs, ys, 2, 0, false);
    l.SetCurve(11, 1, xs, ys, 2, 1, false);
    l.SetCurve(432, 4096, xs, ys, 2, -2, false);
    l.SetCurveLineArgb(10, 1, 2, 3, 4, false);
    l.SetCurveFillArgb(10, 5, 6, 7, 8, false);
    l.SetCurveLineArgb(432, 9, 9, 9, 9, false);

    struct Step {
        dsp::PaintOp::Kind kind;
        const ChartCurve* curve;
        uint32_t argb;
    };
    auto expect = [&](const std::vector<Step>& steps) {
        dsp::PaintPlan plan;
        dsp::MakePaintPlan(l, dsp::kDefaultChartGeometry, plan);
        ASSERT_EQ(plan.ops.size(), steps.size());
        for (size_t i = 0; i < steps.size(); ++i) {
            EXPECT_EQ(plan.ops[i].kind, steps[i].kind) << i;
            // Two points on different columns: nothing thinned.
            EXPECT_EQ(plan.ops[i].points[0].x, steps[i].curve->points[0].x) << i;
            EXPECT_EQ(plan.ops[i].points[1].y, steps[i].curve->points[1].y) << i;
            EXPECT_EQ(plan.ops[i].count, steps[i].curve->count - (steps[i].kind == dsp::PaintOp::kLine ? 3 : 0)) << i;
            EXPECT_EQ(plan.ops[i].argb, steps[i].argb) << i;
        }
    };
    const ChartCurve *sum = l.FindCurve(432), *xo = l.FindCurve(11), *eq = l.FindCurve(10), *tot = l.FindCurve(300);
    using K = dsp::PaintOp::Kind;
    // No highlight: all grey in list order, the crossover unfilled, the sum last and unfilled.
    expect({{K::kLine, xo, dsp::kGreyCrossoverLine},
            {K::kFill, eq, dsp::kGreyFill},
            {K::kLine, eq, dsp::kGreyLine},
            {K::kFill, tot, dsp::kGreyFill},
            {K::kLine, tot, dsp::kGreyLine},
            {K::kLine, sum, sum->line}});
    // Highlights: own colours after the grey ones; one naming a hidden or missing curve draws
    // nothing, and the sum is never highlighted.
    l.SetHighlight(10, 20, 999, false);
    expect({{K::kLine, xo, dsp::kGreyCrossoverLine},
            {K::kFill, tot, dsp::kGreyFill},
            {K::kLine, tot, dsp::kGreyLine},
            {K::kFill, eq, eq->fill},
            {K::kLine, eq, eq->line},
            {K::kLine, sum, sum->line}});
    l.SetHighlight(432, 11, 300, false);
    l.ShowCurve(432, false, false);
    expect({{K::kFill, eq, dsp::kGreyFill},
            {K::kLine, eq, dsp::kGreyLine},
            {K::kLine, xo, xo->line},
            {K::kFill, tot, tot->fill},
            {K::kLine, tot, tot->line}});
}

TEST(PaintPlan, PointsSharingAPixelColumnAreThinnedToTheirEnvelope) {
    Chart c;
    DspChannelRecord r{};
    for (int k = 0; k < kBandCount; ++k) r.EQGain[k] = (k % 2) ? 9.0f : -9.0f;
    dsp::ComputeEqBands(&r);
    c.logic.ShowResponse(0, r.eqSections, kBandCount, false);
    c.logic.Paint(true);
    const ChartCurve& curve = *c.curves().FindCurve(0);
    ASSERT_EQ(c.last.ops.size(), 2u);
    const dsp::PaintOp& fill = c.last.ops[0];
    const dsp::PaintOp& line = c.last.ops[1];
    EXPECT_EQ(fill.points, line.points);
    EXPECT_EQ(fill.count, line.count + 3);
    EXPECT_LT(line.count, 2000);  // of 6821
    // The first and last points and the closing ones stay; per column, the extremes stay.
    EXPECT_EQ(line.points[0].x, curve.points[0].x);
    EXPECT_EQ(line.points[line.count - 1].y, curve.points[6820].y);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(fill.points[line.count + k].y, curve.points[6821 + k].y);
    const dsp::ChartGeometry& g = dsp::kDefaultChartGeometry;
    auto column = [&](float x) { return static_cast<int>(std::floor(dsp::MapToPixel(g, -12, 12, x, 0).x)); };
    std::vector<float> lo(800, 1e9f), hi(800, -1e9f), keptLo(800, 1e9f), keptHi(800, -1e9f);
    for (int i = 0; i < 6821; ++i) {
        const int col = column(curve.points[i].x);
        lo[col] = std::min(lo[col], curve.points[i].y);
        hi[col] = std::max(hi[col], curve.points[i].y);
    }
    for (int i = 0; i < line.count; ++i) {
        const int col = column(line.points[i].x);
        keptLo[col] = std::min(keptLo[col], line.points[i].y);
        keptHi[col] = std::max(keptHi[col], line.points[i].y);
    }
    EXPECT_EQ(lo, keptLo);
    EXPECT_EQ(hi, keptHi);
}

TEST(PaintPlan, ZoomLabelsAndMapping) {
    Chart c;
    struct Case {
        float zoom;
        const char* top;
        const char* bottom;
        float half;
    } cases[] = {{1.0f, "12", "-12", 12.0f}, {0.25f, "3", "-3", 3.0f}, {2.0f, "24", "-24", 24.0f},
                 {0.3f, "3", "-3", 3.6f}};
    for (const Case& k : cases) {
        const int before = c.paints;
        c.logic.SetZoom(k.zoom);
        EXPECT_EQ(c.paints, before + 1);
        EXPECT_EQ(c.last.topLabel, k.top);
        EXPECT_EQ(c.last.bottomLabel, k.bottom);
        EXPECT_FLOAT_EQ(c.curves().YMax(), k.half);
        EXPECT_FLOAT_EQ(c.curves().YMin(), -k.half);
        EXPECT_EQ(c.last.topLabelX, 5.0f);
        EXPECT_EQ(c.last.bottomLabelY, 140.0f);
    }
    c.logic.SetZoom(1.0f);
    // 0 dB on the plot's middle, whatever the zoom; +6 dB at 1 kHz where the geometry puts it.
    const dsp::ChartGeometry& g = dsp::kDefaultChartGeometry;
    const dsp::PixelPoint p = dsp::MapToPixel(g, -12, 12, 3.0f, 6.0f);
    EXPECT_NEAR(p.x, 20 + (3.0 - std::log10(19.69)) * 692 / (std::log10(20000.0) - std::log10(19.69)), 1e-3);
    EXPECT_NEAR(p.y, 85.5 - 6 * 129.0 / 24, 1e-9);
    EXPECT_EQ(dsp::MapToPixel(g, -3, 3, 2.0f, 0.0f).y, 85.5);
    // The plan's transform maps the same way.
    EXPECT_NEAR(c.last.tx + c.last.sx * (3.0f + c.last.ox), p.x, 1e-3);
    EXPECT_NEAR(c.last.ty + c.last.sy * 6.0f, p.y, 1e-4);
    EXPECT_EQ(c.last.clipLeft, 20);
    EXPECT_EQ(c.last.clipBottom, 150);
    pages::DisplayChartLogic custom(true, nullptr);
    EXPECT_EQ(custom.Geometry().left, 36);
    EXPECT_EQ(custom.Geometry().sliderLeft, 742);
}

}  // namespace

namespace {

// The plan keeps each curve's thinning between paints; whatever changed in between, a paint
// draws what a plan made from nothing draws.
TEST(PaintPlan, KeptThinningGivesThePlanMadeAfresh) {
    Chart c;
    auto equaliser = [&](uint32_t id, float gain) {
        DspChannelRecord r{};
        for (int k = 0; k < kBandCount; ++k) r.EQGain[k] = (k % 3 ? gain : -gain);
        dsp::ComputeEqBands(&r);
        c.logic.ShowResponse(id, r.eqSections, kBandCount, false);
    };
    equaliser(0, 4.0f);
    equaliser(2, -6.0f);
    equaliser(4, 9.0f);
    const std::vector<float> xs = Ramp(50, 1.5f), ys = Ramp(50, -20.0f);
    struct Step {
        const char* what;
        std::function<void()> change;
    };
    const Step steps[] = {
        {"first paint", [] {}},
        {"unchanged", [] {}},
        {"one curve recomputed", [&] { equaliser(2, 7.5f); }},
        {"zoomed", [&] { c.logic.SetZoom(2.0f); }},
        {"one curve hidden", [&] { c.curves().ShowCurve(4, false, false); }},
        {"fewer points", [&] { c.curves().SetCurve(0, 0, xs.data(), ys.data(), 50, dsp::kCloseToBottom, false); }},
        {"cleared and set again", [&] {
             c.curves().ClearCurves();
             equaliser(2, 7.5f);
         }},
        {"shown again", [&] {
             c.curves().ShowCurve(4, true, false);
             equaliser(4, 9.0f);
         }},
    };
    for (const Step& s : steps) {
        s.change();
        c.logic.Paint(true);
        dsp::PaintPlan fresh;
        dsp::MakePaintPlan(c.curves(), dsp::kDefaultChartGeometry, fresh);
        ASSERT_EQ(c.last.ops.size(), fresh.ops.size()) << s.what;
        for (size_t i = 0; i < fresh.ops.size(); ++i) {
            EXPECT_EQ(c.last.ops[i].kind, fresh.ops[i].kind) << s.what;
            EXPECT_EQ(c.last.ops[i].count, fresh.ops[i].count) << s.what;
            EXPECT_EQ(c.last.ops[i].argb, fresh.ops[i].argb) << s.what;
            EXPECT_EQ(c.last.ops[i].curve, fresh.ops[i].curve) << s.what;
            // The points an op draws, wherever the plan keeps them (a closed fill has 3 more).
            const dsp::PaintPlan::Thinned& kept = c.last.thinned[c.last.ops[i].thinned];
            const dsp::PaintPlan::Thinned& made = fresh.thinned[fresh.ops[i].thinned];
            ASSERT_EQ(kept.points.size(), made.points.size()) << s.what;
            ASSERT_LE(static_cast<size_t>(fresh.ops[i].count), made.points.size()) << s.what;
            EXPECT_EQ(std::memcmp(kept.points.data(), made.points.data(), sizeof(dsp::ChartPoint) * made.points.size()), 0)
                << s.what;
            EXPECT_EQ(std::memcmp(c.last.ops[i].points, fresh.ops[i].points, sizeof(dsp::ChartPoint) * fresh.ops[i].count), 0)
                << s.what;
        }
    }
}

}  // namespace
