// The connection to one Darvix over the FTDI bridge: the device list, opening by device number,
// the line configuration, 9-bit address writes, the receiver thread and its frame list, waiting for
// replies, the receive gate, and the short exchanges the link performs itself.
//
// Threads: one thread at a time writes and waits (the poll thread, or the owner of a temporary
// link); the receiver thread appends frames; the user interface thread may walk and remove frames.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "link/frame.h"
#include "link/ftdi.h"
#include "link/notifier.h"
#include "link/receive.h"
#include "link/reply_channel.h"
#include "os/event.h"
#include "os/time.h"

namespace devlink {

// One attached FTDI device as the driver lists it.
struct UsbDeviceEntry {
    int32_t index;          // 0-based position in the driver's list
    char description[64];   // zero-terminated, at most 59 characters
    char serial[64];        // zero-terminated, at most 59 characters
    uint32_t locationId;
};

// One complete frame received from the device, in arrival order. The id tells frames apart for
// RemoveFrame even when their bytes are equal.
struct ReceivedFrame {
    uint64_t id;
    Frame bytes;
};

// What a probe of one device number found (each flag 0 or 1).
struct DeviceProbeInfo {
    int32_t deviceNumber = 0;
    int32_t found = 0;
    int32_t identified = 0;
    int32_t helloAnswered = 0;
    int32_t blankUnit = 0;
    int32_t spare[2] = {};
};

enum class FirmwareVerdict { Accept, DeviceNewer, DeviceOlder };

// The comparison of the version check: only major and minor count.
FirmwareVerdict CompareFirmwareVersion(int deviceMajor, int deviceMinor, int major, int minor);

constexpr const char* kFirmwareBoxTitle = "Warning";
constexpr const char* kFirmwareNewerText =
    "This software is outdated compared with device firmware. Please update 'darvix' PC Software.";
constexpr const char* kFirmwareOlderText =
    "Darvix firmware is too old. Please restart this application \nin rescue mode and upgrade "
    "firmware.";

class UsbLink : public FrameWriter, public ReplyChannel {
public:
    static constexpr int kHandshakeTimeoutMs = 3000;
    static constexpr int kIdentifyTimeoutMs = 3000;
    static constexpr size_t kIdentifyReplyLength = 14;
    static constexpr uint32_t kGateSettleMs = 200;
    static constexpr uint32_t kPollMs = 15;
    static constexpr int kParityTries = 10;
    static constexpr uint32_t kParityRetryMs = 15;
    static constexpr size_t kWriteChunk = 512;
    static constexpr int kMaxChunkFailures = 2048;
    // A write that moves nothing for this long gives up and fails the link.
    static constexpr uint64_t kStallLimitMs = 2000;
    static constexpr uint32_t kBaudRate = 38400;

    // ftdi: the bound table (not owned; may be null: then nothing opens). notifier: the main
    // window, or null. sleeper: every pause and poll of the link; clock: how long a write has
    // made no progress (the sleeper's time in tests).
    UsbLink(const FtdiApiTable* ftdi, int lastGoodDevice, LinkNotifier* notifier,
            os::Sleeper& sleeper, const os::Clock& clock = os::SystemClock());
    // Closes the link when the owner has not.
    ~UsbLink() override;
    UsbLink(const UsbLink&) = delete;
    UsbLink& operator=(const UsbLink&) = delete;

    // --- device list, open, configure, write, close ---
    int Open(int deviceNumber);
    void ConfigurePort();
    // FrameWriter: n bytes as the address byte (MARK parity) or as data (SPACE). 1 or 0.
    int Write(const uint8_t* bytes, size_t n, bool addressByte) override;
    void Close();

    const std::vector<UsbDeviceEntry>& DeviceList() const { return devices_; }
    // Lists the attached devices anew (the constructor's list misses a unit plugged in later).
    // Does nothing while the link is open.
    void RebuildDeviceList();
    int HighestListIndex() const;
    int IsBlankUnit() const { return blankCopy_; }
    void SetErrorReporting(int on) { errorReporting_.store(on != 0 ? 1 : 0); }
    int GetLastGoodDevice() const { return lastGoodDevice_; }
    int DeviceNumber() const { return deviceNumber_; }
    int IsOpen() const { return open_.load(); }
    int IsIdentified() const { return identified_; }
    int HelloAnswered() const { return helloAnswered_; }
    int IsFailed() const { return failed_.load(); }
    int IsConfigured() const { return configured_; }
    int LineMode() const { return lineMode_; }
    int BlankUnit() const { return blankUnit_; }
    int IdentifyDone() const { return identifyDone_; }
    // Bytes 9..12 of the last identify reply; shown as [3].[2].[1].[0].
    std::array<uint8_t, 4> FirmwareVersion() const { return firmwareVersion_; }

