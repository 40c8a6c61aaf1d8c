// WizardDlg: the I/O wizard's window over its logic. A popup FrameWnd ("wizard") centred on the
// desktop that carries the navigation buttons, the input boxes and check buttons, the bar and the
// car view, opens the input menus, runs the measurement timers and draws the boxes' choices and
// the status line; the poll thread reaches it through the request words of its logic.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>

#include "dialogs/wizard_logic.h"
#include "dialogs/wizard_serve.h"
#include "link/usb_link.h"
#include "pages/car_channel.h"
#include "ui/btn_wnd.h"
#include "ui/frame_wnd.h"
#include "ui/progress_bar.h"

namespace dialogs {

class WizardDlg : public ui::FrameWnd, public WizardView, public WizardServeHost {
public:
    static constexpr const char* kWindowName = "wizard";
    static constexpr COLORREF kBoxColour = RGB(212, 208, 200);
    static constexpr uint32_t kStatusArgb = 0xB90A0A0A;  // alpha 185, colour (10, 10, 10)
    // How long the poll thread waits for the main window's master level.
    static constexpr UINT kMasterLevelQueryMs = 1000;

    WizardDlg(HWND parent, int x, int y, bool online);
    ~WizardDlg() override;

    void Start() { logic_.Start(); }
    void Hide() {
        if (GetHwnd()) ShowWindow(GetHwnd(), SW_HIDE);
    }
    void SetConnected(int connected) { logic_.SetConnected(connected); }
    void SetSourceFlags(const uint32_t flags[kSourceCount]) { logic_.SetSourceFlags(flags); }
    WizardIoRecord GetIoRecord() { return logic_.GetIoRecord(); }
    bool CancelPending() const { return logic_.CancelPending(); }
    // Poll thread: the device exchanges of the raised request words. Online the detections wait
    // for the unit; their results come back as posted messages.
    int ServeRequests(devlink::UsbLink& link) { return server_.ServeRequests(&link); }
    // A read-back's input configuration and routing into the wizard (user interface thread).
    int ParseDeviceConfig(const uint8_t* frame, size_t length) {
        return logic_.ParseDeviceConfig(frame, length);
    }
    std::optional<std::vector<model::OutputAssignment>> TakeDeviceLayout() {
        return logic_.TakeDeviceLayout();
    }

    WizardLogic& Logic() { return logic_; }
    HWND ButtonWindow(WizButton button) const;
    HWND BoxWindow(int box) const;
    HWND CheckWindow(int check) const;
    pages::CarChannel* Car() { return car_.get(); }
    HWND BarWindow() const { return bar_.GetHwnd(); }

    // WizardView.
    void SetSkin(uint32_t bitmap, uint32_t overlay) override;
    void Repaint() override { Redraw(true); }
    void ShowButton(WizButton button, bool show) override;
    void EnableButton(WizButton button, bool enable) override;
    void MoveButton(WizButton button, int x, int y) override;
    void ShowBox(int box, bool show) override;
    void MoveBox(int box, int x, int y) override;
    void ShowCheck(int check, bool show) override;
    void MoveCheck(int check, int x, int y) override;
    void SetCheck(int check, bool on) override;
    void ShowBar(bool show) override;
    void SetBar(double position) override { bar_.SetPos(position); }
    void StartTimer(uint32_t id, uint32_t periodMs) override;
    void StopTimer(uint32_t id) override;
    void OpenPopup(int menuResource, int x, int y, const std::vector<MenuItemState>& items) override;
    pages::CarChannelLogic* CarView(int mode) override;
    void ShowCarView(bool show) override;
    void PostToParent(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    void PostToSelf(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

    // WizardServeHost (poll thread).
    void PostDetectionResult(uint32_t message, uintptr_t endFlag, intptr_t status) override {
        PostToSelf(message, endFlag, status);
    }
    void QueryMasterLevel(float* dB) override;

    // FrameWnd.
    void Redraw(bool updateNow) override;
    void OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnTimer(WPARAM timerId, LPARAM lParam) override;
    LRESULT OnAppMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnClose() override { return false; }  // Alt+F4 and the like leave the wizard running

private:
    void Centre();
    void DrawBoxLabel(const WizardLogic::BoxLabel& label);
    static size_t Slot(WizButton b) { return static_cast<size_t>(b); }

    std::array<std::unique_ptr<ui::BtnWnd>, 5> buttons_;
    std::array<std::unique_ptr<ui::BtnWnd>, kChannelBoxes> boxes_;
    std::array<std::unique_ptr<ui::ChkWnd>, kWizardChecks> checks_;
    ui::ProgressBar bar_;
    std::unique_ptr<pages::CarChannel> car_;
    HMENU highMenu_ = nullptr, lowMenu_ = nullptr;
    HBRUSH brush_ = nullptr;
    HFONT font_ = nullptr;
    SIZE size_{0, 0};
    bool built_ = false;
    WizardLogic logic_;
    WizardServer server_{logic_, *this};
};

}  // namespace dialogs
