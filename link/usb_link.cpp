#include "link/usb_link.h"

#include <algorithm>
#include <cstring>

#include "link/bytes.h"

namespace devlink {
namespace {

FT_HANDLE InvalidHandle() { return reinterpret_cast<FT_HANDLE>(static_cast<intptr_t>(-1)); }

void CopyText(char (&to)[64], const char* from, size_t fromSize) {
    // The driver may fill its buffer to the last byte without a terminator; never read past it.
    size_t n = 0;
    while (n < fromSize && from[n] != '\0') ++n;
    n = std::min<size_t>(n, 59);
    std::memset(to, 0, sizeof(to));
    std::memcpy(to, from, n);
}

// The shortest frame that counts as a reply of that command.
size_t MinimumReplyLength(uint8_t command) {
    const CommandInfo* info = FindCommand(command);
    if (!info) return kMinFrameLength;
    switch (info->in.rule) {
        case LengthRule::Exact:
        case LengthRule::AtLeast:
        case LengthRule::PerSection:
        case LengthRule::PerSectionOrCurve:
            return std::max<size_t>(info->in.length, kMinFrameLength);
        default:
            return kMinFrameLength;
    }
}

// Byte i of a copied reply when it lies in the reply's payload, else 0: a short reply must not
// hand its checksum, or bytes it never had, to a caller as a field.
uint8_t PayloadByte(const uint8_t* reply, size_t i) {
    const size_t length = GetU16BE(reply + 2);
    return i >= kFrameHeaderSize && i + 1 < length ? reply[i] : 0;
}

}  // namespace

FirmwareVerdict CompareFirmwareVersion(int deviceMajor, int deviceMinor, int major, int minor) {
    if (deviceMajor == major && deviceMinor == minor) return FirmwareVerdict::Accept;
    if (deviceMajor > major || (deviceMajor == major && deviceMinor > minor))
        return FirmwareVerdict::DeviceNewer;
    return FirmwareVerdict::DeviceOlder;
}

class UsbLink::ListSink : public FrameSink {
public:
    explicit ListSink(UsbLink& link) : link_(link) {}
    void Deliver(Frame&& frame) override {
        std::lock_guard<std::mutex> g(link_.listLock_);
        link_.frames_.push_back({link_.nextFrameId_++, std::move(frame)});
    }

private:
    UsbLink& link_;
};

UsbLink::UsbLink(const FtdiApiTable* ftdi, int lastGoodDevice, LinkNotifier* notifier,
                 os::Sleeper& sleeper, const os::Clock& clock)
    : ftdi_(ftdi),
      notifier_(notifier),
      sleeper_(sleeper),
      clock_(clock),
      sender_(*this, sleeper),
      stopEvent_(std::make_unique<os::Event>(os::EventMode::ManualReset)),
      receiveEvent_(std::make_unique<os::Event>(os::EventMode::AutoReset)),
      lastGoodDevice_(lastGoodDevice) {
    RebuildDeviceList();
}

void UsbLink::RebuildDeviceList() {
    // The handle of an open link belongs to an entry of the list; only a closed link starts over.
    if (open_.load()) return;
    devices_.clear();
    auto createList = Entry<FT_CreateDeviceInfoList_t>(kFT_CreateDeviceInfoList);
    auto detail = Entry<FT_GetDeviceInfoDetail_t>(kFT_GetDeviceInfoDetail);
    FT_DWORD count = 0;
    if (!createList || createList(&count) != FT_OK || count == 0 || !detail) return;
    for (FT_DWORD i = 0; i < count; ++i) {
        FT_DWORD flags = 0, type = 0, id = 0, location = 0;
        char serial[64] = {};
        char description[64] = {};
        FT_HANDLE h = nullptr;
        if (detail(i, &flags, &type, &id, &location, serial, description, &h) != FT_OK) continue;
        UsbDeviceEntry e{};
        e.index = static_cast<int32_t>(i);
        CopyText(e.description, description, sizeof(description));
        CopyText(e.serial, serial, sizeof(serial));
        e.locationId = location;
        // Newest at the head: the list runs from the highest index down to 0.
        devices_.insert(devices_.begin(), e);
    }
}

UsbLink::~UsbLink() { Close(); }

int UsbLink::HighestListIndex() const {
    int highest = -1;
    for (const UsbDeviceEntry& e : devices_) highest = std::max(highest, static_cast<int>(e.index));
    return highest;
}

void UsbLink::ResetIdentity() {
    deviceNumber_ = -1;
    open_.store(0);
    identified_ = 0;
    helloAnswered_ = 0;
    blankCopy_ = 0;
    handle_ = nullptr;
    lineMode_ = 0;
}

int UsbLink::Open(int n) {
    // A second Open on an open link would lose the handle and the running receiver thread.
    if (open_.load()) Close();

    FT_DWORD count = 0;
    auto list = Entry<FT_ListDevices_t>(kFT_ListDevices);
    if (!list || list(&count, nullptr, FT_LIST_NUMBER_ONLY) != FT_OK) count = 0;
    if (count < 1 || static_cast<int64_t>(count) <= static_cast<int64_t>(n) - 1) {
        ResetIdentity();
        return 0;
    }
    const UsbDeviceEntry* entry = nullptr;
    for (const UsbDeviceEntry& e : devices_)
        if (e.index == n - 1) entry = &e;
    if (!entry) return open_.load();

    FT_HANDLE h = nullptr;
    auto openEx = Entry<FT_OpenEx_t>(kFT_OpenEx);
    char description[64];
    std::memcpy(description, entry->description, sizeof(description));
    const FT_STATUS status =
        openEx ? openEx(description, FT_OPEN_BY_DESCRIPTION, &h) : FT_DEVICE_NOT_FOUND;
    ResetIdentity();
    if (status != FT_OK || h == nullptr || h == InvalidHandle()) {
        open_.store(0);
        return 0;
    }

    // What the last unit said about itself must not stick to the next one opened on this link.
    blankUnit_ = 0;
    identifyDone_ = 0;
    firmwareVersion_ = {};

    deviceNumber_ = n;
    handle_ = h;
    open_.store(1);
    stopEvent_->Reset();
    receiveEvent_->Reset();
    ConfigurePort();
    receiver_ = std::thread(&UsbLink::ReceiveThreadStart, this);
    failed_.store(0);

    if (Handshake(kHandshakeTimeoutMs)) {
        lastGoodDevice_ = n;
        helloAnswered_ = 1;
    } else {
        helloAnswered_ = n == lastGoodDevice_ ? 1 : 0;
    }
    identified_ = Identify();
    return 1;
}

void UsbLink::ConfigurePort() {
    auto stop = Entry<FT_StopInTask_t>(kFT_StopInTask);
    auto baud = Entry<FT_SetBaudRate_t>(kFT_SetBaudRate);
    auto data = Entry<FT_SetDataCharacteristics_t>(kFT_SetDataCharacteristics);
    auto flow = Entry<FT_SetFlowControl_t>(kFT_SetFlowControl);
    auto purge = Entry<FT_Purge_t>(kFT_Purge);
    auto timeouts = Entry<FT_SetTimeouts_t>(kFT_SetTimeouts);
    auto notify = Entry<FT_SetEventNotification_t>(kFT_SetEventNotification);
    auto latency = Entry<FT_SetLatencyTimer_t>(kFT_SetLatencyTimer);
    auto restart = Entry<FT_RestartInTask_t>(kFT_RestartInTask);
    if (!stop || !baud || !data || !flow || !purge || !timeouts || !notify || !latency || !restart)
        return;
    // The results are not acted on: a port that did not take its settings shows up as failing
    // writes or missing replies, which are reported there.
    stop(handle_);
    baud(handle_, kBaudRate);
    data(handle_, FT_BITS_8, FT_STOP_BITS_1, lineMode_ ? FT_PARITY_MARK : FT_PARITY_SPACE);
    flow(handle_, FT_FLOW_NONE, 0, 0);
    purge(handle_, FT_PURGE_RX | FT_PURGE_TX);
    timeouts(handle_, 1, 384);
    notify(handle_, FT_EVENT_RXCHAR, receiveEvent_->NativeHandle());
    latency(handle_, 2);
    restart(handle_);
    configured_ = 1;
}

void UsbLink::Trace(const char* text) {
    if (trace_) std::fputs(text, trace_);
}

void UsbLink::ReportFailure() {
    // Once per failure: a link that has failed stays failed until it is opened again. A probe's
    // failure is the probe's answer (no unit there), not a lost link: the main window would ask
    // about a reconnect over a scan or a start-up that no poll thread serves yet.
    if (failed_.exchange(1) != 0) return;
    if (notifier_ && !probing_) notifier_->Post(kMsgLinkFailed, 1, 0);
}

bool UsbLink::SwitchParity(int mode) {
    std::lock_guard<std::mutex> g(parityLock_);
    auto data = Entry<FT_SetDataCharacteristics_t>(kFT_SetDataCharacteristics);
    for (int attempt = 0; attempt < kParityTries; ++attempt) {
        if (data && data(handle_, FT_BITS_8, FT_STOP_BITS_1,
                         mode ? FT_PARITY_MARK : FT_PARITY_SPACE) == FT_OK) {
            // Only now is the line in that mode; a failed switch must not make the next write
            // with the same flag skip the switch and go out with the wrong parity.
            lineMode_ = mode;
            return true;
        }
        sleeper_.SleepMs(kParityRetryMs);
    }
    if (notifier_ && errorReporting_.load()) ReportFailure();
    return false;
}

// A chunk that moves nothing is tried again, up to 2048 times (a driver that fails a call does so
// at once), and, with error reporting on, only until the write has made no progress for
// kStallLimitMs: a stalled unit lets every call wait out the port's 384 ms write time-out, and
// the count alone held the poll thread, and the program's exit that waits for it, for some
// thirteen minutes. The program's stop (the link's cancel flag) ends such a write after the chunk
// in progress, and marks the line failed without a notice, so that the disconnect sent on the way
// out does not stall once more for each of its writes. With error reporting off (a firmware image,
// whose unit may hold the line while it writes its flash) the count is the only bound.
int UsbLink::Write(const uint8_t* bytes, size_t n, bool addressByte) {
    if (!open_.load()) return 0;
    if (failed_.load() && errorReporting_.load()) return 0;
    const int mode = addressByte ? 1 : 0;
    if (mode != lineMode_ && !SwitchParity(mode)) return 0;

    auto write = Entry<FT_Write_t>(kFT_Write);
    auto status = Entry<FT_GetStatus_t>(kFT_GetStatus);
    size_t done = 0;
    int failures = 0;
    uint64_t lastProgress = clock_.NowMs();
    while (done < n) {
        const FT_DWORD chunk = static_cast<FT_DWORD>(std::min(kWriteChunk, n - done));
        FT_DWORD written = 0;
        const FT_STATUS st = write ? write(handle_, const_cast<uint8_t*>(bytes + done), chunk,
                                           &written)
                                   : FT_INVALID_HANDLE;
        if (st == FT_OK && written == chunk) {
            done += chunk;
            lastProgress = clock_.NowMs();
            continue;
        }
        Trace(" - ");
        FT_DWORD rx = 0, tx = 0, events = 0;
        if (status && status(handle_, &rx, &tx, &events) == FT_OK) Trace(" + ");
        if (st == FT_OK && written > 0 && written < chunk) {
            done += written;  // a short write goes on from where it stopped
            lastProgress = clock_.NowMs();
            continue;
        }
        // A failed call, or one that took nothing (a stalled device lets the write time-out pass
        // with nothing written).
        if (cancel_ && cancel_->load() != 0) {
            failed_.store(1);
            return 0;
        }
        ++failures;
        const bool reporting = errorReporting_.load() != 0;
        const bool stalled = clock_.NowMs() - lastProgress >= kStallLimitMs;
        if (failures >= kMaxChunkFailures || (reporting && stalled)) {
            if (reporting) ReportFailure();
            return 0;
        }
    }
    return 1;
}

void UsbLink::Close() {
    if (deviceNumber_ < 0 || !open_.load() || handle_ == InvalidHandle()) return;
    stopEvent_->Set();
    if (receiver_.joinable()) receiver_.join();
    configured_ = 0;
    auto purge = Entry<FT_Purge_t>(kFT_Purge);
    auto close = Entry<FT_Close_t>(kFT_Close);
    if (purge) purge(handle_, FT_PURGE_RX | FT_PURGE_TX);
    if (close) close(handle_);
    // The events outlive the handle: the driver may signal the receive event until FT_Close.
    stopEvent_->Reset();
    receiveEvent_->Reset();
    ResetIdentity();
}

// --- receiving -------------------------------------------------------------------------------

int UsbLink::ReceiveThreadStart(UsbLink* link) {
    if (!link) return 0;
    link->ReceiveLoop();
    return 16;
}

void UsbLink::ReceiveLoop() {
    std::vector<uint8_t> area(kReceiveBufferSize, 0);
    ListSink sink(*this);
    for (;;) {
        const size_t which = os::WaitAny(*stopEvent_, *receiveEvent_);
        if (flags_.clearRequest.exchange(0) != 0) {
            std::memset(area.data(), 0, 1025);
            buffer_.Clear();
        }
        if (which == 0) return;
        ReadAvailable(area, sink);
        receiverIdle_.fetch_add(1);
    }
}

bool UsbLink::ReadAvailable(std::vector<uint8_t>& area, ListSink& sink) {
    auto status = Entry<FT_GetStatus_t>(kFT_GetStatus);
    auto read = Entry<FT_Read_t>(kFT_Read);
    if (!status || !read) return false;
    FT_DWORD queued = 0, tx = 0, events = 0;
    if (status(handle_, &queued, &tx, &events) != FT_OK || queued == 0) return false;
    size_t t = 0;
    for (;;) {
        if (t == area.size()) {
            // The read area is full: hand over what it holds before reading on, rather than
            // reading past its end.
            buffer_.Accept(area.data(), t, flags_, sink);
            t = 0;
        }
        const FT_DWORD want =
            static_cast<FT_DWORD>(std::min<size_t>(queued, area.size() - t));
        FT_DWORD got = 0;
        if (read(handle_, area.data() + t, want, &got) != FT_OK) break;
        if (got > 0) {
            t += std::min(got, want);
            continue;
        }
        if (status(handle_, &queued, &tx, &events) != FT_OK || queued == 0) break;
        Trace(" * ");
    }
    if (t > 0) buffer_.Accept(area.data(), t, flags_, sink);
    return true;
}

void UsbLink::ParseReceived() {
    ListSink sink(*this);
    buffer_.Parse(flags_.gateClosed, sink);
}

void UsbLink::SetReceiveGate(int closed) {
    closed = closed != 0 ? 1 : 0;
    if (flags_.gateClosed.load() == closed) return;
    flags_.clearRequest.store(1);
    flags_.gateClosed.store(closed);
    // Gives the receiver time to see the new gate before the caller sends.
    sleeper_.SleepMs(kGateSettleMs);
}

// The one rule for every reply wait of the program. A queued reply is taken first; after each
// 15 ms poll without one the wait gives up when there is no point in going on: its time-out is
// spent, its caller or the program (going offline, ending) cancelled it, or the unit cannot answer
// any more because the link is closed, has failed, or the driver no longer knows the handle (the
// unit was unplugged after the request went out, so no write noticed). Without that last check an
// unplugged unit would hold a FINALIZE for two minutes and each read-back attempt for half of one.
int UsbLink::WaitResponse(uint8_t command, uint8_t* out, size_t size, int timeoutMs, bool remove,
                          const std::atomic<int>* cancel) {
    int polls = timeoutMs / static_cast<int>(kPollMs);
    if (polls < 1) polls = 1;
    const size_t minimum = MinimumReplyLength(command);
    auto status = Entry<FT_GetStatus_t>(kFT_GetStatus);
    for (;;) {
        {
            std::lock_guard<std::mutex> g(listLock_);
            for (auto it = frames_.begin(); it != frames_.end(); ++it) {
                const Frame& f = it->bytes;
                if (f.size() <= 4 || f[4] != command || f.size() < minimum) continue;
                if (!out) return 1;
                std::memset(out, 0, size);
                std::memcpy(out, f.data(), std::min(size, f.size()));
                if (remove) frames_.erase(it);
                return 1;
            }
        }
        sleeper_.SleepMs(kPollMs);
        --polls;
        if (timeoutMs != -1 && polls < 1) return 0;
        if (cancel && cancel->load() != 0) return 0;
        if (cancel_ && cancel_->load() != 0) return 0;
        if (!open_.load() || failed_.load()) return 0;
        FT_DWORD rx = 0, tx = 0, events = 0;
        if (!status || status(handle_, &rx, &tx, &events) != FT_OK) {
            // The unit is gone: no later write may pretend otherwise, and the user hears of it
            // once, as of a write that gave up.
            if (errorReporting_.load()) ReportFailure();
            return 0;
        }
    }
}

std::optional<ReceivedFrame> UsbLink::FindFrame(uint8_t command) const {
    std::lock_guard<std::mutex> g(listLock_);
    for (const ReceivedFrame& f : frames_)
        if (f.bytes.size() > 4 && f.bytes[4] == command) return f;
    return std::nullopt;
}

bool UsbLink::RemoveFrame(uint64_t id) {
    std::lock_guard<std::mutex> g(listLock_);
    for (auto it = frames_.begin(); it != frames_.end(); ++it) {
        if (it->id == id) {
            frames_.erase(it);
            return true;
        }
    }
    return false;
}

void UsbLink::ClearReceived() {
    std::lock_guard<std::mutex> g(listLock_);
    frames_.clear();
}

std::vector<ReceivedFrame> UsbLink::ReceivedFrames() const {
    std::lock_guard<std::mutex> g(listLock_);
    return {frames_.begin(), frames_.end()};
}

size_t UsbLink::ReceivedCount() const {
    std::lock_guard<std::mutex> g(listLock_);
    return frames_.size();
}

// --- exchanges -------------------------------------------------------------------------------

int UsbLink::Handshake(int timeoutMs) {
    SetReceiveGate(0);
    flags_.helloWait.store(1);
    uint8_t hello[6];
    int answered = 0;
    if (WaitResponse(static_cast<uint8_t>(DeviceCommand::Hello), hello, sizeof(hello), timeoutMs,
                     true, nullptr)) {
        Send(BuildSimpleFrame(kNodeAccessory, DeviceCommand::HelloAnswer));
        answered = 1;
    }
    flags_.helloWait.store(0);
    SetReceiveGate(1);  // no pause when the receiver already closed it on seeing the hello
    ClearReceived();
    return answered;
}

int UsbLink::Identify() {
    flags_.helloWait.store(0);
    SetReceiveGate(0);
    Send(BuildSimpleFrame(kNodeDsp, DeviceCommand::Identify));
    uint8_t reply[kIdentifyReplyLength];
    // The version lies in bytes 9..12: a shorter reply has lost some of it (its byte 12 would be
    // the checksum) and is no reply, rather than a unit of firmware 0.x refused as too old.
    const int got = WaitResponse(static_cast<uint8_t>(DeviceCommand::IdentifyReply), reply,
                                 sizeof(reply), kIdentifyTimeoutMs, true, nullptr) &&
                    GetU16BE(reply + 2) >= kIdentifyReplyLength;
    const int identifiedBefore = identified_;
    if (got) {
        if (PayloadByte(reply, 5) == 0xFF && PayloadByte(reply, 6) == 0xFF &&
            PayloadByte(reply, 7) == 0xFF && PayloadByte(reply, 8) == 0xFF)
            blankUnit_ = 1;
        blankCopy_ = blankUnit_;
        for (size_t i = 0; i < 4; ++i) firmwareVersion_[i] = PayloadByte(reply, 9 + i);
        identifyDone_ = 1;
    }
    if (notifier_) {
        const uint32_t version = got ? GetU32LE(firmwareVersion_.data()) : 0;
        notifier_->Post(kMsgIdentified, version,
                        blankUnit_ + 2 * helloAnswered_ + 4 * identifiedBefore);
    }
    return got;
}

int UsbLink::CheckFirmwareVersion(LinkNotifier* owner, int major, int minor) {
    if (blankUnit_ || !identifyDone_) return 1;
    switch (CompareFirmwareVersion(firmwareVersion_[3], firmwareVersion_[2], major, minor)) {
        case FirmwareVerdict::Accept:
            return 1;
        case FirmwareVerdict::DeviceNewer:
            if (owner) owner->ShowMessageBox(kFirmwareBoxTitle, kFirmwareNewerText);
            return 0;
        case FirmwareVerdict::DeviceOlder:
            if (owner) owner->ShowMessageBox(kFirmwareBoxTitle, kFirmwareOlderText);
            return 0;
    }
    return 0;
}

int UsbLink::QueryCommand13() {
    sleeper_.SleepMs(1000);
    Send(BuildSimpleFrame(kNodeAccessory, DeviceCommand::RemoteVersionQuery));
    uint8_t reply[8];
    if (!WaitResponse(static_cast<uint8_t>(DeviceCommand::RemoteVersionReply), reply,
                      sizeof(reply), 1000, true, nullptr))
        return 0;
    return PayloadByte(reply, 5) | (PayloadByte(reply, 6) << 8);
}

int UsbLink::QueryCommand92() {
    sleeper_.SleepMs(1500);
    Send(BuildSimpleFrame(kNodeDsp, DeviceCommand::ReadAllRequest));
    uint8_t reply[8];
    if (!WaitResponse(static_cast<uint8_t>(DeviceCommand::ReadAllDone), reply, 7, 30000, true,
                      nullptr))
        return 0;
    return PayloadByte(reply, 5);
}

int UsbLink::SendCommand35() {
    const Frame first = BuildSimpleFrame(kNodeLevel, DeviceCommand::Disconnect);
    if (first.empty()) {
        sleeper_.SleepMs(250);
        return 0;
    }
    Send(first);
    sleeper_.SleepMs(250);
    Send(BuildSimpleFrame(kNodeAccessory, DeviceCommand::Disconnect));
    sleeper_.SleepMs(250);
    return 1;
}

int UsbLink::Probe(DeviceProbeInfo& info) {
    info.found = info.identified = info.helloAnswered = info.blankUnit = 0;
    probing_ = true;
    const int opened = Open(info.deviceNumber);
    probing_ = false;
    if (!opened) return 0;
    info.found = 1;
    info.identified = identified_ ? 1 : 0;
    info.helloAnswered = helloAnswered_ ? 1 : 0;
    info.blankUnit = blankCopy_ ? 1 : 0;
    Close();
    return info.identified;
}

}  // namespace devlink
