// The simulated unit's side of a firmware update: each check it makes of the blocks, the result it
// gives, the version it reports after a completed or a failed update, and the state file.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "link/bytes.h"
#include "link/firmware_upload.h"
#include "link/frame.h"
#include "link/ftdi.h"
#include "os/time.h"
#include "sim/device.h"
#include "sim/firmware_store.h"

using namespace sim;
using devlink::FT_PARITY_MARK;
using devlink::FT_PARITY_SPACE;

namespace {

const Frame kIdentify = {0x46, 0x5A, 0x00, 0x06, 0xCC, 0x72};
const Frame kReadAll = {0x46, 0x5A, 0x00, 0x06, 0x92, 0x38};

Frame ResultFrame(uint8_t completed, uint8_t check) {
    return SimUnit::BuildReply(devlink::kNodeDsp, 0xCB, {0, completed, check});
}

class FirmwareStoreTest : public ::testing::Test {
protected:
    void Make(FirmwareOptions options = {}) {
        options.newFirmware = {0, 0, 9, 1};     // 1.9
        options.rescueFirmware = {0, 0, 0, 0};  // 0.0
        options.flashDelayMs = 2000;
        UnitConfig config;
        config.hello = HelloMode::Never;  // only what the update says reaches the PC
        unit = std::make_unique<SimUnit>(config, clock);
        store = std::make_unique<FirmwareStore>(options);
        store->SetOnStateChange([this](const UnitFlashState& s) { changes.push_back(s); });
        InstallFirmwareStore(*unit, *store);
        unit->Connect();
    }
    void Send(const Frame& f) {
        unit->SetParity(FT_PARITY_MARK);
        unit->ReceiveFromPc(f.data(), 1);
        clock.Advance(75);
        unit->SetParity(FT_PARITY_SPACE);
        unit->ReceiveFromPc(f.data() + 1, f.size() - 1);
        clock.Advance(75);
    }
    Frame Drain(uint32_t ms) {
        for (uint32_t i = 0; i <= ms; ++i) {
            unit->Poll();
            clock.Advance(1);
        }
        Frame out(unit->rxQueue().begin(), unit->rxQueue().end());
        unit->rxQueue().clear();
        return out;
    }
    Frame Block(uint32_t number, size_t n, uint8_t fill = 0x5A) {
        std::vector<uint8_t> bytes(n, fill);
        return devlink::BuildFirmwareDataMessage(bytes.data(), n, number);
    }
    // The identify reply's version bytes after a new open.
    std::array<uint8_t, 4> VersionAfterReopen() {
        unit->Disconnect();
        unit->Connect();
        Send(kIdentify);
        const Frame r = Drain(50);
        std::array<uint8_t, 4> v{};
        if (r.size() >= 14) std::copy(r.begin() + 9, r.begin() + 13, v.begin());
        return v;
    }

    os::ManualClock clock{500};
    std::unique_ptr<SimUnit> unit;
    std::unique_ptr<FirmwareStore> store;
    std::vector<UnitFlashState> changes;
};

}  // namespace

TEST_F(FirmwareStoreTest, EachCheckOfTheUpload) {
    struct Case {
        const char* name;
        std::vector<Frame> blocks;  // after the begin, which announces 1000 bytes
        uint8_t completed, check;
    };
    const Case cases[] = {
        {"complete", {Block(2, 512), Block(3, 488)}, 1, 0},
        {"short", {Block(2, 512), Block(3, 487)}, 0, FirmwareStore::kSize},
        {"long", {Block(2, 512), Block(3, 489)}, 0, FirmwareStore::kSize},
        {"a block skipped", {Block(2, 512), Block(4, 488)}, 0, FirmwareStore::kSequence},
        {"a block twice", {Block(2, 512), Block(2, 488)}, 0, FirmwareStore::kSequence},
        {"numbered from 3", {Block(3, 512), Block(4, 488)}, 0, FirmwareStore::kSequence},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Make();
        Send(devlink::BuildFirmwareBeginMessage(1000));
        for (const Frame& b : c.blocks) Send(b);
        Frame early = Drain(10);
        Send(devlink::BuildFirmwareEndMessage());
        // The verdict comes after the flash delay, not before.
        EXPECT_TRUE(Drain(1900).empty());
        EXPECT_EQ(Drain(200), ResultFrame(c.completed, c.check));
        // A block out of order was refused at once as well; a size is only known at the end.
        EXPECT_EQ(early, c.check == FirmwareStore::kSequence ? ResultFrame(0, c.check) : Frame{});
        EXPECT_EQ(store->announcedSize(), 1000u);
    }
}

