#include "pages/dsp_setting.h"

#include "model/tuning_receive.h"
#include "os/phases.h"
#include "res/resource.h"
#include "ui/messages.h"

namespace pages {
namespace {

// A panel without its window is as good as none: every use of it is skipped.
template <class T>
void DropIfWindowless(std::unique_ptr<T>& panel) {
    if (panel && !panel->GetHwnd()) panel.reset();
}

template <class T>
void EnableChild(const std::unique_ptr<T>& panel, bool enabled) {
    if (panel && panel->GetHwnd()) EnableWindow(panel->GetHwnd(), enabled ? TRUE : FALSE);
}

}  // namespace

DSPSetting::DSPSetting(HWND parent, int x, int y, bool connected, os::Settings* settings)
    : ui::FrameWnd(nullptr, parent, {x, y, x + 50, y + 50}, IDB_PAGE_DSP, 0, false, ui::kChildStyle, 0),
      prompter_(parent) {
    os::MarkPhase("DSPSetting: its frame created");
    // The send cycle's log, in the current folder as it has always been.
    sendLog_.open("tmp.log", std::ios::binary | std::ios::trunc);
    HWND self = GetHwnd();
    // The panels exist before the model assigns its speakers: the assignment fills the channel
    // map and the car view.
    if (self) {
        filter_ = std::make_unique<FilterSettings>(self, FilterSettings::kLeft, FilterSettings::kTop);
        os::MarkPhase("DSPSetting: FilterSettings created");
        map_ = std::make_unique<ChannelMap>(self, ChannelMap::kLeft, ChannelMap::kTop);
        os::MarkPhase("DSPSetting: ChannelMap created");
        info_ = std::make_unique<DeviceInfo>(self, 564, 2);
        os::MarkPhase("DSPSetting: DeviceInfo created");
        settings_ = std::make_unique<DisplaySettings>(self, 564, 202);
        os::MarkPhase("DSPSetting: DisplaySettings created");
        chart_ = std::make_unique<DisplayChart>(self, 264, 311, 0);
        os::MarkPhase("DSPSetting: DisplayChart created");
        car_ = std::make_unique<CarChannel>(self, CarChannel::kLeft, CarChannel::kTop, kViewMode);
        os::MarkPhase("DSPSetting: CarChannel created");
        DropIfWindowless(filter_);
        DropIfWindowless(map_);
        DropIfWindowless(info_);
        DropIfWindowless(settings_);
        DropIfWindowless(chart_);
        DropIfWindowless(car_);
    }
    view_ = DisplayPanelsView(chart_.get(), settings_.get(), info_.get());
    DspPageViews views;
    views.chart = &view_;
    views.channelMap = map_ ? &map_->Logic() : nullptr;
    views.carView = car_ ? &car_->Logic() : nullptr;
    views.prompter = &prompter_;
    views.settings = settings;
    views.messages = this;
    logic_ = std::make_unique<DSPSettingLogic>(views, connected);
    os::MarkPhase("DSPSetting: tuning designed and charted");
    if (filter_) filter_->Attach(&logic_->Filter());
    // The equaliser shows the page's own panel logic, which the page has loaded by now.
    if (self) {
        eq_ = std::make_unique<EqSettings>(self, 251, 485, 0, 0, &logic_->Eq());
        DropIfWindowless(eq_);
        os::MarkPhase("DSPSetting: EqSettings created");
    }
    logic_->Model().SetSendLog(sendLog_.is_open() ? &sendLog_ : nullptr);
    section_ = std::make_unique<model::TuningSection>(logic_->Model());
    view_.SetLine(0, "Offline Mode");
    view_.RefreshText(true);
    Redraw(true);
}

DSPSetting::~DSPSetting() {
    // The send log goes before the model that writes to it.
    if (logic_) logic_->Model().SetSendLog(nullptr);
    // The panels go in the page's order, each before the logic that draws into it.
    filter_.reset();
    map_.reset();
    info_.reset();
    settings_.reset();
    chart_.reset();
    eq_.reset();
    car_.reset();
    view_ = DisplayPanelsView(nullptr, nullptr, nullptr);
    // The timer goes with the window; the send log closes with the page.
    if (logic_ && logic_->CommErrorTimer() && GetHwnd()) KillTimer(GetHwnd(), logic_->CommErrorTimer());
}

void DSPSetting::SetDisplayValue(int source) {
    if (view_.HasSettings()) view_.SetSource(source);
}

void DSPSetting::ShowCommError(int on) {
    const uintptr_t timer = logic_->CommErrorTimer();
    logic_->ShowCommError(on);
    if (timer && !logic_->CommErrorTimer() && GetHwnd()) KillTimer(GetHwnd(), timer);
}

void DSPSetting::OnTimer(WPARAM timerId, LPARAM) {
    const uintptr_t timer = logic_->CommErrorTimer();
    if (logic_->OnTimer(timerId) && GetHwnd()) KillTimer(GetHwnd(), timer);
}

LRESULT DSPSetting::OnAppMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    // The panels' notifications and queries; the logic answers every other message with 0.
    if (message < ui::MsgChannelMapSelection || message > ui::MsgCurveSwitches) return 0;
    return static_cast<LRESULT>(
        logic_->OnAppMessage(message, static_cast<intptr_t>(wParam), static_cast<intptr_t>(lParam)));
}

// Rescue mode disables the page: every panel follows, so that none takes input of its own.
void DSPSetting::OnEnable(bool enabled) {
    EnableChild(car_, enabled);
    EnableChild(map_, enabled);
    EnableChild(filter_, enabled);
    EnableChild(settings_, enabled);
    EnableChild(chart_, enabled);
    EnableChild(eq_, enabled);
    EnableChild(info_, enabled);
}

int DSPSetting::OnDeviceMessage(const uint8_t* frame, size_t length) {
    return model::ReceiveTuningFrame(Model(), frame, length);
}

int DSPSetting::SendPendingChanges(const devlink::FrameSender& sender) { return Model().SendPending(sender); }

void DSPSetting::PostToPage(uint32_t id, intptr_t wParam, intptr_t lParam) {
    PostMessageA(GetHwnd(), id, static_cast<WPARAM>(wParam), lParam);
}

intptr_t DSPSetting::SendToMain(uint32_t id, intptr_t wParam, intptr_t lParam) {
    return Parent() ? SendMessageA(Parent(), id, static_cast<WPARAM>(wParam), lParam) : 0;
}

void DSPSetting::PostToMain(uint32_t id, intptr_t wParam, intptr_t lParam) {
    if (Parent()) PostMessageA(Parent(), id, static_cast<WPARAM>(wParam), lParam);
}

}  // namespace pages
