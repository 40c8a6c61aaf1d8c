// A simulated Darvix: one unit on the FTDI bridge, seen from the line.
//
// It takes the bytes the PC writes with the parity in force at the time (MARK marks an address
// byte, the 9th bit of the bus), cuts them into frames at each address byte, checks length and
// checksum, records a time-stamped trace (frames both ways, parity switches, pacing gaps shorter
// than the device needs) and answers through a table of command handlers that later parts of the
// simulation extend (the tuning store plugs in there). Its replies are queued with the time they
// reach the PC, so delivery can be instant or at the line rate, in chunks of any size.
//
// All of it runs on an injected clock: with a manual clock a test steps time and nothing waits.
// Not thread-safe by itself: the Bus that owns the units serialises every call.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "link/frame.h"
#include "os/time.h"
#include "sim/source_store.h"

namespace sim {

using devlink::Frame;

enum class HelloMode {
    UntilAnswered,          // from each open on, repeated until 0x12 comes
    SilentUntilDisconnect,  // as above, but once answered silent (also across opens) until 0x35
                            // reaches the accessory node
    Never,                  // the accessory never says hello
};

enum class ReadAllOutcome { Complete, Incomplete, None };

enum class Delivery {
    Instant,   // a reply reaches the PC whole, replyDelayMs after the request
    LineRate,  // 38400 baud, 11 bits a byte: about 3.5 bytes a millisecond
};

struct UnitConfig {
    std::string description = "Darvix";
    std::string serial = "DX000001";
    uint32_t locationId = 0x0111;
    uint32_t deviceType = 5;        // the bridge chip as the driver reports it
    uint32_t deviceId = 0x04036001; // vendor and product id

    bool accessory = true;          // the remote-control accessory (node 0x80) is attached
    HelloMode hello = HelloMode::UntilAnswered;
    uint32_t helloDelayMs = 50;     // after the open, before the first hello
    uint32_t helloRepeatMs = 400;

    bool blank = false;             // identifies with FF FF FF FF and a zero version
    std::array<uint8_t, 4> unitId{0x01, 0x02, 0x03, 0x04};
    // Identify reply bytes 9..12: byte 12 major, 11 minor; 1.5.15.161 by default.
    std::array<uint8_t, 4> firmware{161, 15, 5, 1};
    // From the identify reply number laterFirmwareAfter on (0-based; -1 never) the unit reports
    // laterFirmware instead: a unit whose firmware differs at a later open than at the first.
    int laterFirmwareAfter = -1;
    std::array<uint8_t, 4> laterFirmware{0, 0, 0, 0};
    uint16_t accessoryVersion = 0x0205;  // low byte major, high byte minor (5.02)
    ReadAllOutcome readAll = ReadAllOutcome::Complete;
    uint16_t finalizeResult = 1;    // the low half of FINALIZE's result word (1: success)
    uint8_t clipMask = 0;           // the outputs whose clip indicators the level store reports lit
    uint32_t finalizeDelayMs = 0;   // FINALIZE's result comes this much later than other replies
    uint8_t preset = 0;             // the current preset (0..3) before the PC selects one
    uint8_t workingMode = 1;        // 1 Standard, 0 Expert, before the PC sets one

    uint32_t replyDelayMs = 5;      // from the end of a request to the reply
    Delivery delivery = Delivery::Instant;
    size_t chunkSize = 0;           // a reply reaches the PC in pieces of this many bytes (0: whole)
    uint32_t chunkGapMs = 1;        // between the pieces
    uint32_t pacingToleranceMs = 0; // gaps shorter than required by more than this are flagged
    uint32_t arriveAfterMs = 0;     // listed only from this long after the driver starts (0: at once)
    SourceOptions sources;          // the external sources' state before the PC sends any
};

// Which calls of one driver operation fail: from call number `after` (0-based) on, `count` of them.
struct CallFault {
    int64_t after = -1;  // -1: none
    int64_t count = std::numeric_limits<int64_t>::max();
    bool Hits(uint64_t call) const {
        return after >= 0 && static_cast<int64_t>(call) >= after &&
               static_cast<int64_t>(call) - after < count;
    }
    static CallFault Always() { return {0}; }
    static CallFault From(int64_t first, int64_t n = std::numeric_limits<int64_t>::max()) {
        return {first, n};
    }
};

struct Faults {
    // The bridge.
    bool openFails = false;
    CallFault writeFails;          // FT_Write returns an error
    CallFault writeTakesNothing;   // FT_Write succeeds with 0 bytes written (a stalled device)
    // The two write faults above start only once a frame of this command has come in (-1: at
    // once): a unit that stalls from some point of a session on.
    int writeFaultAfterCommand = -1;
    size_t writeLimit = 0;         // FT_Write takes at most this many bytes a call (0: all)
    CallFault parityFails;         // FT_SetDataCharacteristics returns an error
    CallFault readFails;           // FT_Read returns an error
    CallFault statusFails;         // FT_GetStatus returns an error
    int unplugAfterFrames = -1;    // the unit vanishes when this many frames have come in
    int unplugOnCommand = -1;      // the unit vanishes when a frame of this command comes in
    // The unit vanishes when unplugAfterCount more frames have come in after one of command
    // unplugAfterCommand (0: with that frame), midway through a write, say.
    int unplugAfterCommand = -1;
    int unplugAfterCount = 0;
    int readAllFailures = 0;       // the first this many read-alls end incomplete

