#include "sim/scenario_file.h"

#include <limits>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace sim {

namespace {

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

// A decimal or 0x-prefixed hexadecimal number no larger than max, nothing else.
bool ParseNumber(const std::string& v, uint64_t max, uint64_t& out) {
    if (v.empty() || !(v[0] >= '0' && v[0] <= '9')) return false;
    errno = 0;
    char* end = nullptr;
    unsigned long long n = std::strtoull(v.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || n > max) return false;
    out = n;
    return true;
}

template <class T>
bool ParseInto(const std::string& v, T& out) {
    uint64_t n = 0;
    if (!ParseNumber(v, static_cast<uint64_t>(std::numeric_limits<T>::max()), n)) return false;
    out = static_cast<T>(n);
    return true;
}

// Up to N dot-separated numbers 0..255; the missing ones are 0.
template <size_t N>
bool ParseDotted(const std::string& v, std::array<uint8_t, N>& out) {
    std::array<uint8_t, N> numbers{};
    size_t field = 0;
    size_t start = 0;
    for (;;) {
        size_t dot = v.find('.', start);
        std::string part = v.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        uint64_t n = 0;
        if (field >= N || part.find_first_not_of("0123456789") != std::string::npos ||
            !ParseNumber(part, 255, n))
            return false;
        numbers[field++] = static_cast<uint8_t>(n);
        if (dot == std::string::npos) break;
        start = dot + 1;
    }
    out = numbers;
    return true;
}

// Command bytes separated by blanks or commas.
bool ParseCommands(const std::string& v, std::set<uint8_t>& out) {
    std::set<uint8_t> commands;
    std::string list = v;
    for (char& c : list)
        if (c == ',') c = ' ';
    std::istringstream in(list);
    std::string word;
    while (in >> word) {
        uint64_t n = 0;
        if (!ParseNumber(word, 255, n)) return false;
        commands.insert(static_cast<uint8_t>(n));
    }
    if (commands.empty()) return false;
    out = std::move(commands);
    return true;
}

template <class E>
struct Choice {
    const char* text;
    E value;
};

template <class E, size_t N>
bool ParseChoice(const std::string& v, const Choice<E> (&choices)[N], E& out) {
    for (const Choice<E>& c : choices) {
        if (v == c.text) {
            out = c.value;
            return true;
        }
    }
    return false;
}

enum class CallOutcome { Ok, Fail, Stall };

constexpr Choice<bool> kYesNo[] = {{"yes", true}, {"no", false}};
constexpr Choice<bool> kOkFail[] = {{"ok", false}, {"fail", true}};
constexpr Choice<Delivery> kDeliveries[] = {{"instant", Delivery::Instant}, {"line-rate", Delivery::LineRate}};
constexpr Choice<HelloMode> kHellos[] = {{"until-answered", HelloMode::UntilAnswered},
                                         {"silent-until-disconnect", HelloMode::SilentUntilDisconnect},
                                         {"never", HelloMode::Never}};
constexpr Choice<ReadAllOutcome> kReadBacks[] = {
    {"complete", ReadAllOutcome::Complete}, {"incomplete", ReadAllOutcome::Incomplete}, {"none", ReadAllOutcome::None}};
constexpr Choice<uint8_t> kInputTypes[] = {{"low", 0}, {"high", 1}};
constexpr Choice<uint8_t> kWorkingModes[] = {{"standard", 1}, {"expert", 0}};
constexpr Choice<SourceFault> kSourceFaults[] = {
    {"none", SourceFault::None},          {"short-eq", SourceFault::ShortEq},
    {"source-7", SourceFault::Source7},   {"zero-gain", SourceFault::ZeroGain},
    {"nan-gain", SourceFault::NaNGain},   {"short-config", SourceFault::ShortConfig}};

// Exactly N numbers 0..255 separated by blanks or commas.
template <size_t N>
bool ParseBytes(const std::string& v, std::array<uint8_t, N>& out) {
    std::string list = v;
    for (char& c : list)
        if (c == ',') c = ' ';
    std::istringstream in(list);
    std::array<uint8_t, N> bytes{};
    size_t n = 0;
    std::string word;
    while (in >> word) {
        uint64_t b = 0;
        if (n >= N || !ParseNumber(word, 255, b)) return false;
        bytes[n++] = static_cast<uint8_t>(b);
    }
    if (n != N) return false;
    out = bytes;
    return true;
}

// Any number of numbers 0..max separated by blanks or commas ("none": no number).
bool ParseList(const std::string& v, uint64_t max, std::vector<uint8_t>& out) {
    if (v == "none") {
        out.clear();
        return true;
    }
    std::string list = v;
    for (char& c : list)
        if (c == ',') c = ' ';
    std::istringstream in(list);
    std::vector<uint8_t> numbers;
    std::string word;
    while (in >> word) {
        uint64_t n = 0;
        if (!ParseNumber(word, max, n)) return false;
        numbers.push_back(static_cast<uint8_t>(n));
    }
    if (numbers.empty()) return false;
    out = std::move(numbers);
    return true;
}

constexpr Choice<CallOutcome> kWrites[] = {{"ok", CallOutcome::Ok}, {"fail", CallOutcome::Fail}, {"stall", CallOutcome::Stall}};

// What a [device] section is being read into; the call faults are settled at its end, when both
// the kind of fault and the number of calls that succeed first are known.
struct DeviceDraft {
    ScenarioDevice device;
    CallOutcome write = CallOutcome::Ok;
    int64_t writeOkCount = 0;
    bool parityFails = false;
    int64_t parityOkCount = 0;

