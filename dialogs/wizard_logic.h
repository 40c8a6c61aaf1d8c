// The I/O configuration wizard without its window: the steps (input type and sources, input
// assignment, input-level setup and de-equalization, the car view's speaker, passive-crossover,
// output-channel and amplifier steps, the end), the record they fill, the request words the poll
// thread serves, and the result posted to the main window. Its window shows what it says through
// WizardView and hands it the user's clicks, menu commands, timers and messages.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/wizard_records.h"
#include "model/tuning_model.h"
#include "pages/car_channel_logic.h"
#include "pages/wizard_table.h"

namespace dialogs {

constexpr int kWizardSteps = 15;

enum class WizButton { Finish, Next, Back, Skip, Cancel };
constexpr int kChannelBoxes = 9;
constexpr int kWizardChecks = 8;  // five sources, Low Level, High Level, one never shown
constexpr int kCheckLowLevel = 5, kCheckHighLevel = 6;

struct MenuItemState {
    int id;
    bool checked;
    bool greyed;
};

class WizardView {
public:
    virtual ~WizardView() = default;
    // The step's picture and title (overlay 0: none); the window takes the picture's size.
    virtual void SetSkin(uint32_t bitmap, uint32_t overlay) = 0;
    // Draws the face anew: picture, the boxes' texts and the status line the logic gives.
    virtual void Repaint() = 0;
    virtual void ShowButton(WizButton button, bool show) = 0;
    virtual void EnableButton(WizButton button, bool enable) = 0;
    virtual void MoveButton(WizButton button, int x, int y) = 0;
    virtual void ShowBox(int box, bool show) = 0;
    virtual void MoveBox(int box, int x, int y) = 0;
    virtual void ShowCheck(int check, bool show) = 0;
    virtual void MoveCheck(int check, int x, int y) = 0;
    virtual void SetCheck(int check, bool on) = 0;
    virtual void ShowBar(bool show) = 0;
    virtual void SetBar(double position) = 0;
    virtual void StartTimer(uint32_t id, uint32_t periodMs) = 0;
    virtual void StopTimer(uint32_t id) = 0;
    // Opens an input menu under a box (client coordinates); the choice comes back as OnCommand.
    virtual void OpenPopup(int menuResource, int x, int y, const std::vector<MenuItemState>& items) = 0;
    // The car view in the given wizard mode, made on first use; null when it cannot be made.
    virtual pages::CarChannelLogic* CarView(int mode) = 0;
    virtual void ShowCarView(bool show) = 0;
    virtual void PostToParent(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
    virtual void PostToSelf(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
};

class WizardLogic {
public:
    static constexpr uint32_t kInputTimer = 1500, kOutputTimer = 2500, kTimerMs = 50;
    static constexpr int kBarRange = 20;
    static constexpr int kOutputSources = 6;  // the de-equalization's channels
    static constexpr int kStatusLeft = 20, kStatusTop = 210, kStatusWidth = 260, kStatusHeight = 50;

    WizardLogic(WizardView& view, bool online);

    // Step 0 with the record kept and every request word clear.
    void Start();
    void SetSourceFlags(const uint32_t flags[kSourceCount]);
    // Refreshes the record's labels and speaker grid from the car view and publishes it.
    WizardIoRecord GetIoRecord();
    // The record as the poll thread serves it: a copy the user-interface thread publishes when
    // a step is left forward (before its request word rises), when GetIoRecord refreshes it and
    // when the unit's configuration has been read into it. Any thread.
    WizardIoRecord ServedRecord() const;
    // A cancel the poll thread has not served yet: a raised stepClosed word (cleared once the
    // unit was told, or, on a detection step, once the running detection ended).
    bool CancelPending() const {
        for (const auto& closed : stepClosed)
            if (closed.load()) return true;
        return false;
    }
    void PublishRecord();
    // Replaces the record (a unit's or a setup's choices), its menu ids derived anew, and
    // publishes it. User-interface thread.
    void SetRecord(const WizardIoRecord& record);
    void SetConnected(int connected) { online_ = connected != 0; }
    void RefreshMenuIds();

    // A frame of a read-back: the unit's input configuration (0xA3 of 20 bytes) or its routing
    // (0xA4 of 46 bytes) into the record, a routing also into the car view (made when missing).
    // 1 for every 0xA3 or 0xA4, whatever its length (a wrong length changes nothing); 0 for any
    // other frame. User interface thread.
    int ParseDeviceConfig(const uint8_t* frame, size_t length);
    // The layout of the routing frames parsed since the last call (the last one's), or nothing
    // when none came: a read-back that brought no routing leaves the tuning's layout alone.
    std::optional<std::vector<model::OutputAssignment>> TakeDeviceLayout();

    // Next (-1) or a given step; Back.
    void GoToStep(int target);
    void GoBack();
    void OnButton(WizButton button);
    void OnBoxClicked(int box);
    void OnCheckClicked(int check, bool nowChecked);
    void OnCommand(int menuId);
    void OnTimer(uint32_t id);
    // The car view's notifications and the detections' results.
    void OnAppMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);

    // What the window draws: the boxes' rectangles with their choice, and the status line.
    struct BoxLabel {
        pages::PanelRect rect;
        int menuId;
    };
    std::vector<BoxLabel> BoxLabels() const;
    std::string StatusText() const;

    int Step() const { return step_; }
    int DetectionState() const { return detection_; }
    bool MenuOpen() const { return menuBox_ >= 0; }
    const WizardIoRecord& Record() const { return record_; }
    pages::CarChannelLogic* CarViewLogic() const { return car_; }

    // The words the poll thread shares (each written by one side at a time).
    std::array<std::atomic<int32_t>, kWizardSteps> stepLeft{};
    std::array<std::atomic<int32_t>, kWizardSteps> stepClosed{};
    std::atomic<int32_t> completedCount{0};
    std::atomic<int32_t> inputChannel{-1};
    std::atomic<int32_t> outputChannel{-1};

private:
    void Enter(int step, bool forward);
    void LayOut();
    void ApplyNextRule();
    bool NextRule() const;
    void StartMeasurement();
    void StopMeasurement();
    void OnDetectionDone(int step, uintptr_t end, intptr_t status);
    void OnSpeakerPicked(int kind, int position);
    void OnPassiveGroup(const pages::PassiveGroupNotice& notice);
    void SetPresent(int position, int kind, int present);
    int BoxCount() const;
    int32_t* BoxIndexes();
    int32_t* BoxMenuIds();
    int MeasuredInputs() const;
    void ParseInputConfig(const uint8_t* frame);
    void ParseRouting(const uint8_t* frame);

    WizardView& view_;
    bool online_;
    int step_ = 0;
    WizardIoRecord record_;  // user-interface thread only
    mutable std::mutex servedLock_;
    WizardIoRecord served_;  // under servedLock_
    pages::CarChannelLogic* car_ = nullptr;
    int menuBox_ = -1;
    bool measuring_ = false;
    int detection_ = 0;
    int status_ = 0;
    int inputShown_ = -1;
    int outputShown_ = -1;
    bool nextEnabled_ = true;
    std::optional<std::vector<model::OutputAssignment>> deviceLayout_;
};

}  // namespace dialogs