    // --- receiving ---
    void SetReceiveGate(int closed) override;
    int ReceiveGateClosed() const { return flags_.gateClosed.load(); }
    // 1 when a frame of that command came (copied into out, min(size, its length) bytes, the rest
    // of out zeroed). 0, checked after each 15 ms poll, when the time-out is spent (-1: none),
    // *cancel or the link's own cancel flag becomes non-zero, the link is closed or failed, or the
    // driver's status query fails (then the link is marked failed and that is reported once).
    // Every reply wait of the program goes through here.
    int WaitResponse(uint8_t command, uint8_t* out, size_t size, int timeoutMs, bool remove,
                     const std::atomic<int>* cancel) override;
    std::optional<ReceivedFrame> FindFrame(uint8_t command) const;
    bool RemoveFrame(uint64_t id);
    void ClearReceived() override;
    // A copy of the list, oldest first, for a walk that must not hold the lock.
    std::vector<ReceivedFrame> ReceivedFrames() const;
    size_t ReceivedCount() const;
    // Cuts the receive buffer into frames (receiver thread).
    void ParseReceived();

    // --- exchanges ---
    int Handshake(int timeoutMs);
    int Identify();
    int CheckFirmwareVersion(LinkNotifier* owner, int major, int minor);
    int QueryCommand13();
    int QueryCommand92();
    int SendCommand35();
    int Probe(DeviceProbeInfo& info);

    // The one send function over this link.
    const FrameSender& Sender() const { return sender_; }
    void Send(const Frame& frame, Pacing pacing = Pacing::Normal) { sender_.Send(frame, pacing); }

    // A flag that ends every reply wait of this link as soon as it becomes non-zero, and a write
    // at its first chunk that moves nothing (the poll thread's stop flag, so that the program can
    // end during a 30 s read-back or on a stalled line). Not owned.
    void SetCancel(const std::atomic<int>* cancel) { cancel_ = cancel; }

    // Where the driver-trouble traces (" - ", " + ", " * ") go; stdout by default, null for none.
    void SetTrace(std::FILE* out) { trace_ = out; }

    // How many times the receiver thread has gone back to sleep since the link was made: a test
    // that feeds bytes can wait for the count to move to know they have been handled.
    uint64_t ReceiverIdleCount() const { return receiverIdle_.load(); }

    // Thread start routine: no link, 0; else runs the receive loop and returns 16.
    static int ReceiveThreadStart(UsbLink* link);

private:
    class ListSink;
    void ResetIdentity();
    void ReceiveLoop();
    bool ReadAvailable(std::vector<uint8_t>& area, ListSink& sink);
    bool SwitchParity(int mode);
    void ReportFailure();
    void Trace(const char* text);
    template <class Fn>
    Fn Entry(FtdiSlot slot) const {
        return ftdi_ ? ftdi_->Get<Fn>(slot) : nullptr;
    }

    const FtdiApiTable* ftdi_;
    LinkNotifier* notifier_;
    os::Sleeper& sleeper_;
    const os::Clock& clock_;
    FrameSender sender_;
    std::FILE* trace_ = stdout;

    int deviceNumber_ = -1;
    std::atomic<int> open_{0};
    int identified_ = 0;
    int helloAnswered_ = 0;
    int blankCopy_ = 0;
    FT_HANDLE handle_ = nullptr;
    int lineMode_ = 0;  // 1 MARK, 0 SPACE
    int configured_ = 0;
    std::mutex parityLock_;
    std::unique_ptr<os::Event> stopEvent_;
    std::unique_ptr<os::Event> receiveEvent_;
    std::thread receiver_;

    ReceiveFlags flags_;
    ReceiveBuffer buffer_;  // receiver thread only
    mutable std::mutex listLock_;
    std::list<ReceivedFrame> frames_;
    uint64_t nextFrameId_ = 1;
    std::atomic<uint64_t> receiverIdle_{0};

    std::array<uint8_t, 4> firmwareVersion_{};
    int blankUnit_ = 0;
    int identifyDone_ = 0;
    std::vector<UsbDeviceEntry> devices_;
    int lastGoodDevice_;
    std::atomic<int> failed_{0};
    std::atomic<int> errorReporting_{1};
    const std::atomic<int>* cancel_ = nullptr;
    bool probing_ = false;  // the writing thread's own: failures post nothing while set
};

}  // namespace devlink
