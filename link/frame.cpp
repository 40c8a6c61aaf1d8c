#include "link/frame.h"

#include "link/bytes.h"

namespace devlink {
namespace {

constexpr LengthSpec kNone{LengthRule::None, 0};
constexpr LengthSpec Exact(uint16_t n) { return {LengthRule::Exact, n}; }
constexpr LengthSpec AtLeast(uint16_t n) { return {LengthRule::AtLeast, n}; }

using C = DeviceCommand;

}  // namespace

const CommandInfo kCommandTable[] = {
    {C::MasterLevel, "MasterLevel", Exact(7), kNone, kNodeLevel, -1},
    {C::ExtraLevel, "ExtraLevel", Exact(7), kNone, kNodeLevel, -1},
    {C::PresetNotice, "PresetNotice", Exact(7), kNone, kNodeAccessory, -1},
    {C::Hello, "Hello", kNone, Exact(6), kNodeAccessory, -1},
    {C::HelloAnswer, "HelloAnswer", Exact(6), kNone, kNodeAccessory, -1},
    {C::RemoteVersionQuery, "RemoteVersionQuery", Exact(6), kNone, kNodeAccessory, -1},
    {C::RemoteVersionReply, "RemoteVersionReply", kNone, AtLeast(7), kNodeAccessory, -1},
    {C::OutputMap, "OutputMap", Exact(15), kNone, kNodeLevel, -1},
    {C::Disconnect, "Disconnect", Exact(6), kNone, kNodeLevel, kNodeAccessory},
    {C::ChannelEq, "ChannelEq", Exact(138), Exact(138), kNodeDsp, -1},
    {C::Crossover, "Crossover", {LengthRule::PerSection, 23}, {LengthRule::PerSectionOrCurve, 23},
     kNodeDsp, -1},
    {C::Delay, "Delay", Exact(16), Exact(16), kNodeDsp, -1},
    {C::EqOff, "EqOff", Exact(9), kNone, kNodeDsp, -1},
    {C::EqLink, "EqLink", Exact(9), kNone, kNodeDsp, -1},
    {C::EqBandMask, "EqBandMask", Exact(12), kNone, kNodeDsp, -1},
    {C::MuteMask, "MuteMask", Exact(7), kNone, kNodeDsp, -1},
    {C::SourceSelect, "SourceSelect", Exact(7), Exact(7), kNodeDsp, -1},
    {C::SourceEq, "SourceEq", Exact(136), Exact(140), kNodeDsp, -1},
    {C::PresetSelect, "PresetSelect", Exact(7), Exact(7), kNodeDsp, -1},
    {C::ChannelLevel, "ChannelLevel", Exact(9), Exact(41), kNodeDsp, -1},
    {C::LevelsRequest, "LevelsRequest", Exact(6), AtLeast(6), kNodeDsp, -1},
    {C::OutputDetect, "OutputDetect", Exact(6), kNone, kNodeDsp, -1},
    {C::OutputDetectStatus, "OutputDetectStatus", kNone, AtLeast(6), kNodeDsp, -1},
    {C::InputDetect, "InputDetect", Exact(6), kNone, kNodeDsp, -1},
    {C::InputDetectStatus, "InputDetectStatus", kNone, AtLeast(6), kNodeDsp, -1},
    {C::DynEqStart, "DynEqStart", Exact(7), kNone, kNodeDsp, -1},
    {C::DynEqStop, "DynEqStop", Exact(7), kNone, kNodeDsp, -1},
    {C::SourceSensitivity, "SourceSensitivity", Exact(11), kNone, kNodeDsp, -1},
    {C::DynEqCurve, "DynEqCurve", Exact(131), Exact(132), kNodeDsp, -1},
    {C::DynEqMode, "DynEqMode", Exact(8), Exact(11), kNodeDsp, -1},
    {C::ReadAllRequest, "ReadAllRequest", Exact(6), kNone, kNodeDsp, -1},
    {C::ReadAllDone, "ReadAllDone", kNone, AtLeast(6), kNodeDsp, -1},
    {C::DynEqLevel, "DynEqLevel", Exact(9), kNone, kNodeDsp, -1},
    {C::DynEqSwitch, "DynEqSwitch", Exact(7), kNone, kNodeDsp, -1},
    {C::ListeningPoints, "ListeningPoints", Exact(7), Exact(7), kNodeDsp, -1},
    {C::WizardBegin, "WizardBegin", Exact(7), kNone, kNodeDsp, -1},
    {C::InputConfig, "InputConfig", Exact(20), Exact(20), kNodeDsp, -1},
    {C::Routing, "Routing", Exact(46), Exact(46), kNodeDsp, -1},
    {C::StoreBegin, "StoreBegin", Exact(6), kNone, kNodeDsp, -1},
    {C::StoreEnd, "StoreEnd", Exact(6), kNone, kNodeDsp, -1},
    {C::SourceFlags, "SourceFlags", Exact(11), kNone, kNodeDsp, -1},
    {C::WizardEnd, "WizardEnd", Exact(7), kNone, kNodeDsp, -1},
    {C::FirmwareBlock, "FirmwareBlock", {LengthRule::FirmwareBlock, 14}, kNone, kNodeDsp, -1},
    {C::Finalize, "Finalize", Exact(6), kNone, kNodeDsp, -1},
    {C::FirmwareEnd, "FirmwareEnd", Exact(6), kNone, kNodeDsp, -1},
    {C::UpdateResult, "UpdateResult", kNone, Exact(9), kNodeDsp, -1},
    {C::Identify, "Identify", Exact(6), kNone, kNodeDsp, -1},
    {C::IdentifyReply, "IdentifyReply", kNone, AtLeast(13), kNodeDsp, -1},
    {C::WorkingMode, "WorkingMode", Exact(7), Exact(7), kNodeDsp, -1},
    {C::ResetSettings, "ResetSettings", Exact(6), kNone, kNodeDsp, -1},
    {C::DiagnosticsDump, "DiagnosticsDump", Exact(6), {LengthRule::UpTo, 802}, kNodeDsp, -1},
};
const size_t kCommandCount = sizeof(kCommandTable) / sizeof(kCommandTable[0]);

const CommandInfo* FindCommand(uint8_t command) {
    for (size_t i = 0; i < kCommandCount; ++i)
        if (static_cast<uint8_t>(kCommandTable[i].command) == command) return &kCommandTable[i];
    return nullptr;
}

bool LengthAllowed(const LengthSpec& spec, size_t length) {
    if (length < kMinFrameLength || length > kMaxFrameLength) return false;
    switch (spec.rule) {
        case LengthRule::None: return false;
        case LengthRule::Exact: return length == spec.length;
        case LengthRule::AtLeast: return length >= spec.length;
        case LengthRule::UpTo: return length <= spec.length;
        case LengthRule::PerSection: return length >= spec.length && (length - spec.length) % 20 == 0;
        case LengthRule::PerSectionOrCurve:
            return length == kLiveEqCurveLength ||
                   (length >= spec.length && (length - spec.length) % 20 == 0);
        case LengthRule::FirmwareBlock: return length >= 10;
    }
    return false;
}

uint8_t FrameChecksum(const uint8_t* bytes, size_t n) {
    uint32_t sum = 0;
    for (size_t i = 0; i < n; ++i) sum += bytes[i];
    return static_cast<uint8_t>(sum & 0xFF);
}

bool FrameChecksumValid(const uint8_t* bytes, size_t n) {
    return bytes != nullptr && bytes[n] == FrameChecksum(bytes, n);
}

Frame NewFrame(uint8_t destination, DeviceCommand command, size_t length) {
    if (length < kMinFrameLength || length > kMaxFrameLength) return {};
    Frame f(length, 0);
    f[0] = destination;
    f[1] = kNodePc;
    PutU16BE(&f[2], static_cast<uint16_t>(length));
    f[4] = static_cast<uint8_t>(command);
    return f;
}

void SealFrame(Frame& frame) {
    if (frame.empty()) return;
    frame.back() = FrameChecksum(frame.data(), frame.size() - 1);
}

Frame BuildSimpleFrame(uint8_t destination, DeviceCommand command) {
    Frame f = NewFrame(destination, command, kMinFrameLength);
    SealFrame(f);
    return f;
}

Frame BuildCommandB2Message(int completed) {
    Frame f = NewFrame(kNodeDsp, DeviceCommand::WizardEnd, 7);
    f[5] = completed == 0 ? 1 : 0;
    SealFrame(f);
    return f;
}

void WaitAfterSend(os::Sleeper& sleeper, size_t length, int firmware) {
    if (firmware != 0)
        sleeper.SleepMs(75);
    else
        sleeper.SleepMs(length < 2 ? 25 : 45);
}

void FrameSender::Send(const Frame& frame, Pacing pacing) const {
    if (frame.empty()) return;
    const int firmware = pacing == Pacing::FirmwareData ? 1 : 0;
    writer_.Write(frame.data(), 1, true);
    WaitAfterSend(sleeper_, 1, firmware);
    if (frame.size() > 1) writer_.Write(frame.data() + 1, frame.size() - 1, false);
    // The second pause follows the whole frame's length, not the bytes of the second write.
    WaitAfterSend(sleeper_, frame.size(), firmware);
}

}  // namespace devlink
