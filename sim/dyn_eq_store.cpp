#include "sim/dyn_eq_store.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <sstream>

#include "link/bytes.h"
#include "sim/device.h"

namespace sim {

using devlink::DeviceCommand;
using devlink::Frame;

bool DynEqStore::Apply(const uint8_t* frame, size_t length, int preset) {
    if (!frame || length < devlink::kMinFrameLength || !devlink::FrameChecksumValid(frame, length - 1)) return false;
    if (frame[0] != devlink::kNodeDsp) return false;
    const uint8_t curve = frame[5];
    switch (static_cast<DeviceCommand>(frame[4])) {
        case DeviceCommand::DynEqStart:
        case DeviceCommand::DynEqStop:
            if (length != 7) return false;
            (frame[4] == static_cast<uint8_t>(DeviceCommand::DynEqStart) ? starts_ : stops_)++;
            return true;
        case DeviceCommand::DynEqCurve:
            if (length != 131 || curve < 1 || curve > 2) return false;
            for (int i = 0; i < 31; ++i) state_.gains[curve - 1][i] = devlink::GetF32LE(frame + 6 + 4 * i);
            return true;
        case DeviceCommand::DynEqMode:
            if (length != 8 || frame[5] > 2) return false;
            state_.mode = frame[5];
            return true;
        case DeviceCommand::DynEqLevel:
            if (length != 9 || curve < 1 || curve > 2) return false;
            state_.levels[curve - 1] = frame[6];
            return true;
        case DeviceCommand::DynEqSwitch:
            if (length != 7 || preset < 0 || preset > 3) return false;
            state_.switches[preset] = frame[5] ? 0 : 1;  // the message says on; the unit keeps off
            return true;
        default: return false;
    }
}

std::vector<Frame> DynEqStore::ReportFrames() const {
    std::vector<Frame> out;
    for (int c = 0; c < 2; ++c) {
        const size_t length = (c == 0 && fault_ == DynEqFault::ShortCurve) ? 131 : 132;
        Frame f = devlink::NewFrame(devlink::kNodePc, DeviceCommand::DynEqCurve, length);
        f[1] = devlink::kNodeDsp;
        f[5] = static_cast<uint8_t>(c + 1);
        if (c == 0 && fault_ == DynEqFault::CurveByteZero) f[5] = 0;
        if (c == 1 && fault_ == DynEqFault::CurveByteThree) f[5] = 3;
        for (int i = 0; i < 31; ++i) devlink::PutF32LE(&f[6 + 4 * i], state_.gains[c][i]);
        if (length == 132) f[130] = state_.levels[c];
        devlink::SealFrame(f);
        out.push_back(std::move(f));
    }
    Frame m = devlink::NewFrame(devlink::kNodePc, DeviceCommand::DynEqMode, 11);
    m[1] = devlink::kNodeDsp;
    m[5] = fault_ == DynEqFault::ModeThree ? 3 : state_.mode;
    for (int p = 0; p < 4; ++p) m[6 + p] = state_.switches[p];
    devlink::SealFrame(m);
    out.push_back(std::move(m));
    return out;
}

bool ParseDynEqSetting(const std::string& value, DynEqState& state, DynEqFault& fault, std::string& why) {
    std::istringstream in(value);
    std::string what;
    in >> what;
    auto number = [&](double lo, double hi, double& out) {
        std::string t;
        if (!(in >> t)) return false;
        char* end = nullptr;
        out = std::strtod(t.c_str(), &end);
        return end && *end == 0 && out >= lo && out <= hi;
    };
    double n = 0;
    if (what == "mode") {
        if (!number(0, 2, n)) return why = "dyn_eq mode takes 0, 1 or 2", false;
        state.mode = static_cast<uint8_t>(n);
    } else if (what == "switches") {
        for (uint8_t& s : state.switches) {
            if (!number(0, 1, n)) return why = "dyn_eq switches takes four values 0 or 1", false;
            s = static_cast<uint8_t>(n);
        }
    } else if (what == "curve") {
        double curve = 0, level = 0;
        if (!number(1, 2, curve) || !number(0, 255, level))
            return why = "dyn_eq curve takes the curve 1 or 2 and a level byte", false;
        std::array<float, 31>& g = state.gains[static_cast<int>(curve) - 1];
        state.levels[static_cast<int>(curve) - 1] = static_cast<uint8_t>(level);
        int count = 0;
        std::string t;
        while (count < 31 && in >> t) {
            if (t == "nan") g[count++] = std::numeric_limits<float>::quiet_NaN();
            else {
                char* end = nullptr;
                const double v = std::strtod(t.c_str(), &end);
                if (!end || *end) return why = "dyn_eq curve gain \"" + t + "\" is no number", false;
                g[count++] = static_cast<float>(v);
            }
        }
        if (count == 0) return why = "dyn_eq curve needs at least one gain", false;
        for (int i = count; i < 31; ++i) g[i] = g[count - 1];
    } else if (what == "fault") {
        std::string f;
        in >> f;
        if (f == "curve0") fault = DynEqFault::CurveByteZero;
        else if (f == "curve3") fault = DynEqFault::CurveByteThree;
        else if (f == "short") fault = DynEqFault::ShortCurve;
        else if (f == "mode3") fault = DynEqFault::ModeThree;
        else return why = "dyn_eq fault takes curve0, curve3, short or mode3", false;
    } else {
        return why = "dyn_eq takes mode, switches, curve or fault", false;
    }
    std::string rest;
    if (in >> rest) return why = "dyn_eq has more values than it takes", false;
    return true;
}

void InstallDynEqStore(SimUnit& unit, DynEqStore& store) {
    for (DeviceCommand c : {DeviceCommand::DynEqStart, DeviceCommand::DynEqStop, DeviceCommand::DynEqCurve,
                            DeviceCommand::DynEqMode, DeviceCommand::DynEqLevel, DeviceCommand::DynEqSwitch})
        unit.SetHandler(static_cast<uint8_t>(c), [&store](SimUnit&, const Frame& request) {
            store.Apply(request.data(), request.size());
        });
    unit.AddReadAllStream([&store](SimUnit&) { return store.ReportFrames(); });
    unit.AddResetHook([&store] { store.Reset(); });
}

}  // namespace sim
