// The output levels' section of setup and preset files: every count a setup file may hold, preset
// files by slot, and damaged sections refused whole.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "pages/output_level_logic.h"

namespace {

using pages::OutputLevelLogic;

std::vector<uint8_t> SectionBytes(int32_t count, const std::vector<float>& values) {
    std::vector<uint8_t> out;
    model::SectionWriter w(out);
    w.WriteI32(count);
    for (float v : values) w.WriteF32(v);
    return out;
}

model::SectionContext PresetContext(int slot) {
    model::SectionContext c;
    c.presetFile = true;
    c.slot = slot;
    for (int p = 0; p < 4; ++p) c.included[p] = (slot == -1 || slot == p) ? 1 : 0;
    return c;
}

std::string Load(OutputLevelLogic& page, const std::vector<uint8_t>& bytes, const model::SectionContext& c) {
    model::SectionReader in(bytes);
    std::string why = page.Section().Read(in, c);
    if (why.empty()) page.Section().Apply(c);
    page.Section().Discard();
    return why;
}

std::vector<float> Ramp(int n, float start, float step) {
    std::vector<float> v;
    for (int i = 0; i < n; ++i) v.push_back(start + step * static_cast<float>(i));
    return v;
}

TEST(OutputLevelSection, SetupFileWritesAllAndLoadKeepsTheVolume) {
    OutputLevelLogic saved;
    for (int p = 0; p < 4; ++p) {
        saved.SelectPreset(p, 0);
        for (int c = 0; c < 8; ++c) saved.OnFaderMoved(c, -1.0f - 0.5f * (8 * p + c), 0.0f);
    }
    saved.OnFaderMoved(8, -30.0f, 0.0f);
    saved.OnFaderMoved(9, -6.0f, 0.0f);
    std::vector<uint8_t> bytes;
    model::SectionWriter w(bytes);
    saved.Section().Write(w, {});
    std::vector<float> expected = Ramp(32, -1.0f, -0.5f);
    expected.push_back(-30.0f);
    expected.push_back(-6.0f);
    EXPECT_EQ(bytes, SectionBytes(34, expected));

    OutputLevelLogic loaded;
    int calls = 0;
    loaded.SetLoadListener([&] { ++calls; });
    EXPECT_EQ(Load(loaded, bytes, {}), "");
    EXPECT_EQ(calls, 1);
    for (int k = 0; k < 32; ++k) EXPECT_EQ(loaded.Level(k / 8, k % 8), -1.0f - 0.5f * k);
    for (int c = 0; c < 8; ++c) EXPECT_EQ(loaded.Fader(c), -1.0f - 0.5f * c);
    EXPECT_EQ(loaded.Fader(8), -45.0f);  // master and subwoofer stay as they were
    EXPECT_EQ(loaded.Fader(9), 0.0f);
    for (int i = 0; i < 10; ++i) EXPECT_FALSE(loaded.SendFlag(i));
}

TEST(OutputLevelSection, EveryCountOfASetupFile) {
    // Older files: the first values are the eight channels of every preset, then master, sub.
    {
        OutputLevelLogic page;
        page.SelectPreset(3, 0);
        EXPECT_EQ(Load(page, SectionBytes(10, {-1, -2, -3, -4, -5, -6, -7, -8, -20, -4}), {}), "");
        for (int p = 0; p < 4; ++p)
            for (int c = 0; c < 8; ++c) EXPECT_EQ(page.Level(p, c), -1.0f - c);
        for (int c = 0; c < 8; ++c) EXPECT_EQ(page.Fader(c), -1.0f - c);
        EXPECT_EQ(page.Fader(8), -20.0f);
        EXPECT_EQ(page.Fader(9), -4.0f);
    }
    {
        OutputLevelLogic page;
        EXPECT_EQ(Load(page, SectionBytes(9, Ramp(9, -1.0f, -1.0f)), {}), "");
        EXPECT_EQ(page.Fader(8), -9.0f);
        EXPECT_EQ(page.Fader(9), 0.0f);
    }
    {
        OutputLevelLogic page;
        EXPECT_EQ(Load(page, SectionBytes(3, {-1, -2, -3}), {}), "");
        EXPECT_EQ(page.Level(2, 2), -3.0f);
        EXPECT_EQ(page.Level(2, 3), -3.0f);
        EXPECT_EQ(page.Fader(8), -45.0f);
    }
    // 11..34: channel values in preset order from the first.
    {
        OutputLevelLogic page;
        page.SelectPreset(1, 0);
        EXPECT_EQ(Load(page, SectionBytes(12, Ramp(12, -10.0f, -1.0f)), {}), "");
        EXPECT_EQ(page.Level(0, 7), -17.0f);
        EXPECT_EQ(page.Level(1, 3), -21.0f);
        EXPECT_EQ(page.Level(1, 4), -3.0f);
        EXPECT_EQ(page.Fader(3), -21.0f);
        EXPECT_EQ(page.Fader(4), -3.0f);
    }
    // 0: nothing; the setup saved before the page was built (zero levels) loads.
    {
        OutputLevelLogic page;
        EXPECT_EQ(Load(page, SectionBytes(0, {}), {}), "");
        EXPECT_EQ(page.Level(0, 0), -3.0f);
        std::vector<float> zeros(34, 0.0f);
        EXPECT_EQ(Load(page, SectionBytes(34, zeros), {}), "");
        EXPECT_EQ(page.Level(3, 7), 0.0f);
        EXPECT_EQ(page.Fader(0), 0.0f);
        EXPECT_EQ(page.Fader(8), -45.0f);
    }
}

TEST(OutputLevelSection, PresetFiles) {
    OutputLevelLogic source;
    source.SelectPreset(2, 0);
    for (int c = 0; c < 8; ++c) source.OnFaderMoved(c, -1.0f - c, 0.0f);
    std::vector<uint8_t> one, all, none;
    model::SectionWriter w1(one), wa(all), wn(none);
    source.Section().Write(w1, PresetContext(2));
    source.Section().Write(wa, PresetContext(-1));
    model::SectionContext outside = PresetContext(-1);
    outside.slot = 5;
    source.Section().Write(wn, outside);
    EXPECT_EQ(one, SectionBytes(8, Ramp(8, -1.0f, -1.0f)));
    EXPECT_EQ(all.size(), 4u + 4u * 32u);
    EXPECT_EQ(devlink::GetU32LE(all.data()), 32u);
    EXPECT_EQ(none, SectionBytes(0, {}));

    // One preset's file loaded into preset 1 fills only preset 1 (the shown preset is 0).
    OutputLevelLogic page;
    model::SectionContext into1 = PresetContext(1);
    into1.included = {0, 0, 1, 0};  // the file holds preset C
    EXPECT_EQ(Load(page, one, into1), "");
    for (int c = 0; c < 8; ++c) {
        EXPECT_EQ(page.Level(1, c), -1.0f - c);
        EXPECT_EQ(page.Level(0, c), -3.0f);
        EXPECT_EQ(page.Level(2, c), -3.0f);
    }
    OutputLevelLogic page2;
    EXPECT_EQ(Load(page2, all, PresetContext(-1)), "");
    EXPECT_EQ(page2.Level(2, 7), -8.0f);
    EXPECT_EQ(page2.Level(0, 7), -3.0f);
}

TEST(OutputLevelSection, DamagedSectionsAreRefusedAndChangeNothing) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    std::vector<float> good34(34, -6.0f);
    auto with = [](std::vector<float> v, size_t at, float x) {
        v[at] = x;
        return v;
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        model::SectionContext context;
    } cases[] = {
        {"no count", {1, 0}, {}},
        {"negative count", SectionBytes(-1, {}), {}},
        {"count above 34", SectionBytes(35, std::vector<float>(35, -1.0f)), {}},
        {"huge count", SectionBytes(0x7FFFFFFF, {}), {}},
        {"ends inside", SectionBytes(34, std::vector<float>(20, -1.0f)), {}},
        {"NaN level", SectionBytes(34, with(good34, 5, nan)), {}},
        {"infinite master", SectionBytes(34, with(good34, 32, inf)), {}},
        {"level above 0", SectionBytes(34, with(good34, 31, 0.5f)), {}},
        {"level below the byte", SectionBytes(34, with(good34, 0, -128.0f)), {}},
        {"older file, level above 0", SectionBytes(10, with(std::vector<float>(10, -1.0f), 7, 3.0f)), {}},
        {"older file, NaN subwoofer", SectionBytes(10, with(std::vector<float>(10, -1.0f), 9, nan)), {}},
        {"preset file of one with 32", SectionBytes(32, std::vector<float>(32, -1.0f)), PresetContext(2)},
        {"preset file of all with 8", SectionBytes(8, std::vector<float>(8, -1.0f)), PresetContext(-1)},
        {"preset file, level above 0", SectionBytes(8, with(std::vector<float>(8, -1.0f), 2, 1.0f)),
         PresetContext(0)},
    };
    for (const Case& c : cases) {
        OutputLevelLogic page;
        model::SectionReader in(c.bytes);
        const std::string why = page.Section().Read(in, c.context);
        EXPECT_FALSE(why.empty()) << c.what;
        // A refused section is never applied; staging alone changed nothing.
        page.Section().Discard();
        page.Section().Apply(c.context);
        for (int k = 0; k < 32; ++k) EXPECT_EQ(page.Level(k / 8, k % 8), -3.0f) << c.what;
        EXPECT_EQ(page.Fader(8), -45.0f) << c.what;
    }
    // The edges that are allowed.
    OutputLevelLogic page;
    EXPECT_EQ(Load(page, SectionBytes(34, with(with(good34, 0, -127.5f), 1, 0.0f)), {}), "");
    EXPECT_EQ(page.Level(0, 0), -127.5f);
    EXPECT_EQ(page.Fader(0), -40.0f);  // the fader shows its bottom
}

}  // namespace
