// The tuning page's ChartView over the real panels: the response chart, the curve switches with
// the source name, and the device status lines. A panel that could not be made (null) answers
// false to its Has* query and its operations do nothing.
#pragma once

#include "pages/chart_view.h"

namespace pages {

class DisplayChart;
class DisplaySettings;
class DeviceInfo;

class DisplayPanelsView : public ChartView {
public:
    DisplayPanelsView(DisplayChart* chart, DisplaySettings* settings, DeviceInfo* info)
        : chart_(chart), settings_(settings), info_(info) {}

    bool HasChart() const override { return chart_ != nullptr; }
    bool HasSettings() const override { return settings_ != nullptr; }
    bool HasDeviceInfo() const override { return info_ != nullptr; }

    void ShowResponse(uint32_t id, const model::BiquadSection* sections, int count, bool repaint,
                      bool bypassed) override;
    void ShowCrossoverResponse(uint32_t id, const model::CrossoverParams& block,
                               const model::CrossoverSections& sections, bool repaint) override;
    void ShowSumResponse(bool show, const model::DspChannelRecord* records,
                         const model::CrossoverSections* sections, const int32_t* triples, int count,
                         bool repaint) override;
    void SetCurveLineArgb(uint32_t id, CurveColour colour, bool repaint) override;
    void SetCurveFillArgb(uint32_t id, CurveColour colour, bool repaint) override;
    void ShowCurve(uint32_t id, bool shown, bool repaint) override;
    void ShowAllCurves(bool shown) override;
    void SetHighlight(int32_t id1, int32_t id2, int32_t id3, bool repaint) override;
    void ClearCurves() override;
    void SetHoldRedraw(bool hold) override;
    void Paint(bool updateNow) override;

    void GetSwitches(int* equaliser, int* crossover, int* total) override;
    void ResetSwitches(bool resetSource) override;
    void SetSource(int source) override;

    void SetLine(int line, const char* text) override;
    void RefreshText(bool updateNow) override;

private:
    DisplayChart* chart_;
    DisplaySettings* settings_;
    DeviceInfo* info_;
};

}  // namespace pages