TEST_F(FirmwareStoreTest, ABlockOfFourBytesIsDataNotABegin) {
    Make();
    Send(devlink::BuildFirmwareBeginMessage(516));
    Send(Block(2, 512));
    const Frame last = Block(3, 4);
    ASSERT_EQ(last.size(), 14u);
    Send(last);
    Send(devlink::BuildFirmwareEndMessage());
    EXPECT_EQ(Drain(2100), ResultFrame(1, 0));
    EXPECT_EQ(store->received().size(), 516u);
    EXPECT_TRUE(unit->pacingViolations().empty());  // 75 ms is enough for a data block of 14 bytes
}

TEST_F(FirmwareStoreTest, AnEndWithoutABeginFailsAndChangesNothing) {
    Make();
    Send(devlink::BuildFirmwareEndMessage());
    EXPECT_EQ(Drain(2100), ResultFrame(0, FirmwareStore::kNoBegin));
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(VersionAfterReopen(), (std::array<uint8_t, 4>{161, 15, 5, 1}));
}

TEST_F(FirmwareStoreTest, ADamagedBlockIsAnsweredAtOnceAndFailsTheEnd) {
    FirmwareOptions options;
    options.damagedBlock = 3;
    Make(options);
    Send(devlink::BuildFirmwareBeginMessage(1536));
    Send(Block(2, 512));
    EXPECT_TRUE(Drain(10).empty());
    Send(Block(3, 512));
    EXPECT_EQ(Drain(10), ResultFrame(0, FirmwareStore::kBadBlock));
    Send(Block(4, 512));
    Send(devlink::BuildFirmwareEndMessage());
    EXPECT_EQ(Drain(2100), ResultFrame(0, FirmwareStore::kBadBlock));
}

TEST_F(FirmwareStoreTest, ACompletedUpdateReportsTheNewVersionFromTheNextOpen) {
    Make();
    Send(devlink::BuildFirmwareBeginMessage(10));
    Send(Block(2, 10));
    Send(devlink::BuildFirmwareEndMessage());
    Drain(2100);
    // Until the unit restarts it is what it was.
    Send(kIdentify);
    const Frame before = Drain(50);
    ASSERT_EQ(before.size(), 14u);
    EXPECT_EQ(before[12], 1);
    EXPECT_EQ(before[11], 5);
    EXPECT_EQ(VersionAfterReopen(), (std::array<uint8_t, 4>{0, 0, 9, 1}));
    EXPECT_EQ(changes, (std::vector<UnitFlashState>{{{0, 0, 9, 1}, false}}));
    // A tuning request is answered as ever.
    Send(kReadAll);
    EXPECT_FALSE(Drain(50).empty());
}

