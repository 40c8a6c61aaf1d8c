#include "dialogs/dyn_eq_messages.h"

#include <cmath>

#include "dsp/gain.h"
#include "link/bytes.h"

namespace dialogs {

using devlink::DeviceCommand;
using devlink::Frame;

namespace {

Frame CurveByteFrame(DeviceCommand command, int curveIndex) {
    Frame f = devlink::NewFrame(devlink::kNodeDsp, command, kDynEqStartLength);
    f[5] = static_cast<uint8_t>(curveIndex + 1);
    devlink::SealFrame(f);
    return f;
}

bool IsCommand(const uint8_t* frame, size_t length, DeviceCommand command, size_t wanted) {
    return frame && length == wanted && frame[4] == static_cast<uint8_t>(command);
}

}  // namespace

Frame BuildDynEqStartMessage(int curveIndex) { return CurveByteFrame(DeviceCommand::DynEqStart, curveIndex); }

Frame BuildDynEqStopMessage(int curveIndex) { return CurveByteFrame(DeviceCommand::DynEqStop, curveIndex); }

Frame BuildDynEqModeMessage(int mode, int enable) {
    Frame f = devlink::NewFrame(devlink::kNodeDsp, DeviceCommand::DynEqMode, kDynEqModeSentLength);
    f[5] = static_cast<uint8_t>(mode);
    f[6] = static_cast<uint8_t>(enable);
    devlink::SealFrame(f);
    return f;
}

Frame BuildDynEqCurveMessage(int curveIndex, const float gainsDb[kDynEqBands]) {
    Frame f = devlink::NewFrame(devlink::kNodeDsp, DeviceCommand::DynEqCurve, kDynEqCurveSentLength);
    f[5] = static_cast<uint8_t>(curveIndex + 1);
    for (int i = 0; i < kDynEqBands; ++i)
        devlink::PutF32LE(&f[6 + 4 * i], static_cast<float>(dsp::DbToLinear(gainsDb[i])));
    devlink::SealFrame(f);
    return f;
}

Frame BuildDynEqLevelMessage(int curveIndex, float x, int flag) {
    Frame f = devlink::NewFrame(devlink::kNodeDsp, DeviceCommand::DynEqLevel, kDynEqLevelLength);
    f[5] = static_cast<uint8_t>(curveIndex + 1);
    const double v = 2.0 * (60.0 - static_cast<double>(x));
    // The byte saturates rather than wrapping: a wrapped byte would set the opposite volume.
    f[6] = !(v > 0.0) ? 0 : v >= 255.0 ? 255 : static_cast<uint8_t>(v);
    f[7] = static_cast<uint8_t>(flag);
    devlink::SealFrame(f);
    return f;
}

int DynEqLevelByte(float referenceDb) {
    if (!std::isfinite(referenceDb)) return -1;
    const double byte = std::trunc(2.0 * (static_cast<double>(referenceDb) + 60.0));
    // A reference far outside the byte's range (a damaged file) must not reach the int conversion,
    // which is undefined for values an int cannot hold.
    if (byte < 0.0) return -1;
    if (byte > 255.0) return 256;
    return static_cast<int>(byte);
}

std::optional<DynEqCurveReply> ParseDynEqCurveReply(const uint8_t* frame, size_t length) {
    if (!IsCommand(frame, length, DeviceCommand::DynEqCurve, kDynEqCurveReplyLength)) return std::nullopt;
    if (frame[5] != 1 && frame[5] != 2) return std::nullopt;
    DynEqCurveReply reply;
    reply.curve = frame[5] - 1;
    for (int i = 0; i < kDynEqBands; ++i) {
        double g = devlink::GetF32LE(frame + 6 + 4 * i);
        // A gain that is no number would poison the curve, the chart and every later file.
        if (!std::isfinite(g)) return std::nullopt;
        if (g < kDynEqGainFloor) g = kDynEqGainFloor;
        reply.gains[i] = static_cast<float>(dsp::LinearToDb(g));
        if (!DynEqGainFits(reply.gains[i])) return std::nullopt;
    }
    reply.reference = static_cast<float>(frame[130] * 0.5 - 60.0);
    return reply;
}

std::optional<DynEqModeReply> ParseDynEqModeReply(const uint8_t* frame, size_t length) {
    if (!IsCommand(frame, length, DeviceCommand::DynEqMode, kDynEqModeReplyLength)) return std::nullopt;
    if (frame[5] > kDynEqOff) return std::nullopt;
    DynEqModeReply reply;
    reply.mode = frame[5];
    for (int p = 0; p < kDynEqPresets; ++p) reply.switches[p] = frame[6 + p];
    return reply;
}

}  // namespace dialogs
