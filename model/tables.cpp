#include "model/tables.h"

namespace model {

const CrossoverChoice CrossoverChoiceTable[kChoiceCount] = {
    {1.0f, 40025, "Butterworth"},
    {0.0f, 40026, "Linkwitz"},
    {0.0f, 40013, "Full Range"},
    {1.0f, 40014, "Low  Pass"},
    {2.0f, 40015, "High Pass"},
    {3.0f, 40016, "Band Pass"},
    {6.0f, 40017, "6 dB"},
    {12.0f, 40018, "12 dB"},
    {18.0f, 40019, "18 dB"},
    {24.0f, 40020, "24 dB"},
    {30.0f, 40021, "30 dB"},
    {36.0f, 40022, "36 dB"},
    {42.0f, 40023, "42 dB"},
    {48.0f, 40024, "48 dB"},
    {10.0f, 40027, "10"},
    {15.0f, 40028, "15"},
    {20.0f, 40029, "20"},
    {25.0f, 40030, "25"},
    {30.0f, 40031, "30"},
    {35.0f, 40032, "35"},
    {40.0f, 40033, "40"},
    {45.0f, 40034, "45"},
    {50.0f, 40035, "50"},
    {60.0f, 40036, "60"},
    {70.0f, 40037, "70"},
    {80.0f, 40038, "80"},
    {90.0f, 40039, "90"},
    {100.0f, 40040, "100"},
    {110.0f, 40041, "110"},
    {125.0f, 40042, "125"},
    {150.0f, 40043, "150"},
    {175.0f, 40044, "175"},
    {200.0f, 40045, "200"},
    {225.0f, 40046, "225"},
    {250.0f, 40047, "250"},
    {300.0f, 40048, "300"},
    {350.0f, 40049, "350"},
    {400.0f, 40050, "400"},
    {450.0f, 40051, "450"},
    {500.0f, 40052, "500"},
    {550.0f, 40053, "550"},
    {600.0f, 40054, "600"},
    {650.0f, 40055, "650"},
    {750.0f, 40056, "750"},
    {800.0f, 40057, "800"},
    {900.0f, 40058, "900"},
    {1000.0f, 40059, "1000"},
    {1100.0f, 40060, "1100"},
    {1200.0f, 40061, "1200"},
    {1300.0f, 40062, "1300"},
    {1400.0f, 40063, "1400"},
    {1500.0f, 40064, "1500"},
    {1750.0f, 40065, "1750"},
    {2000.0f, 40066, "2000"},
    {2250.0f, 40067, "2250"},
    {2500.0f, 40068, "2500"},
    {2750.0f, 40272, "2750"},
    {3000.0f, 40069, "3000"},
    {3250.0f, 40273, "3250"},
    {3500.0f, 40070, "3500"},
    {3750.0f, 40275, "3750"},
    {4000.0f, 40071, "4000"},
    {4250.0f, 40276, "4250"},
    {4500.0f, 40072, "4500"},
    {4750.0f, 40277, "4750"},
    {5000.0f, 40073, "5000"},
    {5500.0f, 40074, "5500"},
    {6000.0f, 40075, "6000"},
    {6500.0f, 40076, "6500"},
    {7000.0f, 40077, "7000"},
    {7500.0f, 40078, "7500"},
    {8000.0f, 40079, "8000"},
    {9000.0f, 40080, "9000"},
    {10000.0f, 40081, "10000"},
    {11000.0f, 40082, "11000"},
    {12000.0f, 40083, "12000"},
    {13000.0f, 40084, "13000"},
    {14000.0f, 40085, "14000"},
    {15000.0f, 40086, "15000"},
    {16000.0f, 40087, "16000"},
    {17000.0f, 40088, "17000"},
    {18000.0f, 40089, "18000"},
    {19000.0f, 40090, "19000"},
    {20000.0f, 40091, "20000"},
};

const double kBandCentreHz[kBandCount] = {
    19.686, 24.803, 31.25,  39.373, 49.606, 62.5,   78.745, 99.213, 125.0,   157.49,  198.43,
    250.0,  314.98, 396.85, 500.0,  629.96, 793.7,  1000.0, 1259.9, 1587.4,  2000.0,  2519.8,
    3174.8, 4000.0, 5039.7, 6349.6, 8000.0, 10079.0, 12699.0, 16000.0, 20158.0,
};

namespace {

int FindInGroup(int first, int rows, bool testValue, float value, int32_t menuId) {
    for (int i = 0; i < rows; ++i) {
        const CrossoverChoice& c = CrossoverChoiceTable[first + i];
        if (testValue && c.value == value) return i;
        if (menuId != -1 && c.id == static_cast<uint32_t>(menuId)) return i;
    }
    return -1;
}

int32_t IdByValue(int first, int rows, float value) {
    for (int i = 0; i < rows; ++i)
        if (CrossoverChoiceTable[first + i].value == value)
            return static_cast<int32_t>(CrossoverChoiceTable[first + i].id);
    return -1;
}

void SetIfFound(uint32_t& word, int32_t id) {
    if (id != -1) word = static_cast<uint32_t>(id);
}

}  // namespace

int FindFrequencyIndex(float freq, int32_t menuId) {
    return FindInGroup(kFrequencyRow, kFrequencyRows, freq != -1.0f, freq, menuId);
}

int FindFilterTypeIndex(int32_t type, int32_t menuId) {
    return FindInGroup(kTypeRow, kTypeRows, type != -1, static_cast<float>(type), menuId);
}

float GetFrequencyValue(int index) {
    if (index < 0 || index >= kFrequencyRows) return -1.0f;
    return CrossoverChoiceTable[kFrequencyRow + index].value;
}

int32_t GetFrequencyMenuId(int index) {
    if (index < 0 || index >= kFrequencyRows) return -1;
    return static_cast<int32_t>(CrossoverChoiceTable[kFrequencyRow + index].id);
}

int32_t SlopeMenuId(float slope) { return IdByValue(kSlopeRow, kSlopeRows, slope); }

int32_t FilterTypeMenuId(int32_t type) {
    return IdByValue(kTypeRow, kTypeRows, static_cast<float>(type));
}

int32_t FamilyMenuId(int32_t filterModel) {
    return IdByValue(kFamilyRow, kFamilyRows, static_cast<float>(filterModel));
}

void CrossoverToMenuIds(CrossoverParams* p) {
    if (!p) return;
    SetIfFound(p->familyMenuId, FamilyMenuId(p->FilterModel));
    SetIfFound(p->typeMenuId, FilterTypeMenuId(p->FilterType));
    SetIfFound(p->lpFreqMenuId, GetFrequencyMenuId(FindFrequencyIndex(p->LPFreq, -1)));
    SetIfFound(p->hpFreqMenuId, GetFrequencyMenuId(FindFrequencyIndex(p->HPFreq, -1)));
    SetIfFound(p->lfSlopeMenuId, SlopeMenuId(p->LFSlope));
    SetIfFound(p->hfSlopeMenuId, SlopeMenuId(p->HFSlope));
}

int32_t ParamIndex(int kind, int a, int b) {
    switch (kind) {
        case kParamEq:
        case kParamCrossover: return kind + 2 * a + 24 * b;
        case kParamChannelTotal: return 288 + a + 12 * b;
        case kParamAcousticSum: return 432;
        default: return -1;
    }
}

// Negative ids (the -1 of an unknown kind) map to no curve rather than to curve 0.
int32_t ParamIndexChannel(int32_t i) { return i >= 0 && i < 288 ? i / 24 : -1; }

int32_t ParamIndexSlot(int32_t i) { return i >= 0 && i < 288 ? (i - 24 * (i / 24)) / 2 : -1; }

namespace {

int PositionBase(int32_t position) {
    switch (position) {
        case kFrontLeft: return 40;
        case kFrontRight: return 48;
        case kRearLeft: return 72;
        case kRearRight: return 80;
        case kCenter: return 96;
        case kSubwooferSpot: return 128;
        default: return 0;
    }
}

int KindOffset(int32_t kind) {
    switch (kind) {
        case kWoofer: return 4;
        case kMidrange: return 1;
        case kTweeter: return 3;
        case kSubwooferR: return 16;
        case kSubwooferL: return 8;
        default: return 0;  // Full, Subwoofer and anything else
    }
}

constexpr uint8_t kRoutingIndexCodes[kRoutingIndexCount] = {
    40, 48, 43, 51, 41, 49, 44, 52, 72, 80, 75, 83, 76, 84, 96, 99, 100, 128, 40, 48, 72, 80, 96,
    128, 136, 144,
};

}  // namespace

uint8_t ComposeRoutingCode(int32_t kind, int32_t position, uint32_t /*amplifier*/, int32_t variant) {
    const int base = PositionBase(position);
    if (variant == 3 || variant == 7) {
        // A midrange-plus-tweeter pair behind a passive crossover is routed as one speaker.
        if (variant == 3 && position == kFrontLeft) return 42;
        if (variant == 7 && position == kFrontRight) return 50;
        return static_cast<uint8_t>(base);
    }
    return static_cast<uint8_t>(base + KindOffset(kind));
}

uint8_t RoutingIndexToCode(int index) {
    if (index < 0 || index >= kRoutingIndexCount) return 0;
    return kRoutingIndexCodes[index];
}

int RoutingCodeToIndex(int code, int alternate) {
    if (alternate != 0) {
        for (int i = 18; i <= 23; ++i)
            if (kRoutingIndexCodes[i] == code) return i;
    }
    if (code == 0) return 1024;
    for (int i = 0; i < kRoutingIndexCount; ++i)
        if (kRoutingIndexCodes[i] == code) return i;
    return 0;
}

}  // namespace model
