#include "dialogs/sync_dsp_logic.h"

#include "res/resource.h"
#include "ui/messages.h"

namespace dialogs {

void SyncDspLogic::Start() {
    // A retry after the failure face (a late result after the time limit) starts from the
    // ordinary face again.
    if (failureFace_) {
        view_.SetSkin(IDB_DIALOG_BG);
        view_.MoveButton(DlgButton::Ok, kOkX, kOkY);
        failureFace_ = false;
    }
    view_.Repaint();
    view_.ShowButton(DlgButton::Ok, true);
    view_.EnableButton(DlgButton::Ok, false);
    ticks_ = 0;
    view_.SetBar(0);
    view_.ShowBar(true);
    view_.ShowButton(DlgButton::Close, false);
    view_.StartTimer(kTimerMs);
    running_ = true;
}

void SyncDspLogic::OnTimer() {
    if (!running_) return;
    view_.SetBar(kBarRange - (ticks_ % kBarRange + 1));
    ++ticks_;
    if (static_cast<uint64_t>(ticks_) * kTimerMs >= kLimitMs) ShowResult(0);
}

void SyncDspLogic::ShowResult(int success) {
    // A result that comes after the dialog has given its own (past the time limit) changes
    // nothing: the user is already looking at one.
    if (!running_) return;
    running_ = false;
    state_ = success ? 1 : 0;
    view_.ShowBar(false);
    view_.ShowButton(DlgButton::Close, true);
    view_.StopTimer();
    view_.EnableButton(DlgButton::Ok, true);
    if (success) {
        view_.DrawMessage(kSyncSuccessText, kSuccessBox);
        return;
    }
    view_.ShowButton(DlgButton::Close, false);
    view_.ShowButton(DlgButton::Ok, false);
    view_.SetSkin(IDB_SYNC_FAILED_BG);
    failureFace_ = true;
    view_.DrawMessage(kSyncFailureText, kFailureBox);
    view_.MoveButton(DlgButton::Ok, kFailureOkX, kFailureOkY);
    view_.ShowButton(DlgButton::Ok, true);
}

void SyncDspLogic::OnButton(DlgButton button) {
    if (button == DlgButton::Close) view_.PostToParent(ui::MsgReadFromDevice, 0, 0);
    if (button == DlgButton::Ok) view_.PostToParent(ui::MsgReadFromDevice, 0, state_ ? 0 : 1);
}

}  // namespace dialogs
