// The device's replies during a read-back into the dialog: a curve's gains and reference level
// (0x8A) and the mode with the presets' switch values (0x8B).
#include <cstring>
#include <mutex>

#include "dialogs/dyn_eq_messages.h"
#include "dialogs/eq_dynamic_logic.h"

namespace dialogs {

int EqDynamicLogic::ConvertDeviceCurve(const uint8_t* frame, size_t length) {
    if (!frame || length <= 6) return 0;
    const uint8_t command = frame[4];
    if (command == static_cast<uint8_t>(devlink::DeviceCommand::DynEqCurve)) {
        // Every curve reply is taken; one that cannot be used changes nothing.
        const std::optional<DynEqCurveReply> reply = ParseDynEqCurveReply(frame, length);
        if (!reply) return 1;
        std::lock_guard<std::mutex> guard(lock_);
        DynEqCurveRecord& r = records_[reply->curve];
        r.index = reply->curve;
        std::memcpy(r.gains, reply->gains, sizeof r.gains);
        r.reference = reply->reference;
        r.eqLevel = reply->gains[0];
        return 1;
    }
    if (command != static_cast<uint8_t>(devlink::DeviceCommand::DynEqMode)) return 0;
    const std::optional<DynEqModeReply> reply = ParseDynEqModeReply(frame, length);
    if (!reply) return 1;
    // Not ready: the mode and curve the unit reports are not echoed back to it.
    ready_ = false;
    SetMode(reply->mode);
    SetCurve(0);
    const int c = Curve();
    const DynEqCurveRecord r = Record(c);
    if (view_) view_->LoadEqGains(r.gains);
    DesignSections(c);
    ChartCurve(c);
    ColourCurve(c, false);
    CheckRadio(Mode(), c);
    ready_ = true;
    std::lock_guard<std::mutex> guard(lock_);
    switches_ = reply->switches;
    return 1;
}

}  // namespace dialogs
