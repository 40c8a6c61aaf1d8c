// The I/O wizard's frames, byte for byte: every expected frame below was written out by hand from
// the message layouts (checksums summed separately), not produced by the code under test.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "dialogs/wizard_serve.h"
#include "model/tuning_messages.h"
#include "pages/output_level_logic.h"

namespace {

using devlink::Frame;

std::string Hex(const Frame& f) {
    std::string s;
    char b[4];
    for (size_t i = 0; i < f.size(); ++i) {
        std::snprintf(b, sizeof b, i ? " %02X" : "%02X", f[i]);
        s += b;
    }
    return s;
}

TEST(WizardFrames, FixedMessages) {
    const struct {
        const char* name;
        Frame frame;
        const char* bytes;
    } cases[] = {
        {"level 30", dialogs::BuildLevelMessage30(), "00 5A 00 07 0A 1E 89"},
        {"-45.0 dB", dialogs::BuildLevelMessage(-45.0f), "00 5A 00 07 0A 1E 89"},
        {"0.0 dB", dialogs::BuildLevelMessage(0.0f), "00 5A 00 07 0A 78 E3"},
        {"-60.0 dB", dialogs::BuildLevelMessage(-60.0f), "00 5A 00 07 0A 00 6B"},
        // Two steps per dB above -60, truncated: -44.8 dB is 30.4 steps.
        {"-44.8 dB", dialogs::BuildLevelMessage(-44.8f), "00 5A 00 07 0A 1E 89"},
        {"wizard begin", dialogs::BuildMessageA2(), "46 5A 00 07 A2 00 49"},
        {"input detection", dialogs::BuildInputMeasureRequest(), "46 5A 00 06 85 2B"},
        {"output detection", dialogs::BuildOutputMeasureRequest(), "46 5A 00 06 83 29"},
        {"wizard completed", devlink::BuildCommandB2Message(1), "46 5A 00 07 B2 00 59"},
        {"wizard aborted", devlink::BuildCommandB2Message(0), "46 5A 00 07 B2 01 5A"},
    };
    for (const auto& c : cases) EXPECT_EQ(Hex(c.frame), c.bytes) << c.name;
}

// The wizard restores the master level as the output-level page sends it: one frame for both.
TEST(WizardFrames, MasterLevelIsTheOutputLevelPagesFrame) {
    for (float dB : {-60.0f, -45.0f, -12.5f, -0.4f, 0.0f})
        EXPECT_EQ(dialogs::BuildLevelMessage(dB), pages::BuildMasterLevelMessage(-dB)) << dB;
}

TEST(WizardFrames, InputConfigurationPerInputType) {
    dialogs::WizardIoRecord high = dialogs::DefaultIoRecord();
    high.inputType = 1;
    const int highInputs[8] = {0, 1, 2, 3, 4, 5, 6, dialogs::kNotConnected};
    for (int i = 0; i < 8; ++i) high.highLevelInput[i] = highInputs[i];
    const int32_t highFlags[5] = {1, 0, 1, 0, 0};
    for (int i = 0; i < 5; ++i) high.sourceFlags[i] = highFlags[i];

    dialogs::WizardIoRecord low = dialogs::DefaultIoRecord();
    low.inputType = 0;
    for (int i = 0; i < 6; ++i) low.lowLevelInput[i] = 18 + i;
    for (int i = 0; i < 8; ++i) low.highLevelInput[i] = i;  // not the chosen type: not sent
    const int32_t lowFlags[5] = {0, 1, 0, 0, 0x101};  // only the low byte travels
    for (int i = 0; i < 5; ++i) low.sourceFlags[i] = lowFlags[i];

    dialogs::WizardIoRecord other = low;
    other.inputType = 2;
    for (int& f : other.sourceFlags) f = 0;
    dialogs::WizardIoRecord none = other;
    none.inputType = -1;

    const struct {
        const char* name;
        const dialogs::WizardIoRecord& record;
        const char* bytes;
    } cases[] = {
        // Front L/R Full, Front L/R Midrange, Front L/R Woofer, Front L Tweeter, not connected.
        {"high level", high, "46 5A 00 14 A3 02 01 00 01 00 00 28 30 2B 33 29 31 2C 00 97"},
        // Front L/R, Rear L/R, Center, Subwoofer; 17 and 18 stay 0.
        {"low level", low, "46 5A 00 14 A3 01 00 01 00 00 01 28 30 48 50 60 80 00 00 2A"},
        {"type 2", other, "46 5A 00 14 A3 03 00 00 00 00 00 00 00 00 00 00 00 00 00 5A"},
        {"type -1", none, "46 5A 00 14 A3 00 00 00 00 00 00 00 00 00 00 00 00 00 00 57"},
    };
    for (const auto& c : cases) EXPECT_EQ(Hex(dialogs::BuildInputConfigMessage(c.record)), c.bytes) << c.name;
}

dialogs::WizardIoRecord Labels(std::initializer_list<pages::CarChannelLabel> labels) {
    dialogs::WizardIoRecord r = dialogs::DefaultIoRecord();
    r.labelCount = 0;
    for (const pages::CarChannelLabel& l : labels) r.labelTable[r.labelCount++] = l;
    return r;
}

pages::CarChannelLabel Label(int channel, int position, int kind, int amplifier) {
    pages::CarChannelLabel l{};
    l.channel = channel;
    l.position = position;
    l.kind = kind;
    l.amplifier = amplifier;
    return l;
}

TEST(WizardFrames, RoutingAndOutputMapFromTheLabels) {
    // Output 3 first gets the front left woofer with the amplifier, then the front right tweeter
    // without: the later label is what both frames carry. Output 1 is the front left midrange
    // behind the midrange-plus-tweeter crossover (variant 3, one code for the pair); output 0 the
    // subwoofer with the amplifier. A label past the eight outputs or the twelve kinds is left out.
    dialogs::WizardIoRecord r = Labels({Label(3, 0, 1, 1), Label(1, 0, 2, 0), Label(0, 4, 5, 1),
                                        Label(3, 2, 3, 0), Label(8, 0, 1, 1), Label(2, 0, 12, 1)});
    r.speakerGrid[0].variant[2] = 3;
    EXPECT_EQ(Hex(dialogs::BuildRoutingMessage(r)),
              "46 5A 00 2E A4 "
              "80 2A 00 33 00 00 00 00 "  // routing codes
              "04 00 FF 02 FF FF FF FF "  // positions
              "05 02 FF 03 FF FF FF FF "  // kinds
              "00 03 00 00 00 00 00 00 "  // passive variants
              "01 00 00 00 00 00 00 00 "  // amplifier flags
              "59");
    EXPECT_EQ(Hex(dialogs::BuildMessage18(r)), "00 5A 00 0F 18 80 2A 00 33 00 00 00 00 01 5F");

    const dialogs::WizardIoRecord empty = Labels({});
    EXPECT_EQ(Hex(dialogs::BuildRoutingMessage(empty)),
              "46 5A 00 2E A4 00 00 00 00 00 00 00 00 FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF "
              "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 62");
    EXPECT_EQ(Hex(dialogs::BuildMessage18(empty)), "00 5A 00 0F 18 00 00 00 00 00 00 00 00 00 81");
}

// The wizard's routing and the tuning's are one encoding: a preset whose records carry what the
// labels say gives the same frame.
TEST(WizardFrames, RoutingEqualsTheTuningsForTheSameLayout) {
    dialogs::WizardIoRecord r = Labels({Label(0, 0, 1, 1), Label(1, 2, 1, 1), Label(4, 4, 5, 0)});
    r.speakerGrid[0].variant[1] = 4;
    r.speakerGrid[2].variant[1] = 8;
    model::DspPreset preset{};
    for (int o = 0; o < 8; ++o) {
        preset.channel[o].output = o;
        preset.channel[o].position = -1;
        preset.channel[o].kind = -1;
    }
    const int layout[3][5] = {{0, 0, 1, 1, 4}, {1, 2, 1, 1, 8}, {4, 4, 5, 0, 0}};
    for (const auto& l : layout) {
        model::DspChannelRecord& c = preset.channel[l[0]];
        c.position = l[1];
        c.kind = l[2];
        c.amplifier = static_cast<uint32_t>(l[3]);
        c.passiveVariant = l[4];
    }
    EXPECT_EQ(Hex(dialogs::BuildRoutingMessage(r)), Hex(model::BuildRoutingMessage(preset)));
}

}  // namespace
