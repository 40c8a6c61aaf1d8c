// Cutting the bytes the device sends into frames, and the receive buffer of a link.
//
// Kept apart from the link's thread so that it can be driven byte by byte by tests, the fuzzer
// and the throughput benchmark.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "link/frame.h"

namespace devlink {

constexpr size_t kReceiveBufferSize = 4194305;  // 4 MB + 1
constexpr size_t kParseLimit = 4194304;         // the parser stops at this position
// The longest frame the device sends to the PC (the diagnostics dump).
constexpr size_t kMaxReceivedFrameLength = 802;
// The hello of the accessory node, as the handshake waits for it.
constexpr uint8_t kHelloFrame[6] = {0x5A, 0x80, 0x00, 0x06, 0x11, 0xF1};

// The words the receiver shares with the threads that steer it, without a lock. Written by one
// side and read by the other; the order of the stores matters (clear request before the gate).
struct ReceiveFlags {
    std::atomic<int> gateClosed{0};    // 1: every received byte is dropped
    std::atomic<int> helloWait{0};     // 1: only the hello is looked for
    std::atomic<int> clearRequest{0};  // 1: empty the buffers at the next wake-up
};

class FrameSink {
public:
    virtual ~FrameSink() = default;
    virtual void Deliver(Frame&& frame) = 0;
};

// True when the n bytes end with the six bytes of the hello.
bool EndsWithHello(const uint8_t* bytes, size_t n);

// Cuts complete frames for the PC ('Z' then 'F' or 0x80) from the start of buffer[0..fill) and
// hands each to the sink in order; skips other frames by their length field; on a length that
// cannot be a frame (below 6, or above 802 for a frame for the PC) drops bytes up to the next
// possible start of a frame for the PC. Consumed
// bytes are zeroed and the rest moved to the front. Returns the new fill. With the gate closed the
// whole buffer is zeroed and 0 returned.
size_t ParseReceived(uint8_t* buffer, size_t fill, const std::atomic<int>& gateClosed,
                     FrameSink& sink);

// The receive buffer of a link: bytes received and not yet cut into frames. Bytes past fill() are
// always zero.
class ReceiveBuffer {
public:
    explicit ReceiveBuffer(size_t capacity = kReceiveBufferSize);

    // The bytes of one read of the receiver, handled by the current mode:
    // - hello wait: collected; when they end with the hello, the hello alone is parsed (queued),
    //   hello wait ends, the gate closes and the buffer is emptied. Nothing else is ever parsed.
    // - gate open: collected and parsed.
    // - gate closed: dropped, with whatever the buffer held.
    // The buffer never overruns: in hello wait the oldest bytes make room (only the last six
    // matter); with the gate open the bytes go in as the parser makes room.
    void Accept(const uint8_t* bytes, size_t n, ReceiveFlags& flags, FrameSink& sink);
    // Runs the parser over the buffer.
    void Parse(const std::atomic<int>& gateClosed, FrameSink& sink);
    void Clear();

    size_t fill() const { return fill_; }
    size_t capacity() const { return buffer_.size(); }
    const uint8_t* data() const { return buffer_.data(); }

private:
    void Append(const uint8_t* bytes, size_t n);  // n <= capacity() - fill()
    std::vector<uint8_t> buffer_;
    size_t fill_ = 0;
};

}  // namespace devlink
