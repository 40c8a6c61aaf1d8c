// What the firmware dialog decides, without a window: its state and the upload's phase, the
// progress bar's animation, the unit's result and the text that shows it, and the upload run on the
// poll thread. SoftwareUpdateDlg draws what this says.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "link/firmware_upload.h"

namespace devlink {
class UsbLink;
}

namespace dialogs {

struct TextArea {
    int left, top, right, bottom;
    bool operator==(const TextArea&) const = default;
};

class SoftwareUpdateLogic {
public:
    static constexpr int kStateIdle = 0;
    static constexpr int kStateRunning = 2;
    static constexpr int kStateResult = 5;
    static constexpr int kBarSteps = 20;  // the bar's range is 0 to 20

    static constexpr const char* kCompletedText =
        "Firmware update completed. Close this application and restart 'darvix' device.";
    static constexpr const char* kNotCompletedText = "Firmware update not completed.";

    // What the window shows after Refresh.
    enum class View {
        Running,  // the background, the bar at 0 and shown, OK disabled, the animation timer on
        Result,   // the timer off, both bars hidden, OK enabled, the result text
    };

    // The main window starts an update: phase 2 (waiting for the poll thread), state 2.
    void Start();
    // What the window is to show now; a running update starts its animation again from 0.
    View Refresh();
    // The animation timer: the bar's new position while the image goes out, else -1 (the bar
    // stays where it is).
    int OnTimer();
    // The poll thread's result message: the low 16 bits say completed (1), the high 16 bits carry
    // the unit's second value.
    void OnResult(uint32_t result);

    int State() const { return state_; }
    int GetPhase() const { return phase_.load(); }
    int Tick() const { return tick_; }
    uint16_t CompletedFlag() const { return completed_; }
    uint16_t SecondValue() const { return second_; }
    bool OkEnabled() const { return state_ == kStateResult; }
    // The result text; empty until there is a result.
    const char* ResultText() const;
    // Where the result text goes in a client area of that size: inset 45 left, 65 top, 20 right
    // and 55 bottom; the shorter failure text sits 5 pixels higher in an area 25 pixels wider.
    TextArea ResultArea(int clientWidth, int clientHeight) const;

    // Poll thread: the whole upload of the checked image file (header included), posting the
    // unit's result with `post`. Runs only while the dialog waits for it (phase 2).
    void RunFirmwareUpdate(devlink::UsbLink& link, const std::vector<uint8_t>& file,
                           std::function<void(uint32_t result)> post);

private:
    int state_ = kStateIdle;  // user interface thread only
    std::atomic<int> phase_{0};  // written by the poll thread, read by the timer
    int tick_ = 0;
    uint16_t completed_ = 0;
    uint16_t second_ = 0;
};

}  // namespace dialogs
