#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "link/bytes.h"
#include "model/setup_file.h"
#include "model/tuning_section.h"
#include "test_support.h"
#include "tuned_model.h"

using namespace model;
using namespace filetest;

namespace {

constexpr size_t kLevelsBytes = 4 + 34 * 4;
constexpr size_t kDynEqBytes = 4 + 9960;
constexpr size_t kExtBytes = 4 + 24968;
constexpr size_t kSetupBytes = 162348 + kLevelsBytes + kDynEqBytes + kExtBytes;  // 197424

// File offset of field `offset` of record `o` of the `b`-th preset block of a tuning section.
size_t RecordAt(size_t sectionStart, int b, int o, size_t offset = 0) {
    return sectionStart + kTuningHeaderBytes + kPresetBlockBytes * b + 4 + sizeof(DspChannelRecord) * o +
           offset;
}

// A model with the sections of a setup and a preset file around it.
struct Files {
    RecordingView view;
    TuningModel model{&view};
    TuningSection tuning{model};
    LevelsStandIn levels;
    FixedStandIn dynamicEq{4976, 9960};
    FixedStandIn externalSources{4992, 24968};

    SetupSections Setup() { return {&tuning, &levels, &dynamicEq, &externalSources}; }
    PresetSections Preset() { return {&tuning, &levels}; }
};

// Everything of a model that a load may change.
std::vector<uint8_t> Snapshot(TuningModel& m) {
    std::vector<uint8_t> s;
    auto add = [&](const void* p, size_t n) {
        const uint8_t* b = static_cast<const uint8_t*>(p);
        s.insert(s.end(), b, b + n);
    };
    for (int p = 0; p < kPresetCount; ++p) {
        add(&m.Preset(p), sizeof(DspPreset));
        for (int o = 0; o < kChannelCount; ++o) {
            add(&m.Sections(p, o), sizeof(CrossoverSections));
            for (int f = 0; f < kDirtyFlagCount; ++f) s.push_back(m.IsDirty(p, o, f));
        }
        const int32_t lp = m.ListeningPoint(p);
        add(&lp, 4);
    }
    for (int o = 0; o < kChannelCount; ++o) s.push_back(static_cast<uint8_t>(m.Mute(o)));
    const int32_t scalars[] = {m.CurrentPreset(), m.AssignedCount(),
                               static_cast<int32_t>(m.WorkingMode()), m.DirtyTracking(),
                               m.IsChanged()};
    add(scalars, sizeof scalars);
    return s;
}

void ExpectSameRecord(const DspChannelRecord& want, const DspChannelRecord& got) {
    // Everything before the equaliser sections and after them is kept exactly as written.
    EXPECT_EQ(std::memcmp(&want, &got, offsetof(DspChannelRecord, eqSections)), 0);
    EXPECT_EQ(std::memcmp(&want.EQLink, &got.EQLink, 16), 0);
    for (int k = 0; k < kBandCount; ++k)
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(got.eqSections[k].b[i], want.eqSections[k].b[i], 1e-12) << "band " << k;
            EXPECT_NEAR(got.eqSections[k].a[i], want.eqSections[k].a[i], 1e-12) << "band " << k;
        }
}

void ExpectSamePreset(TuningModel& want, TuningModel& got, int p) {
    for (int o = 0; o < kChannelCount; ++o) {
        SCOPED_TRACE("preset " + std::to_string(p) + " output " + std::to_string(o));
        ExpectSameRecord(want.Record(p, o), got.Record(p, o));
        for (int s = 0; s < want.Record(p, o).crossover.sectionCount; ++s)
            for (int i = 0; i < 3; ++i) {
                const double tol = 1e-9 * (1 + std::fabs(want.Sections(p, o).section[s].b[i]));
                EXPECT_NEAR(got.Sections(p, o).section[s].b[i], want.Sections(p, o).section[s].b[i], tol);
                EXPECT_NEAR(got.Sections(p, o).section[s].a[i], want.Sections(p, o).section[s].a[i],
                            1e-9 * (1 + std::fabs(want.Sections(p, o).section[s].a[i])));
            }
    }
}

