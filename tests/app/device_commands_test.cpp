#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/device_commands.h"
#include "link/bytes.h"

using namespace app;
using devlink::Frame;

namespace {

Frame Bytes(std::initializer_list<int> v) {
    Frame f;
    for (int b : v) f.push_back(static_cast<uint8_t>(b));
    return f;
}

std::string DumpText(const Frame& reply) {
    std::FILE* f = std::tmpfile();
    EXPECT_TRUE(WriteDeviceStateDump(reply.data(), reply.size(), f));
    std::fflush(f);
    std::string text;
    std::rewind(f);
    for (int c; (c = std::fgetc(f)) != EOF;) text += static_cast<char>(c);
    std::fclose(f);
    return text;
}

}  // namespace

TEST(AppMessages, BuildersByteForByte) {
    EXPECT_EQ(BuildPresetSelectMessage(2), Bytes({0x46, 0x5A, 0x00, 0x07, 0x7D, 0x02, 0x26}));
    EXPECT_EQ(PresetNoticeFrom(BuildPresetSelectMessage(2)), Bytes({0x80, 0x5A, 0x00, 0x07, 0x0F, 0x03, 0xF3}));
    EXPECT_EQ(PresetNoticeFrom(BuildPresetSelectMessage(0))[5], 1);
    EXPECT_TRUE(PresetNoticeFrom(BuildWorkingModeMessage(1)).empty());
    EXPECT_TRUE(PresetNoticeFrom(Frame{}).empty());
    EXPECT_EQ(BuildDynamicEqSwitchMessage(0)[5], 1);
    EXPECT_EQ(BuildDynamicEqSwitchMessage(1)[5], 0);
    EXPECT_EQ(BuildDynamicEqSwitchMessage(7)[5], 0);
    EXPECT_EQ(BuildDynamicEqSwitchMessage(0), Bytes({0x46, 0x5A, 0x00, 0x07, 0x95, 0x01, 0x3D}));
    EXPECT_EQ(BuildWorkingModeMessage(0), Bytes({0x46, 0x5A, 0x00, 0x07, 0xCF, 0x00, 0x76}));
    EXPECT_EQ(BuildResetDeviceMessage(), Bytes({0x46, 0x5A, 0x00, 0x06, 0xD6, 0x7C}));
    EXPECT_EQ(BuildStatusDumpRequest(), Bytes({0x46, 0x5A, 0x00, 0x06, 0xD7, 0x7D}));
}

TEST(AppMessages, ParsersTakeTheirCommandAndOnlyValidValues) {
    struct Case {
        Frame frame;
        int taken;
        int value;  // -1: left as it was
    } presets[] = {
        {Bytes({0x5A, 0x46, 0x00, 0x07, 0x7D, 0x03, 0x00}), 1, 3},
        {Bytes({0x5A, 0x46, 0x00, 0x07, 0x7D, 0x04, 0x00}), 1, -1},   // consumed and ignored
        {Bytes({0x5A, 0x46, 0x00, 0x08, 0x7D, 0x01, 0x00, 0x00}), 1, -1},
        {Bytes({0x5A, 0x46, 0x00, 0x06, 0x7D, 0x00}), 0, -1},
        {Bytes({0x5A, 0x46, 0x00, 0x07, 0x7A, 0x01, 0x00}), 0, -1},
    };
    for (const Case& c : presets) {
        int v = -1;
        EXPECT_EQ(ParsePresetMessage(c.frame.data(), c.frame.size(), &v), c.taken);
        EXPECT_EQ(v, c.value);
    }
    int v = -1;
    EXPECT_EQ(ParsePresetMessage(nullptr, 7, &v), 0);

    const Frame source4 = Bytes({0x5A, 0x46, 0x00, 0x07, 0x7A, 0x04, 0x00});
    const Frame source5 = Bytes({0x5A, 0x46, 0x00, 0x07, 0x7A, 0x05, 0x00});
    v = -1;
    EXPECT_EQ(ParseSourceMessage(source4.data(), 7, &v), 1);
    EXPECT_EQ(v, 4);
    v = -1;
    EXPECT_EQ(ParseSourceMessage(source5.data(), 7, &v), 1);
    EXPECT_EQ(v, -1);

    const Frame mode0 = Bytes({0x5A, 0x46, 0x00, 0x07, 0xCF, 0x00, 0x00});
    const Frame mode2 = Bytes({0x5A, 0x46, 0x00, 0x07, 0xCF, 0x02, 0x00});
    v = -1;
    EXPECT_EQ(ParseWorkingModeMessage(mode0.data(), 7, &v), 1);
    EXPECT_EQ(v, 0);
    v = -1;
    EXPECT_EQ(ParseWorkingModeMessage(mode2.data(), 7, &v), 1);
    EXPECT_EQ(v, -1);
}

TEST(AppMessages, DiagnosticsDumpLayout) {
    Frame reply(kDeviceStateDumpLength, 0);
    devlink::PutU32LE(&reply[5], 0xABCD);
    devlink::PutU32LE(&reply[9], 3);
    reply[13] = 0x11;
    reply[30] = 0x7F;
    devlink::PutF32LE(&reply[31], 1.5f);
    reply[795] = 2;
    reply[799] = 200;
    reply[35 + 7] = 0x42;
    reply[43] = 0x28;
    devlink::PutF32LE(&reply[51], -3.25f);               // FL band 0
    devlink::PutF32LE(&reply[671 + 4 * 30], 12.0f);      // S band 30
    const std::string text = DumpText(reply);

    EXPECT_EQ(text.rfind("CFG_diagnostics: 0xABCD\r\r\nSYS_mode: 0x3\r\r\nCFG_key_memory: 0x11\r\r\n", 0), 0u);
    EXPECT_NE(text.find("CFG_input: 0x7F\r\r\nRMS_new: 1.500000\r\r\n\r\nCFG_current_preset: 0x2\r\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("fader: 200\r\r\nbalance: 0\r\r\n\r\n INPUT_sensitivity[0]: 0x0"), std::string::npos);
    EXPECT_NE(text.find(" INPUT_sensitivity[7]: 0x42\r\r\n\r\r\n CFG_in_matrix[0]: 0x28\r\r\n"), std::string::npos);
    EXPECT_NE(text.find(" FL_eq_flat[0]: -3.250\r\r\n"), std::string::npos);
    EXPECT_NE(text.find(" FL_eq_flat[30]: 0.000\r\r\n\r\r\n FR_eq_flat[0]: 0.000"), std::string::npos);
    const std::string tail = " S_eq_flat[30]: 12.000\r\r\n";
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);  // no blank line after the last block

    // A short reply: the missing fields read as zero; nothing is read past it.
    const Frame shortReply(reply.begin(), reply.begin() + 40);
    const std::string shortText = DumpText(shortReply);
    EXPECT_NE(shortText.find("CFG_current_preset: 0x0\r\r\n"), std::string::npos);
    EXPECT_NE(shortText.find("RMS_new: 1.500000"), std::string::npos);
    EXPECT_FALSE(WriteDeviceStateDump(nullptr, 0, stdout));
}