    ScenarioDevice Finish() const {
        ScenarioDevice d = device;
        if (write == CallOutcome::Fail) d.faults.writeFails = CallFault::From(writeOkCount);
        if (write == CallOutcome::Stall) d.faults.writeTakesNothing = CallFault::From(writeOkCount);
        if (parityFails) d.faults.parityFails = CallFault::From(parityOkCount);
        return d;
    }
};

// One wizard_ key of a [device] section (the prefix taken off).
bool SetWizardKey(WizardOptions& w, const std::string& key, const std::string& v, std::string& why) {
    bool ok = true;
    uint64_t n = 0;
    if (key == "inputs") {
        std::vector<uint8_t> inputs;
        ok = ParseList(v, 7, inputs);
        if (ok) {
            w.inputsSet = true;
            w.inputs = inputs;
        }
    } else if (key == "outputs") {
        std::vector<uint8_t> outputs;
        ok = ParseList(v, 7, outputs);
        if (ok) w.outputs = outputs;
    } else if (key == "delay") ok = ParseInto(v, w.delayMs);
    else if (key == "interval") ok = ParseInto(v, w.intervalMs);
    else if (key == "too_low") {
        const bool always = v.size() > 7 && v.compare(v.size() - 7, 7, " always") == 0;
        ok = ParseNumber(Trim(always ? v.substr(0, v.size() - 7) : v), 7, n);
        if (ok) {
            w.tooLowInput = static_cast<int>(n);
            w.tooLowAlways = always;
        }
    } else if (key == "junk") ok = ParseList(v, 0xFF, w.junk);
    else if (key == "bad_status" || key == "unplug_after_status") {
        ok = ParseNumber(v, 1000, n);
        if (ok) (key == "bad_status" ? w.badChecksumStatus : w.unplugAfterStatus) = static_cast<int>(n);
    } else {
        why = "unknown device key 'wizard_" + key + "'";
        return false;
    }
    if (!ok) why = "bad value '" + v + "' for 'wizard_" + key + "'";
    return ok;
}

// One key of a [device] section; false with the reason when the key or its value is not known.
bool SetDeviceKey(DeviceDraft& draft, const std::string& key, const std::string& v, std::string& why) {
    UnitConfig& c = draft.device.config;
    Faults& f = draft.device.faults;
    bool ok = true;
    if (key == "description") {
        if (!v.empty() && v.size() <= 64) {
            c.description = v;
            return true;
        }
        why = "description must have 1 to 64 characters";
        return false;
    }
    if (key == "serial") {
        if (v.size() <= 15) {
            c.serial = v;
            return true;
        }
        why = "serial must have at most 15 characters";
        return false;
    }
    if (key == "firmware") {
        std::array<uint8_t, 4> version{};
        ok = ParseDotted(v, version);
        if (ok) c.firmware = FirmwareBytes(version);
    } else if (key == "later_firmware") {
        // "N: 1.7.0.0": from the N-th identify reply (0-based) on, this firmware.
        const size_t colon = v.find(':');
        std::array<uint8_t, 4> version{};
        uint32_t after = 0;
        ok = colon != std::string::npos && ParseInto(Trim(v.substr(0, colon)), after) &&
             ParseDotted(Trim(v.substr(colon + 1)), version) && after < 1000;
        if (ok) {
            c.laterFirmwareAfter = static_cast<int>(after);
            c.laterFirmware = FirmwareBytes(version);
        }
    } else if (key == "remote") {
        std::array<uint8_t, 2> version{};
        ok = ParseDotted(v, version);
        if (ok) c.accessoryVersion = static_cast<uint16_t>(version[0] | version[1] << 8);
    } else if (key == "location") ok = ParseInto(v, c.locationId);
    else if (key == "blank") ok = ParseChoice(v, kYesNo, c.blank);
    else if (key == "accessory") ok = ParseChoice(v, kYesNo, c.accessory);
    else if (key == "hello") ok = ParseChoice(v, kHellos, c.hello);
    else if (key == "readback") ok = ParseChoice(v, kReadBacks, c.readAll);
    else if (key == "delivery") ok = ParseChoice(v, kDeliveries, c.delivery);
    else if (key == "reply_delay") ok = ParseInto(v, c.replyDelayMs);
    else if (key == "finalize_result") ok = ParseInto(v, c.finalizeResult);
    else if (key == "finalize_delay") ok = ParseInto(v, c.finalizeDelayMs);
    else if (key == "chunk") ok = ParseInto(v, c.chunkSize);
    else if (key == "no_reply_to") ok = ParseCommands(v, f.noReplyTo);
    else if (key == "bad_checksum") ok = ParseChoice(v, kYesNo, f.badChecksum);
    else if (key == "open") ok = ParseChoice(v, kOkFail, f.openFails);
    else if (key == "arrive_after") ok = ParseInto(v, c.arriveAfterMs);
    else if (key == "write") ok = ParseChoice(v, kWrites, draft.write);
    else if (key == "write_ok_count") ok = ParseInto(v, draft.writeOkCount);
    else if (key == "write_from_command") {
        uint64_t n = 0;
        ok = ParseNumber(v, 0xFF, n);
        if (ok) f.writeFaultAfterCommand = static_cast<int>(n);
    } else if (key == "preset") {
        uint64_t n = 0;
        ok = ParseNumber(v, 3, n);
        if (ok) c.preset = static_cast<uint8_t>(n);
    } else if (key == "working_mode") ok = ParseChoice(v, kWorkingModes, c.workingMode);
    else if (key == "parity") ok = ParseChoice(v, kOkFail, draft.parityFails);
    else if (key == "parity_ok_count") ok = ParseInto(v, draft.parityOkCount);
    else if (key == "unplug_after_frames") {
        uint64_t n = 0;
        ok = ParseNumber(v, 0x7FFFFFFF, n);
        if (ok) f.unplugAfterFrames = static_cast<int>(n);
    } else if (key == "unplug_on_command") {
        uint64_t n = 0;
        ok = ParseNumber(v, 0xFF, n);
        if (ok) f.unplugOnCommand = static_cast<int>(n);
    } else if (key == "new_firmware" || key == "rescue_firmware") {
        std::array<uint8_t, 4> version{};
        ok = ParseDotted(v, version);
        if (ok) (key == "new_firmware" ? draft.device.firmware.newFirmware : draft.device.firmware.rescueFirmware) =
            FirmwareBytes(version);
    } else if (key == "rescue") ok = ParseChoice(v, kYesNo, draft.device.firmware.startInRescue);
    else if (key == "flash_delay") ok = ParseInto(v, draft.device.firmware.flashDelayMs);
    else if (key == "damaged_block" || key == "unplug_after_block" || key == "back_after") {
        uint64_t n = 0;
        ok = ParseNumber(v, 0x7FFFFFFF, n);
        if (ok) (key == "damaged_block"        ? draft.device.firmware.damagedBlock
                 : key == "unplug_after_block" ? draft.device.firmware.unplugAfterBlock
                                               : draft.device.firmware.backAfterMs) = static_cast<int>(n);
    } else if (key == "source") {
        uint64_t n = 0;
        ok = v == "master" || (ParseNumber(v, 4, n));
        if (ok) c.sources.source = v == "master" ? 0xFF : static_cast<uint8_t>(n);
    } else if (key == "source_flags") ok = ParseBytes(v, c.sources.flags);
    else if (key == "input_type") {
        uint64_t n = 0;
        if (v.rfind("byte ", 0) == 0) {
            ok = ParseNumber(Trim(v.substr(5)), 0xFF, n);
            if (ok) c.sources.inputType = static_cast<uint8_t>(n - 1);
        } else {
            ok = ParseChoice(v, kInputTypes, c.sources.inputType);
        }
    }
    else if (key == "input_codes") ok = ParseBytes(v, c.sources.codes);
    else if (key == "source_fault") ok = ParseChoice(v, kSourceFaults, c.sources.fault);
    else if (key == "source_device_flag") {
        uint64_t n = 0;
        ok = ParseNumber(v, 0xFF, n);
        if (ok) c.sources.deviceFlag = static_cast<uint8_t>(n);
    } else if (key == "dyn_eq") {
        return ParseDynEqSetting(v, draft.device.dynEq, draft.device.dynEqFault, why);
    } else if (key == "clip_mask") {
        uint64_t n = 0;
        ok = ParseNumber(v, 0xFF, n);
        if (ok) c.clipMask = static_cast<uint8_t>(n);
    } else if (key == "unplug_after_command") {
        // "0xA5 10": the unit vanishes 10 frames after the first 0xA5.
        const size_t space = v.find_first_of(" \t");
        uint64_t command = 0, count = 0;
        ok = space != std::string::npos && ParseNumber(Trim(v.substr(0, space)), 0xFF, command) &&
             ParseNumber(Trim(v.substr(space + 1)), 100000, count);
        if (ok) {
            f.unplugAfterCommand = static_cast<int>(command);
            f.unplugAfterCount = static_cast<int>(count);
        }
    } else if (key == "routing") {
        ok = ParseBytes(v, draft.device.routing.bytes);
        draft.device.routing.set = ok;
    } else if (key == "routing_length") {
        uint64_t n = 0;
        ok = ParseNumber(v, devlink::kMaxFrameLength, n) && n >= devlink::kMinFrameLength;
        if (ok) draft.device.routing.streamedLength = static_cast<size_t>(n);
    } else if (key.rfind("wizard_", 0) == 0) {
        return SetWizardKey(draft.device.wizard, key.substr(7), v, why);
    } else if (key == "readback_failures") {
        uint64_t n = 0;
        ok = ParseNumber(v, 1000, n);
        if (ok) f.readAllFailures = static_cast<int>(n);
    } else {
        why = "unknown device key '" + key + "'";
        return false;
    }
    if (!ok) why = "bad value '" + v + "' for '" + key + "'";
    return ok;
}

}  // namespace