TEST_F(FirmwareStoreTest, AFailedUpdateLeavesTheUnitInRescue) {
    Make();
    Send(devlink::BuildFirmwareBeginMessage(1000));
    Send(Block(2, 512));
    Send(devlink::BuildFirmwareEndMessage());
    EXPECT_EQ(Drain(2100), ResultFrame(0, FirmwareStore::kSize));
    EXPECT_EQ(VersionAfterReopen(), (std::array<uint8_t, 4>{0, 0, 0, 0}));
    EXPECT_TRUE(store->rescue());
    EXPECT_EQ(changes, (std::vector<UnitFlashState>{{{0, 0, 0, 0}, true}}));
    // In rescue it answers hello, identify, disconnect and an update only.
    Send(kReadAll);
    EXPECT_TRUE(Drain(50).empty());
    Send(Frame{0x46, 0x5A, 0x00, 0x06, 0xC9, 0x6F});  // FINALIZE
    EXPECT_TRUE(Drain(50).empty());
    // A new upload that completes brings it back.
    Send(devlink::BuildFirmwareBeginMessage(3));
    Send(Block(2, 3));
    Send(devlink::BuildFirmwareEndMessage());
    EXPECT_EQ(Drain(2100), ResultFrame(1, 0));
    EXPECT_EQ(VersionAfterReopen(), (std::array<uint8_t, 4>{0, 0, 9, 1}));
    EXPECT_FALSE(store->rescue());
    Send(kReadAll);
    EXPECT_FALSE(Drain(50).empty());
}

TEST_F(FirmwareStoreTest, UnpluggedMidUploadItComesBackInRescue) {
    FirmwareOptions options;
    options.unplugAfterBlock = 3;
    options.backAfterMs = 3000;
    Make(options);
    Send(devlink::BuildFirmwareBeginMessage(2048));
    Send(Block(2, 512));
    Send(Block(3, 512));
    EXPECT_FALSE(unit->plugged());
    Send(Block(4, 512));  // into the void
    clock.Advance(2000);
    unit->ReplugIfDue();
    EXPECT_FALSE(unit->plugged());
    clock.Advance(1000);
    unit->ReplugIfDue();
    EXPECT_TRUE(unit->plugged());
    EXPECT_EQ(VersionAfterReopen(), (std::array<uint8_t, 4>{0, 0, 0, 0}));
    EXPECT_EQ(changes, (std::vector<UnitFlashState>{{{0, 0, 0, 0}, true}}));
}

TEST_F(FirmwareStoreTest, AUnitThatStartsInRescueSaysSoAtOnce) {
    FirmwareOptions options;
    options.startInRescue = true;
    Make(options);
    Send(kIdentify);
    const Frame r = Drain(50);
    ASSERT_EQ(r.size(), 14u);
    EXPECT_EQ(Frame(r.begin() + 9, r.begin() + 13), (Frame{0, 0, 0, 0}));
    Send(kReadAll);
    EXPECT_TRUE(Drain(50).empty());
}

TEST(UnitStateFile, RoundTripAndBadLinesSkipped) {
    const std::map<std::string, UnitFlashState> states{{"DX000001", {{4, 3, 2, 1}, false}},
                                                       {"DX000002", {{0, 0, 0, 0}, true}}};
    EXPECT_EQ(FormatUnitStates(states), "DX000001 1.2.3.4 normal\nDX000002 0.0.0.0 rescue\n");
    EXPECT_EQ(ParseUnitStates(FormatUnitStates(states)), states);
    const auto parsed = ParseUnitStates(
        "DX1 1.2.3.4 normal\nDX2 1.2.3 normal\nDX3 1.2.3.256 rescue\nDX4 1.2.3.4 broken\nDX5\n\nDX6 9.8.7.6 rescue\n");
    EXPECT_EQ(parsed, (std::map<std::string, UnitFlashState>{{"DX1", {{4, 3, 2, 1}, false}},
                                                             {"DX6", {{6, 7, 8, 9}, true}}}));
    const std::string path = (std::filesystem::temp_directory_path() / "darvix-unit-states.txt").string();
    std::remove(path.c_str());
    EXPECT_TRUE(LoadUnitStates(path).empty());
    ASSERT_TRUE(SaveUnitStates(path, states));
    EXPECT_EQ(LoadUnitStates(path), states);
    std::remove(path.c_str());
}
