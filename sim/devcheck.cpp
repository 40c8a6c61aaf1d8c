// darvix_devcheck N: opens device N (1-based, as in the program's device list) through ftd2xx.dll,
// identifies it and prints its firmware version. The first thing to run when the program does not
// find a unit: it tells a missing or wrong driver from a missing device and from a device that
// does not answer, with the same binding and link code the program uses.
//
// Works against the real FTDI driver and against our simulated one alike. Exit codes:
//   0 identified, 1 usage, 2 ftd2xx.dll not found, 3 ftd2xx.dll lacks an entry point,
//   4 no such device or it would not open, 5 opened but did not identify, 6 identified with a
//   firmware version that does not match this program's (the program would refuse it).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "link/ftdi.h"
#include "link/usb_link.h"
#include "os/time.h"
#include "os/version.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: darvix_devcheck [N]\n"
                 "  opens device N (1-based, default 1) through ftd2xx.dll, identifies it and prints\n"
                 "  its firmware version\n");
    return 1;
}

bool ParseDeviceNumber(const char* text, int& n) {
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || v < 1 || v > 1000) return false;
    n = static_cast<int>(v);
    return true;
}

const char* VerdictText(devlink::FirmwareVerdict v) {
    switch (v) {
        case devlink::FirmwareVerdict::Accept: return "matches this program";
        case devlink::FirmwareVerdict::DeviceNewer: return "is newer than this program: update the PC software";
        case devlink::FirmwareVerdict::DeviceOlder: return "is older than this program: upgrade the firmware in rescue mode";
    }
    return "";
}

}  // namespace

int main(int argc, char** argv) {
    int number = 1;
    if (argc > 2 || (argc == 2 && !ParseDeviceNumber(argv[1], number))) return Usage();

    std::printf("darvix_devcheck, program version %s\n", os::kProgramVersionText);

    devlink::FtdiApiTable table;
    int bound = devlink::LoadFtdiLibrary(&table);
    if (bound == 0) {
        std::printf("ftd2xx.dll: not found (the FTDI driver is not installed)\n");
        return 2;
    }
    if (bound < 0) {
        const char* missing = "?";
        for (int slot = 1; slot < devlink::kFtdiSlotCount; ++slot) {
            if (!table.slots[slot]) {
                missing = devlink::kFtdiEntryNames[slot];
                break;
            }
        }
        std::printf("ftd2xx.dll: wrong version, it lacks %s (reinstall the FTDI driver)\n", missing);
        devlink::UnloadFtdiLibrary(&table);
        return 3;
    }
    std::printf("ftd2xx.dll: bound\n");

    int result = 0;
    {
        devlink::UsbLink link(&table, 0, nullptr, os::SystemSleeper());
        link.SetTrace(nullptr);
        const auto& devices = link.DeviceList();
        std::printf("devices attached: %zu\n", devices.size());
        // The list holds the highest index first; print it in the driver's order.
        for (auto it = devices.rbegin(); it != devices.rend(); ++it)
            std::printf("  device %d: \"%s\", serial \"%s\", location 0x%04X\n", it->index + 1, it->description,
                        it->serial, static_cast<unsigned>(it->locationId));

        if (!link.Open(number)) {
            std::printf("device %d: not opened (not attached, or in use by another program)\n", number);
            result = 4;
        } else {
            std::printf("device %d: opened; remote accessory %s\n", number,
                        link.HelloAnswered() ? "answered" : "silent");
            if (!link.IsIdentified()) {
                std::printf("device %d: no answer to identify\n", number);
                result = 5;
            } else if (link.BlankUnit()) {
                std::printf("device %d: identified, blank unit (no settings yet)\n", number);
            } else {
                std::array<uint8_t, 4> v = link.FirmwareVersion();
                devlink::FirmwareVerdict verdict = devlink::CompareFirmwareVersion(
                    v[3], v[2], os::kProgramVersion[0], os::kProgramVersion[1]);
                std::printf("device %d: identified, firmware %u.%u.%u.%u, which %s\n", number, v[3], v[2], v[1],
                            v[0], VerdictText(verdict));
                if (verdict != devlink::FirmwareVerdict::Accept) result = 6;
            }
            link.Close();
        }
    }
    devlink::UnloadFtdiLibrary(&table);
    return result;
}
