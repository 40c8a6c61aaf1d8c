// Receiver throughput: how many frames a second the receive path (buffer, parser, hand-over)
// cuts from a recorded stream, for reads of several sizes. Prints its figures; not a test.
//
// Usage: receive_bench [stream-file]
// Without a file it records the stream a read-back produces: for each of four presets the
// equaliser, crossover and delay frames of the eight outputs, then routing, input configuration,
// preset, source, working mode and the closing 0x93, repeated to about 16 MB.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "bench/timing.h"
#include "link/bytes.h"
#include "link/frame.h"
#include "link/receive.h"

namespace {

using namespace devlink;

Frame Reply(uint8_t command, size_t length, uint8_t fill) {
    Frame f(length, fill);
    f[0] = kNodePc;
    f[1] = kNodeDsp;
    PutU16BE(&f[2], static_cast<uint16_t>(length));
    f[4] = command;
    f.back() = FrameChecksum(f.data(), length - 1);
    return f;
}

std::vector<uint8_t> RecordReadBack() {
    std::vector<uint8_t> one;
    auto add = [&](const Frame& f) { one.insert(one.end(), f.begin(), f.end()); };
    for (int preset = 0; preset < 4; ++preset) {
        for (int output = 0; output < 8; ++output) {
            add(Reply(0x73, 138, static_cast<uint8_t>(output)));
            add(Reply(0x74, 20 * 8 + 23, static_cast<uint8_t>(preset)));
            add(Reply(0x75, 16, 0));
        }
    }
    add(Reply(0xA4, 46, 1));
    add(Reply(0xA3, 20, 2));
    add(Reply(0x7D, 7, 0));
    add(Reply(0x7A, 7, 0));
    add(Reply(0xCF, 7, 1));
    add(Reply(0x93, 7, 1));
    std::vector<uint8_t> stream;
    while (stream.size() < 16u * 1024 * 1024) stream.insert(stream.end(), one.begin(), one.end());
    return stream;
}

struct CountingSink : FrameSink {
    void Deliver(Frame&& f) override {
        ++frames;
        bytes += f.size();
    }
    uint64_t frames = 0;
    uint64_t bytes = 0;
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<uint8_t> stream;
    if (argc > 1) {
        std::ifstream in(argv[1], std::ios::binary);
        stream.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        std::printf("stream: %s, %zu bytes\n", argv[1], stream.size());
    } else {
        stream = RecordReadBack();
        std::printf("stream: recorded read-back, %zu bytes\n", stream.size());
    }
    if (stream.empty()) return 1;

    // 62 bytes: one full-speed USB packet of the bridge; 4096: a driver-sized read; then all.
    for (size_t readSize : {size_t{62}, size_t{512}, size_t{4096}, stream.size()}) {
        ReceiveBuffer buffer;
        ReceiveFlags flags;
        CountingSink sink;
        const bench::Stopwatch watch;
        for (size_t at = 0; at < stream.size(); at += readSize) {
            const size_t n = std::min(readSize, stream.size() - at);
            buffer.Accept(stream.data() + at, n, flags, sink);
        }
        const double s = watch.Elapsed();
        std::printf("reads of %8zu bytes: %10.0f frames/s  %8.1f MB/s  (%llu frames)\n", readSize,
                    static_cast<double>(sink.frames) / s,
                    static_cast<double>(stream.size()) / s / 1e6,
                    static_cast<unsigned long long>(sink.frames));
    }
    return 0;
}
