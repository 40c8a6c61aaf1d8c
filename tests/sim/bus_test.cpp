// The simulated bridge as the driver's operations see it.
#include <gtest/gtest.h>

#include <cstring>

#include "os/event.h"
#include "sim/bus.h"

using namespace sim;
using namespace devlink;

namespace {

UnitConfig Unit(const std::string& description, const std::string& serial, uint32_t location) {
    UnitConfig c;
    c.description = description;
    c.serial = serial;
    c.locationId = location;
    c.hello = HelloMode::Never;
    return c;
}

class BusTest : public ::testing::Test {
protected:
    os::ManualClock clock{100};
    Bus bus{clock};
};

}  // namespace

TEST_F(BusTest, DeviceList) {
    FT_DWORD count = 99;
    EXPECT_EQ(bus.ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
    EXPECT_EQ(count, 0u);
    bus.AddUnit(Unit("Darvix", "A1", 0x11));
    bus.AddUnit(Unit(std::string(80, 'x'), std::string(30, 's'), 0x22));
    EXPECT_EQ(bus.CreateDeviceInfoList(&count), FT_OK);
    EXPECT_EQ(count, 2u);

    FT_DWORD flags, type, id, location;
    char serial[64], description[80];
    FT_HANDLE h = reinterpret_cast<FT_HANDLE>(1);
    ASSERT_EQ(bus.GetDeviceInfoDetail(0, &flags, &type, &id, &location, serial, description, &h),
              FT_OK);
    EXPECT_STREQ(description, "Darvix");
    EXPECT_STREQ(serial, "A1");
    EXPECT_EQ(location, 0x11u);
    EXPECT_EQ(flags, 0u);
    EXPECT_EQ(h, nullptr);
    // Texts are cut to the driver's buffers: 16 bytes of serial, 64 of description, which a long
    // description fills to the last byte without a terminator (the byte after it stays as it was).
    std::memset(description, '#', sizeof description);
    ASSERT_EQ(bus.GetDeviceInfoDetail(1, &flags, &type, &id, &location, serial, description, &h),
              FT_OK);
    EXPECT_EQ(std::string(description, 64), std::string(64, 'x'));
    EXPECT_EQ(description[64], '#');
    EXPECT_EQ(std::strlen(serial), 15u);
    EXPECT_EQ(bus.GetDeviceInfoDetail(2, &flags, &type, &id, &location, serial, description, &h),
              FT_DEVICE_NOT_FOUND);

    // Opened units are flagged; unplugged ones leave the list.
    FT_HANDLE opened = nullptr;
    ASSERT_EQ(bus.OpenEx(const_cast<char*>("Darvix"), FT_OPEN_BY_DESCRIPTION, &opened), FT_OK);
    ASSERT_EQ(bus.GetDeviceInfoDetail(0, &flags, &type, &id, &location, serial, description, &h),
              FT_OK);
    EXPECT_EQ(flags, FT_FLAGS_OPENED);
    EXPECT_EQ(h, opened);
    bus.Unplug(0);
    EXPECT_EQ(bus.ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
    EXPECT_EQ(count, 1u);
}

TEST_F(BusTest, OpenByDescriptionTakesTheFirstUnitNotOpenYet) {
    bus.AddUnit(Unit("Darvix", "A1", 1));
    bus.AddUnit(Unit("Darvix", "A2", 2));
    bus.AddUnit(Unit("Other", "B1", 3));
    FT_HANDLE a = nullptr, b = nullptr, c = nullptr, d = nullptr;
    char name[] = "Darvix";
    EXPECT_EQ(bus.OpenEx(name, FT_OPEN_BY_DESCRIPTION, &a), FT_OK);
    EXPECT_EQ(bus.OpenEx(name, FT_OPEN_BY_DESCRIPTION, &b), FT_OK);
    EXPECT_NE(a, b);
    EXPECT_TRUE(bus.unit(0).connected() && bus.unit(1).connected());
    EXPECT_EQ(bus.OpenEx(name, FT_OPEN_BY_DESCRIPTION, &c), FT_DEVICE_NOT_OPENED);
    EXPECT_EQ(c, nullptr);
    char missing[] = "Nothing";
    EXPECT_EQ(bus.OpenEx(missing, FT_OPEN_BY_DESCRIPTION, &d), FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(bus.Close(a), FT_OK);
    EXPECT_EQ(bus.Close(a), FT_INVALID_HANDLE);
    EXPECT_EQ(bus.OpenEx(name, FT_OPEN_BY_DESCRIPTION, &c), FT_OK);  // the first one again
    EXPECT_TRUE(bus.unit(0).connected());

    bus.unit(2).faults().openFails = true;
    char other[] = "Other";
    EXPECT_EQ(bus.OpenEx(other, FT_OPEN_BY_DESCRIPTION, &d), FT_DEVICE_NOT_OPENED);
}

TEST_F(BusTest, ReceiveQueueEventAndPurge) {
    bus.AddUnit(Unit("Darvix", "A1", 1));
    FT_HANDLE h = nullptr;
    char name[] = "Darvix";
    ASSERT_EQ(bus.OpenEx(name, FT_OPEN_BY_DESCRIPTION, &h), FT_OK);
    os::Event event(os::EventMode::AutoReset);
    ASSERT_EQ(bus.SetEventNotification(h, FT_EVENT_RXCHAR, event.NativeHandle()), FT_OK);

    bus.InjectToPc(0, Frame{1, 2, 3, 4, 5});
    EXPECT_EQ(bus.Poll(), 5u);
    EXPECT_TRUE(event.TryWait());
    EXPECT_EQ(bus.Poll(), 0u);
    EXPECT_FALSE(event.TryWait());  // nothing new, no signal

    FT_DWORD rx = 0, tx = 0, ev = 0;
    ASSERT_EQ(bus.GetStatus(h, &rx, &tx, &ev), FT_OK);
    EXPECT_EQ(rx, 5u);
    uint8_t buffer[8] = {};
    FT_DWORD read = 0;
    ASSERT_EQ(bus.Read(h, buffer, 2, &read), FT_OK);
    EXPECT_EQ(read, 2u);
    EXPECT_EQ(buffer[0], 1);
    ASSERT_EQ(bus.Read(h, buffer, 8, &read), FT_OK);
    EXPECT_EQ(read, 3u);
    EXPECT_EQ(buffer[0], 3);
    ASSERT_EQ(bus.Read(h, buffer, 8, &read), FT_OK);
    EXPECT_EQ(read, 0u);  // the read time-out passes with nothing

    bus.InjectToPc(0, Frame{9, 9});
    bus.Poll();
    ASSERT_EQ(bus.Purge(h, FT_PURGE_RX | FT_PURGE_TX), FT_OK);
    ASSERT_EQ(bus.GetStatus(h, &rx, &tx, &ev), FT_OK);
    EXPECT_EQ(rx, 0u);
}

TEST_F(BusTest, WritesCarryTheParityAndFaultsCountCalls) {
    SimUnit& unit = bus.AddUnit(Unit("Darvix", "A1", 1));
    FT_HANDLE h = nullptr;
    char name[] = "Darvix";
    ASSERT_EQ(bus.OpenEx(name, FT_OPEN_BY_DESCRIPTION, &h), FT_OK);
    uint8_t frame[6] = {0x46, 0x5A, 0x00, 0x06, 0xA5, 0x4B};
    FT_DWORD written = 0;
    ASSERT_EQ(bus.SetDataCharacteristics(h, 8, 0, FT_PARITY_MARK), FT_OK);
    ASSERT_EQ(bus.Write(h, frame, 1, &written), FT_OK);
    ASSERT_EQ(bus.SetDataCharacteristics(h, 8, 0, FT_PARITY_SPACE), FT_OK);
    ASSERT_EQ(bus.Write(h, frame + 1, 5, &written), FT_OK);
    EXPECT_EQ(written, 5u);
    ASSERT_EQ(bus.FramesFromPc(0).size(), 1u);
    EXPECT_EQ(bus.FramesFromPc(0)[0], Frame(frame, frame + 6));

    unit.faults().writeFails = CallFault::From(static_cast<int64_t>(unit.writeCalls), 2);
    EXPECT_EQ(bus.Write(h, frame, 1, &written), FT_IO_ERROR);
    EXPECT_EQ(bus.Write(h, frame, 1, &written), FT_IO_ERROR);
    EXPECT_EQ(bus.Write(h, frame, 1, &written), FT_OK);
    unit.faults().writeTakesNothing = CallFault::Always();
    EXPECT_EQ(bus.Write(h, frame, 1, &written), FT_OK);
    EXPECT_EQ(written, 0u);
    unit.faults().parityFails = CallFault::Always();
    EXPECT_EQ(bus.SetDataCharacteristics(h, 8, 0, FT_PARITY_MARK), FT_IO_ERROR);
    EXPECT_EQ(unit.parity(), FT_PARITY_SPACE);

    // Unplugged: the handle is dead, closing it still works.
    bus.Unplug(0);
    FT_DWORD rx = 0;
    EXPECT_EQ(bus.GetStatus(h, &rx, nullptr, nullptr), FT_IO_ERROR);
    EXPECT_EQ(bus.Write(h, frame, 1, &written), FT_IO_ERROR);
    EXPECT_EQ(bus.Close(h), FT_OK);
    EXPECT_EQ(bus.GetStatus(reinterpret_cast<FT_HANDLE>(0x5), &rx, nullptr, nullptr), FT_IO_ERROR);
}

// A stalled write holds its caller for the port's write time-out (through the wait the bus is
// given, outside its lock); a write fault may wait for a frame of some command to come in first.
TEST_F(BusTest, AStalledWriteWaitsOutTheWriteTimeOutFromItsCommandOn) {
    SimUnit& unit = bus.AddUnit(Unit("Darvix", "A1", 1));
    std::vector<uint32_t> waits;
    bus.SetCallWait([&](uint32_t ms) {
        auto g = bus.Lock();  // the bus is free again while the caller waits
        waits.push_back(ms);
    });
    FT_HANDLE h = nullptr;
    char name[] = "Darvix";
    ASSERT_EQ(bus.OpenEx(name, FT_OPEN_BY_DESCRIPTION, &h), FT_OK);
    ASSERT_EQ(bus.SetTimeouts(h, 1, 384), FT_OK);
    unit.faults().writeTakesNothing = CallFault::Always();
    unit.faults().writeFaultAfterCommand = 0x0F;
    auto sendFrame = [&](std::vector<uint8_t> f) {
        FT_DWORD written = 0;
        EXPECT_EQ(bus.SetDataCharacteristics(h, 8, 0, FT_PARITY_MARK), FT_OK);
        EXPECT_EQ(bus.Write(h, f.data(), 1, &written), FT_OK);
        EXPECT_EQ(bus.SetDataCharacteristics(h, 8, 0, FT_PARITY_SPACE), FT_OK);
        EXPECT_EQ(bus.Write(h, f.data() + 1, static_cast<FT_DWORD>(f.size() - 1), &written), FT_OK);
        return written;
    };
    EXPECT_EQ(sendFrame({0x46, 0x5A, 0x00, 0x07, 0x7D, 0x02, 0x26}), 6u);
    EXPECT_EQ(sendFrame({0x80, 0x5A, 0x00, 0x07, 0x0F, 0x03, 0xF3}), 6u);  // this one still goes out
    EXPECT_TRUE(waits.empty());
    EXPECT_EQ(sendFrame({0x46, 0x5A, 0x00, 0x06, 0xA5, 0x4B}), 0u);
    EXPECT_EQ(waits, (std::vector<uint32_t>{384, 384}));
    EXPECT_EQ(bus.FramesFromPc(0).size(), 2u);
    bus.SetCallWait(nullptr);
    EXPECT_EQ(bus.Close(h), FT_OK);
}

TEST_F(BusTest, LateArrivalAndComebackOnTheBussClock) {
    UnitConfig late = Unit("Late", "L1", 2);
    late.arriveAfterMs = 10000;
    bus.AddUnit(Unit("Darvix", "A1", 1));
    bus.AddUnit(late);
    FT_DWORD count = 0;
    ASSERT_EQ(bus.ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
    EXPECT_EQ(count, 1u);
    clock.Advance(9999);
    ASSERT_EQ(bus.CreateDeviceInfoList(&count), FT_OK);
    EXPECT_EQ(count, 1u);
    clock.Advance(1);
    ASSERT_EQ(bus.CreateDeviceInfoList(&count), FT_OK);
    EXPECT_EQ(count, 2u);

    // Unplugged with a handle open, back 3 s later: the old handle stays dead (it neither writes
    // nor keeps the unit from a new open), and closing it leaves the new open alone.
    char name[] = "Darvix";
    FT_HANDLE old = nullptr, fresh = nullptr;
    ASSERT_EQ(bus.OpenEx(name, FT_OPEN_BY_DESCRIPTION, &old), FT_OK);
    bus.unit(0).UnplugFor(3000);
    EXPECT_EQ(bus.OpenEx(name, FT_OPEN_BY_DESCRIPTION, &fresh), FT_DEVICE_NOT_FOUND);
    clock.Advance(3000);
    const uint8_t byte = 0x46;
    FT_DWORD written = 0;
    EXPECT_NE(bus.Write(old, &byte, 1, &written), FT_OK);
    EXPECT_EQ(written, 0u);
    ASSERT_EQ(bus.OpenEx(name, FT_OPEN_BY_DESCRIPTION, &fresh), FT_OK);
    EXPECT_EQ(bus.Close(old), FT_OK);
    EXPECT_TRUE(bus.unit(0).connected());
    EXPECT_EQ(bus.Write(fresh, &byte, 1, &written), FT_OK);
    EXPECT_EQ(written, 1u);

    // Each open and close is in the unit's trace.
    int opens = 0, closes = 0;
    for (const TraceEntry& e : bus.Trace(0)) {
        opens += e.kind == TraceKind::Opened;
        closes += e.kind == TraceKind::Closed;
    }
    EXPECT_EQ(opens, 2);
    EXPECT_EQ(closes, 0);
    EXPECT_EQ(bus.Close(fresh), FT_OK);
    closes = 0;
    for (const TraceEntry& e : bus.Trace(0)) closes += e.kind == TraceKind::Closed;
    EXPECT_EQ(closes, 1);
}
