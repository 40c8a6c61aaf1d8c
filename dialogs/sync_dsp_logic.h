// The wait dialog of a read-back: a busy bar while the poll thread reads the whole tuning from the
// device, then the result, and the user's OK or close as 0x8035 (0, x) to the main window.
#pragma once

#include <cstdint>

#include "dialogs/dialog_view.h"

namespace dialogs {

constexpr const char* kSyncSuccessText = "Synchronization to 'darvix' completed with success.";
constexpr const char* kSyncFailureText =
    "Synchronization failed:\n\nPlease try in the following order:\n\n1) Close this application, "
    "shutdown and restart the darvix and start the program again.\n\n2) Check USB cable and its "
    "connections.\n\n3) Verify installation of Tolvar interface and Tolvar Port drivers and "
    "reinstall if needed (see owner's manual).\n\n4) If the above doesn't solve the problem, close "
    "this application, restart in Rescue Mode, and restore factory defaults.";

class SyncDspLogic {
public:
    static constexpr uint32_t kTimerMs = 75;
    static constexpr uint32_t kLimitMs = 180000;  // a read-back that never reports ends here
    static constexpr int kBarRange = 20;
    static constexpr int kOkX = 110, kOkY = 160;
    static constexpr int kFailureOkX = 157, kFailureOkY = 420;
    static constexpr TextBox kSuccessBox{20, 60, 280, 150};
    static constexpr TextBox kFailureBox{24, 44, 368, 410};

    explicit SyncDspLogic(DialogView& view) : view_(view) {}

    // A read-back (or its retry) begins: the bar runs, OK waits disabled for the result.
    void Start();
    void OnTimer();
    void ShowResult(int success);
    void OnButton(DlgButton button);

    bool Running() const { return running_; }
    // The failure is on show (the third failed attempt, or the time limit passed first).
    bool ShowsFailure() const { return failureFace_; }
    int Ticks() const { return ticks_; }
    int State() const { return state_; }

private:
    DialogView& view_;
    bool running_ = false;
    bool failureFace_ = false;
    int ticks_ = 0;
    int state_ = 0;
};

}  // namespace dialogs
