// The firmware upload against the simulated unit on the stepping sleeper: the frames byte for byte,
// the pacing and the rests, the result the unit gives and what ends the wait for it.
#include <gtest/gtest.h>

#include <functional>
#include <numeric>

#include "link/bytes.h"
#include "link/firmware_upload.h"
#include "link_harness.h"
#include "sim/firmware_store.h"

using namespace devlink;
using linktest::Bytes;
using linktest::SimHarness;

namespace {

const Frame kEnd = Bytes({0x46, 0x5A, 0x00, 0x06, 0xCA, 0x70});

// An image file: a 56-byte header (its contents are the check's business, not the upload's) and a
// payload whose bytes differ from block to block.
std::vector<uint8_t> ImageFile(size_t payload) {
    std::vector<uint8_t> file(kFirmwareFileHeaderSize, 0xEE);
    for (size_t i = 0; i < payload; ++i) file.push_back(static_cast<uint8_t>(i * 7 + i / 512));
    return file;
}

// A data frame worked out by hand from the layout: 'F' 'Z', length BE, C8, block LE, bytes, sum.
Frame DataFrame(const std::vector<uint8_t>& file, size_t from, size_t n, uint32_t block) {
    Frame f = {0x46, 0x5A, static_cast<uint8_t>((n + 10) >> 8), static_cast<uint8_t>(n + 10), 0xC8,
               static_cast<uint8_t>(block), static_cast<uint8_t>(block >> 8), static_cast<uint8_t>(block >> 16),
               static_cast<uint8_t>(block >> 24)};
    f.insert(f.end(), file.begin() + static_cast<long>(kFirmwareFileHeaderSize + from),
             file.begin() + static_cast<long>(kFirmwareFileHeaderSize + from + n));
    f.push_back(static_cast<uint8_t>(std::accumulate(f.begin(), f.end(), 0u)));
    return f;
}

class UploadTest : public ::testing::Test {
protected:
    void SetUp() override {
        h.AddUnit();
        {
            auto g = h.bus.Lock();
            sim::InstallFirmwareStore(h.bus.unit(0), store);
        }
        link = h.MakeLink();
        ASSERT_EQ(link->Open(1), 1);
        h.bus.ClearTraces();
    }
    // Runs the whole upload; the phase and the posted results are kept.
    void Upload(const std::vector<uint8_t>& file) {
        FirmwareUpload upload(file, phase, [this](uint32_t r) { posted.push_back(r); });
        upload.Run(*link);
        answered = upload.Answered();
    }
    std::vector<Frame> FirmwareFrames() {
        std::vector<Frame> out;
        for (const Frame& f : h.bus.FramesFromPc(0))
            if (f.size() > 4 && (f[4] == 0xC8 || f[4] == 0xCA)) out.push_back(f);
        return out;
    }
    template <class F>
    void Unit(F&& change) {
        auto g = h.bus.Lock();
        change(h.bus.unit(0));
    }

    SimHarness h;
    sim::FirmwareStore store;
    std::unique_ptr<UsbLink> link;
    std::atomic<int> phase{kFirmwarePhaseWaiting};
    std::vector<uint32_t> posted;
    bool answered = false;
};

}  // namespace

