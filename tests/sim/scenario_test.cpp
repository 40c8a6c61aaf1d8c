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
    const sim::UnitConfig& c = s.devices[0].config;
    const sim::Faults& f = s.devices[0].faults;
    // Identify reply bytes 9..12 are the fourth, third, minor and major numbers.
    EXPECT_EQ(c.firmware, (std::array<uint8_t, 4>{161, 15, 5, 1}));
    EXPECT_FALSE(c.blank);
    EXPECT_TRUE(c.accessory);
    EXPECT_EQ(c.hello, sim::HelloMode::UntilAnswered);
    EXPECT_EQ(c.readAll, sim::ReadAllOutcome::Complete);
    EXPECT_EQ(c.delivery, sim::Delivery::Instant);
    EXPECT_EQ(c.serial, "DX000001");
    EXPECT_FALSE(f.openFails);
    EXPECT_FALSE(f.noReplies);
    EXPECT_TRUE(f.noReplyTo.empty());
    EXPECT_FALSE(f.writeFails.Hits(0));
    EXPECT_FALSE(f.parityFails.Hits(0));
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
        "later_firmware = 1: 1.7\n"
        "blank = yes\n"
        "accessory = no   # no remote\n"
        "hello = silent-until-disconnect\n"
        "remote = 6.1\n"
        "readback = incomplete\n"
        "reply_delay = 40\n"
        "chunk = 3\n"
        "no_reply_to = 0xCC, 0x13 146\n"
        "bad_checksum = yes\n"
        "open = fail\n"
        "write = stall\n"
        "write_ok_count = 7\n"
        "write_from_command = 0x0F\n"
        "preset = 2\n"
        "working_mode = expert\n"
        "parity = fail\n"
        "parity_ok_count = 2\n"
        "unplug_after_frames = 9\n"
        "unplug_on_command = 0x7D\n"
        "unplug_after_command = 0xA5 12\n"
        "finalize_delay = 2500\n"
        "readback_failures = 2\n"
        "[device]\r\n"
        "firmware = 1.4\r\n"
        "write = fail\n"
        "delivery = instant\n";
    sim::ScenarioFile s;
    std::string error;
    ASSERT_TRUE(sim::ParseScenario(text, kProgram, s, error)) << error;
    EXPECT_EQ(s.trace, "C:\\logs\\trace.txt");
    ASSERT_EQ(s.devices.size(), 2u);
    const sim::UnitConfig& a = s.devices[0].config;
    const sim::Faults& af = s.devices[0].faults;
    EXPECT_EQ(a.description, "Darvix Unit A");
    EXPECT_EQ(a.serial, "A1");
    EXPECT_EQ(a.locationId, 0x1234u);
    EXPECT_EQ(a.firmware, (std::array<uint8_t, 4>{5, 4, 3, 2}));
    EXPECT_EQ(a.laterFirmwareAfter, 1);
    EXPECT_EQ(a.laterFirmware, (std::array<uint8_t, 4>{0, 0, 7, 1}));
    EXPECT_TRUE(a.blank);
    EXPECT_FALSE(a.accessory);
    EXPECT_EQ(a.hello, sim::HelloMode::SilentUntilDisconnect);
    EXPECT_EQ(a.accessoryVersion, 0x0106);
    EXPECT_EQ(a.readAll, sim::ReadAllOutcome::Incomplete);
    EXPECT_EQ(a.delivery, sim::Delivery::LineRate);
    EXPECT_EQ(a.replyDelayMs, 40u);
    EXPECT_EQ(a.chunkSize, 3u);
    EXPECT_EQ(af.noReplyTo, (std::set<uint8_t>{0xCC, 0x13, 0x92}));
    EXPECT_TRUE(af.badChecksum);
    EXPECT_TRUE(af.openFails);
    EXPECT_FALSE(af.writeTakesNothing.Hits(6));
    EXPECT_TRUE(af.writeTakesNothing.Hits(7));
    EXPECT_FALSE(af.writeFails.Hits(7));
    EXPECT_FALSE(af.parityFails.Hits(1));
    EXPECT_TRUE(af.parityFails.Hits(2));
    EXPECT_EQ(af.unplugAfterFrames, 9);
    EXPECT_EQ(af.unplugOnCommand, 0x7D);
    EXPECT_EQ(af.unplugAfterCommand, 0xA5);
    EXPECT_EQ(af.unplugAfterCount, 12);
    EXPECT_EQ(a.finalizeDelayMs, 2500u);
    EXPECT_EQ(af.readAllFailures, 2);
    EXPECT_EQ(af.writeFaultAfterCommand, 0x0F);
    EXPECT_EQ(a.preset, 2);
    EXPECT_EQ(a.workingMode, 0);
    // The second keeps the defaults of unit 2 except what it sets.
    const sim::UnitConfig& b = s.devices[1].config;
    EXPECT_EQ(b.firmware, (std::array<uint8_t, 4>{0, 0, 4, 1}));
    EXPECT_EQ(b.serial, "DX000002");
    EXPECT_NE(b.locationId, a.locationId);
    EXPECT_TRUE(b.accessory);
    EXPECT_EQ(b.delivery, sim::Delivery::Instant);
    EXPECT_TRUE(s.devices[1].faults.writeFails.Hits(0));
    EXPECT_EQ(s.devices[1].faults.writeFaultAfterCommand, -1);
    EXPECT_EQ(b.preset, 0);
    EXPECT_EQ(b.workingMode, 1);
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
        {"[device]\nlater_firmware = 1.7\n", "line 2: bad value '1.7' for 'later_firmware'"},
        {"[device]\nlater_firmware = x: 1.7\n", "line 2: bad value 'x: 1.7' for 'later_firmware'"},
        {"[device]\nremote = 5.2.1\n", "line 2: bad value '5.2.1' for 'remote'"},
        {"[device]\nblank = maybe\n", "line 2: bad value 'maybe' for 'blank'"},
        {"[device]\nlocation = 0x100000000\n", "line 2: bad value '0x100000000' for 'location'"},
        {"[device]\nwrite_ok_count = 12abc\n", "line 2: bad value '12abc' for 'write_ok_count'"},
        {"[device]\npreset = 4\n", "line 2: bad value '4' for 'preset'"},
        {"[device]\nworking_mode = 1\n", "line 2: bad value '1' for 'working_mode'"},
        {"[device]\nwrite_from_command = 0x100\n", "line 2: bad value '0x100' for 'write_from_command'"},
        {"[device]\nno_reply_to = 0x1CC\n", "line 2: bad value '0x1CC' for 'no_reply_to'"},
        {"[device]\nno_reply_to =\n", "line 2: bad value '' for 'no_reply_to'"},
        {"[device]\ncolour = red\n", "line 2: unknown device key 'colour'"},
        {"[device]\nsource = 5\n", "line 2: bad value '5' for 'source'"},
        {"[device]\nsource_flags = 1 1 0 0\n", "line 2: bad value '1 1 0 0' for 'source_flags'"},
        {"[device]\ninput_codes = 40 48 0 0 0 0 0 0 0\n", "line 2: bad value '40 48 0 0 0 0 0 0 0' for 'input_codes'"},
        {"[device]\ninput_type = medium\n", "line 2: bad value 'medium' for 'input_type'"},
        {"[device]\nsource_fault = gone\n", "line 2: bad value 'gone' for 'source_fault'"},
        {"firmware = 1.0\n", "line 1: unknown key 'firmware' (device keys belong after [device])"},
        {"\n\n[devices]\n", "line 3: unknown section '[devices]' (only [device])"},
        {"[device]\njust words\n", "line 2: expected 'key = value', found 'just words'"},
        {"[device]\ndescription =\n", "line 2: description must have 1 to 64 characters"},
        {"[device]\nserial = 0123456789abcdef\n", "line 2: serial must have at most 15 characters"},
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

