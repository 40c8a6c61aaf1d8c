// The firmware upload: the image goes to the unit as a begin message (block 1, the image size),
// data blocks of up to 512 bytes numbered from 2, and an end message that the unit answers with
// its result (0xCB) once it has written its flash. There is no acknowledgement per block and no
// retry: only the unit's result says whether the update took.
//
// Runs on the poll thread over the poll thread's link. The phase it writes is read by the firmware
// dialog's timer on the user interface thread; the result goes back only through `post`.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "link/frame.h"

namespace devlink {

class UsbLink;

constexpr size_t kFirmwareFileHeaderSize = 56;    // the image file's header, not sent
constexpr size_t kFirmwareBlockSize = 512;        // image bytes in one data block at most
constexpr uint32_t kFirmwareFirstDataBlock = 2;   // the begin message counts as block 1
constexpr size_t kFirmwarePauseEvery = 10000;     // image bytes between two rests of the unit
constexpr uint32_t kFirmwarePauseMs = 1500;
// The unit answers the end message when its flash is written; FINALIZE's reply, the same 0xCB
// after the same kind of flash write, is given as long.
constexpr int kFirmwareResultTimeoutMs = 120000;

// 14 bytes: 'F' 'Z' 00 0E C8, u32 LE 1, u32 LE image size, checksum.
Frame BuildFirmwareBeginMessage(uint32_t imageSize);
// n + 10 bytes: 'F' 'Z', n + 10 big-endian, C8, u32 LE block number, the n bytes, checksum.
// n outside 1..512 or no bytes: an empty frame (nothing to send).
Frame BuildFirmwareDataMessage(const uint8_t* bytes, size_t n, uint32_t block);
// 'F' 'Z' 00 06 CA 70.
Frame BuildFirmwareEndMessage();

// The phases the firmware dialog shows.
enum FirmwarePhase : int {
    kFirmwarePhaseWaiting = 2,  // the dialog waits for the poll thread
    kFirmwarePhaseSending = 3,  // the image is going out
    kFirmwarePhaseResult = 4,   // the end message is sent; waiting for the unit's answer
};

class FirmwareUpload {
public:
    // post(result): byte 6 + 65536 * byte 7 of the unit's answer, 0 when none came.
    using ResultPost = std::function<void(uint32_t result)>;

    // file: the whole image file as it was checked (header included); it must outlive the upload.
    FirmwareUpload(const std::vector<uint8_t>& file, std::atomic<int>& phase, ResultPost post);
    // A temporary image would be gone before the upload reads it.
    FirmwareUpload(std::vector<uint8_t>&& file, std::atomic<int>& phase, ResultPost post) = delete;

    // The three steps in order.
    void Run(UsbLink& link);
    // Phase 3: the begin message when the image is not empty. Phase 4: the end message and the
    // wait for the unit's result, which is posted.
    void RunUpdatePhase(int phase, UsbLink& link);
    // The data blocks, with the unit's rests.
    void SendFirmwareImage(UsbLink& link);

    uint32_t Result() const { return result_; }
    bool Answered() const { return answered_; }
    size_t ImageSize() const {
        return file_.size() > kFirmwareFileHeaderSize ? file_.size() - kFirmwareFileHeaderSize : 0;
    }

private:
    const std::vector<uint8_t>& file_;
    std::atomic<int>& phase_;
    ResultPost post_;
    uint32_t result_ = 0;
    bool answered_ = false;
};

}  // namespace devlink
