// Device frames: layout, checksum, the command index and the one way every sender puts a frame
// on the line.
//
//   [0] destination  [1] source  [2..3] total length L (big-endian)  [4] command
//   [5 .. L-2] payload  [L-1] checksum = sum of bytes 0..L-2 modulo 256
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "os/time.h"

namespace devlink {

using Frame = std::vector<uint8_t>;

// Node addresses.
constexpr uint8_t kNodePc = 'Z';          // 0x5A, the PC; the source of every frame it sends
constexpr uint8_t kNodeDsp = 'F';         // 0x46, the DSP unit; receives nearly every command
constexpr uint8_t kNodeAccessory = 0x80;  // the remote-control accessory node
constexpr uint8_t kNodeLevel = 0x00;      // the level node

constexpr size_t kFrameHeaderSize = 5;    // destination, source, length, command
constexpr size_t kMinFrameLength = 6;     // header and checksum, no payload
constexpr size_t kMaxFrameLength = 0xFFFF;
// A received crossover frame of this length is a live equaliser curve, not a crossover.
constexpr size_t kLiveEqCurveLength = 131;

enum class DeviceCommand : uint8_t {
    MasterLevel = 0x0A,
    ExtraLevel = 0x0D,
    PresetNotice = 0x0F,
    Hello = 0x11,
    HelloAnswer = 0x12,
    RemoteVersionQuery = 0x13,
    RemoteVersionReply = 0x14,
    OutputMap = 0x18,
    Disconnect = 0x35,
    ChannelEq = 0x73,
    Crossover = 0x74,
    Delay = 0x75,
    EqOff = 0x76,
    EqLink = 0x77,
    EqBandMask = 0x78,
    MuteMask = 0x79,
    SourceSelect = 0x7A,
    SourceEq = 0x7B,
    PresetSelect = 0x7D,
    ChannelLevel = 0x7E,
    LevelsRequest = 0x7F,
    OutputDetect = 0x83,
    OutputDetectStatus = 0x84,
    InputDetect = 0x85,
    InputDetectStatus = 0x86,
    DynEqStart = 0x87,
    DynEqStop = 0x88,
    SourceSensitivity = 0x89,
    DynEqCurve = 0x8A,
    DynEqMode = 0x8B,
    ReadAllRequest = 0x92,
    ReadAllDone = 0x93,
    DynEqLevel = 0x94,
    DynEqSwitch = 0x95,
    ListeningPoints = 0x96,
    WizardBegin = 0xA2,
    InputConfig = 0xA3,
    Routing = 0xA4,
    StoreBegin = 0xA5,
    StoreEnd = 0xA6,
    SourceFlags = 0xAA,
    WizardEnd = 0xB2,
    FirmwareBlock = 0xC8,
    Finalize = 0xC9,
    FirmwareEnd = 0xCA,
    UpdateResult = 0xCB,
    Identify = 0xCC,
    IdentifyReply = 0xCD,
    WorkingMode = 0xCF,
    ResetSettings = 0xD6,
    DiagnosticsDump = 0xD7,
};

// How the length of a frame of one direction is fixed.
enum class LengthRule : uint8_t {
    None,           // the command does not travel in this direction
    Exact,          // L == length
    AtLeast,        // L >= length
    UpTo,           // L <= length
    PerSection,     // L == 20 n + 23 for n crossover sections; length holds 23
    PerSectionOrCurve,  // as PerSection, or the 131-byte live equaliser curve
    FirmwareBlock,  // 14 for the begin block, n + 10 for a data block of n bytes; length holds 14
};

struct LengthSpec {
    LengthRule rule;
    uint16_t length;
};

struct CommandInfo {
    DeviceCommand command;
    const char* name;
    LengthSpec out;   // PC to device
    LengthSpec in;    // device to PC
    uint8_t node;     // destination of an outgoing frame, sender of an incoming one
    int16_t secondNode;  // Disconnect goes to the level node, then to the accessory node; else -1
};

// The index of every command byte, in ascending order.
extern const CommandInfo kCommandTable[];
extern const size_t kCommandCount;

// The entry of a command byte, or nullptr for a byte that is no command.
const CommandInfo* FindCommand(uint8_t command);

// True when a frame of length L of that command may travel in that direction.
bool LengthAllowed(const LengthSpec& spec, size_t length);

// Sum of n bytes modulo 256.
uint8_t FrameChecksum(const uint8_t* bytes, size_t n);
// True when byte n equals the checksum of the n bytes before it (the receive path passes L - 1).
bool FrameChecksumValid(const uint8_t* bytes, size_t n);

// A zero-filled frame of total length L with its header written; the caller fills the payload
// and then calls SealFrame. L below 6 or above 65535 gives an empty frame (nothing to send).
Frame NewFrame(uint8_t destination, DeviceCommand command, size_t length);
// Writes the checksum into the last byte.
void SealFrame(Frame& frame);
// A complete frame without payload (6 bytes) to a node.
Frame BuildSimpleFrame(uint8_t destination, DeviceCommand command);

// The wizard-end message: payload 0 when the wizard was completed (completed non-zero), 1 when
// it was aborted.
Frame BuildCommandB2Message(int completed);

// Pauses after a write: 75 ms for the data blocks of a firmware upload, else 25 ms after a write
// of fewer than 2 bytes and 45 ms otherwise.
void WaitAfterSend(os::Sleeper& sleeper, size_t length, int firmware);

// What the link offers the frame code: write n bytes, either as the address byte (MARK parity)
// or as data (SPACE parity). Returns the number of bytes written.
class FrameWriter {
public:
    virtual ~FrameWriter() = default;
    virtual int Write(const uint8_t* bytes, size_t n, bool addressByte) = 0;
};

enum class Pacing : uint8_t { Normal, FirmwareData };

// The one send function: the first byte alone as the address byte, a pause, the rest as data,
// a pause chosen by the whole frame's length. An empty frame sends nothing. The results of the
// writes are not examined here: the link reports its own failures, and no frame is sent twice.
class FrameSender {
public:
    FrameSender(FrameWriter& writer, os::Sleeper& sleeper) : writer_(writer), sleeper_(sleeper) {}

    void Send(const Frame& frame, Pacing pacing = Pacing::Normal) const;

    // Builds the frame while holding the lock of the data it carries, releases the lock and only
    // then writes, so that no lock is held across the pauses.
    template <class Lock, class Builder>
    void SendLocked(Lock& lock, Builder&& build, Pacing pacing = Pacing::Normal) const {
        Frame frame;
        {
            std::lock_guard<Lock> guard(lock);
            frame = build();
        }
        Send(frame, pacing);
    }

    FrameWriter& writer() const { return writer_; }
    os::Sleeper& sleeper() const { return sleeper_; }

private:
    FrameWriter& writer_;
    os::Sleeper& sleeper_;
};

}  // namespace devlink