TEST(ScenarioFile, ExternalSources) {
    sim::ScenarioFile s = sim::DefaultScenario(kProgram);
    std::string error;
    ASSERT_TRUE(sim::ParseScenario("[device]\nsource = 1\nsource_flags = 0 1 0 0 1\ninput_type = high\n"
                                   "input_codes = 0x28, 0x30 0 0 0 0 0 128\nsource_device_flag = 7\n"
                                   "source_fault = nan-gain\n[device]\nsource = master\n",
                                   kProgram, s, error))
        << error;
    ASSERT_EQ(s.devices.size(), 2u);
    const sim::SourceOptions& o = s.devices[0].config.sources;
    EXPECT_EQ(o.source, 1);
    EXPECT_EQ(o.flags, (std::array<uint8_t, 5>{0, 1, 0, 0, 1}));
    EXPECT_EQ(o.inputType, 1);
    EXPECT_EQ(o.codes, (std::array<uint8_t, 8>{40, 48, 0, 0, 0, 0, 0, 128}));
    EXPECT_EQ(o.deviceFlag, 7);
    EXPECT_EQ(o.fault, sim::SourceFault::NaNGain);
    EXPECT_EQ(s.devices[1].config.sources.source, 0xFF);
    EXPECT_EQ(s.devices[1].config.sources.codes[0], 40);
}

