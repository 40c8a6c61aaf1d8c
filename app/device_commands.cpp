#include "app/device_commands.h"

#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstring>
#include <string>

#include "link/bytes.h"

namespace app {

using devlink::DeviceCommand;
using devlink::Frame;

namespace {

Frame OneByte(DeviceCommand command, uint8_t value) {
    Frame f = devlink::NewFrame(devlink::kNodeDsp, command, 7);
    f[5] = value;
    devlink::SealFrame(f);
    return f;
}

int ParseOneByte(const uint8_t* frame, size_t length, DeviceCommand command, int limit, int* out) {
    if (!frame || length < 7 || frame[4] != static_cast<uint8_t>(command)) return 0;
    if (length == 7 && frame[5] < limit && out) *out = frame[5];
    return 1;
}

class DumpWriter {
public:
    explicit DumpWriter(std::FILE* f) : f_(f) {}

    void Print(const char* format, ...) {
        char buf[256];
        va_list args;
        va_start(args, format);
        const int n = std::vsnprintf(buf, sizeof buf, format, args);
        va_end(args);
        if (n < 0) {
            ok_ = false;
            return;
        }
        // What a text stream does on Windows: LF reaches the file as CR LF.
        std::string text;
        for (int i = 0; i < n && i < static_cast<int>(sizeof buf) - 1; ++i) {
            if (buf[i] == '\n') text += '\r';
            text += buf[i];
        }
        if (std::fwrite(text.data(), 1, text.size(), f_) != text.size()) ok_ = false;
    }

    bool ok() const { return ok_; }

private:
    std::FILE* f_;
    bool ok_ = true;
};

}  // namespace

Frame BuildPresetSelectMessage(int preset) {
    return OneByte(DeviceCommand::PresetSelect, static_cast<uint8_t>(preset));
}

Frame PresetNoticeFrom(const Frame& select) {
    if (select.size() != 7 || select[4] != static_cast<uint8_t>(DeviceCommand::PresetSelect)) return {};
    Frame f = select;
    f[0] = devlink::kNodeAccessory;
    f[4] = static_cast<uint8_t>(DeviceCommand::PresetNotice);
    f[5] = static_cast<uint8_t>(f[5] + 1);
    devlink::SealFrame(f);
    return f;
}

Frame BuildDynamicEqSwitchMessage(uint32_t offFlag) {
    return OneByte(DeviceCommand::DynEqSwitch, offFlag == 0 ? 1 : 0);
}

Frame BuildWorkingModeMessage(uint32_t mode) {
    return OneByte(DeviceCommand::WorkingMode, static_cast<uint8_t>(mode));
}

Frame BuildResetDeviceMessage() {
    return devlink::BuildSimpleFrame(devlink::kNodeDsp, DeviceCommand::ResetSettings);
}

Frame BuildStatusDumpRequest() {
    return devlink::BuildSimpleFrame(devlink::kNodeDsp, DeviceCommand::DiagnosticsDump);
}

int ParsePresetMessage(const uint8_t* frame, size_t length, int* preset) {
    return ParseOneByte(frame, length, DeviceCommand::PresetSelect, 4, preset);
}

int ParseSourceMessage(const uint8_t* frame, size_t length, int* source) {
    return ParseOneByte(frame, length, DeviceCommand::SourceSelect, 5, source);
}

int ParseWorkingModeMessage(const uint8_t* frame, size_t length, int* mode) {
    return ParseOneByte(frame, length, DeviceCommand::WorkingMode, 2, mode);
}

bool WriteDeviceStateDump(const uint8_t* reply, size_t length, std::FILE* out) {
    if (!reply || !out) return false;
    std::array<uint8_t, kDeviceStateDumpLength> d{};
    std::memcpy(d.data(), reply, std::min(length, d.size()));
    using devlink::GetF32LE;
    using devlink::GetU32LE;

    DumpWriter w(out);
    w.Print("CFG_diagnostics: 0x%X\r\n", GetU32LE(&d[5]));
    w.Print("SYS_mode: 0x%X\r\n", static_cast<int32_t>(GetU32LE(&d[9])));
    const char* bytes[] = {"CFG_key_memory", "ch_update", "dyna_update", "msg_ready", "msg_2send"};
    for (int i = 0; i < 5; ++i) w.Print("%s: 0x%X\r\n", bytes[i], d[13 + i]);
    w.Print("sender: 0x%X\r\n", GetU32LE(&d[18]));
    const char* flags[] = {"key_mem",          "other_enable",       "turn_on_by_vexa", "phone_call",
                           "turn_on_by_phone", "power_on_completed", "call_in_progress", "prev_source",
                           "CFG_input"};
    for (int i = 0; i < 9; ++i) w.Print("%s: 0x%X\r\n", flags[i], d[22 + i]);
    w.Print("RMS_new: %f\r\n\n", static_cast<double>(GetF32LE(&d[31])));
    w.Print("CFG_current_preset: 0x%X\r\n", d[795]);
    w.Print("STS_source_switch: 0x%X\r\n", d[796]);
    w.Print("master_volume: 0x%X\r\n", d[797]);
    w.Print("subwoofer_volume: 0x%X\r\n", d[798]);
    w.Print("fader: %d\r\n", d[799]);
    w.Print("balance: %d\r\n\n", d[800]);
    for (int i = 0; i < 8; ++i) w.Print(" INPUT_sensitivity[%d]: 0x%X\r\n", i, d[35 + i]);
    w.Print("\r\n");
    for (int i = 0; i < 8; ++i) w.Print(" CFG_in_matrix[%d]: 0x%X\r\n", i, d[43 + i]);
    w.Print("\r\n");
    const char* eqs[] = {"FL", "FR", "RL", "RR", "C", "S"};
    for (int block = 0; block < 6; ++block) {
        for (int k = 0; k < 31; ++k)
            w.Print(" %s_eq_flat[%d]: %2.3f\r\n", eqs[block], k,
                    static_cast<double>(GetF32LE(&d[51 + 124 * block + 4 * k])));
        if (block < 5) w.Print("\r\n");
    }
    return w.ok();
}

}  // namespace app