void ExpectSameTuning(TuningModel& want, TuningModel& got) {
    for (int p = 0; p < kPresetCount; ++p) {
        ExpectSamePreset(want, got, p);
        EXPECT_EQ(got.ListeningPoint(p), want.ListeningPoint(p)) << p;
    }
}

std::string DataFile(const char* name) { return std::string(DARVIX_FILES_TEST_DATA) + "/" + name; }

}  // namespace

TEST(SetupFile, RoundTripRestoresTheWholeTuning) {
    Files source, target;
    Tune(source.model);
    source.model.SetWorkingModeValue(0);
    source.levels.level[2][5] = -7.5f;
    source.dynamicEq.data[100] = 0x5A;
    // The run-time word and the reserved words never reach the file.
    source.model.Record(1, 1).crossover.sectionArray = 0xDEADBEEF;
    source.model.Record(1, 1).reserved = 0x12345678;

    TempFile file("setup.bit");
    ASSERT_EQ(SaveSetupFile(file.path(), source.Setup()), "");
    const std::vector<uint8_t> bytes = ReadFileBytes(file.path());
    ASSERT_EQ(bytes.size(), kSetupBytes);
    EXPECT_EQ(devlink::GetU32LE(&bytes[0]), 5072u);
    EXPECT_EQ(devlink::GetU32LE(&bytes[4]), 76u);
    EXPECT_EQ(devlink::GetU32LE(&bytes[8]), 0u) << "working mode";
    for (int p = 0; p < kPresetCount; ++p)
        EXPECT_EQ(devlink::GetU32LE(&bytes[12 + kPresetBlockBytes * p]), static_cast<uint32_t>(p));
    for (int p = 0; p < kPresetCount; ++p)
        EXPECT_EQ(devlink::GetU32LE(&bytes[162332 + 4 * p]),
                  static_cast<uint32_t>(source.model.ListeningPoint(p)));
    EXPECT_EQ(devlink::GetU32LE(&bytes[RecordAt(0, 1, 1, 80)]), 0u);
    EXPECT_EQ(devlink::GetU32LE(&bytes[RecordAt(0, 1, 1, 340)]), 0u);
    EXPECT_EQ(devlink::GetU32LE(&bytes[162348]), 34u) << "the output-level section follows";
    EXPECT_EQ(devlink::GetU32LE(&bytes[162348 + kLevelsBytes]), 4976u);
    EXPECT_EQ(devlink::GetU32LE(&bytes[162348 + kLevelsBytes + kDynEqBytes]), 4992u);
    source.model.Record(1, 1).crossover.sectionArray = 0;
    source.model.Record(1, 1).reserved = 0;

    // The target differs in everything a setup file replaces or clears.
    target.model.SetMuteValue(3, 1);
    target.model.SetCurrentPreset(2);
    target.model.SetDirty(0, 0, kDirtyCrossover);
    target.model.SetConnected(1);
    target.view.calls.clear();
    ASSERT_EQ(LoadSetupFile(file.path(), target.Setup()), "");

    ExpectSameTuning(source.model, target.model);
    EXPECT_EQ(target.model.Mute(3), 0u) << "mutes are cleared";
    EXPECT_EQ(target.model.WorkingMode(), 1u) << "the file's working mode is not applied";
    EXPECT_EQ(target.model.CurrentPreset(), 2);
    EXPECT_EQ(target.model.AssignedCount(), 0);
    EXPECT_FALSE(target.model.IsDirty(0, 0, kDirtyCrossover));
    EXPECT_TRUE(target.model.IsChanged()) << "loaded while connected";
    EXPECT_TRUE(target.model.DirtyTracking());
    EXPECT_EQ(target.levels.level[2][5], -7.5f);
    EXPECT_EQ(target.dynamicEq.data, source.dynamicEq.data);
    EXPECT_EQ(target.levels.applied, 1);
    EXPECT_EQ(target.externalSources.applied, 1);

    // What the pages were told.
    const auto& calls = target.view.calls;
    ASSERT_GE(calls.size(), 10u);
    EXPECT_EQ(calls[0], "clear speakers");
    EXPECT_TRUE(target.view.Saw("loaded 3"));
    EXPECT_TRUE(target.view.Saw("icon -1 0 0 0"));
    EXPECT_TRUE(target.view.Saw("icon 2 0 3 3")) << "the tweeter with its passive variant";
    EXPECT_TRUE(target.view.Saw("selected 2"));
    EXPECT_EQ(calls.back(), "listening " + std::to_string(source.model.ListeningPoint(2)));
}

