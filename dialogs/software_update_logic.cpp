#include "dialogs/software_update_logic.h"

#include "link/usb_link.h"

namespace dialogs {

void SoftwareUpdateLogic::Start() {
    phase_.store(devlink::kFirmwarePhaseWaiting);
    state_ = kStateRunning;
    completed_ = 0;
    second_ = 0;
}

SoftwareUpdateLogic::View SoftwareUpdateLogic::Refresh() {
    if (state_ == kStateResult) return View::Result;
    tick_ = 0;
    return View::Running;
}

int SoftwareUpdateLogic::OnTimer() {
    // The bar runs only while the image goes out: before it the unit has been told nothing, after
    // it the unit writes its flash and the bar's stillness says "wait".
    if (phase_.load() != devlink::kFirmwarePhaseSending) return -1;
    const int position = tick_ % kBarSteps + 1;
    ++tick_;
    return position;
}

void SoftwareUpdateLogic::OnResult(uint32_t result) {
    state_ = kStateResult;
    completed_ = static_cast<uint16_t>(result & 0xFFFF);
    second_ = static_cast<uint16_t>(result >> 16);
}

const char* SoftwareUpdateLogic::ResultText() const {
    if (state_ != kStateResult) return "";
    return completed_ == 1 ? kCompletedText : kNotCompletedText;
}

TextArea SoftwareUpdateLogic::ResultArea(int clientWidth, int clientHeight) const {
    TextArea a{45, 65, clientWidth - 20, clientHeight - 55};
    if (completed_ != 1) {
        a.top -= 5;
        a.bottom -= 5;
        a.right += 25;
    }
    return a;
}

void SoftwareUpdateLogic::RunFirmwareUpdate(devlink::UsbLink& link, const std::vector<uint8_t>& file,
                                            std::function<void(uint32_t)> post) {
    if (phase_.load() != devlink::kFirmwarePhaseWaiting) return;
    devlink::FirmwareUpload upload(file, phase_, std::move(post));
    upload.Run(link);
}

}  // namespace dialogs