TEST(FirmwareMessages, BuiltByteForByte) {
    EXPECT_EQ(BuildFirmwareBeginMessage(1024),
              Bytes({0x46, 0x5A, 0x00, 0x0E, 0xC8, 0x01, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x7B}));
    EXPECT_EQ(BuildFirmwareBeginMessage(0x01020304),
              Bytes({0x46, 0x5A, 0x00, 0x0E, 0xC8, 0x01, 0x00, 0x00, 0x00, 0x04, 0x03, 0x02, 0x01, 0x81}));
    EXPECT_EQ(BuildFirmwareEndMessage(), kEnd);
    const uint8_t one = 0xAB;
    EXPECT_EQ(BuildFirmwareDataMessage(&one, 1, 0x0302),
              Bytes({0x46, 0x5A, 0x00, 0x0B, 0xC8, 0x02, 0x03, 0x00, 0x00, 0xAB, 0x23}));
    std::vector<uint8_t> full(512, 0x01);
    const Frame f = BuildFirmwareDataMessage(full.data(), full.size(), 2);
    ASSERT_EQ(f.size(), 522u);
    EXPECT_EQ(Frame(f.begin(), f.begin() + 9), Bytes({0x46, 0x5A, 0x02, 0x0A, 0xC8, 0x02, 0x00, 0x00, 0x00}));
    EXPECT_EQ(f.back(), static_cast<uint8_t>(0x46 + 0x5A + 0x02 + 0x0A + 0xC8 + 0x02 + 512));
    // No bytes, too many, or none given: nothing to send.
    EXPECT_TRUE(BuildFirmwareDataMessage(full.data(), 0, 2).empty());
    std::vector<uint8_t> big(513, 0);
    EXPECT_TRUE(BuildFirmwareDataMessage(big.data(), big.size(), 2).empty());
    EXPECT_TRUE(BuildFirmwareDataMessage(nullptr, 4, 2).empty());
}

TEST_F(UploadTest, ImagesGoOutAsBeginBlocksAndEnd) {
    struct Case {
        size_t payload;
        std::vector<size_t> blocks;  // bytes per data block
    };
    const Case cases[] = {
        {1024, {512, 512}},
        {513, {512, 1}},       // a last frame of 11 bytes
        {516, {512, 4}},       // a 14-byte data frame, told from the begin by its number
        {1, {1}},
        {512, {512}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.payload);
        h.bus.ClearTraces();
        posted.clear();
        const std::vector<uint8_t> file = ImageFile(c.payload);
        Upload(file);
        std::vector<Frame> expected{BuildFirmwareBeginMessage(static_cast<uint32_t>(c.payload))};
        size_t from = 0;
        uint32_t block = 2;
        for (size_t n : c.blocks) {
            expected.push_back(DataFrame(file, from, n, block++));
            from += n;
        }
        expected.push_back(kEnd);
        EXPECT_EQ(FirmwareFrames(), expected);
        EXPECT_TRUE(h.bus.PacingViolations(0).empty());
        // The unit took every byte: byte 6 = 1, byte 7 = 0.
        EXPECT_EQ(store.received(), std::vector<uint8_t>(file.begin() + 56, file.end()));
        EXPECT_TRUE(answered);
        EXPECT_EQ(posted, (std::vector<uint32_t>{1}));
        EXPECT_EQ(phase.load(), kFirmwarePhaseResult);
    }
}

TEST_F(UploadTest, PacingAndTheUnitsRests) {
    // 21 blocks: 10240 bytes after block 21, so the unit rests before block 22.
    const std::vector<uint8_t> file = ImageFile(10240 + 700);
    Upload(file);
    EXPECT_TRUE(h.bus.PacingViolations(0).empty());
    EXPECT_EQ(posted, (std::vector<uint32_t>{1}));
    // Address byte and data of each frame, from the trace: the gap before each frame's address byte.
    std::vector<sim::TraceEntry> frames;
    for (const sim::TraceEntry& e : h.bus.Trace(0))
        if (e.kind == sim::TraceKind::FromPc && e.bytes.size() > 4 && e.bytes[4] == 0xC8) frames.push_back(e);
    ASSERT_EQ(frames.size(), 1u + 22u);  // the begin and blocks 2..23
    // Each data frame ends 75 ms after its address byte; the next one starts 75 ms later, or
    // 1500 ms more after the 10000th byte.
    for (size_t i = 2; i < frames.size(); ++i) {
        const uint64_t gap = frames[i].timeMs - frames[i - 1].timeMs;
        const uint32_t block = GetU32LE(&frames[i].bytes[5]);
        SCOPED_TRACE(block);
        EXPECT_EQ(gap, block == 22 ? 150u + 1500u : 150u);
    }
    // 1500 ms after the image, then the gate opens (200 ms) before the end message.
    EXPECT_EQ(h.sleeper.Count(1500), 2u);
}

