// A stand-in for the dynamic-equalisation dialog's window: it keeps what the logic last asked of
// each control, the timers that run, the chart's curves and colours, and answers the close question
// as told.
#pragma once

#include <array>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "dialogs/eq_dynamic_logic.h"

namespace dyneqtest {

using dialogs::DynEqControl;

struct ChartCurveState {
    int responses = 0;
    bool shown = false;
    pages::CurveColour fill{0, 0, 0, 0};
    std::array<model::BiquadSection, dialogs::kDynEqBands> sections{};
};

class FakeView : public dialogs::EqDynamicView {
public:
    void Check(DynEqControl c, bool checked) override { checked_[c] = checked; }
    void Enable(DynEqControl c, bool enable) override { enabled_[c] = enable; }
    void Show(DynEqControl c, bool show) override { hidden_[c] = !show; }
    void SetSlider(int slider, float value) override { sliders[slider] = value; }
    void LoadEqGains(const float gains[dialogs::kDynEqBands]) override {
        eqGains.assign(gains, gains + dialogs::kDynEqBands);
    }
    void LoadEqEnables(const int32_t enables[dialogs::kDynEqBands]) override {
        eqEnables.assign(enables, enables + dialogs::kDynEqBands);
    }
    void SetHeight(int compact) override { this->compact = compact != 0; }
    void StartTimer(uint32_t id, uint32_t ms) override { timers[id] = ms; }
    void StopTimer(uint32_t id) override { timers.erase(id); }
    void RedrawTexts() override { ++redraws; }
    void ChartResponse(uint32_t id, const model::BiquadSection* s, int count) override {
        ChartCurveState& c = chart[id];
        ++c.responses;
        for (int i = 0; i < count && i < dialogs::kDynEqBands; ++i) c.sections[i] = s[i];
    }
    void ChartColours(uint32_t id, pages::CurveColour fill, pages::CurveColour) override { chart[id].fill = fill; }
    void ChartShow(uint32_t id, bool shown) override { chart[id].shown = shown; }
    void ChartHighlight(int32_t id) override { highlight = id; }
    bool AskDisable() override {
        ++questions;
        return answer;
    }
    void PostClosed() override { ++closedPosts; }

    bool Checked(DynEqControl c) const { return checked_.count(c) && checked_.at(c); }
    bool Enabled(DynEqControl c) const { return enabled_.count(c) && enabled_.at(c); }
    bool Visible(DynEqControl c) const { return !(hidden_.count(c) && hidden_.at(c)); }

    std::map<int, float> sliders;
    std::vector<float> eqGains;
    std::vector<int32_t> eqEnables;
    bool compact = true;
    std::map<uint32_t, uint32_t> timers;
    int redraws = 0;
    std::map<uint32_t, ChartCurveState> chart;
    int32_t highlight = -1;
    bool answer = false;
    int questions = 0;
    int closedPosts = 0;

private:
    std::map<DynEqControl, bool> checked_, enabled_, hidden_;
};

}  // namespace dyneqtest