TEST(SetupFile, SectionsAreDesignedFromTheParametersNotTakenFromTheFile) {
    Files source, target;
    Tune(source.model);
    std::vector<uint8_t> bytes = BuildSetupImage(source.Setup());
    // Garbage where the sections and the section count lie in the file.
    for (int b = 0; b < kPresetCount; ++b)
        for (int o = 0; o < kChannelCount; ++o) {
            devlink::PutU32LE(&bytes[RecordAt(0, b, o, 84)], 9);
            for (size_t i = 344; i < 5056; ++i) bytes[RecordAt(0, b, o, i)] = 0xFF;  // NaN doubles
        }
    ASSERT_EQ(LoadSetupImage(bytes, target.Setup()), "");
    ExpectSameTuning(source.model, target.model);

    // A crossover that cannot be designed (crossed band-pass edges) is left with no sections
    // rather than the previous tuning's.
    const size_t lp = RecordAt(0, 1, 1, 16 + 28), hp = RecordAt(0, 1, 1, 16 + 36);
    devlink::PutF32LE(&bytes[lp], 8000.0f);
    devlink::PutF32LE(&bytes[hp], 900.0f);
    ASSERT_EQ(LoadSetupImage(bytes, target.Setup()), "");
    EXPECT_EQ(target.model.Record(1, 1).crossover.LPFreq, 8000.0f) << "kept as written";
    EXPECT_EQ(target.model.Record(1, 1).crossover.sectionCount, 0);
    EXPECT_EQ(target.model.Sections(1, 1).section[0].b[0], 1.0);
    EXPECT_EQ(target.model.Sections(1, 1).section[0].b[1], 0.0);
}

