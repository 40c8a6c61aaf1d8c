// DSPSetting: page 0 of the main window. It owns the tuning model (records, filter design, the
// send cycle, the parsers of the read-back, the channel rules, presets and the tuning's file
// section) and forwards the main window's calls to it. Of its panels it has the device status
// lines, the curve switches and the response chart (drawing the first assigned output); for the
// others it draws a summary of the current preset's channels on its skin.
#pragma once

#include <array>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>

#include "link/frame.h"
#include "pages/device_info.h"
#include "pages/display_chart.h"
#include "pages/display_chart_view.h"
#include "pages/display_settings.h"
#include "model/tuning_model.h"
#include "model/tuning_section.h"
#include "ui/frame_wnd.h"

namespace pages {

class DSPSetting : public ui::FrameWnd, public model::TuningObserver {
public:
    DSPSetting(HWND parent, int x, int y, bool connected);
    ~DSPSetting() override;

    model::TuningModel& Model() { return model_; }
    model::FileSection& Section() { return *section_; }

    // The main window's calls.
    void SetDisplayValue(int source);
    void NotifyChannelMap(const uint32_t mutes[8]);
    void ShowCommError(int on);
    void ShowConnectionStatus(uint32_t version, int star, int remote, int rescue);
    void ShowVexaStatus(int major, int minor);
    void SetConnected(int connected) { model_.SetConnected(connected); }
    void SetOnline(int online) { model_.SetOnline(online); }
    void StoreWorkingMode(int mode);
    void SetConfigMode(int mode);
    void SetChanged(int changed) { model_.SetChanged(changed); }
    int IsChanged() const { return model_.IsChanged() ? 1 : 0; }
    void SelectPreset(int preset);
    void CopyPreset(int from, int to);
    void ReloadAllPages();
    void RefreshFromModel(bool keepSelection);

    // The read-back's parser (user interface thread).
    int OnDeviceMessage(const uint8_t* frame, size_t length);
    // The poll thread's sender.
    int SendPendingChanges(const devlink::FrameSender& sender);
    void MarkAllDirty() { model_.MarkAllDirty(); }
    int SendRoutingMap(const devlink::FrameSender& sender) { return model_.SendRoutingMap(&sender); }

    // FrameWnd.
    void Redraw(bool updateNow) override;
    LRESULT OnAppMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // TuningObserver: the page draws itself and its chart again whenever the model asks for its
    // views.
    void RefreshPages() override;
    void ResetDisplaySwitches() override { view_.ResetSwitches(false); }
    void ClearChartCurves() override { view_.ClearCurves(); }
    void EqualiserCurveChanged(int output) override;

    // The panels (each may be null when it could not be made) and the page's view of them.
    DeviceInfo* Info() { return info_.get(); }
    DisplaySettings* Settings() { return settings_.get(); }
    DisplayChart* Chart() { return chart_.get(); }
    // The output whose curves the chart shows: the first assigned one of the current preset, -1.
    int ChartedOutput() const;

    // The five device status lines.
    const DeviceInfoLines& StatusLines() const { return lines_; }

private:
    void ShowStatusLines();
    void DrawChart();
    void ShowChannelEq(int output, bool redraw);
    void ShowChannelCrossover(int output, bool redraw);
    void UpdateChartCurves(int position, int kind, bool redraw);
    void UpdateChartCurve(int position, int kind);

    model::TuningModel model_;
    std::unique_ptr<DeviceInfo> info_;
    std::unique_ptr<DisplaySettings> settings_;
    std::unique_ptr<DisplayChart> chart_;
    DisplayPanelsView view_{nullptr, nullptr, nullptr};
    std::unique_ptr<model::TuningSection> section_;
    std::ofstream sendLog_;
    DeviceInfoLines lines_;  // what the status panel shows
    int remoteConnected_ = 0;
    int source_ = -1;
    HFONT font_ = nullptr;
    HFONT small_ = nullptr;
};

}  // namespace pages