    // The replies (not the hello). A reply fault applies to every reply, or only to the replies of
    // replyCommand when it is set.
    int replyCommand = -1;
    bool noReplies = false;
    std::set<uint8_t> noReplyTo;   // request commands left unanswered
    uint32_t lateReplyMs = 0;      // added to the reply delay
    bool badChecksum = false;
    std::vector<uint8_t> garbageBefore;  // bytes sent just before the reply
    size_t truncateTo = 0;         // only the first n bytes go out (0: all)
    size_t shortenTo = 0;          // the reply is cut to n bytes, length and checksum made to match
};

enum class TraceKind {
    FromPc,        // a complete frame the unit received
    ToPc,          // a frame (or piece of bytes) the unit sent
    ParitySwitch,  // the PC changed the parity; bytes holds the new parity
    BadInput,      // bytes that make no frame: stray data, an interrupted frame, a bad length
    Unplugged,
    Opened,        // the PC opened the unit
    Closed,        // the PC closed it
};

struct TraceEntry {
    uint64_t timeMs;
    TraceKind kind;
    Frame bytes;
    bool checksumOk = true;
    bool lengthOk = true;   // the length suits the command (out direction) and its node
    std::string note;
};

struct PacingViolation {
    uint64_t timeMs;
    uint32_t gapMs;
    uint32_t requiredMs;
    bool beforeData;  // true: between the address byte and the rest; false: before the address byte
    Frame frame;      // the frame whose pacing was short
};

struct LineSettings {
    uint32_t baud = 0;
    uint8_t wordLength = 0, stopBits = 0, parity = 0;
    uint16_t flow = 0;
    uint32_t readTimeoutMs = 0, writeTimeoutMs = 0;
    uint8_t latencyMs = 0;
    uint32_t eventMask = 0;
    bool inTaskStopped = false;
};

class SimUnit;
// A handler gets the unit and the request frame (length and checksum already checked).
using CommandHandler = std::function<void(SimUnit& unit, const Frame& request)>;

class SimUnit {
public:
    SimUnit(UnitConfig config, const os::Clock& clock);

    UnitConfig& config() { return config_; }
    const UnitConfig& config() const { return config_; }
    Faults& faults() { return faults_; }

    // --- the command table ---
    void SetHandler(uint8_t command, CommandHandler handler);
    void RemoveHandler(uint8_t command);
    // Adds frames streamed in answer to 0x92 before the closing 0x93 (each store's hook); the
    // streams go out in the order they were added.
    void AddReadAllStream(std::function<std::vector<Frame>(SimUnit&)> stream);
    // Replaces every stream with this one (a unit that streams only what a test gives it; its own
    // preset and working mode are then left out too).
    void SetReadAllStream(std::function<std::vector<Frame>(SimUnit&)> stream);
    // Called when the unit is told to reset its settings (0xD6): each store goes back to what a
    // unit from the factory holds.
    void AddResetHook(std::function<void()> hook);

    // The unit's own state: the current preset (0x7D) and the working mode (0xCF), kept from the
    // frames the PC sends and reported at the end of a read-all.
    uint8_t CurrentPreset() const { return preset_; }
    uint8_t WorkingMode() const { return workingMode_; }

    // --- what handlers call ---
    // Queues a reply to the PC after the reply delay (and extraDelayMs, the time the unit works
    // before it answers), with the reply faults applied.
    void Reply(const Frame& request, Frame reply, uint32_t extraDelayMs = 0);
    // Called at the end of every open by the PC (a plug-in whose state changes with a restart).
    void SetConnectHook(std::function<void(SimUnit&)> hook) { connectHook_ = std::move(hook); }
    // When set, only the commands it accepts reach their handlers (a unit in rescue answers few).
    void SetCommandFilter(std::function<bool(uint8_t command)> accept) { accept_ = std::move(accept); }
    // Queues bytes to the PC as they are, delayMs from now.
    void SendRaw(const Frame& bytes, uint32_t delayMs = 0);
    // 'Z', the sender node, length, command, payload, checksum.
    static Frame BuildReply(uint8_t sender, uint8_t command, const std::vector<uint8_t>& payload);

