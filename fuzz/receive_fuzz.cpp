// Fuzz target for the receive path: the bytes of a device, cut into reads, through the receive
// buffer (hello wait, gate, parser) and the hello detector. Whatever comes in, no frame handed on
// may be shorter than a header and checksum, longer than the device's longest, or disagree with
// its own length field, and the buffer never holds more than it has room for.
//
// Input: [0] mode bits (1 hello wait, 2 close the gate after the first read, 4 a tiny buffer),
//        [1] read size (0: all at once), then the bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "link/bytes.h"
#include "link/receive.h"

namespace {

using namespace devlink;

void Check(bool ok) {
    if (!ok) std::abort();
}

struct CheckingSink : FrameSink {
    void Deliver(Frame&& f) override {
        Check(f.size() >= kMinFrameLength && f.size() <= kMaxReceivedFrameLength);
        Check(GetU16BE(&f[2]) == f.size());
        Check(f[0] == kNodePc && (f[1] == kNodeDsp || f[1] == kNodeAccessory));
        ++frames;
    }
    size_t frames = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const uint8_t mode = data[0];
    const size_t readSize = data[1] == 0 ? size : data[1];
    data += 2;
    size -= 2;

    // The detector agrees with a plain comparison of the last six bytes.
    static const uint8_t hello[6] = {0x5A, 0x80, 0x00, 0x06, 0x11, 0xF1};
    Check(EndsWithHello(data, size) == (size >= 6 && std::memcmp(data + size - 6, hello, 6) == 0));

    ReceiveBuffer buffer((mode & 4) ? 64 : 4096);
    ReceiveFlags flags;
    flags.helloWait = (mode & 1) ? 1 : 0;
    CheckingSink sink;
    for (size_t at = 0; at < size; at += readSize) {
        const size_t n = size - at < readSize ? size - at : readSize;
        const bool wasWaiting = flags.helloWait.load() != 0;
        buffer.Accept(data + at, n, flags, sink);
        Check(buffer.fill() <= buffer.capacity());
        if (wasWaiting && flags.helloWait.load() == 0) Check(flags.gateClosed.load() == 1);
        if (at == 0 && (mode & 2)) flags.gateClosed = 1;
    }

    for (size_t i = buffer.fill(); i < buffer.capacity(); ++i) Check(buffer.data()[i] == 0);

    // The parser alone, over the whole input in one buffer.
    Frame copy(data, data + size);
    std::atomic<int> open{0};
    CheckingSink direct;
    const size_t rest = ParseReceived(copy.data(), copy.size(), open, direct);
    Check(rest <= copy.size());
    return 0;
}
