// Writing the whole tuning to the device, and FINALIZE: the question (or none), the run the poll
// thread performs, the bar, the result, and the user's answer as 0x8036 (0, x) to the main window.
//
// Threads: the user interface thread calls Start, the timer, the buttons and the result; the poll
// thread reads the state and calls SetStateAndSend and RunFinalize, and reports only by posting.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "dialogs/dialog_view.h"

namespace devlink {
class UsbLink;
}

namespace dialogs {

constexpr const char* kOverwriteQuestion =
    "This operation will overwrite current 'darvix' settings. Press 'Yes' to proceed.";
constexpr const char* kUpdateSuccessText = "'darvix' successfully updated.";
constexpr const char* kUpdateFailureText = "'darvix' update failed.";
// On the way out a failed FINALIZE keeps the program open, so that the changes are not lost.
constexpr const char* kUpdateFailedKeptText =
    "'darvix' update failed. Your changes were not stored; the program stays open.";
// What the FINALIZE warning image says.
constexpr const char* kFinalizeWarningText =
    "FINALIZE stores the current settings in 'darvix' permanently. Press 'Yes' to proceed.";

class UpdateDspLogic {
public:
    // States: 0 idle or finished, 1 running (the poll thread may work), 2 write begun (0xA5 sent),
    // 3 write or FINALIZE ended.
    static constexpr uint32_t kTimerMs = 50;
    static constexpr int kWriteTicks = 3000;  // 150 s
    static constexpr int kFinalizeTimeoutMs = 120000;
    static constexpr int kBarRange = 20;
    static constexpr int kWarningX = 39, kWarningY = 35;
    static constexpr TextBox kQuestionBox{20, 50, 280, 150};
    // The client area less 5 left and right, 35 at the top and 55 at the bottom, moved by
    // (40, 60), 40 narrower; a success 25 higher.
    static constexpr TextBox kFailureBox{45, 95, 295, 225};
    static constexpr TextBox kSuccessBox{45, 70, 295, 200};

    explicit UpdateDspLogic(DialogView& view) : view_(view) {}

    // a: FINALIZE; b: the write at once (after a load or a copy); c: FINALIZE at once, then close.
    void Start(int a, int b, int c);
    void OnTimer();
    void OnButton(DlgButton button);
    // 0x803E from the poll thread.
    void OnFinalizeResult(int failed, uint32_t result);

    // Poll thread.
    int GetState() const { return state_.load(); }
    // Stores the state; with a link, 2 sends 0xA5 and 3 sends 0xA6.
    void SetStateAndSend(devlink::UsbLink* link, int state);
    void RunFinalize(devlink::UsbLink& link);

    // The outcome of the last run, for the main window when the dialog ends.
    bool Succeeded() const { return succeeded_; }
    uint32_t ResultWord() const { return result_; }
    bool Running() const { return running_; }
    bool Finalizing() const { return a_ != 0; }
    bool Closing() const { return c_ != 0; }
    int Ticks() const { return ticks_; }

private:
    void StartRun();
    void ShowResult(bool success);

    DialogView& view_;
    std::atomic<int> state_{0};
    // Set by the poll thread when the write ended on a link that failed or closed under it.
    std::atomic<int> writeLost_{0};
    int a_ = 0, b_ = 0, c_ = 0;
    int ticks_ = 0;
    uint32_t result_ = 0;
    bool succeeded_ = false;
    bool running_ = false;
};

}  // namespace dialogs
