#include <gtest/gtest.h>

#include <random>

#include "link/bytes.h"
#include "link/receive.h"
#include "link_harness.h"

using namespace devlink;
using linktest::Bytes;

namespace {

struct CollectSink : FrameSink {
    void Deliver(Frame&& f) override { frames.push_back(std::move(f)); }
    std::vector<Frame> frames;
};

const Frame kIdentifyReply =
    Bytes({0x5A, 0x46, 0x00, 0x0E, 0xCD, 0x01, 0x02, 0x03, 0x04, 0xA1, 0x0F, 0x05, 0x01, 0x3B});
const Frame kReadAllDone = Bytes({0x5A, 0x46, 0x00, 0x07, 0x93, 0x01, 0x3B});
const Frame kHello = Bytes({0x5A, 0x80, 0x00, 0x06, 0x11, 0xF1});

Frame Cat(std::initializer_list<Frame> parts) {
    Frame out;
    for (const Frame& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

struct Receiver {
    explicit Receiver(size_t capacity = 4096) : buffer(capacity) {}
    void Feed(const Frame& bytes) { buffer.Accept(bytes.data(), bytes.size(), flags, sink); }
    ReceiveBuffer buffer;
    ReceiveFlags flags;
    CollectSink sink;
};

}  // namespace

TEST(ParseReceived, ReadsCutAnywhereGiveTheSameFrames) {
    // Two replies with a foreign frame (to the DSP unit) between them, in reads of every size.
    const Frame foreign = Bytes({0x46, 0x5A, 0x00, 0x06, 0xCC, 0x72});
    const Frame stream = Cat({kIdentifyReply, foreign, kReadAllDone});
    for (size_t cut = 1; cut <= stream.size(); ++cut) {
        SCOPED_TRACE(cut);
        Receiver r;
        for (size_t at = 0; at < stream.size(); at += cut)
            r.Feed(Frame(stream.begin() + at, stream.begin() + std::min(stream.size(), at + cut)));
        ASSERT_EQ(r.sink.frames.size(), 2u);
        EXPECT_EQ(r.sink.frames[0], kIdentifyReply);
        EXPECT_EQ(r.sink.frames[1], kReadAllDone);
        EXPECT_EQ(r.buffer.fill(), 0u);
    }
}

TEST(ParseReceived, ReplySplitThreeAndRestIsQueuedOnceAfterTheSecondRead) {
    Receiver r;
    r.Feed(Frame(kIdentifyReply.begin(), kIdentifyReply.begin() + 3));
    EXPECT_TRUE(r.sink.frames.empty());
    EXPECT_EQ(r.buffer.fill(), 3u);
    r.Feed(Frame(kIdentifyReply.begin() + 3, kIdentifyReply.end()));
    ASSERT_EQ(r.sink.frames.size(), 1u);
    EXPECT_EQ(r.sink.frames[0], kIdentifyReply);
}

TEST(ParseReceived, ImpossibleLengthsResynchronise) {
    const struct {
        const char* what;
        Frame junk;
    } cases[] = {
        {"length 0 for the PC", Bytes({0x5A, 0x46, 0x00, 0x00})},
        {"length 3 for the PC", Bytes({0x5A, 0x80, 0x00, 0x03, 0x11})},
        {"length 5 for the PC", Bytes({0x5A, 0x46, 0x00, 0x05, 0xCD})},
        {"length 803 for the PC", Bytes({0x5A, 0x46, 0x03, 0x23, 0xD7})},
        {"length 65535 for the PC", Bytes({0x5A, 0x46, 0xFF, 0xFF})},
        {"foreign length 0", Bytes({0x46, 0x5A, 0x00, 0x00})},
        {"foreign length 2", Bytes({0x00, 0x00, 0x00, 0x02, 0x00})},
        {"zeros", Frame(37, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Receiver r;
        r.Feed(Cat({c.junk, kIdentifyReply}));
        ASSERT_EQ(r.sink.frames.size(), 1u);
        EXPECT_EQ(r.sink.frames[0], kIdentifyReply);
        EXPECT_EQ(r.buffer.fill(), 0u);
    }
}

TEST(ParseReceived, IncompleteFrameWaitsAndShortInputIsLeftAlone) {
    Receiver r;
    r.Feed(Bytes({0x5A, 0x46, 0x00}));  // fewer than 5 bytes: not even looked at
    EXPECT_EQ(r.buffer.fill(), 3u);
    r.Feed(Bytes({0x0E, 0xCD, 0x01}));
    EXPECT_TRUE(r.sink.frames.empty());
    EXPECT_EQ(r.buffer.fill(), 6u);
}

TEST(ParseReceived, ClosedGateDropsEverything) {
    Receiver r;
    r.Feed(Frame(kIdentifyReply.begin(), kIdentifyReply.begin() + 7));
    r.flags.gateClosed = 1;
    r.Feed(kReadAllDone);
    EXPECT_TRUE(r.sink.frames.empty());
    EXPECT_EQ(r.buffer.fill(), 0u);
    r.flags.gateClosed = 0;
    r.Feed(Frame(kIdentifyReply.begin() + 7, kIdentifyReply.end()));  // the head is gone
    EXPECT_TRUE(r.sink.frames.empty());
}

TEST(HelloWait, OnlyTheHelloAtTheEndOfTheBytesCounts) {
    const struct {
        const char* what;
        std::vector<Frame> reads;
        bool recognised;
    } cases[] = {
        {"alone", {kHello}, true},
        {"after other bytes in the same read", {Cat({Bytes({1, 2, 3}), kIdentifyReply, kHello})}, true},
        {"split over two reads", {Frame(kHello.begin(), kHello.begin() + 3),
                                  Frame(kHello.begin() + 3, kHello.end())}, true},
        {"followed by a byte", {Cat({kHello, Bytes({0x00})})}, false},
        {"wrong checksum", {Bytes({0x5A, 0x80, 0x00, 0x06, 0x11, 0xF2})}, false},
        {"a reply only", {kIdentifyReply}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Receiver r;
        r.flags.helloWait = 1;
        for (const Frame& f : c.reads) r.Feed(f);
        if (c.recognised) {
            ASSERT_EQ(r.sink.frames.size(), 1u);
            EXPECT_EQ(r.sink.frames[0], kHello);
            EXPECT_EQ(r.flags.helloWait.load(), 0);
            EXPECT_EQ(r.flags.gateClosed.load(), 1);
            EXPECT_EQ(r.buffer.fill(), 0u);
        } else {
            // Nothing else is ever parsed while waiting for the hello.
            EXPECT_TRUE(r.sink.frames.empty());
            EXPECT_EQ(r.flags.helloWait.load(), 1);
            EXPECT_EQ(r.flags.gateClosed.load(), 0);
        }
    }
}

TEST(ReceiveBuffer, FloodsNeverOverrun) {
    std::mt19937 random(7);
    Frame flood(5 * 1024 * 1024 + 3);
    for (uint8_t& b : flood) b = static_cast<uint8_t>(random());

    // Waiting for the hello: the oldest bytes give way; a hello at the end is still seen.
    Receiver hello(kReceiveBufferSize);
    hello.flags.helloWait = 1;
    hello.Feed(flood);
    EXPECT_LE(hello.buffer.fill(), hello.buffer.capacity());
    hello.Feed(kHello);
    ASSERT_EQ(hello.sink.frames.size(), 1u);

    // Gate open, a small buffer: garbage comes and goes, frames after it are found.
    Receiver open(256);
    open.Feed(flood);
    EXPECT_LE(open.buffer.fill(), open.buffer.capacity());
    for (const Frame& f : open.sink.frames) {
        ASSERT_GE(f.size(), 6u);
        ASSERT_LE(f.size(), kMaxReceivedFrameLength);
        EXPECT_EQ(f.size(), GetU16BE(&f[2]));
    }
    open.buffer.Clear();
    open.sink.frames.clear();
    open.Feed(Cat({Frame(3000, 0), kIdentifyReply}));
    ASSERT_EQ(open.sink.frames.size(), 1u);
    EXPECT_EQ(open.sink.frames[0], kIdentifyReply);
}
