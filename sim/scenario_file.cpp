#include "sim/scenario_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace sim {

namespace {

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

bool ParseYesNo(const std::string& v, bool& out) {
    if (v == "yes") {
        out = true;
        return true;
    }
    if (v == "no") {
        out = false;
        return true;
    }
    return false;
}

// A decimal or 0x-prefixed hexadecimal number that fits in 32 bits, nothing else on the line.
bool ParseU32(const std::string& v, uint32_t& out) {
    if (v.empty() || v[0] == '-' || v[0] == '+') return false;
    errno = 0;
    char* end = nullptr;
    unsigned long long n = std::strtoull(v.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || n > 0xFFFFFFFFull) return false;
    out = static_cast<uint32_t>(n);
    return true;
}

// Up to `count` dot-separated numbers 0..255; the missing ones are 0.
template <size_t N>
bool ParseDotted(const std::string& v, std::array<uint8_t, N>& out) {
    std::array<uint8_t, N> numbers{};
    size_t field = 0;
    size_t start = 0;
    for (;;) {
        size_t dot = v.find('.', start);
        std::string part = v.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        uint32_t n = 0;
        if (field >= N || part.empty() || part.find_first_not_of("0123456789") != std::string::npos ||
            !ParseU32(part, n) || n > 255)
            return false;
        numbers[field++] = static_cast<uint8_t>(n);
        if (dot == std::string::npos) break;
        start = dot + 1;
    }
    out = numbers;
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

constexpr Choice<Delivery> kDeliveries[] = {{"instant", Delivery::Instant}, {"line-rate", Delivery::LineRate}};
constexpr Choice<ReadBack> kReadBacks[] = {{"complete", ReadBack::Complete},
                                           {"incomplete", ReadBack::Incomplete},
                                           {"none", ReadBack::None},
                                           {"bad-checksum", ReadBack::BadChecksum}};
constexpr Choice<WriteFault> kWriteFaults[] = {
    {"ok", WriteFault::None}, {"fail", WriteFault::Fail}, {"stall", WriteFault::Stall}};
constexpr Choice<bool> kIdentify[] = {{"reply", true}, {"silent", false}};
constexpr Choice<bool> kOkFail[] = {{"ok", false}, {"fail", true}};

// One key of a [device] section; false with the reason when the key or its value is not known.
bool SetDeviceKey(ScenarioDevice& d, const std::string& key, const std::string& v, std::string& why) {
    bool ok = true;
    if (key == "description") {
        ok = !v.empty() && v.size() <= 63;
        if (ok) d.description = v;
        else why = "description must have 1 to 63 characters";
        return ok;
    }
    if (key == "serial") {
        ok = v.size() <= 15;
        if (ok) d.serial = v;
        else why = "serial must have at most 15 characters";
        return ok;
    }
    if (key == "location") ok = ParseU32(v, d.location);
    else if (key == "firmware") ok = ParseDotted(v, d.firmware);
    else if (key == "remote") ok = ParseDotted(v, d.remote);
    else if (key == "blank") ok = ParseYesNo(v, d.blank);
    else if (key == "accessory") ok = ParseYesNo(v, d.accessory);
    else if (key == "identify") ok = ParseChoice(v, kIdentify, d.identifyReply);
    else if (key == "readback") ok = ParseChoice(v, kReadBacks, d.readBack);
    else if (key == "open") ok = ParseChoice(v, kOkFail, d.openFails);
    else if (key == "write") ok = ParseChoice(v, kWriteFaults, d.writeFault);
    else if (key == "write_ok_count") ok = ParseU32(v, d.writeOkCount);
    else if (key == "parity") ok = ParseChoice(v, kOkFail, d.parityFails);
    else {
        why = "unknown device key '" + key + "'";
        return false;
    }
    if (!ok) why = "bad value '" + v + "' for '" + key + "'";
    return ok;
}

bool SetGlobalKey(ScenarioFile& s, const std::string& key, const std::string& v, std::string& why) {
    if (key == "trace") {
        s.trace = v;
        return true;
    }
    if (key == "delivery") {
        if (ParseChoice(v, kDeliveries, s.delivery)) return true;
        why = "bad value '" + v + "' for 'delivery' (instant or line-rate)";
        return false;
    }
    why = "unknown key '" + key + "' (device keys belong after [device])";
    return false;
}

}  // namespace

ScenarioDevice DefaultDevice(const std::array<uint8_t, 4>& firmware, size_t number) {
    ScenarioDevice d;
    d.firmware = firmware;
    char serial[16];
    std::snprintf(serial, sizeof serial, "DX%06u", static_cast<unsigned>(number % 1000000));
    d.serial = serial;
    d.location = static_cast<uint32_t>(0x10 + number);
    return d;
}

ScenarioFile DefaultScenario(const std::array<uint8_t, 4>& firmware) {
    ScenarioFile s;
    s.devices.push_back(DefaultDevice(firmware, 1));
    return s;
}

bool ParseScenario(const std::string& text, const std::array<uint8_t, 4>& firmware, ScenarioFile& out,
                   std::string& error) {
    ScenarioFile s;
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
            if (s.devices.size() >= 64) return fail("more than 64 devices");
            s.devices.push_back(DefaultDevice(firmware, s.devices.size() + 1));
            continue;
        }
        size_t eq = l.find('=');
        if (eq == std::string::npos) return fail("expected 'key = value', found '" + l + "'");
        std::string key = Trim(l.substr(0, eq));
        std::string value = Trim(l.substr(eq + 1));
        std::string why;
        bool ok = s.devices.empty() ? SetGlobalKey(s, key, value, why)
                                    : SetDeviceKey(s.devices.back(), key, value, why);
        if (!ok) return fail(why);
    }
    out = std::move(s);
    return true;
}

bool LoadScenario(const std::string& path, const std::array<uint8_t, 4>& firmware, ScenarioFile& out,
                  std::string& error) {
    std::ifstream f(path, std::ios::binary);
    if (!f) {
        error = "cannot read the scenario file '" + path + "'";
        return false;
    }
    std::ostringstream text;
    text << f.rdbuf();
    if (f.bad()) {
        error = "cannot read the scenario file '" + path + "'";
        return false;
    }
    if (!ParseScenario(text.str(), firmware, out, error)) {
        error = "scenario file '" + path + "', " + error;
        return false;
    }
    return true;
}

}  // namespace sim