TEST(SetupFile, DamagedFilesAreRefusedAndChangeNothing) {
    Files source;
    Tune(source.model);
    const std::vector<uint8_t> good = BuildSetupImage(source.Setup());
    ASSERT_EQ(good.size(), kSetupBytes);

    auto putI32 = [](std::vector<uint8_t>& b, size_t at, int32_t v) {
        devlink::PutU32LE(&b[at], static_cast<uint32_t>(v));
    };
    auto putF32 = [](std::vector<uint8_t>& b, size_t at, float v) { devlink::PutF32LE(&b[at], v); };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();

    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> damage;
        const char* message;
    } cases[] = {
        {"empty", [](auto& b) { b.clear(); }, "ends early"},
        {"cut in the header words", [](auto& b) { b.resize(11); }, "ends early"},
        {"cut in a record", [](auto& b) { b.resize(60000); }, "ends early"},
        {"cut before the listening points", [](auto& b) { b.resize(162340); }, "ends early"},
        {"only the tuning section", [](auto& b) { b.resize(162348); }, "output-level section"},
        {"cut in the last section", [](auto& b) { b.resize(b.size() - 1); },
         "external-source section"},
        {"a byte too many", [](auto& b) { b.push_back(0); }, "1 unexpected bytes"},
        {"record size", [&](auto& b) { putI32(b, 0, 5000); }, "record size is 5000"},
        {"crossover block size", [&](auto& b) { putI32(b, 4, 77); }, "block size is 77"},
        {"output 8", [&](auto& b) { putI32(b, RecordAt(0, 1, 2, 4), 8); }, "preset B, record 2"},
        {"output -2", [&](auto& b) { putI32(b, RecordAt(0, 0, 0, 4), -2); }, "output number is -2"},
        {"position 12", [&](auto& b) { putI32(b, RecordAt(0, 3, 7, 8), 12); }, "speaker position is 12"},
        {"kind -5", [&](auto& b) { putI32(b, RecordAt(0, 2, 3, 12), -5); }, "speaker kind is -5"},
        {"NaN gain", [&](auto& b) { putF32(b, RecordAt(0, 2, 4, 92 + 4 * 30), nan); },
         "band 31 is not a number"},
        {"infinite gain", [&](auto& b) { putF32(b, RecordAt(0, 0, 1, 92), -inf); }, "band 1"},
        {"NaN low pass", [&](auto& b) { putF32(b, RecordAt(0, 1, 0, 16 + 28), nan); },
         "low-pass frequency"},
        {"infinite high pass", [&](auto& b) { putF32(b, RecordAt(0, 1, 0, 16 + 36), inf); },
         "high-pass frequency"},
        {"slope 49", [&](auto& b) { putF32(b, RecordAt(0, 3, 5, 16 + 32), 49.0f); }, "slope"},
        {"negative slope", [&](auto& b) { putF32(b, RecordAt(0, 3, 5, 16 + 40), -6.0f); }, "slope"},
        {"NaN slope", [&](auto& b) { putF32(b, RecordAt(0, 0, 5, 16 + 40), nan); }, "slope"},
        {"listening point 4", [&](auto& b) { putI32(b, 162332 + 8, 4); }, "preset C is 4"},
        {"listening point -1", [&](auto& b) { putI32(b, 162332, -1); }, "preset A is -1"},
        {"level count", [&](auto& b) { putI32(b, 162348, 35); }, "output-level section"},
        {"dynamic equalisation size", [&](auto& b) { putI32(b, 162348 + kLevelsBytes, 4977); },
         "dynamic equalisation section"},
    };

    Files target;
    target.model.SetMuteValue(2, 1);
    target.model.SetDirty(3, 3, kDirtyEqOff);
    target.model.SetConnected(1);
    const std::vector<uint8_t> before = Snapshot(target.model);
    TempFile file("damaged.bit");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> bytes = good;
        c.damage(bytes);
        ASSERT_TRUE(WriteFileBytes(file.path(), bytes));
        target.view.calls.clear();
        const std::string error = LoadSetupFile(file.path(), target.Setup());
        EXPECT_EQ(error.rfind("Cannot load \"" + file.path() + "\": ", 0), 0u) << error;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
        EXPECT_EQ(Snapshot(target.model), before);
        EXPECT_TRUE(target.view.calls.empty());
        EXPECT_EQ(target.levels.applied + target.dynamicEq.applied + target.externalSources.applied, 0);
    }
    EXPECT_NE(LoadSetupFile(file.path() + ".missing", target.Setup()).find("cannot open"),
              std::string::npos);
    EXPECT_EQ(Snapshot(target.model), before);
}

TEST(SetupFile, OddButSafeValuesAreKeptAsWritten) {
    Files source, target;
    DspChannelRecord& r = source.model.Record(1, 3);
    r.position = 11;       // beyond the car view's spots, as the wizard may assign
    r.kind = 11;
    r.passiveVariant = 99;
    r.inUse = 7;
    r.crossover.LFSlope = 0.0f;
    r.crossover.HFSlope = 48.0f;
    r.crossover.distance = -300;
    source.model.Record(1, 2).crossover.LPFreq = -5.0f;  // unused by a high pass: anything finite
    source.model.Record(2, 6).output = -1;  // position and kind kept, not assigned
    source.model.DesignAllPresets();
    ASSERT_EQ(LoadSetupImage(BuildSetupImage(source.Setup()), target.Setup()), "");
    for (int p : {1, 2}) ExpectSamePreset(source.model, target.model, p);
}

