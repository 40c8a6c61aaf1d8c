// Doubles of the tuning page's collaborators: a chart that records its calls, a prompter that
// answers from a script, and a page fixture over the channel-map and car-view logic.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "os/settings.h"
#include "pages/car_channel_logic.h"
#include "pages/channel_map_logic.h"
#include "pages/dsp_setting_logic.h"
#include "ui/messages.h"
#include "tests/model/frame_helpers.h"
#include "view_doubles.h"

namespace pagetest {

struct ChartCall {
    std::string op;
    int64_t id = -1;
    int count = 0;
    bool flag = false;
    pages::CurveColour colour{};
};

class RecordingChart : public pages::ChartView {
public:
    bool HasChart() const override { return true; }
    bool HasSettings() const override { return true; }
    bool HasDeviceInfo() const override { return true; }
    void ShowResponse(uint32_t id, const model::BiquadSection*, int count, bool, bool bypassed) override {
        calls.push_back({"ShowResponse", id, count, bypassed});
    }
    void ShowCrossoverResponse(uint32_t id, const model::CrossoverParams&,
                               const model::CrossoverSections&, bool) override {
        calls.push_back({"ShowCrossoverResponse", id});
    }
    void ShowSumResponse(bool show, const model::DspChannelRecord*, const model::CrossoverSections*,
                         const int32_t* triples, int count, bool) override {
        calls.push_back({"ShowSumResponse", -1, count, show});
        lastSum.assign(triples ? triples : nullptr, triples ? triples + 3 * count : nullptr);
    }
    void SetCurveLineArgb(uint32_t id, pages::CurveColour c, bool) override {
        calls.push_back({"Line", id, 0, false, c});
    }
    void SetCurveFillArgb(uint32_t id, pages::CurveColour c, bool) override {
        calls.push_back({"Fill", id, 0, false, c});
    }
    void ShowCurve(uint32_t id, bool shown, bool) override {
        calls.push_back({"ShowCurve", id, 0, shown});
    }
    void ShowAllCurves(bool shown) override { calls.push_back({"ShowAllCurves", -1, 0, shown}); }
    void SetHighlight(int32_t id1, int32_t, int32_t, bool) override {
        calls.push_back({"SetHighlight", id1});
    }
    void ClearCurves() override { calls.push_back({"ClearCurves"}); }
    void SetHoldRedraw(bool hold) override { calls.push_back({"Hold", -1, 0, hold}); }
    void Paint(bool) override { calls.push_back({"Paint"}); }
    void GetSwitches(int* eq, int* xo, int* total) override {
        *eq = switches[0];
        *xo = switches[1];
        *total = switches[2];
    }
    void ResetSwitches(bool) override { calls.push_back({"ResetSwitches"}); }
    void SetSource(int) override {}
    void SetLine(int, const char*) override {}
    void RefreshText(bool) override {}

    std::vector<ChartCall> Of(const std::string& op) const {
        std::vector<ChartCall> out;
        for (const ChartCall& c : calls)
            if (c.op == op) out.push_back(c);
        return out;
    }

    std::vector<ChartCall> calls;
    std::vector<int32_t> lastSum;
    int switches[3] = {1, 1, 0};
};

class ScriptedPrompter : public pages::Prompter {
public:
    pages::PromptAnswer Ask(const pages::PromptRequest& request) override {
        asked.push_back(request);
        if (answers.empty()) return {pages::kPromptCancel, false};
        const pages::PromptAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    void CancelPress(intptr_t button) override { cancelled.push_back(button); }

    std::deque<pages::PromptAnswer> answers;
    std::vector<pages::PromptRequest> asked;
    std::vector<intptr_t> cancelled;
};

// Selects exactly `rows` of the channel map (assigned rows of distinct speakers), the mark of the
// current row on `current` (-1: none), as clicks would have left them.
inline void SelectRows(pages::ChannelMapLogic& map, std::initializer_list<int> rows, int current) {
    map.SelectByAssignment(-2, -2, false, true, false);
    if (rows.size() == 0) return;
    // A plain click selects its row alone and leaves no row current.
    const int first = *rows.begin();
    map.OnLButtonDown(100, pages::ChannelMapLogic::kRowTop + pages::ChannelMapLogic::kRowHeight * first + 14,
                      false);
    for (int row : rows) {
        int p = -1, k = -1;
        map.GetRowAssignment(row, &p, &k);
        map.SelectByAssignment(p, k, true, false, false);
    }
    if (current >= 0) map.SetCurrentRow(current);
}

// The page with every collaborator, a remembered-answer store, a recording main window (which the
// channel map tells as well) and a recording link for the send cycle.
class Page {
public:
    explicit Page(bool connected = true) : map(&messages) {
        settings.CreateKeys();
        pages::DspPageViews v;
        v.chart = &chart;
        v.channelMap = &map;
        v.carView = &car;
        v.prompter = &prompter;
        v.settings = &settings;
        v.messages = &messages;
        logic = std::make_unique<pages::DSPSettingLogic>(v, connected);
        link.watched = &logic->Model();
    }

    model::TuningModel& M() { return logic->Model(); }
    model::DspChannelRecord& R(int output) { return M().Record(M().CurrentPreset(), output); }
    intptr_t Send(const pages::Notification& n) { return logic->Send(n); }
    intptr_t Msg(uint32_t id, intptr_t w = 0, intptr_t l = 0) { return logic->OnAppMessage(id, w, l); }

    // A plain click on one row of the channel map (what the map's own click does, then its
    // notification).
    void ClickRow(int row) {
        SelectRows(map, {row}, -1);
        int p = -1, k = -1;
        map.GetRowAssignment(row, &p, &k);
        Msg(ui::MsgChannelMapSelection, p, k);
    }

    // Every set send flag of the current preset as "output:flag".
    std::vector<std::string> Flags() {
        std::vector<std::string> out;
        for (int o = 0; o < model::kChannelCount; ++o)
            for (int f = 0; f < model::kDirtyFlagCount; ++f)
                if (M().IsDirty(M().CurrentPreset(), o, f))
                    out.push_back(std::to_string(o) + ":" + std::to_string(f));
        return out;
    }

    // One send cycle; the frames as command letter and channel ("t0 s3 ...").
    std::string Cycle() {
        link.Clear();
        M().SendPendingChanges(link.sender, nullptr);
        std::string s;
        for (const devlink::Frame& f : link.frames) {
            if (!s.empty()) s += ' ';
            s += static_cast<char>(f[4]);
            s += std::to_string(f[6]);
        }
        return s;
    }

    void Remember(os::Question q, int32_t value) { os::SetRememberedAnswer(settings, q, value); }

    RecordingChart chart;
    viewtest::RecordingMessages messages;
    pages::ChannelMapLogic map;
    pages::CarChannelLogic car;
    ScriptedPrompter prompter;
    os::MemorySettings settings;
    msgtest::RecordingLink link;
    std::unique_ptr<pages::DSPSettingLogic> logic;
};

}  // namespace pagetest