TEST_F(UploadTest, TheUnitsVerdictIsPosted) {
    struct Case {
        const char* name;
        int damagedBlock;
        size_t payload;
        uint32_t result;  // byte 6 + 65536 * byte 7
    };
    const Case cases[] = {
        {"completed", -1, 2000, 1},
        {"damaged block", 3, 2000, 0 + 3 * 65536},
        {"empty image: only the end, no begin", -1, 0, 0 + 1 * 65536},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::FirmwareOptions options;
        options.damagedBlock = c.damagedBlock;
        store = sim::FirmwareStore(options);
        h.bus.ClearTraces();
        posted.clear();
        Upload(ImageFile(c.payload));
        EXPECT_EQ(posted, (std::vector<uint32_t>{c.result}));
        if (c.payload == 0) {
            EXPECT_EQ(FirmwareFrames(), (std::vector<Frame>{kEnd}));
        }
    }
}

TEST_F(UploadTest, ADamagedBlocksEarlyAnswerIsLostAndTheEndDecides) {
    sim::FirmwareOptions options;
    options.damagedBlock = 2;
    store = sim::FirmwareStore(options);
    Upload(ImageFile(3000));
    // The unit answered block 2 at once while the gate was closed, and the end message again.
    size_t results = 0;
    for (const sim::TraceEntry& e : h.bus.Trace(0))
        if (e.kind == sim::TraceKind::ToPc && e.bytes.size() > 4 && e.bytes[4] == 0xCB) ++results;
    EXPECT_EQ(results, 2u);
    EXPECT_EQ(posted, (std::vector<uint32_t>{3 * 65536}));
    EXPECT_EQ(link->ReceivedCount(), 0u);
}

TEST_F(UploadTest, NoResultEndsAfterItsBoundWithNothing) {
    Unit([](sim::SimUnit& u) { u.faults().noReplyTo.insert(0xCA); });
    uint64_t endSentAt = 0;
    h.sleeper.SetOnSleep([&](uint32_t) {
        if (!endSentAt && phase.load() == kFirmwarePhaseResult) endSentAt = h.clock.NowMs();
    });
    Upload(ImageFile(600));
    EXPECT_FALSE(answered);
    EXPECT_EQ(posted, (std::vector<uint32_t>{0}));
    EXPECT_GE(h.clock.NowMs() - endSentAt, static_cast<uint64_t>(kFirmwareResultTimeoutMs));
    EXPECT_LT(h.clock.NowMs() - endSentAt, static_cast<uint64_t>(kFirmwareResultTimeoutMs) + 1000);
}

TEST_F(UploadTest, AStaleOrStrayResultIsNotTakenForTheUploads) {
    // A FINALIZE result still queued from before, and a success that comes while the image goes
    // out: neither is the answer to this end message, which the unit leaves unanswered.
    const Frame success = Bytes({0x5A, 0x46, 0x00, 0x09, 0xCB, 0x00, 0x01, 0x00, 0x75});
    h.bus.InjectToPc(0, success);
    for (int i = 0; i < 20 && link->ReceivedCount() == 0; ++i) h.sleeper.SleepMs(15);
    ASSERT_EQ(link->ReceivedCount(), 1u);
    Unit([](sim::SimUnit& u) { u.faults().noReplyTo.insert(0xCA); });
    bool injected = false;
    h.sleeper.SetOnSleep([&](uint32_t ms) {
        if (!injected && ms == 75 && phase.load() == kFirmwarePhaseSending) {
            injected = true;
            h.bus.InjectToPc(0, success);
        }
    });
    Upload(ImageFile(1500));
    EXPECT_TRUE(injected);
    EXPECT_FALSE(answered);
    EXPECT_EQ(posted, (std::vector<uint32_t>{0}));
}