TEST(SetupFile, AFailedSaveKeepsTheOldFile) {
    Files first, second;
    Tune(second.model);
    TempFile file("keep.bit");
    ASSERT_EQ(SaveSetupFile(file.path(), first.Setup()), "");
    const std::vector<uint8_t> old = ReadFileBytes(file.path());

    for (const os::SaveFaults& faults : {os::SaveFaults{100000, false}, os::SaveFaults{-1, true}}) {
        const std::string error = SaveSetupFile(file.path(), second.Setup(), &faults);
        EXPECT_EQ(error.rfind("Cannot save \"" + file.path() + "\": ", 0), 0u) << error;
        EXPECT_EQ(ReadFileBytes(file.path()), old);
        EXPECT_FALSE(FileExists(os::TemporaryPathFor(file.path())));
    }
    Files check;
    Tune(check.model);
    ASSERT_EQ(LoadSetupFile(file.path(), check.Setup()), "");
    ExpectSameTuning(first.model, check.model);

    SetupSections missing = first.Setup();
    missing.dynamicEq = nullptr;
    EXPECT_NE(SaveSetupFile(file.path(), missing), "");
    EXPECT_EQ(ReadFileBytes(file.path()), old);
}

TEST(PresetFile, AllPresetsRoundTrip) {
    Files source, target;
    Tune(source.model);
    TempFile file("all.prs");
    ASSERT_EQ(SavePresetFile(file.path(), -1, source.Preset()), "");
    const std::vector<uint8_t> bytes = ReadFileBytes(file.path());
    ASSERT_EQ(bytes.size(), 162508u);
    const uint8_t header[28] = {'p', 'r', 'e', 's', 'e', 't', 0, 0, 1, 0, 0, 0, 1, 0,
                                0,   0,   1,   0,   0,   0,   1, 0, 0, 0, 1, 0, 0, 0};
    EXPECT_EQ(std::memcmp(bytes.data(), header, 28), 0);
    EXPECT_EQ(devlink::GetU32LE(&bytes[28 + 162348]), 32u) << "32 levels";

    // A record assigned on one side only keeps the model's.
    target.model.Record(2, 7).output = kUnassigned;
    const DspChannelRecord keep = target.model.Record(2, 7);
    target.model.SetMuteValue(1, 1);
    std::string error;
    ASSERT_EQ(LoadPresetFile(file.path(), -1, target.Preset(), &error), PresetFileStatus::kOk) << error;
    for (int p = 0; p < kPresetCount; ++p) {
        for (int o = 0; o < kChannelCount; ++o) {
            SCOPED_TRACE(std::to_string(p) + " " + std::to_string(o));
            if (p == 2 && o == 7)
                EXPECT_EQ(std::memcmp(&target.model.Record(p, o), &keep, 92), 0);
            else
                ExpectSameRecord(source.model.Record(p, o), target.model.Record(p, o));
        }
        EXPECT_EQ(target.model.ListeningPoint(p), source.model.ListeningPoint(p));
    }
    EXPECT_EQ(target.model.Mute(1), 1u) << "a preset file leaves the mutes alone";
    EXPECT_EQ(target.levels.level[3][7], source.levels.level[3][7]);
}

TEST(PresetFile, EachSinglePresetRoundTripsIntoTheCurrentPreset) {
    for (int slot = 0; slot < kPresetCount; ++slot) {
        SCOPED_TRACE(slot);
        Files source, target;
        Tune(source.model);
        source.levels.level[slot][2] = -11.0f;
        TempFile file("one.pro");
        ASSERT_EQ(SavePresetFile(file.path(), slot, source.Preset()), "");
        const std::vector<uint8_t> bytes = ReadFileBytes(file.path());
        ASSERT_EQ(bytes.size(), 40672u);
        for (int p = 0; p < kPresetCount; ++p)
            EXPECT_EQ(devlink::GetU32LE(&bytes[12 + 4 * p]), p == slot ? 1u : 0u);
        EXPECT_EQ(devlink::GetU32LE(&bytes[28 + 12]), static_cast<uint32_t>(slot)) << "block index";

        target.model.SetCurrentPreset(slot);
        std::vector<uint8_t> others[kPresetCount];
        for (int p = 0; p < kPresetCount; ++p) {
            others[p].resize(sizeof(DspPreset));
            std::memcpy(others[p].data(), &target.model.Preset(p), sizeof(DspPreset));
        }
        std::string error;
        ASSERT_EQ(LoadPresetFile(file.path(), slot, target.Preset(), &error), PresetFileStatus::kOk)
            << error;
        for (int o = 0; o < kChannelCount; ++o) {
            DspChannelRecord want = source.model.Record(slot, o);
            // The subwoofer spot's channels have no partner to be linked with.
            if (want.position == kSubwooferSpot) want.EQLink = want.crossover.bXoLink = 0;
            ExpectSameRecord(want, target.model.Record(slot, o));
        }
        for (int p = 0; p < kPresetCount; ++p) {
            if (p == slot) continue;
            EXPECT_EQ(std::memcmp(others[p].data(), &target.model.Preset(p), sizeof(DspPreset)), 0) << p;
            EXPECT_EQ(target.model.ListeningPoint(p), 0) << p;
        }
        EXPECT_EQ(target.model.ListeningPoint(slot), source.model.ListeningPoint(slot));
        EXPECT_EQ(target.levels.level[slot][2], -11.0f);
    }
}

