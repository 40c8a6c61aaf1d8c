// The dynamic-equalisation section of setup files: every field round-trips in its place, out-of-range
// mode and curve load as Easy and Low-volume, damaged sections are refused with their reason and
// change nothing, and the setups written before the dialog existed still load.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "dialogs/eq_dynamic_logic.h"
#include "dsp/eq.h"
#include "dyn_eq_view.h"
#include "link/bytes.h"
#include "model/setup_file.h"
#include "model/tuning_model.h"
#include "model/tuning_section.h"
#include "stand_in_sections.h"

namespace {

using dialogs::DynEqCurveRecord;
using dialogs::EqDynamicLogic;

constexpr size_t kRecord = sizeof(DynEqCurveRecord);

struct Dialog {
    dyneqtest::FakeView view;
    os::FakeSleeper sleeper;
    EqDynamicLogic logic{&view, &sleeper};
    Dialog() { logic.Reset(); }

    std::vector<uint8_t> Bytes() {
        std::vector<uint8_t> out;
        model::SectionWriter w(out);
        logic.Section().Write(w, {});
        return out;
    }
    std::string Load(const std::vector<uint8_t>& bytes) {
        model::SectionReader r(bytes);
        const std::string why = logic.Section().Read(r, {});
        if (why.empty()) logic.Section().Apply({});
        logic.Section().Discard();
        return why;
    }
};

// A dialog whose every field differs from the reset state.
void Tune(Dialog& d) {
    d.logic.OnModeClicked(dialogs::kDynEqAdvanced);
    d.logic.OnTimer(dialogs::kDynEqReadyTimer);
    d.logic.OnVolumeMoved(-41.5f);
    d.logic.OnBandSwitch(7, 1);
    d.logic.OnStart();
    float values[31];
    for (int i = 0; i < 31; ++i) values[i] = std::sin(i * 0.7f) * 5.5f;
    d.logic.OnBandEdit(-2, values);
    d.logic.OnTimer(dialogs::kDynEqSaveTimer);
    d.logic.OnSave();  // now the High-volume curve is selected
}

TEST(DynEqSection, LayoutAndRoundTrip) {
    Dialog a;
    Tune(a);
    const std::vector<uint8_t> bytes = a.Bytes();
    ASSERT_EQ(bytes.size(), 9964u);
    EXPECT_EQ(devlink::GetU32LE(&bytes[0]), 4976u);
    EXPECT_EQ(devlink::GetU32LE(&bytes[4]), 1u);  // Advanced
    EXPECT_EQ(devlink::GetU32LE(&bytes[8]), 1u);  // High-volume selected
    EXPECT_EQ(devlink::GetU32LE(&bytes[12 + 0]), 0u);
    EXPECT_EQ(devlink::GetF32LE(&bytes[12 + 8]), -41.5f);
    EXPECT_EQ(devlink::GetF32LE(&bytes[12 + 12 + 4 * 3]), std::sin(3 * 0.7f) * 5.5f);
    EXPECT_EQ(devlink::GetU32LE(&bytes[12 + 4848 + 4 * 7]), 1u);
    EXPECT_EQ(devlink::GetU32LE(&bytes[12 + 4972]), 1u);
    EXPECT_EQ(devlink::GetU32LE(&bytes[12 + kRecord]), 1u);
    EXPECT_EQ(devlink::GetF32LE(&bytes[12 + kRecord + 4]), -6.0f);
    EXPECT_EQ(devlink::GetF32LE(&bytes[12 + kRecord + 8]), 0.0f);
    // Each section's padding word is written as 0.
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < 31; ++i) EXPECT_EQ(devlink::GetU32LE(&bytes[12 + c * kRecord + 136 + 152 * i + 148]), 0u);

    Dialog b;
    ASSERT_EQ(b.Load(bytes), "");
    EXPECT_EQ(b.logic.Mode(), dialogs::kDynEqAdvanced);
    EXPECT_EQ(b.logic.Curve(), 1);
    EXPECT_TRUE(b.view.Checked(dialogs::DynEqControl::Advanced));
    EXPECT_TRUE(b.view.Checked(dialogs::DynEqControl::High));
    EXPECT_FALSE(b.view.compact);
    EXPECT_EQ(b.Bytes(), bytes);
    for (int c = 0; c < 2; ++c) {
        const DynEqCurveRecord r = b.logic.Record(c);
        for (int i = 0; i < 31; ++i) {
            model::BiquadSection want{};
            dsp::ComputeEqBand(&want, std::pow(10.0, r.gains[i] / 20.0), i);
            EXPECT_EQ(r.sections[i].b[0], want.b[0]);
            EXPECT_EQ(r.sections[i].a[1], want.a[1]);
        }
    }
    // Loading sends nothing: the write after a load carries the curves.
    EXPECT_EQ(b.logic.PendingFlags(), (EqDynamicLogic::Pending{}));
}