TEST_F(UploadTest, FailingWritesNeitherStopTheImageNorReportUntilTheEnd) {
    // From the first write after the begin message on every write fails: the image is written to
    // its end without a word of failure; the end message, with reporting on again, finds the link
    // gone.
    Unit([](sim::SimUnit& u) { u.faults().writeFails = sim::CallFault::From(static_cast<int64_t>(u.writeCalls) + 2); });
    uint64_t writesAtEnd = 0;
    bool reportedDuringImage = false;
    h.sleeper.SetOnSleep([&](uint32_t) {
        if (phase.load() == kFirmwarePhaseSending && !h.notifier.Posts(kMsgLinkFailed).empty())
            reportedDuringImage = true;
        if (!writesAtEnd && phase.load() == kFirmwarePhaseResult) {
            auto g = h.bus.Lock();
            writesAtEnd = h.bus.unit(0).writeCalls;
        }
    });
    Upload(ImageFile(2048));
    EXPECT_FALSE(reportedDuringImage);
    // Every frame of the image was tried: its writes went on after the first failure.
    EXPECT_GT(writesAtEnd, 3u + 2 * 5);
    EXPECT_EQ(h.notifier.Posts(kMsgLinkFailed).size(), 1u);
    EXPECT_EQ(posted.size(), 1u);
}

TEST_F(UploadTest, TheProgramsStopEndsTheResultWaitAtOnce) {
    // The unit never answers; the program ends while the dialog waits: the poll thread must not
    // sit out the whole bound, or closing the program would hang for two minutes.
    Unit([](sim::SimUnit& u) { u.faults().noReplyTo.insert(0xCA); });
    std::atomic<int> stop{0};
    link->SetCancel(&stop);
    uint64_t stoppedAt = 0;
    h.sleeper.SetOnSleep([&](uint32_t ms) {
        if (!stoppedAt && ms == 15 && phase.load() == kFirmwarePhaseResult) {
            stoppedAt = h.clock.NowMs();
            stop.store(1);
        }
    });
    Upload(ImageFile(600));
    EXPECT_FALSE(answered);
    EXPECT_EQ(posted, (std::vector<uint32_t>{0}));
    ASSERT_NE(stoppedAt, 0u);
    EXPECT_LT(h.clock.NowMs() - stoppedAt, 1000u);
}

TEST(FirmwareUpload, AFailedLinkEndsTheResultWaitAtOnce) {
    // However the unit is lost, the wait for its verdict ends at the first look after the end
    // message instead of sitting out its two minutes: the link's one reply-wait rule ends it.
    struct Case {
        const char* what;
        std::function<void(sim::SimUnit&)> lose;
    };
    const Case cases[] = {
        // Gone as the image begins: the image's failed writes are not reported, the end
        // message's are and mark the link failed.
        {"unplugged at the begin", [](sim::SimUnit& u) { u.faults().unplugOnCommand = 0xC8; }},
        // Gone as the end message arrives: the writes went out, the driver then reports it gone.
        {"unplugged at the end", [](sim::SimUnit& u) { u.faults().unplugOnCommand = 0xCA; }},
        // The driver stops answering its status query once the image is out.
        {"status query failing", [](sim::SimUnit& u) {
             u.faults().noReplyTo.insert(0xCA);
             u.faults().statusFails = sim::CallFault::From(static_cast<int64_t>(u.statusCalls) + 1);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SimHarness h;
        sim::FirmwareStore store;
        h.AddUnit();
        {
            auto g = h.bus.Lock();
            sim::InstallFirmwareStore(h.bus.unit(0), store);
        }
        auto link = h.MakeLink();
        ASSERT_EQ(link->Open(1), 1);
        std::atomic<int> phase{kFirmwarePhaseWaiting};
        uint64_t endSentAt = 0;
        h.sleeper.SetOnSleep([&](uint32_t) {
            if (!endSentAt && phase.load() == kFirmwarePhaseResult) endSentAt = h.clock.NowMs();
        });
        {
            auto g = h.bus.Lock();
            c.lose(h.bus.unit(0));
        }
        std::vector<uint32_t> posted;
        const std::vector<uint8_t> image = ImageFile(1100);
        FirmwareUpload upload(image, phase, [&](uint32_t r) { posted.push_back(r); });
        upload.Run(*link);
        EXPECT_FALSE(upload.Answered());
        EXPECT_EQ(posted, (std::vector<uint32_t>{0}));
        ASSERT_NE(endSentAt, 0u);
        EXPECT_LT(h.clock.NowMs() - endSentAt, 1000u);
        EXPECT_TRUE(link->IsFailed());
        EXPECT_EQ(h.notifier.Posts(kMsgLinkFailed).size(), 1u);
    }
}
