// The simulated driver's scenario files: what they set, and a clear error for what they get wrong.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "sim/scenario_file.h"

namespace {

constexpr std::array<uint8_t, 4> kProgram{1, 5, 15, 161};

TEST(ScenarioFile, NoFileMeansOneHealthyUnitOfTheProgramsVersion) {
    sim::ScenarioFile s = sim::DefaultScenario(kProgram);
    ASSERT_EQ(s.devices.size(), 1u);
    const sim::ScenarioDevice& d = s.devices[0];
    EXPECT_EQ(d.firmware, kProgram);
    EXPECT_FALSE(d.blank);
    EXPECT_TRUE(d.accessory);
    EXPECT_TRUE(d.identifyReply);
    EXPECT_FALSE(d.openFails);
    EXPECT_EQ(d.writeFault, sim::WriteFault::None);
    EXPECT_FALSE(d.parityFails);
    EXPECT_EQ(s.delivery, sim::Delivery::Instant);
    EXPECT_TRUE(s.trace.empty());
}

TEST(ScenarioFile, EveryKey) {
    const char* text =
        "# two units and a trace\n"
        "trace = C:\\logs\\trace.txt\n"
        "delivery = line-rate\n"
        "\n"
        "[device]\n"
        "description = Darvix Unit A   \n"
        "serial = A1\n"
        "location = 0x1234\n"
        "firmware = 2.3.4.5\n"
        "blank = yes\n"
        "accessory = no   # no remote\n"
        "remote = 6.1\n"
        "identify = silent\n"
        "readback = bad-checksum\n"
        "open = fail\n"
        "write = stall\n"
        "write_ok_count = 7\n"
        "parity = fail\n"
        "[device]\r\n"
        "firmware = 1.4\r\n";
    sim::ScenarioFile s;
    std::string error;
    ASSERT_TRUE(sim::ParseScenario(text, kProgram, s, error)) << error;
    EXPECT_EQ(s.trace, "C:\\logs\\trace.txt");
    EXPECT_EQ(s.delivery, sim::Delivery::LineRate);
    ASSERT_EQ(s.devices.size(), 2u);
    const sim::ScenarioDevice& a = s.devices[0];
    EXPECT_EQ(a.description, "Darvix Unit A");
    EXPECT_EQ(a.serial, "A1");
    EXPECT_EQ(a.location, 0x1234u);
    EXPECT_EQ(a.firmware, (std::array<uint8_t, 4>{2, 3, 4, 5}));
    EXPECT_TRUE(a.blank);
    EXPECT_FALSE(a.accessory);
    EXPECT_EQ(a.remote, (std::array<uint8_t, 2>{6, 1}));
    EXPECT_FALSE(a.identifyReply);
    EXPECT_EQ(a.readBack, sim::ReadBack::BadChecksum);
    EXPECT_TRUE(a.openFails);
    EXPECT_EQ(a.writeFault, sim::WriteFault::Stall);
    EXPECT_EQ(a.writeOkCount, 7u);
    EXPECT_TRUE(a.parityFails);
    // The second keeps the defaults of device 2 except what it sets.
    const sim::ScenarioDevice& b = s.devices[1];
    EXPECT_EQ(b.firmware, (std::array<uint8_t, 4>{1, 4, 0, 0}));
    EXPECT_EQ(b.serial, "DX000002");
    EXPECT_NE(b.location, s.devices[0].location);
    EXPECT_TRUE(b.accessory);
}

TEST(ScenarioFile, AFileWithoutDevicesListsNone) {
    sim::ScenarioFile s;
    std::string error;
    ASSERT_TRUE(sim::ParseScenario("delivery = instant\n", kProgram, s, error)) << error;
    EXPECT_TRUE(s.devices.empty());
}

TEST(ScenarioFile, ErrorsNameTheLineAndTheReason) {
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"[device]\nfirmware = 1.2.3.4.5\n", "line 2: bad value '1.2.3.4.5' for 'firmware'"},
        {"[device]\nfirmware = 1.256\n", "line 2: bad value '1.256' for 'firmware'"},
        {"[device]\nfirmware = 1..2\n", "line 2: bad value '1..2' for 'firmware'"},
        {"[device]\nfirmware = -1\n", "line 2: bad value '-1' for 'firmware'"},
        {"[device]\nblank = maybe\n", "line 2: bad value 'maybe' for 'blank'"},
        {"[device]\nlocation = 0x100000000\n", "line 2: bad value '0x100000000' for 'location'"},
        {"[device]\nwrite_ok_count = 12abc\n", "line 2: bad value '12abc' for 'write_ok_count'"},
        {"[device]\ncolour = red\n", "line 2: unknown device key 'colour'"},
        {"firmware = 1.0\n", "line 1: unknown key 'firmware' (device keys belong after [device])"},
        {"\n\n[devices]\n", "line 3: unknown section '[devices]' (only [device])"},
        {"[device]\njust words\n", "line 2: expected 'key = value', found 'just words'"},
        {"[device]\ndescription =\n", "line 2: description must have 1 to 63 characters"},
        {"delivery = fast\n", "line 1: bad value 'fast' for 'delivery' (instant or line-rate)"},
    };
    for (const Case& c : cases) {
        sim::ScenarioFile s = sim::DefaultScenario(kProgram);
        std::string error;
        EXPECT_FALSE(sim::ParseScenario(c.text, kProgram, s, error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
        EXPECT_EQ(s.devices.size(), 1u) << "a failed parse leaves the output alone";
    }
}

TEST(ScenarioFile, LoadNamesTheFile) {
    sim::ScenarioFile s;
    std::string error;
    EXPECT_FALSE(sim::LoadScenario("no-such-scenario.txt", kProgram, s, error));
    EXPECT_EQ(error, "cannot read the scenario file 'no-such-scenario.txt'");

    const char* path = "scenario_test_bad.txt";
    FILE* f = std::fopen(path, "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("[device]\nopen = sometimes\n", f);
    std::fclose(f);
    EXPECT_FALSE(sim::LoadScenario(path, kProgram, s, error));
    EXPECT_EQ(error, "scenario file 'scenario_test_bad.txt', line 2: bad value 'sometimes' for 'open'");
    std::remove(path);
}

}  // namespace