std::array<uint8_t, 4> FirmwareBytes(const std::array<uint8_t, 4>& version) {
    return {version[3], version[2], version[1], version[0]};
}

ScenarioDevice DefaultDevice(const std::array<uint8_t, 4>& version, size_t number) {
    ScenarioDevice d;
    d.config.firmware = FirmwareBytes(version);
    char serial[16];
    std::snprintf(serial, sizeof serial, "DX%06u", static_cast<unsigned>(number % 1000000));
    d.config.serial = serial;
    d.config.locationId = static_cast<uint32_t>(0x0110 + number);
    // An update brings the unit to the program's version.
    d.firmware.newFirmware = d.config.firmware;
    return d;
}

ScenarioFile DefaultScenario(const std::array<uint8_t, 4>& version) {
    ScenarioFile s;
    s.devices.push_back(DefaultDevice(version, 1));
    return s;
}

bool ParseScenario(const std::string& text, const std::array<uint8_t, 4>& version, ScenarioFile& out,
                   std::string& error) {
    ScenarioFile s;
    Delivery delivery = Delivery::Instant;
    std::vector<DeviceDraft> drafts;
    std::istringstream in(text);
    std::string raw;
    size_t line = 0;
    auto fail = [&](const std::string& why) {
        error = "line " + std::to_string(line) + ": " + why;
        return false;
    };
    while (std::getline(in, raw)) {
        ++line;
        std::string l = Trim(raw.substr(0, raw.find('#')));
        if (l.empty()) continue;
        if (l.front() == '[') {
            if (l != "[device]") return fail("unknown section '" + l + "' (only [device])");
            if (drafts.size() >= 64) return fail("more than 64 devices");
            drafts.push_back({DefaultDevice(version, drafts.size() + 1)});
            drafts.back().device.config.delivery = delivery;
            continue;
        }
        size_t eq = l.find('=');
        if (eq == std::string::npos) return fail("expected 'key = value', found '" + l + "'");
        std::string key = Trim(l.substr(0, eq));
        std::string value = Trim(l.substr(eq + 1));
        std::string why;
        if (!drafts.empty()) {
            if (!SetDeviceKey(drafts.back(), key, value, why)) return fail(why);
        } else if (key == "trace") {
            s.trace = value;
        } else if (key == "state") {
            s.state = value;
        } else if (key == "delivery") {
            if (!ParseChoice(value, kDeliveries, delivery))
                return fail("bad value '" + value + "' for 'delivery' (instant or line-rate)");
        } else {
            return fail("unknown key '" + key + "' (device keys belong after [device])");
        }
    }
    for (const DeviceDraft& d : drafts) s.devices.push_back(d.Finish());
    out = std::move(s);
    return true;
}

bool LoadScenario(const std::string& path, const std::array<uint8_t, 4>& version, ScenarioFile& out,
                  std::string& error) {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream text;
    if (f) text << f.rdbuf();
    if (!f || f.bad()) {
        error = "cannot read the scenario file '" + path + "'";
        return false;
    }
    if (!ParseScenario(text.str(), version, out, error)) {
        error = "scenario file '" + path + "', " + error;
        return false;
    }
    return true;
}

}  // namespace sim
