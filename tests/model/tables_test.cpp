#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "model/tables.h"

using namespace model;

TEST(CrossoverChoiceTable, GroupsValuesIdsAndLabels) {
    EXPECT_STREQ(CrossoverChoiceTable[0].label, "Butterworth");
    EXPECT_EQ(CrossoverChoiceTable[0].id, 40025u);
    EXPECT_EQ(CrossoverChoiceTable[0].value, 1.0f);
    EXPECT_STREQ(CrossoverChoiceTable[1].label, "Linkwitz");
    EXPECT_EQ(CrossoverChoiceTable[1].value, 0.0f);

    const char* types[] = {"Full Range", "Low  Pass", "High Pass", "Band Pass"};
    for (int i = 0; i < kTypeRows; ++i) {
        EXPECT_STREQ(CrossoverChoiceTable[kTypeRow + i].label, types[i]);
        EXPECT_EQ(CrossoverChoiceTable[kTypeRow + i].id, 40013u + i);
        EXPECT_EQ(CrossoverChoiceTable[kTypeRow + i].value, float(i));
    }
    for (int i = 0; i < kSlopeRows; ++i) {
        const CrossoverChoice& c = CrossoverChoiceTable[kSlopeRow + i];
        EXPECT_EQ(c.value, 6.0f * (i + 1));
        EXPECT_EQ(c.id, 40017u + i);
        EXPECT_EQ(std::string(c.label), std::to_string(6 * (i + 1)) + " dB");
    }
    // Frequencies: ascending, labelled with their plain value, ids 40027.. except the late five.
    const std::pair<float, uint32_t> late[] = {
        {2750, 40272}, {3250, 40273}, {3750, 40275}, {4250, 40276}, {4750, 40277}};
    float previous = 0;
    for (int i = 0; i < kFrequencyRows; ++i) {
        const CrossoverChoice& c = CrossoverChoiceTable[kFrequencyRow + i];
        EXPECT_GT(c.value, previous) << i;
        previous = c.value;
        EXPECT_EQ(std::string(c.label), std::to_string(int(c.value)));
        EXPECT_NE(c.value, 700.0f);
        EXPECT_NE(c.id, 40274u);
        for (auto [v, id] : late) {
            if (c.value == v) {
                EXPECT_EQ(c.id, id);
            }
        }
    }
    EXPECT_EQ(CrossoverChoiceTable[kFrequencyRow].value, 10.0f);
    EXPECT_EQ(CrossoverChoiceTable[kFrequencyRow].id, 40027u);
    EXPECT_EQ(CrossoverChoiceTable[kFrequencyRow + 41].value, 2500.0f);
    EXPECT_EQ(CrossoverChoiceTable[kFrequencyRow + 41].id, 40068u);
    EXPECT_EQ(CrossoverChoiceTable[kFrequencyRow + 43].id, 40069u);  // 3000
    EXPECT_EQ(CrossoverChoiceTable[kFrequencyRow + 52].id, 40074u);  // 5500
    EXPECT_EQ(CrossoverChoiceTable[kFrequencyRow + 69].value, 20000.0f);
    EXPECT_EQ(CrossoverChoiceTable[kFrequencyRow + 69].id, 40091u);

    // Labels are NUL-terminated with the rest zero (the table is written whole in places).
    for (const CrossoverChoice& c : CrossoverChoiceTable)
        for (size_t k = std::strlen(c.label); k < sizeof c.label; ++k) ASSERT_EQ(c.label[k], 0);
}

TEST(CrossoverChoiceTable, Lookups) {
    EXPECT_EQ(FindFrequencyIndex(700.0f, -1), -1);
    EXPECT_EQ(FindFrequencyIndex(-1.0f, 40272), 42);
    EXPECT_EQ(FindFrequencyIndex(-1.0f, -1), -1);
    EXPECT_EQ(FindFrequencyIndex(500.0f, -1), 25);
    EXPECT_EQ(FindFrequencyIndex(500.0f, 40091), 25);  // the first matching row wins
    EXPECT_EQ(FindFrequencyIndex(20000.0f, 40027), 0);
    EXPECT_EQ(FindFrequencyIndex(-1.0f, 40274), -1);
    EXPECT_EQ(FindFrequencyIndex(std::nanf(""), -1), -1);
    EXPECT_EQ(FindFilterTypeIndex(3, -1), 3);
    EXPECT_EQ(FindFilterTypeIndex(-1, 40014), 1);
    EXPECT_EQ(FindFilterTypeIndex(-1, -1), -1);
    EXPECT_EQ(FindFilterTypeIndex(4, 40025), -1);

    EXPECT_EQ(GetFrequencyValue(70), -1.0f);
    EXPECT_EQ(GetFrequencyValue(-1), -1.0f);
    EXPECT_EQ(GetFrequencyValue(0), 10.0f);
    EXPECT_EQ(GetFrequencyMenuId(69), 40091);
    EXPECT_EQ(GetFrequencyMenuId(70), -1);

    EXPECT_EQ(SlopeMenuId(12.0f), 40018);
    EXPECT_EQ(SlopeMenuId(13.0f), -1);
    EXPECT_EQ(FamilyMenuId(kButterworth), 40025);
    EXPECT_EQ(FamilyMenuId(kLinkwitz), 40026);
}

