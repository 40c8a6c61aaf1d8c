// The external-source page under test: a view that records what the logic asks of the windows,
// the page started as the program starts it over a recording link, a device reply and the
// page's section bytes.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "link/bytes.h"
#include "model/file_section.h"
#include "pages/ext_source_logic.h"
#include "tests/model/frame_helpers.h"

namespace sourcetest {

using msgtest::Hex;
using msgtest::ToHex;
using pages::ExtSourceLogic;
using pages::ExtSourceRecord;

// Records what the logic asks of its window, chart, panel and main window.
class RecordingSourceView : public pages::ExtSourceView {
public:
    void ShowResponse(uint32_t id, const model::BiquadSection* s, int count, bool) override {
        responses.push_back(id);
        lastSections.assign(s, s + count);
    }
    void ShowCurve(uint32_t id, bool shown, bool) override { curves.push_back(shown ? int(id) : -1 - int(id)); }
    void HideAllCurves() override { ++hideAll; }
    void SetHighlight(int32_t id, bool) override { highlight = id; }
    void PaintChart() override {}
    void PanelSetGains(const float* g, int n, uint32_t off) override {
        panelGains.assign(g, g + n);
        panelOff = off;
    }
    void PanelSetBandEnables(const uint32_t* s, int n) override { panelSwitches.assign(s, s + n); }
    void PanelSetEnabled(bool on) override { panelEnabled = on; }
    void ControlsChanged(bool) override { ++refreshes; }
    bool PageVisible() const override { return visible; }
    void LockParent(uint32_t ms) override { locks.push_back(ms); }
    void PostShowSource(int s) override { shown.push_back(s); }
    void SendMasterLevelChanged(float dB) override { masters.push_back(dB); }
    std::optional<float> QueryOutputMaster() override {
        ++queries;
        return outputMaster;
    }

    bool visible = true;
    float outputMaster = -20.0f;
    std::vector<uint32_t> responses;
    std::vector<model::BiquadSection> lastSections;
    std::vector<int> curves, shown;
    std::vector<float> panelGains, masters;
    std::vector<uint32_t> panelSwitches, locks;
    uint32_t panelOff = 0;
    bool panelEnabled = false;
    int hideAll = 0, refreshes = 0, queries = 0;
    int32_t highlight = -1;
};

struct Page {
    RecordingSourceView view;
    ExtSourceLogic logic{&view, true};
    msgtest::RecordingLink link;
    // The page starts while the main window is still hidden.
    Page() {
        view.visible = false;
        logic.Start();
        view.visible = true;
    }

    void Enable(std::initializer_list<int> sources, int pending = -2) {
        uint32_t flags[5] = {};
        for (int s : sources) flags[s] = 1;
        logic.ApplyToControls(flags, 5, -1, pending);
    }
    std::string Sent() {
        std::string s;
        for (const auto& f : link.frames) s += (s.empty() ? "" : ",") + ToHex(devlink::Frame(f.begin(), f.begin() + 5));
        return s;
    }
};

inline devlink::Frame Seal(devlink::Frame f) {
    devlink::SealFrame(f);
    return f;
}

// A '{' reply from the device: gains linear, the mask, EQ off, device flag, range flag and code.
inline devlink::Frame EqReply(int source, const std::vector<float>& linear, uint32_t mask, uint8_t off, uint8_t device,
                       uint8_t range, uint8_t code) {
    devlink::Frame f = devlink::NewFrame('Z', devlink::DeviceCommand::SourceEq, 140);
    f[1] = 'F';
    f[5] = static_cast<uint8_t>(source);
    for (int k = 0; k < 31; ++k) devlink::PutF32LE(&f[6 + 4 * k], k < int(linear.size()) ? linear[k] : 1.0f);
    devlink::PutU32LE(&f[130], mask);
    f[134] = off;
    f[135] = device;
    f[136] = range;
    f[137] = code;
    return Seal(f);
}

inline std::vector<uint8_t> SectionBytes(ExtSourceLogic& logic) {
    std::vector<uint8_t> bytes;
    model::SectionWriter w(bytes);
    logic.Section().Write(w, {});
    return bytes;
}

inline std::string LoadBytes(ExtSourceLogic& logic, const std::vector<uint8_t>& bytes) {
    model::SectionReader r(bytes);
    const std::string error = logic.Section().Read(r, {});
    if (error.empty()) logic.Section().Apply({});
    logic.Section().Discard();
    return error;
}

}  // namespace sourcetest
