// The tuning page's chart when a channel's equaliser is off: the unit plays that channel without
// its equaliser, so its total and its share of the acoustic sum must be those of the same channel
// with flat gains, while its equaliser curve stays drawn as it is set. The flat channel is
// computed on a second page of its own, through the same designs the unit gets.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "model/tables.h"
#include "computing_chart.h"
#include "page_doubles.h"

namespace {

using model::kFrontLeft;
using model::kFrontRight;
using model::kWoofer;

using pagetest::ComputingChart;

struct ChartPage {
    ComputingChart chart;
    pages::ChannelMapLogic map;
    pages::CarChannelLogic car;
    std::unique_ptr<pages::DSPSettingLogic> logic;

    ChartPage() {
        pages::DspPageViews v;
        v.chart = &chart;
        v.channelMap = &map;
        v.carView = &car;
        logic = std::make_unique<pages::DSPSettingLogic>(v, false);
    }
    model::DspChannelRecord& R(int o) { return logic->Model().Record(logic->Model().CurrentPreset(), o); }
    // The rows selected as clicks leave them, then the map's notification.
    void Select(std::initializer_list<int> rows) {
        pagetest::SelectRows(map, rows, rows.size() > 1 ? *rows.begin() : -1);
        int p = -1, k = -1;
        map.GetRowAssignment(*rows.begin(), &p, &k);
        logic->OnAppMessage(ui::MsgChannelMapSelection, p, k);
    }
    const dsp::ChartCurve& Curve(uint32_t id) {
        const dsp::ChartCurve* c = chart.chart.Curves().FindCurve(id);
        EXPECT_NE(c, nullptr) << id;
        static const dsp::ChartCurve none;
        return c ? *c : none;
    }
};

// The largest difference in dB between two curves' data points (both must hold the same bins).
float LargestDifference(const dsp::ChartCurve& a, const dsp::ChartCurve& b) {
    EXPECT_EQ(a.count, b.count);
    float worst = 0.0f;
    for (int i = 0; i + 3 < std::min(a.count, b.count); ++i) worst = std::max(worst, std::fabs(a.points[i].y - b.points[i].y));
    return a.count == b.count && a.count > 3 ? worst : 1e9f;
}

float Highest(const dsp::ChartCurve& c) {
    float top = -1e9f;
    for (int i = 0; i + 3 < c.count; ++i) top = std::max(top, c.points[i].y);
    return top;
}

TEST(EqOffChart, TheTotalAndTheSumOfAChannelWithItsEqualiserOffAreThoseOfFlatGains) {
    // Front Left Woofer on output 0 boosted at 1 kHz (band 17) and cut at 63 Hz (band 5), its
    // equaliser switched off on the panel; the same page with every gain at 0 dB beside it.
    ChartPage off, flat;
    off.R(0).EQGain[17] = 6.0f;
    off.R(0).EQGain[5] = -4.0f;
    off.logic->Model().SetEqBandGain(0, -1);
    off.Select({0});
    flat.Select({0});
    const uint32_t eq = pages::EqualiserCurveId(kFrontLeft, kWoofer);
    const uint32_t total = pages::TotalCurveId(kFrontLeft, kWoofer);
    ASSERT_GT(LargestDifference(off.Curve(total), flat.Curve(total)), 5.0f) << "the boost shows while it is on";

    off.logic->OnAppMessage(ui::MsgEqOffChanged, 1, 0);
    ASSERT_EQ(off.R(0).EQOff, 1u);
    EXPECT_LT(LargestDifference(off.Curve(total), flat.Curve(total)), 1e-3f);
    // The equaliser's own curve is still the one set: about +6 dB at its peak.
    EXPECT_NEAR(Highest(off.Curve(eq)), 6.0f, 0.1f);

    // The sum of both front woofers (output 3 follows output 0 through the link), for each way
    // the switches put them in it: the whole chain, and the equaliser alone.
    for (int part = 0; part < 2; ++part) {
        SCOPED_TRACE(part == 0 ? "whole chain" : "equaliser only");
        const int switches[2][3] = {{0, 0, 1}, {1, 0, 0}};
        for (ChartPage* p : {&off, &flat}) {
            std::copy(switches[part], switches[part] + 3, p->chart.switches);
            p->Select({0, 3});
        }
        EXPECT_LT(LargestDifference(off.Curve(dsp::kSumId), flat.Curve(dsp::kSumId)), 1e-3f);
    }

    // Switched on again, the channel's total carries the boost once more.
    off.Select({0});
    flat.Select({0});
    off.logic->OnAppMessage(ui::MsgEqOffChanged, 0, 0);
    EXPECT_GT(LargestDifference(off.Curve(total), flat.Curve(total)), 5.0f);
}

}  // namespace
