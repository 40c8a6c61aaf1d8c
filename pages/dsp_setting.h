// DSPSetting: page 0 of the main window, a FrameWnd over the tuning page's logic. It creates the
// page's panels at their places (crossover and delay, channel map, device information, curve
// switches, response chart, equaliser, car view), hands the logic its views of them (the chart's, the
// channel map's and the car view's logic, the skinned questions, the remembered answers), maps
// the panels' notifications one to one onto the logic and forwards the main window's calls. The
// logic owns the tuning model; the poll thread sends it through SendPendingChanges.
#pragma once

#include <cstdint>
#include <fstream>
#include <memory>

#include "link/frame.h"
#include "model/tuning_model.h"
#include "model/tuning_section.h"
#include "pages/car_channel.h"
#include "pages/channel_map.h"
#include "pages/device_info.h"
#include "pages/display_chart.h"
#include "pages/display_chart_view.h"
#include "pages/display_settings.h"
#include "pages/dsp_setting_logic.h"
#include "pages/eq_settings.h"
#include "pages/filter_settings.h"
#include "pages/msg_box_prompter.h"
#include "pages/page_messages.h"
#include "ui/frame_wnd.h"

namespace os {
class Settings;
}

namespace pages {

class DSPSetting : public ui::FrameWnd, private PageMessages {
public:
    // settings: where the questions' remembered answers live (none: every question is refused
    // without a box, as a missing store cannot remember a tick).
    DSPSetting(HWND parent, int x, int y, bool connected, os::Settings* settings = nullptr);
    ~DSPSetting() override;

    DSPSettingLogic& Logic() { return *logic_; }
    model::TuningModel& Model() { return logic_->Model(); }
    model::FileSection& Section() { return *section_; }

    // The main window's calls.
    void SetDisplayValue(int source);
    void NotifyChannelMap(const uint32_t mutes[8]) { logic_->NotifyChannelMap(mutes); }
    void ShareMutes() { logic_->ShareMutes(); }
    void ShowCommError(int on);
    void ShowConnectionStatus(uint32_t version, int star, int remote, int rescue) {
        logic_->ShowConnectionStatus(version, star, remote, rescue);
    }
    void ShowVexaStatus(int major, int minor) { logic_->ShowVexaStatus(major, minor); }
    void SetConnected(int connected) { Model().SetConnected(connected); }
    void SetOnline(int online) { Model().SetOnline(online); }
    void StoreWorkingMode(int mode) { logic_->StoreWorkingMode(mode); }
    void SetConfigMode(int mode) { logic_->SetConfigMode(mode); }
    void SetChanged(int changed) { Model().SetChanged(changed); }
    int IsChanged() { return Model().IsChanged() ? 1 : 0; }
    void SelectPreset(int preset) { Model().SelectPreset(preset); }
    void CopyPreset(int from, int to) { Model().CopyPreset(from, to); }
    void ReloadAllPages() { logic_->ReloadAllPages(); }
    // The output-level page's icons of preset 0's speakers, all of them again.
    void ShowLevelIcons() { Model().ShowLevelIcons(); }
    void RefreshFromModel(bool keepSelection) { logic_->RefreshFromModel(keepSelection); }

    // The read-back's parser (user interface thread).
    int OnDeviceMessage(const uint8_t* frame, size_t length);
    // The poll thread's sender.
    int SendPendingChanges(const devlink::FrameSender& sender);
    void MarkAllDirty() { Model().MarkAllDirty(); }
    int SendRoutingMap(const devlink::FrameSender& sender) { return Model().SendRoutingMap(&sender); }

    // FrameWnd.
    LRESULT OnAppMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnEnable(bool enabled) override;
    void OnTimer(WPARAM timerId, LPARAM lParam) override;

    // The panels (each null when it could not be made).
    FilterSettings* Filter() { return filter_.get(); }
    ChannelMap* Map() { return map_.get(); }
    DeviceInfo* Info() { return info_.get(); }
    DisplaySettings* Settings() { return settings_.get(); }
    DisplayChart* Chart() { return chart_.get(); }
    EqSettings* Eq() { return eq_.get(); }
    CarChannel* Car() { return car_.get(); }

private:
    void PostToPage(uint32_t id, intptr_t wParam, intptr_t lParam) override;
    intptr_t SendToMain(uint32_t id, intptr_t wParam, intptr_t lParam) override;
    void PostToMain(uint32_t id, intptr_t wParam, intptr_t lParam) override;

    // In the order the page creates them; deleted in the same order.
    std::unique_ptr<FilterSettings> filter_;
    std::unique_ptr<ChannelMap> map_;
    std::unique_ptr<DeviceInfo> info_;
    std::unique_ptr<DisplaySettings> settings_;
    std::unique_ptr<DisplayChart> chart_;
    std::unique_ptr<EqSettings> eq_;
    std::unique_ptr<CarChannel> car_;
    DisplayPanelsView view_{nullptr, nullptr, nullptr};
    MsgBoxPrompter prompter_;
    std::unique_ptr<DSPSettingLogic> logic_;
    std::unique_ptr<model::TuningSection> section_;
    std::ofstream sendLog_;
};

}  // namespace pages