TEST(DynEqSection, ModeAndCurveOutOfRangeLoadAsEasyAndLow) {
    Dialog a;
    std::vector<uint8_t> bytes = a.Bytes();
    devlink::PutU32LE(&bytes[4], 7);
    devlink::PutU32LE(&bytes[8], 3);
    Dialog b;
    ASSERT_EQ(b.Load(bytes), "");
    EXPECT_EQ(b.logic.Mode(), dialogs::kDynEqEasy);
    EXPECT_EQ(b.logic.Curve(), 0);
    EXPECT_TRUE(b.view.Checked(dialogs::DynEqControl::Easy));
    EXPECT_TRUE(b.view.Checked(dialogs::DynEqControl::Low));
    EXPECT_FALSE(b.view.Checked(dialogs::DynEqControl::Off));
}

TEST(DynEqSection, DamagedSectionsAreRefusedAndChangeNothing) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        const char* what;
        size_t at;  // offset of an f32 to replace, or of the size word
        float value;
        const char* says;
    } cases[] = {
        {"EQ level NaN", 12 + 4, nan, "Low-volume curve has an EQ level"},
        {"High EQ level 1000 dB", 12 + kRecord + 4, 1000.0f, "High-volume curve has an EQ level"},
        {"reference NaN", 12 + 8, nan, "reference volume"},
        {"reference 70 dB", 12 + 8, 70.0f, "reference volume outside -60..67.5 dB"},
        {"reference -61 dB", 12 + kRecord + 8, -61.0f, "High-volume curve has a reference volume"},
        {"gain infinite", 12 + 12 + 4 * 30, inf, "band 30 gain"},
        {"gain 771 dB", 12 + kRecord + 12, 771.0f, "High-volume curve's band 0 gain"},
    };
    for (const auto& c : cases) {
        Dialog a;
        Tune(a);
        std::vector<uint8_t> bytes = a.Bytes();
        devlink::PutF32LE(&bytes[c.at], c.value);
        Dialog b;
        b.logic.OnModeClicked(dialogs::kDynEqEasy);
        const std::vector<uint8_t> before = b.Bytes();
        const std::string why = b.Load(bytes);
        EXPECT_NE(why.find(c.says), std::string::npos) << c.what << ": " << why;
        EXPECT_EQ(b.Bytes(), before) << c.what;
    }
    // The edges that still load: the device's whole byte range of references.
    for (float reference : {-60.0f, 67.5f, 0.0f}) {
        Dialog a;
        std::vector<uint8_t> bytes = a.Bytes();
        devlink::PutF32LE(&bytes[12 + 8], reference);
        Dialog b;
        EXPECT_EQ(b.Load(bytes), "") << reference;
        EXPECT_EQ(b.logic.Record(0).reference, reference);
    }

    Dialog a;
    std::vector<uint8_t> bytes = a.Bytes();
    std::vector<uint8_t> wrongSize = bytes;
    devlink::PutU32LE(&wrongSize[0], 5072);
    Dialog b;
    EXPECT_EQ(b.Load(wrongSize), "the dynamic-equalisation section's record size is 5072, not 4976");
    std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + 9000);
    EXPECT_EQ(b.Load(cut), "the dynamic-equalisation section is cut short: 9000 bytes are left, 9964 are needed");
    EXPECT_EQ(b.logic.Mode(), dialogs::kDynEqOff);
}

// What the program wrote before this dialog existed: the size word and zeros.
TEST(DynEqSection, SetupsFromBeforeTheDialogLoad) {
    std::vector<uint8_t> zeros(9964, 0);
    devlink::PutU32LE(&zeros[0], 4976);
    Dialog d;
    ASSERT_EQ(d.Load(zeros), "");
    EXPECT_EQ(d.logic.Mode(), dialogs::kDynEqEasy);
    EXPECT_EQ(d.logic.Record(1).reference, 0.0f);

    // A whole setup file saved by that build: tuning, levels, this section, the external sources.
    model::TuningModel model;
    model::TuningSection tuning{model};
    filetest::LevelsStandIn levels;
    filetest::FixedStandIn sources{4992, 24968};
    Dialog e;
    ASSERT_EQ(model::LoadSetupFile(std::string(DARVIX_DYN_EQ_TEST_DATA) + "/before_dyn_eq.bit",
                                   {&tuning, &levels, &e.logic.Section(), &sources}),
              "");
    EXPECT_EQ(e.logic.Mode(), dialogs::kDynEqEasy);
    EXPECT_EQ(e.logic.Curve(), 0);
    EXPECT_EQ(e.logic.Record(0).gains[0], 0.0f);
}

}  // namespace
