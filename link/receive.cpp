#include "link/receive.h"

#include <algorithm>
#include <cstring>

#include "link/bytes.h"

namespace devlink {

namespace {

// 'Z' then 'F' or 0x80, or a 'Z' that is the last byte so far.
bool MayStartPcFrame(const uint8_t* buffer, size_t fill, size_t p) {
    if (buffer[p] != kNodePc) return false;
    return p + 1 == fill || buffer[p + 1] == kNodeDsp || buffer[p + 1] == kNodeAccessory;
}

}  // namespace

bool EndsWithHello(const uint8_t* bytes, size_t n) {
    return n >= sizeof(kHelloFrame) &&
           std::memcmp(bytes + n - sizeof(kHelloFrame), kHelloFrame, sizeof(kHelloFrame)) == 0;
}

size_t ParseReceived(uint8_t* buffer, size_t fill, const std::atomic<int>& gateClosed,
                     FrameSink& sink) {
    if (fill < 5) return fill;
    size_t p = 0;
    for (;;) {
        if (gateClosed.load() != 0) {
            std::memset(buffer, 0, fill);
            return 0;
        }
        if (p + 4 > fill) break;
        const size_t length = GetU16BE(buffer + p + 2);
        const bool forPc = buffer[p] == kNodePc && (buffer[p + 1] == kNodeDsp ||
                                                    buffer[p + 1] == kNodeAccessory);
        // A length that cannot be a frame (shorter than a header and checksum, or longer than
        // anything the device sends us) means we are not at a frame start: drop bytes up to the
        // next place where a frame for the PC may start, rather than trusting it (0 would never
        // advance, 1..5 would queue a frame without a command byte). Stepping one byte only would
        // read the garbage's next bytes as a foreign frame and wait for its made-up length.
        const size_t longest = forPc ? kMaxReceivedFrameLength : kMaxFrameLength;
        if (length < kMinFrameLength || length > longest) {
            p += 1;
            while (p < fill && !MayStartPcFrame(buffer, fill, p)) ++p;
        } else if (p + length <= fill) {
            if (forPc) sink.Deliver(Frame(buffer + p, buffer + p + length));
            std::memset(buffer + p, 0, length);
            p += length;
        } else {
            break;  // the frame is not complete yet
        }
        if (p >= fill || p >= kParseLimit) break;
    }
    if (p == 0) return fill;
    p = std::min(p, fill);
    const size_t rest = fill - p;
    if (rest > 0) std::memmove(buffer, buffer + p, rest);
    std::memset(buffer + rest, 0, fill - rest);
    return rest;
}

ReceiveBuffer::ReceiveBuffer(size_t capacity) : buffer_(std::max<size_t>(capacity, 8), 0) {}

void ReceiveBuffer::Append(const uint8_t* bytes, size_t n) {
    std::memcpy(buffer_.data() + fill_, bytes, n);
    fill_ += n;
}

void ReceiveBuffer::Clear() {
    std::memset(buffer_.data(), 0, fill_);
    fill_ = 0;
}

void ReceiveBuffer::Parse(const std::atomic<int>& gateClosed, FrameSink& sink) {
    fill_ = ParseReceived(buffer_.data(), fill_, gateClosed, sink);
}

void ReceiveBuffer::Accept(const uint8_t* bytes, size_t n, ReceiveFlags& flags, FrameSink& sink) {
    if (n == 0) return;
    const size_t cap = buffer_.size();
    if (flags.helloWait.load() != 0) {
        // Only the last six bytes are ever compared, so the oldest bytes give way.
        if (n >= cap) {
            std::memset(buffer_.data(), 0, fill_);
            fill_ = 0;
            bytes += n - cap;
            n = cap;
        } else if (fill_ + n > cap) {
            const size_t drop = fill_ + n - cap;
            std::memmove(buffer_.data(), buffer_.data() + drop, fill_ - drop);
            std::memset(buffer_.data() + fill_ - drop, 0, drop);
            fill_ -= drop;
        }
        Append(bytes, n);
        if (EndsWithHello(buffer_.data(), fill_)) {
            std::memmove(buffer_.data(), buffer_.data() + fill_ - sizeof(kHelloFrame),
                         sizeof(kHelloFrame));
            std::memset(buffer_.data() + sizeof(kHelloFrame), 0, fill_ - sizeof(kHelloFrame));
            fill_ = sizeof(kHelloFrame);
            flags.helloWait.store(0);
            Parse(flags.gateClosed, sink);
            // Close the gate at once, without the settling pause of SetReceiveGate: the
            // handshake is the only one waiting and it is about to answer.
            flags.gateClosed.store(1);
            Clear();
        }
        return;
    }
    if (flags.gateClosed.load() != 0) {
        Clear();
        return;
    }
    while (n > 0) {
        size_t room = cap - fill_;
        if (room == 0) {
            // Only bytes the parser cannot place can fill the buffer (a frame start waiting for
            // more than the buffer holds cannot occur with 16-bit lengths); drop them.
            Clear();
            room = cap;
        }
        const size_t k = std::min(room, n);
        Append(bytes, k);
        bytes += k;
        n -= k;
        Parse(flags.gateClosed, sink);
        if (flags.gateClosed.load() != 0) {
            Clear();
            return;
        }
    }
}

}  // namespace devlink
