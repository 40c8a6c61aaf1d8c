#include "dialogs/dyn_eq_messages.h"

#include <cfloat>
#include <cmath>
#include <cstring>

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
        devlink::PutF32LE(&f[6 + 4 * i], static_cast<float>(std::pow(10.0, gainsDb[i] / 20.0)));
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

bool DynEqGainFits(float dB) {
    if (!std::isfinite(dB)) return false;
    return std::pow(10.0, static_cast<double>(dB) / 20.0) <= FLT_MAX;
}

void EasyCurveGains(float level, float gains[kDynEqBands]) {
    const float step = level / 18.0f;
    for (int i = 0; i < kDynEqBands; ++i) gains[i] = i <= 17 ? level - static_cast<float>(i) * step : 0.0f;
}

DynEqCurveRecord ResetDynEqCurve(int c) {
    DynEqCurveRecord r;
    std::memset(&r, 0, sizeof r);
    r.index = c;
    r.eqLevel = c == 0 ? 6.0f : -6.0f;
    r.reference = c == 0 ? -30.0f : 0.0f;
    EasyCurveGains(r.eqLevel, r.gains);
    for (model::BiquadSection& s : r.sections) {
        s.b[1] = 1.0;
        s.a[0] = 1.0;
        s.order = 2;
    }
    return r;
}

}  // namespace dialogs