TEST(PresetFile, ASinglePresetForAnotherPresetChangesNothing) {
    Files source, target;
    Tune(source.model);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(BuildPresetImage(1, source.Preset(), &bytes));
    const std::vector<uint8_t> before = Snapshot(target.model);
    std::string what;
    EXPECT_EQ(LoadPresetImage(bytes, 1, target.Preset(), &what), PresetFileStatus::kOk);
    EXPECT_EQ(Snapshot(target.model), before) << "preset A is current";
}

TEST(PresetFile, AnotherSpeakerLayoutIsIncompatible) {
    Files source, target;
    Tune(source.model);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(BuildPresetImage(0, source.Preset(), &bytes));
    std::string what;
    EXPECT_EQ(CheckPresetImage(bytes, 0, target.Preset(), &what), PresetFileStatus::kOk);

    struct Case {
        const char* what;
        int output;
        int field;  // 4 output, 8 position, 12 kind
        int32_t value;
    } cases[] = {{"kind", 3, 12, kFull}, {"position", 6, 8, kCenter}, {"output", 7, 4, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Files t;
        int32_t* field = reinterpret_cast<int32_t*>(reinterpret_cast<uint8_t*>(&t.model.Record(0, c.output)) + c.field);
        *field = c.value;
        const std::vector<uint8_t> before = Snapshot(t.model);
        TempFile file("other.pro");
        ASSERT_TRUE(WriteFileBytes(file.path(), bytes));
        std::string error;
        EXPECT_EQ(CheckPresetFile(file.path(), 0, t.Preset(), &error), PresetFileStatus::kIncompatible);
        EXPECT_EQ(LoadPresetFile(file.path(), 0, t.Preset(), &error), PresetFileStatus::kIncompatible);
        EXPECT_EQ(error, "Unable to load preset in your current DSP setup.");
        EXPECT_EQ(Snapshot(t.model), before);
        EXPECT_EQ(t.levels.applied, 0);
    }
}

TEST(PresetFile, DamagedHeadersAndSectionsAreRefused) {
    Files source;
    Tune(source.model);
    std::vector<uint8_t> one, all;
    ASSERT_TRUE(BuildPresetImage(2, source.Preset(), &one));
    ASSERT_TRUE(BuildPresetImage(-1, source.Preset(), &all));

    struct Case {
        const char* what;
        bool allPresets;
        int slot;
        std::function<void(std::vector<uint8_t>&)> damage;
        const char* message;  // nullptr: accepted
    } cases[] = {
        {"header cut", false, 0, [](auto& b) { b.resize(27); }, "too short"},
        {"magic", false, 0, [](auto& b) { b[0] = 'P'; }, "not a preset file"},
        {"magic without its end", false, 0, [](auto& b) { b[6] = 'X'; }, "not a preset file"},
        {"the byte after the magic's end is not read", false, 0, [](auto& b) { b[7] = 'X'; }, nullptr},
        {"version 2", false, 0, [](auto& b) { b[8] = 2; }, "version is 2"},
        {"version 0", false, 0, [](auto& b) { b[8] = 0; }, "version is 0"},
        {"included flag 2", false, 0, [](auto& b) { b[12 + 8] = 2; }, "header is damaged"},
        {"no preset included", false, 0, [](auto& b) { b[12 + 8] = 0; }, "holds no preset"},
        {"flags for more presets than the file holds", false, 0, [](auto& b) { b[12] = 1; },
         "ends early"},
        {"one preset loaded as all", false, -1, [](auto&) {}, "needs all four"},
        {"no such slot", false, 4, [](auto&) {}, "no preset 4"},
        {"bad record in the one block", false, 0,
         [](auto& b) { devlink::PutU32LE(&b[RecordAt(28, 0, 4, 12)], 40); }, "preset C, record 4"},
        {"bad record in the last of four", true, -1,
         [](auto& b) { devlink::PutU32LE(&b[RecordAt(28, 3, 1, 4)], 9); }, "preset D, record 1"},
        {"listening point", true, -1, [](auto& b) { devlink::PutU32LE(&b[28 + 162332 + 12], 9); },
         "preset D is 9"},
        {"levels cut", true, -1, [](auto& b) { b.resize(b.size() - 3); }, "output-level section"},
        {"trailing bytes", false, 0, [](auto& b) { b.insert(b.end(), 4, 0); }, "4 unexpected bytes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Files target;
        std::vector<uint8_t> bytes = c.allPresets ? all : one;
        c.damage(bytes);
        const std::vector<uint8_t> before = Snapshot(target.model);
        TempFile file("damaged.prs");
        ASSERT_TRUE(WriteFileBytes(file.path(), bytes));
        std::string error;
        const PresetFileStatus status = LoadPresetFile(file.path(), c.slot, target.Preset(), &error);
        if (!c.message) {
            EXPECT_EQ(status, PresetFileStatus::kOk) << error;
            continue;
        }
        EXPECT_EQ(status, PresetFileStatus::kInvalid);
        EXPECT_EQ(error.rfind("Cannot load \"" + file.path() + "\": ", 0), 0u) << error;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
        EXPECT_EQ(Snapshot(target.model), before);
        EXPECT_EQ(target.levels.applied, 0);
    }
}

// The reference files were written once by the native build (set DARVIX_WRITE_REFERENCE_FILES
// to a folder to write them again); every build must read them into the model they were made
// from, and write the same bytes apart from the computed equaliser sections.
TEST(ReferenceFiles, LoadToTheSameModelInEveryBuild) {
    Files source;
    Tune(source.model);
    source.levels.level[1][6] = -12.5f;
    if (const char* dir = std::getenv("DARVIX_WRITE_REFERENCE_FILES")) {
        ASSERT_EQ(SaveSetupFile(std::string(dir) + "/reference.bit", source.Setup()), "");
        ASSERT_EQ(SavePresetFile(std::string(dir) + "/reference.pro", 3, source.Preset()), "");
    }

    Files fromSetup;
    ASSERT_EQ(LoadSetupFile(DataFile("reference.bit"), fromSetup.Setup()), "");
    ExpectSameTuning(source.model, fromSetup.model);
    EXPECT_EQ(fromSetup.levels.level[1][6], -12.5f);

    Files fromPreset;
    fromPreset.model.SetCurrentPreset(3);
    std::string error;
    ASSERT_EQ(LoadPresetFile(DataFile("reference.pro"), 3, fromPreset.Preset(), &error),
              PresetFileStatus::kOk)
        << error;
    for (int o = 0; o < kChannelCount; ++o) {
        DspChannelRecord want = source.model.Record(3, o);
        if (want.position == kSubwooferSpot) want.EQLink = want.crossover.bXoLink = 0;
        ExpectSameRecord(want, fromPreset.model.Record(3, o));
    }

    // The bytes this build writes, but for the equaliser sections' doubles.
    std::vector<uint8_t> reference = ReadFileBytes(DataFile("reference.bit"));
    std::vector<uint8_t> mine = BuildSetupImage(source.Setup());
    ASSERT_EQ(mine.size(), reference.size());
    for (int b = 0; b < kPresetCount; ++b)
        for (int o = 0; o < kChannelCount; ++o)
            for (size_t i = 344; i < 5056; ++i) {
                const size_t at = RecordAt(0, b, o, i);
                mine[at] = reference[at] = 0;
            }
    EXPECT_TRUE(mine == reference);
}
