#include "dialogs/update_dsp_logic.h"

#include "link/frame.h"
#include "link/usb_link.h"
#include "res/resource.h"
#include "ui/messages.h"

namespace dialogs {

void UpdateDspLogic::Start(int a, int b, int c) {
    state_ = 0;
    writeLost_ = 0;
    result_ = 0;
    succeeded_ = false;
    running_ = false;
    a_ = a;
    b_ = b;
    c_ = c;
    view_.ShowButton(DlgButton::Yes, true);
    view_.ShowButton(DlgButton::No, true);
    view_.ShowButton(DlgButton::Ok, false);
    view_.ShowBar(false);
    view_.ShowButton(DlgButton::Close, false);
    if (c_) {
        a_ = 1;
        b_ = 0;
        StartRun();
    } else if (a_) {
        view_.Repaint();
        view_.DrawImage(IDB_FINALIZE_WARNING, kWarningX, kWarningY, kFinalizeWarningText);
    } else if (b_) {
        StartRun();
    } else {
        view_.Repaint();
        view_.DrawMessage(kOverwriteQuestion, kQuestionBox);
    }
}

void UpdateDspLogic::StartRun() {
    view_.Repaint();
    view_.EnableButton(DlgButton::Ok, false);
    view_.ShowButton(DlgButton::Yes, false);
    view_.ShowButton(DlgButton::No, false);
    view_.ShowButton(DlgButton::Ok, true);
    ticks_ = 0;
    view_.SetBar(0);
    view_.ShowBar(true);
    view_.ShowButton(DlgButton::Close, false);
    view_.StartTimer(kTimerMs);
    running_ = true;
    int idle = 0;
    state_.compare_exchange_strong(idle, 1);
}

void UpdateDspLogic::OnTimer() {
    if (!running_) return;
    view_.SetBar(ticks_ % kBarRange + 1);
    if (a_) {
        ++ticks_;  // FINALIZE ends with its result message
        return;
    }
    if (state_.load() == 3) {
        ShowResult(writeLost_.load() == 0);
        return;
    }
    if (++ticks_ >= kWriteTicks) ShowResult(false);
}

void UpdateDspLogic::OnButton(DlgButton button) {
    switch (button) {
        case DlgButton::Close:
        case DlgButton::No: view_.PostToParent(ui::MsgWriteToDevice, 0, 0); break;
        case DlgButton::Ok: view_.PostToParent(ui::MsgWriteToDevice, 0, 1); break;
        case DlgButton::Yes:
            if (!running_) StartRun();
            break;
        default: break;
    }
}

void UpdateDspLogic::OnFinalizeResult(int failed, uint32_t result) {
    // Only a FINALIZE that is running takes a result.
    if (!running_ || !a_) return;
    result_ = result;
    ShowResult(failed == 0);
}

void UpdateDspLogic::ShowResult(bool success) {
    state_ = 0;
    running_ = false;
    view_.ShowBar(false);
    view_.ShowButton(DlgButton::Close, false);
    view_.StopTimer();
    view_.EnableButton(DlgButton::Ok, true);
    view_.Repaint();
    succeeded_ = a_ ? (success && (result_ & 0xFFFF) == 1) : success;
    if (succeeded_) view_.DrawMessage(kUpdateSuccessText, kSuccessBox);
    else if (c_) view_.DrawMessage(kUpdateFailedKeptText, kSuccessBox);
    else view_.DrawMessage(kUpdateFailureText, kFailureBox);
}

void UpdateDspLogic::SetStateAndSend(devlink::UsbLink* link, int state) {
    if (state == 2) writeLost_ = 0;
    if (state == 3 && link) {
        link->Send(devlink::BuildSimpleFrame(devlink::kNodeDsp, devlink::DeviceCommand::StoreEnd));
        // The writes are not answered, so a link that failed (or closed) on the way is the only
        // sign that the tuning did not all reach the device. Known before the state says the
        // write has ended: the dialog's timer reads the two on another thread.
        if (link->IsFailed() || !link->IsOpen()) writeLost_ = 1;
    }
    state_ = state;
    if (state == 2 && link)
        link->Send(devlink::BuildSimpleFrame(devlink::kNodeDsp, devlink::DeviceCommand::StoreBegin));
}

void UpdateDspLogic::RunFinalize(devlink::UsbLink& link) {
    link.SetReceiveGate(0);
    // The device answers a firmware upload's end with the same command: a result left over from
    // one, or from an earlier FINALIZE, must not pass for this one's.
    const uint8_t reply = static_cast<uint8_t>(devlink::DeviceCommand::UpdateResult);
    while (auto stale = link.FindFrame(reply)) link.RemoveFrame(stale->id);
    int failed = 1;
    uint32_t result = 0;
    const devlink::Frame request = devlink::BuildSimpleFrame(devlink::kNodeDsp, devlink::DeviceCommand::Finalize);
    if (!request.empty()) {
        link.Send(request);
        uint8_t bytes[9] = {};
        if (link.WaitResponse(reply, bytes, sizeof bytes, kFinalizeTimeoutMs, true, nullptr)) {
            result = bytes[6] | (static_cast<uint32_t>(bytes[7]) << 16);
            failed = 0;
        }
    }
    state_ = 3;
    view_.PostToSelf(ui::MsgFinalizeResult, static_cast<uintptr_t>(failed), static_cast<intptr_t>(result));
    link.SetReceiveGate(1);
}

}  // namespace dialogs
