// Firmware upload time: an image goes through the link to the simulated unit with the real
// sleeper, and the figures are printed beside the pacing the upload keeps and the line's own
// speed. The simulator takes the PC's bytes at once (it paces only its replies), so the line time
// is computed: 11 bits a byte (start, 8 data, parity, stop) at 38400 baud. Not a test.
//
// Usage: firmware_bench [payload-bytes]     default 16384; 262144 is a 256 KB image
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "bench/timing.h"
#include "link/firmware_upload.h"
#include "link/ftdi.h"
#include "link/usb_link.h"
#include "os/time.h"
#include "sim/bus.h"
#include "sim/d2xx.h"
#include "sim/firmware_store.h"

int main(int argc, char** argv) {
    using namespace devlink;
    const long requested = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 16384;
    if (requested < 0 || requested > 16L * 1024 * 1024) {
        std::fprintf(stderr, "firmware_bench: the payload must be 0 to 16777216 bytes\n");
        return 2;
    }
    const size_t payload = static_cast<size_t>(requested);

    sim::Bus bus(os::SystemClock());
    sim::FirmwareOptions options;
    options.flashDelayMs = 0;  // the unit's own flash time is not the PC's
    sim::FirmwareStore store(options);
    {
        auto g = bus.Lock();
        sim::SimUnit& unit = bus.AddUnit();
        sim::InstallFirmwareStore(unit, store);
    }
    // The driver's side of the line: what the unit sends becomes readable on time (as the
    // simulated ftd2xx.dll's device thread does).
    std::atomic<bool> running{true};
    std::thread line([&] {
        while (running.load()) {
            bus.Poll();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    sim::AttachD2xx(&bus);
    FtdiApiTable table;
    sim::FillFtdiTable(table);
    UsbLink link(&table, -1, nullptr, os::SystemSleeper());
    link.SetTrace(nullptr);
    if (!link.Open(1)) {
        std::fprintf(stderr, "firmware_bench: the simulated unit did not open\n");
        running.store(false);
        line.join();
        return 1;
    }
    bus.ClearTraces();

    std::vector<uint8_t> file(kFirmwareFileHeaderSize, 0);
    for (size_t i = 0; i < payload; ++i) file.push_back(static_cast<uint8_t>(i * 13));
    std::atomic<int> phase{kFirmwarePhaseWaiting};
    uint32_t result = 0;
    FirmwareUpload upload(file, phase, [&](uint32_t r) { result = r; });

    const bench::Stopwatch watch;
    upload.Run(link);
    const double seconds = watch.Elapsed();
    link.Close();
    running.store(false);
    line.join();
    sim::AttachD2xx(nullptr);

    size_t bytes = 0, frames = 0;
    for (const Frame& f : bus.FramesFromPc(0)) {
        bytes += f.size();
        ++frames;
    }
    const size_t blocks = (payload + kFirmwareBlockSize - 1) / kFirmwareBlockSize;
    // The pacing alone: 75 + 75 ms a block, the rests, begin and end 25 + 45 ms each, the rest
    // after the image and the three 200 ms settles of the receive gate.
    size_t rests = 0, count = 0;
    for (size_t left = payload; left > 0;) {
        const size_t n = left < kFirmwareBlockSize ? left : kFirmwareBlockSize;
        left -= n;
        count += n;
        if (count >= kFirmwarePauseEvery) {
            ++rests;
            count = 0;
        }
    }
    const double floor = blocks * 0.150 + rests * 1.5 + (payload > 0 ? 0.070 : 0.0) + 0.070 + 1.5 + 3 * 0.2;
    const double lineSeconds = bytes * 11.0 / 38400.0;

    std::printf("image                 %zu bytes in %zu data blocks, %zu rests of 1.5 s\n", payload, blocks, rests);
    std::printf("written               %zu bytes in %zu frames\n", bytes, frames);
    std::printf("upload                %.2f s (unit's result %s)\n", seconds, (result & 0xFFFF) == 1 ? "completed" : "not completed");
    std::printf("line time             %.2f s (11 bits a byte at 38400 baud)\n", lineSeconds);
    std::printf("upload / line time    %.2f\n", lineSeconds > 0 ? seconds / lineSeconds : 0.0);
    std::printf("pacing floor          %.2f s (150 ms a block, the rests, begin, end, gate)\n", floor);
    std::printf("upload / pacing floor %.3f\n", floor > 0 ? seconds / floor : 0.0);
    return (result & 0xFFFF) == 1 ? 0 : 1;
}
