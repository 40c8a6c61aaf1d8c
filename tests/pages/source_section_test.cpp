// The external sources' section of setup files: the round trip, which source is lit after a load,
// and damaged sections refused whole.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "link/bytes.h"
#include "pages/ext_source_logic.h"
#include "pages/output_level_logic.h"
#include "tests/model/frame_helpers.h"
#include "tests/pages/source_page.h"

namespace {

using namespace sourcetest;

TEST(ExtSourceSection, RoundTripKeepsEverythingButTheMaster) {
    Page a;
    a.Enable({1, 3, 4});
    a.logic.OnSourcePicked(4);
    std::vector<float> gains(31, 0.0f);
    gains[0] = -7.5f;
    gains[30] = 11.5f;
    a.logic.OnEqBandChanged(-2, gains.data(), 1);
    a.logic.OnEqBandSwitch(12, 1);
    a.logic.OnSliderMoved(1, 3.5f);
    a.logic.OnSliderMoved(0, -12.0f);
    const std::vector<uint8_t> bytes = SectionBytes(a.logic);
    ASSERT_EQ(bytes.size(), 24972u);
    EXPECT_EQ(ToHex(devlink::Frame(bytes.begin(), bytes.begin() + 12)), "80 13 00 00 04 00 00 00 00 00 00 00");
    // The record of Phone: reserved word and padding zero, sensitivity at 4984.
    const size_t phone = 12 + 4 * 4992;
    EXPECT_EQ(devlink::GetU32LE(&bytes[phone]), 0u);
    EXPECT_EQ(devlink::GetU32LE(&bytes[phone + 252]), 0u);
    EXPECT_EQ(devlink::GetF32LE(&bytes[phone + 4]), -7.5f);
    EXPECT_EQ(devlink::GetU32LE(&bytes[phone + 128 + 4 * 12]), 1u);
    EXPECT_EQ(devlink::GetU32LE(&bytes[phone + 4968]), 1u);
    EXPECT_EQ(devlink::GetF32LE(&bytes[phone + 4980]), -12.0f);
    EXPECT_EQ(devlink::GetF32LE(&bytes[phone + 4984]), 3.5f);
    EXPECT_EQ(devlink::GetU32LE(&bytes[phone + 4988]), 1u);
    EXPECT_EQ(devlink::GetU32LE(&bytes[phone + 256 + 148]), 0u);  // a section's spare word
    EXPECT_EQ(devlink::GetF32LE(&bytes[12 + 4984]), 11.15014f);

    // A fresh page in Aux2 mode (enabled in the file) keeps Aux2 lit; masters follow the levels page.
    Page b;
    b.Enable({0, 1});
    b.logic.OnSourcePicked(1);
    b.view.outputMaster = -33.0f;
    EXPECT_EQ(LoadBytes(b.logic, bytes), "");
    EXPECT_EQ(b.logic.Section().LastResult(), 1);
    EXPECT_EQ(b.view.queries, 1);
    for (int s = 0; s < 5; ++s) {
        const ExtSourceRecord ra = a.logic.Record(s), rb = b.logic.Record(s);
        EXPECT_EQ(ra.gains, rb.gains) << s;
        EXPECT_EQ(ra.bandSwitches, rb.bandSwitches) << s;
        EXPECT_EQ(ra.sensitivity, rb.sensitivity) << s;
        EXPECT_EQ(ra.enabled, rb.enabled) << s;
        EXPECT_EQ(std::memcmp(ra.sections.data(), rb.sections.data(), sizeof ra.sections), 0) << s;
        EXPECT_EQ(rb.master, -33.0f) << s;
    }
    // The page's bytes now equal the file's except the masters.
    std::vector<uint8_t> again = SectionBytes(b.logic);
    for (int s = 0; s < 5; ++s) devlink::PutF32LE(&again[12 + 4992 * s + 4980], -12.0f);
    again[4] = 4;
    EXPECT_EQ(again, bytes);
}

TEST(ExtSourceSection, WhichSourceIsLitAfterALoad) {
    Page a;
    a.Enable({0, 3});
    a.logic.OnSourcePicked(0);
    const std::vector<uint8_t> file = SectionBytes(a.logic);  // Aux1 lit, Aux1 and Optical enabled

    // Optical lit and enabled in the file: stays lit whatever the file stores.
    Page b;
    b.Enable({3});
    b.logic.OnSourcePicked(3);
    EXPECT_EQ(LoadBytes(b.logic, file), "");
    EXPECT_EQ(b.logic.GetSelectedSource(), 3);
    // Phone lit, not in the file: the file's source is lit.
    Page c;
    c.Enable({4});
    c.logic.OnSourcePicked(4);
    EXPECT_EQ(LoadBytes(c.logic, file), "");
    EXPECT_EQ(c.logic.GetSelectedSource(), 0);
    EXPECT_EQ(c.logic.Section().LastResult(), 0);
    // A file whose stored source it does not enable loads in Master mode.
    std::vector<uint8_t> odd = file;
    devlink::PutU32LE(&odd[4], 2);
    Page d;
    d.Enable({4});
    d.logic.OnSourcePicked(4);
    EXPECT_EQ(LoadBytes(d.logic, odd), "");
    EXPECT_EQ(d.logic.GetSelectedSource(), -1);
    EXPECT_TRUE(d.logic.MasterChecked());
    // The earlier program wrote the size word and zeros: source 0, nothing enabled.
    std::vector<uint8_t> interim(24972, 0);
    devlink::PutU32LE(&interim[0], 4992);
    Page e;
    e.logic.Reset();  // Aux1 lit
    EXPECT_EQ(e.logic.GetSelectedSource(), 0);
    EXPECT_EQ(LoadBytes(e.logic, interim), "");
    EXPECT_EQ(e.logic.GetSelectedSource(), -1);
    EXPECT_EQ(e.logic.Record(2).gains[0], 0.0f);
    EXPECT_EQ(e.logic.Record(2).sections[0].a[0], 1.0);
}

TEST(ExtSourceSection, DamagedSectionsAreRefusedWhole) {
    Page a;
    a.Enable({0});
    a.logic.OnSourcePicked(0);
    const std::vector<uint8_t> good = SectionBytes(a.logic);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        const char* what;
        size_t at;     // where to patch (or the length to cut to when cut)
        float value;
        bool cut;
        const char* message;
    } cases[] = {
        {"size word", 0, 0.0f, false, "record size"},
        {"one byte short", 24971, 0.0f, true, "ends inside"},
        {"no records", 12, 0.0f, true, "ends inside"},
        {"NaN gain", 12 + 4992 * 3 + 4 + 4 * 9, nan, false, "Optical"},
        {"infinite gain", 12 + 4 + 4 * 30, std::numeric_limits<float>::infinity(), false, "band 31"},
        {"gain beyond a float", 12 + 4992 + 4, 800.0f, false, "Aux2: band 1"},
        {"NaN sensitivity", 12 + 4992 * 4 + 4984, nan, false, "sensitivity"},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bad = good;
        if (c.cut)
            bad.resize(c.at);
        else if (c.at == 0)
            devlink::PutU32LE(&bad[0], 4988);
        else
            devlink::PutF32LE(&bad[c.at], c.value);
        Page b;
        b.Enable({1, 2});
        b.logic.OnSourcePicked(2);
        const std::vector<uint8_t> before = SectionBytes(b.logic);
        const std::string error = LoadBytes(b.logic, bad);
        EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ": " << error;
        EXPECT_EQ(SectionBytes(b.logic), before) << c.what;
        EXPECT_EQ(b.logic.GetSelectedSource(), 2) << c.what;
        EXPECT_EQ(b.view.queries, 0) << c.what;
    }
    // A large but finite gain (the panel's +-12 dB are far below) still loads.
    std::vector<uint8_t> loud = good;
    devlink::PutF32LE(&loud[12 + 4], 700.0f);
    Page c;
    EXPECT_EQ(LoadBytes(c.logic, loud), "");
}

}  // namespace
