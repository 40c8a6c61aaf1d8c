#include "link/firmware_upload.h"

#include <algorithm>
#include <cstring>

#include "link/bytes.h"
#include "link/usb_link.h"

namespace devlink {

namespace {
constexpr size_t kBeginLength = 14;
constexpr size_t kDataOverhead = 10;  // header 5, block number 4, checksum 1
constexpr size_t kResultLength = 9;
}  // namespace

Frame BuildFirmwareBeginMessage(uint32_t imageSize) {
    Frame f = NewFrame(kNodeDsp, DeviceCommand::FirmwareBlock, kBeginLength);
    if (f.empty()) return f;
    PutU32LE(&f[5], 1);
    PutU32LE(&f[9], imageSize);
    SealFrame(f);
    return f;
}

Frame BuildFirmwareDataMessage(const uint8_t* bytes, size_t n, uint32_t block) {
    if (!bytes || n < 1 || n > kFirmwareBlockSize) return {};
    Frame f = NewFrame(kNodeDsp, DeviceCommand::FirmwareBlock, n + kDataOverhead);
    if (f.empty()) return f;
    PutU32LE(&f[5], block);
    std::memcpy(&f[9], bytes, n);
    SealFrame(f);
    return f;
}

Frame BuildFirmwareEndMessage() { return BuildSimpleFrame(kNodeDsp, DeviceCommand::FirmwareEnd); }

FirmwareUpload::FirmwareUpload(const std::vector<uint8_t>& file, std::atomic<int>& phase, ResultPost post)
    : file_(file), phase_(phase), post_(std::move(post)) {}

void FirmwareUpload::Run(UsbLink& link) {
    RunUpdatePhase(kFirmwarePhaseSending, link);
    SendFirmwareImage(link);
    RunUpdatePhase(kFirmwarePhaseResult, link);
}

void FirmwareUpload::RunUpdatePhase(int phase, UsbLink& link) {
    if (phase == kFirmwarePhaseSending) {
        phase_.store(phase);
        // Whatever the unit says before the end message is no result: keep it out.
        link.SetReceiveGate(1);
        result_ = 0;
        answered_ = false;
        const size_t size = ImageSize();
        // An empty image sends no begin; the end message still goes and the unit decides.
        if (size > 0 && size <= 0xFFFFFFFFu)
            link.Send(BuildFirmwareBeginMessage(static_cast<uint32_t>(size)));
        return;
    }
    if (phase != kFirmwarePhaseResult) return;
    phase_.store(phase);
    link.SetReceiveGate(0);
    // A 0xCB still queued from an earlier FINALIZE (or a repeated one) would otherwise be taken
    // for this upload's result: only what answers this end message counts.
    link.ClearReceived();
    link.Send(BuildFirmwareEndMessage());
    uint8_t reply[kResultLength] = {};
    answered_ = link.WaitResponse(static_cast<uint8_t>(DeviceCommand::UpdateResult), reply, sizeof reply,
                                  kFirmwareResultTimeoutMs, true, nullptr) != 0;
    result_ = answered_ ? static_cast<uint32_t>(reply[6]) + 65536u * reply[7] : 0;
    if (post_) post_(result_);
    link.SetReceiveGate(1);
}

void FirmwareUpload::SendFirmwareImage(UsbLink& link) {
    link.SetReceiveGate(1);
    // A write that fails while the image goes out neither stops it nor raises the disconnect
    // question: the unit's result decides, and the end message reports a link that is gone.
    link.SetErrorReporting(0);
    os::Sleeper& sleeper = link.Sender().sleeper();
    const size_t end = file_.size();
    size_t at = kFirmwareFileHeaderSize;
    uint32_t block = kFirmwareFirstDataBlock;
    size_t count = 0;
    while (at < end) {
        const size_t n = std::min(kFirmwareBlockSize, end - at);
        link.Send(BuildFirmwareDataMessage(file_.data() + at, n, block), Pacing::FirmwareData);
        at += n;
        ++block;
        count += n;
        if (count >= kFirmwarePauseEvery) {
            sleeper.SleepMs(kFirmwarePauseMs);
            count = 0;
        }
    }
    link.SetErrorReporting(1);
    sleeper.SleepMs(kFirmwarePauseMs);
}

}  // namespace devlink