    // --- the session (called by the bus) ---
    void Connect();      // opened by the PC
    void Disconnect();   // closed by the PC: what was on its way is dropped
    bool connected() const { return connected_; }
    void Unplug();
    void Replug() { plugged_ = true; }
    // Unplugged now, back on the bus ms later (the bus looks at ReplugIfDue).
    void UnplugFor(uint32_t ms);
    // Unplugged ms from now, for good (a unit pulled out midway through an exchange).
    void UnplugAfter(uint32_t ms);
    // Carries out a due unplug or replug.
    void ReplugIfDue();
    bool plugged() const { return plugged_; }
    // Counts the unplugs: a handle opened before the last one is dead even once the unit is back.
    uint32_t plugGeneration() const { return plugGeneration_; }

    // The PC writes bytes with the current parity; the unit reads them at the clock's time.
    void ReceiveFromPc(const uint8_t* bytes, size_t n);
    void SetParity(uint8_t parity);
    uint8_t parity() const { return parity_; }
    LineSettings& line() { return line_; }
    // Moves bytes whose time has come into the PC's receive queue and says hello when due.
    // Returns the number of bytes that became readable.
    size_t Poll();
    std::deque<uint8_t>& rxQueue() { return rx_; }
    void PurgeToPc() { rx_.clear(); }
    bool HasPendingOutput() const { return !pending_.empty(); }

    // --- what tests look at ---
    const std::vector<TraceEntry>& trace() const { return trace_; }
    std::vector<Frame> FramesFromPc() const;
    std::vector<uint8_t> ParitySwitches() const;
    const std::vector<PacingViolation>& pacingViolations() const { return pacing_; }
    std::vector<size_t>& writeSizes() { return writeSizes_; }
    void ClearTrace();
    bool helloAnswered() const { return helloAnswered_; }
    int framesReceived() const { return framesReceived_; }

    // Whether the write faults apply yet (see Faults::writeFaultAfterCommand).
    bool WriteFaultArmed() const { return faults_.writeFaultAfterCommand < 0 || writeFaultArmed_; }

    // Call counters of the bridge operations that faults count.
    uint64_t writeCalls = 0, parityCalls = 0, readCalls = 0, statusCalls = 0;

private:
    void InstallDefaultHandlers();
    void FrameComplete();
    void Schedule(const Frame& bytes, uint64_t at);
    void Note(TraceKind kind, Frame bytes, std::string note);
    bool ReplyFaultApplies(uint8_t replyCommand) const;

    UnitConfig config_;
    Faults faults_;
    const os::Clock& clock_;
    std::map<uint8_t, CommandHandler> handlers_;
    std::vector<std::function<std::vector<Frame>(SimUnit&)>> readAllStreams_;
    bool ownStateInReadAll_ = true;
    std::vector<std::function<void()>> resetHooks_;
    uint8_t preset_ = 0;
    uint8_t workingMode_ = 1;
    std::function<void(SimUnit&)> connectHook_;
    std::function<bool(uint8_t)> accept_;
    int identifyReplies_ = 0;
    bool replugPending_ = false;
    uint64_t replugAt_ = 0;
    bool unplugPending_ = false;
    uint64_t unplugAt_ = 0;

    bool plugged_ = true;
    uint32_t plugGeneration_ = 0;
    bool connected_ = false;
    uint8_t parity_ = 0;
    LineSettings line_;

    // The frame being received.
    Frame incoming_;
    uint64_t addressAt_ = 0;
    uint64_t dataAt_ = 0;
    bool haveData_ = false;
    uint64_t lastFrameEndAt_ = 0;
    bool haveLastFrame_ = false;
    bool lastWasFirmwareData_ = false;
    int framesReceived_ = 0;
    int unplugCountdown_ = -1;  // frames still to come before the unit vanishes (-1: not counting)
    bool writeFaultArmed_ = false;

    // Towards the PC.
    struct Segment {
        uint64_t readyAt;  // when these bytes become readable
        Frame bytes;
    };
    std::deque<Segment> pending_;
    std::deque<uint8_t> rx_;
    uint64_t lineFreeAt_ = 0;

    bool helloAnswered_ = false;
    bool helloLatched_ = false;
    uint64_t nextHelloAt_ = 0;

    std::vector<TraceEntry> trace_;
    std::vector<PacingViolation> pacing_;
    std::vector<size_t> writeSizes_;
};

}  // namespace sim