TEST(ScenarioFile, WizardKeys) {
    sim::ScenarioFile s = sim::DefaultScenario(kProgram);
    std::string error;
    ASSERT_TRUE(sim::ParseScenario("[device]\nwizard_inputs = 0, 2 5\nwizard_outputs = 1 3\nwizard_delay = 50\n"
                                   "wizard_interval = 20\nwizard_too_low = 2 always\nwizard_junk = 0xC1 0x05\n"
                                   "wizard_bad_status = 1\nwizard_unplug_after_status = 3\n"
                                   "routing = 0x80 0 0 0 0 0 0 0 4 255 255 255 255 255 255 255 5 255 255 255 255 255 "
                                   "255 255 0 0 0 0 0 0 0 0 1 0 0 0 0 0 0 0\nrouting_length = 45\ninput_type = byte 3\n"
                                   "[device]\nwizard_inputs = none\nwizard_too_low = 7\ninput_type = byte 0\n",
                                   kProgram, s, error))
        << error;
    ASSERT_EQ(s.devices.size(), 2u);
    const sim::WizardOptions& w = s.devices[0].wizard;
    EXPECT_TRUE(w.inputsSet);
    EXPECT_EQ(w.inputs, (std::vector<uint8_t>{0, 2, 5}));
    EXPECT_EQ(w.outputs, (std::vector<uint8_t>{1, 3}));
    EXPECT_EQ(w.delayMs, 50u);
    EXPECT_EQ(w.intervalMs, 20u);
    EXPECT_EQ(w.tooLowInput, 2);
    EXPECT_TRUE(w.tooLowAlways);
    EXPECT_EQ(w.junk, (std::vector<uint8_t>{0xC1, 0x05}));
    EXPECT_EQ(w.badChecksumStatus, 1);
    EXPECT_EQ(w.unplugAfterStatus, 3);
    const sim::RoutingOptions& r = s.devices[0].routing;
    EXPECT_TRUE(r.set);
    EXPECT_EQ(r.bytes[0], 0x80);
    EXPECT_EQ(r.bytes[8], 4);
    EXPECT_EQ(r.bytes[32], 1);
    EXPECT_EQ(r.streamedLength, 45u);
    EXPECT_EQ(s.devices[0].config.sources.inputType, 2);  // type byte 3

    const sim::ScenarioDevice& d = s.devices[1];
    EXPECT_TRUE(d.wizard.inputsSet);
    EXPECT_TRUE(d.wizard.inputs.empty());
    EXPECT_EQ(d.wizard.outputs.size(), 6u);
    EXPECT_EQ(d.wizard.tooLowInput, 7);
    EXPECT_FALSE(d.wizard.tooLowAlways);
    EXPECT_FALSE(d.routing.set);
    EXPECT_EQ(d.routing.streamedLength, 46u);
    EXPECT_EQ(static_cast<uint8_t>(d.config.sources.inputType + 1), 0);  // type byte 0

    const struct {
        const char* text;
        const char* error;
    } bad[] = {
        {"wizard_inputs = 8", "bad value '8' for 'wizard_inputs'"},
        {"wizard_inputs =", "bad value '' for 'wizard_inputs'"},
        {"wizard_too_low = 2 sometimes", "bad value '2 sometimes' for 'wizard_too_low'"},
        {"wizard_junk = 0x100", "bad value '0x100' for 'wizard_junk'"},
        {"wizard_colour = red", "unknown device key 'wizard_colour'"},
        {"routing = 1 2 3", "bad value '1 2 3' for 'routing'"},
        {"routing_length = 5", "bad value '5' for 'routing_length'"},
        {"input_type = byte 256", "bad value 'byte 256' for 'input_type'"},
    };
    for (const auto& c : bad) {
        sim::ScenarioFile t = sim::DefaultScenario(kProgram);
        EXPECT_FALSE(sim::ParseScenario(std::string("[device]\n") + c.text + "\n", kProgram, t, error)) << c.text;
        EXPECT_EQ(error, std::string("line 2: ") + c.error) << c.text;
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

TEST(ScenarioFile, FirmwareUpdateKeys) {
    const char* text =
        "state = C:\\logs\\units.txt\n"
        "[device]\n"
        "firmware = 0.9\n"
        "[device]\n"
        "new_firmware = 2.1.3.4\n"
        "rescue_firmware = 0.1\n"
        "rescue = yes\n"
        "flash_delay = 12000\n"
        "damaged_block = 7\n"
        "unplug_after_block = 5\n"
        "back_after = 3000\n";
    sim::ScenarioFile s;
    std::string error;
    ASSERT_TRUE(sim::ParseScenario(text, kProgram, s, error)) << error;
    EXPECT_EQ(s.state, "C:\\logs\\units.txt");
    ASSERT_EQ(s.devices.size(), 2u);
    // By default an update brings a unit to the program's version, and nothing is wrong with it.
    const sim::FirmwareOptions& a = s.devices[0].firmware;
    EXPECT_EQ(s.devices[0].config.firmware, (std::array<uint8_t, 4>{0, 0, 9, 0}));
    EXPECT_EQ(a.newFirmware, (std::array<uint8_t, 4>{161, 15, 5, 1}));
    EXPECT_EQ(a.rescueFirmware, (std::array<uint8_t, 4>{0, 0, 0, 0}));
    EXPECT_FALSE(a.startInRescue);
    EXPECT_EQ(a.damagedBlock, -1);
    EXPECT_EQ(a.unplugAfterBlock, -1);
    const sim::FirmwareOptions& b = s.devices[1].firmware;
    EXPECT_EQ(b.newFirmware, (std::array<uint8_t, 4>{4, 3, 1, 2}));
    EXPECT_EQ(b.rescueFirmware, (std::array<uint8_t, 4>{0, 0, 1, 0}));
    EXPECT_TRUE(b.startInRescue);
    EXPECT_EQ(b.flashDelayMs, 12000u);
    EXPECT_EQ(b.damagedBlock, 7);
    EXPECT_EQ(b.unplugAfterBlock, 5);
    EXPECT_EQ(b.backAfterMs, 3000);
    EXPECT_FALSE(sim::ParseScenario("[device]\nrescue = maybe\n", kProgram, s, error));
    EXPECT_EQ(error, "line 2: bad value 'maybe' for 'rescue'");
}