TEST(CrossoverChoiceTable, CrossoverToMenuIds) {
    CrossoverParams p{};
    p.FilterType = kBandPass;
    p.FilterModel = kButterworth;
    p.LPFreq = 2750.0f;
    p.HPFreq = 701.0f;  // no row: keeps its id
    p.hpFreqMenuId = 12345;
    p.LFSlope = 48.0f;
    p.HFSlope = 7.0f;  // no row
    p.hfSlopeMenuId = 777;
    CrossoverToMenuIds(&p);
    EXPECT_EQ(p.typeMenuId, 40016u);
    EXPECT_EQ(p.familyMenuId, 40025u);
    EXPECT_EQ(p.lpFreqMenuId, 40272u);
    EXPECT_EQ(p.hpFreqMenuId, 12345u);
    EXPECT_EQ(p.lfSlopeMenuId, 40024u);
    EXPECT_EQ(p.hfSlopeMenuId, 777u);
    CrossoverToMenuIds(nullptr);
}

TEST(ParamIndex, IdsAndTheirParts) {
    EXPECT_EQ(ParamIndex(kParamAcousticSum, 5, 9), 432);
    EXPECT_EQ(ParamIndex(2, 0, 0), -1);
    EXPECT_EQ(ParamIndex(kParamEq, 3, 2), 0 + 6 + 48);
    EXPECT_EQ(ParamIndex(kParamCrossover, 6, 5), 1 + 12 + 120);
    EXPECT_EQ(ParamIndex(kParamChannelTotal, 4, 3), 288 + 4 + 36);
    EXPECT_EQ(ParamIndexSlot(288), -1);
    EXPECT_EQ(ParamIndexChannel(288), -1);
    EXPECT_EQ(ParamIndexChannel(-1), -1);
    EXPECT_EQ(ParamIndexSlot(-1), -1);
    // Every equaliser and crossover id decodes to the a and b it was made from.
    for (int kind : {kParamEq, kParamCrossover})
        for (int b = 0; b < 12; ++b)
            for (int a = 0; a < 12; ++a) {
                const int id = ParamIndex(kind, a, b);
                EXPECT_EQ(ParamIndexChannel(id), b);
                EXPECT_EQ(ParamIndexSlot(id), a);
            }
}

TEST(Routing, ComposeRoutingCode) {
    struct Case {
        int kind, position, variant;
        int code;
    } cases[] = {
        {kTweeter, kFrontLeft, 0, 43},     {kSubwooferL, kSubwooferSpot, 0, 136},
        {kMidrange, kFrontRight, 7, 50},   {kWoofer, kCenter, 3, 96},
        {kMidrange, kFrontLeft, 3, 42},    {kTweeter, kFrontLeft, 7, 40},
        {kWoofer, kRearLeft, 0, 76},       {kSubwooferR, kSubwooferSpot, 0, 144},
        {kSubwoofer, kSubwooferSpot, 0, 128}, {kFull, kRearRight, 0, 80},
        {kMidrange, kCenter, 0, 97},       {kTweeter, 9, 0, 3},
        {kUnassigned, kUnassigned, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ComposeRoutingCode(c.kind, c.position, 0, c.variant), c.code)
            << c.kind << "," << c.position << "," << c.variant;
        EXPECT_EQ(ComposeRoutingCode(c.kind, c.position, 1, c.variant), c.code);
    }
}

TEST(Routing, IndexTable) {
    const int codes[kRoutingIndexCount] = {40, 48, 43, 51, 41, 49, 44, 52, 72, 80, 75, 83, 76,
                                           84, 96, 99, 100, 128, 40, 48, 72, 80, 96, 128, 136, 144};
    for (int i = 0; i < kRoutingIndexCount; ++i) EXPECT_EQ(RoutingIndexToCode(i), codes[i]);
    EXPECT_EQ(RoutingIndexToCode(26), 0);
    EXPECT_EQ(RoutingIndexToCode(-1), 0);

    EXPECT_EQ(RoutingCodeToIndex(40, 1), 18);
    EXPECT_EQ(RoutingCodeToIndex(128, 1), 23);
    EXPECT_EQ(RoutingCodeToIndex(40, 0), 0);
    EXPECT_EQ(RoutingCodeToIndex(0, 0), 1024);
    EXPECT_EQ(RoutingCodeToIndex(42, 0), 0);
    const std::pair<int, int> first[] = {{48, 1}, {72, 8}, {80, 9}, {96, 14}, {128, 17}, {136, 24},
                                         {144, 25}, {100, 16}};
    for (auto [code, index] : first) EXPECT_EQ(RoutingCodeToIndex(code, 0), index) << code;
}

TEST(BandCentres, ThirdOctavesToFiveDigits) {
    EXPECT_EQ(kBandCentreHz[0], 19.686);
    EXPECT_EQ(kBandCentreHz[17], 1000.0);
    EXPECT_EQ(kBandCentreHz[30], 20158.0);
    for (int k = 0; k < kBandCount; ++k) {
        const double exact = 1000.0 * std::pow(2.0, (k - 17) / 3.0);
        EXPECT_NEAR(kBandCentreHz[k], exact, exact * 1e-4) << k;
    }
}
