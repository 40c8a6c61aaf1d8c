#include <gtest/gtest.h>

#include <cmath>

#include "dsp/eq.h"
#include "model/tables.h"
#include "response.h"

using namespace model;
using namespace testing_response;

namespace {

BiquadSection Band(double dB, int k) {
    BiquadSection s = IdentitySection();
    dsp::ComputeEqBand(&s, std::pow(10.0, dB / 20.0), k);
    return s;
}

double CentreHz(int k) { return k == 0 ? dsp::kBand0CentreOverFs * 48000.0 : kBandCentreHz[k]; }

}  // namespace

TEST(EqBands, GainAtTheCentreIsTheSetGainAndDcIsUntouched) {
    for (int k = 0; k < kBandCount; ++k)
        for (double dB : {-12.0, -3.5, 0.0, 6.0, 12.0}) {
            const BiquadSection s = Band(dB, k);
            EXPECT_EQ(s.order, 2);
            EXPECT_EQ(s.a[0], 1.0);
            EXPECT_NEAR(Db(std::abs(SectionResponse(s, CentreHz(k)))), dB, 1e-9) << k << " " << dB;
            EXPECT_NEAR(std::abs(SectionResponse(s, 0.0)), 1.0, 1e-8) << k << " " << dB;
            EXPECT_TRUE(dsp::SectionIsStable(s));
        }
}

TEST(EqBands, KnownSections) {
    struct Case {
        int k;
        double dB;
        double b[3], a[3];
    } cases[] = {
        {17, 6.0, {1.01056541412555, -1.9618399444419075, 0.96820316986151567},
         {1, -1.9618399444419075, 0.97876858398706579}},
        {0, 6.0, {1.0009861310459625, -1.9980180883092979, 0.99703221842607015},
         {1, -1.9980180883092979, 0.99801834947203227}},
        {30, -12.0, {0.70512765618610085, 1.0623036633162637, 0.50729790035271527},
         {1, 1.0623036633162637, 0.21242555653881626}},
    };
    for (const Case& c : cases) {
        const BiquadSection s = Band(c.dB, c.k);
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(s.b[i], c.b[i], 1e-13) << c.k << " b" << i;
            EXPECT_NEAR(s.a[i], c.a[i], 1e-13) << c.k << " a" << i;
        }
    }
    // 0 dB: a flat section, b equal to a.
    const BiquadSection flat = Band(0.0, 9);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(flat.b[i], flat.a[i], 1e-15);
}

TEST(EqBands, BandZeroIsFiveOctavesWideAroundFourHertz) {
    const BiquadSection s = Band(6.0, 0);
    EXPECT_NEAR(Db(std::abs(SectionResponse(s, 1.0))), 4.12, 0.01);
    EXPECT_NEAR(Db(std::abs(SectionResponse(s, 19.686))), 3.36, 0.01);
    EXPECT_NEAR(Db(std::abs(SectionResponse(s, 100.0))), 0.28, 0.01);
}

TEST(EqBands, RecordDesignSkipsGainsThatAreNotFinite) {
    DspChannelRecord r{};
    for (auto& s : r.eqSections) {
        s = IdentitySection();
        s.b[3] = 0.5;  // beyond the three coefficients a band writes: must be kept
    }
    r.EQGain[4] = 6.0f;
    r.EQGain[5] = std::nanf("");
    r.EQGain[6] = INFINITY;
    r.EQGain[7] = 1e30f;  // finite, but 10^(dB/20) is not
    dsp::ComputeEqBands(&r);
    for (int k : {5, 6, 7}) {
        EXPECT_EQ(r.eqSections[k].b[0], 1.0) << k;
        EXPECT_EQ(r.eqSections[k].a[1], 0.0) << k;
    }
    EXPECT_EQ(r.eqSections[4].b[3], 0.5);
    BiquadSection band4 = r.eqSections[4];
    band4.b[3] = 0.0;
    EXPECT_NEAR(Db(std::abs(SectionResponse(band4, kBandCentreHz[4]))), 6.0, 1e-5);
    // All-flat bands elsewhere.
    for (int k : {0, 10, 30}) EXPECT_NEAR(r.eqSections[k].b[1], r.eqSections[k].a[1], 0.0);
    dsp::ComputeEqBands(nullptr);
    dsp::ComputeEqBand(nullptr, 1.0, 3);
    BiquadSection s = IdentitySection();
    dsp::ComputeEqBand(&s, 2.0, 31);
    EXPECT_EQ(s.a[1], 0.0);
}
