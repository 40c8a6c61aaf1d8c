#include "pages/filter_settings_logic.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "model/tables.h"
#include "ui/messages.h"

namespace pages {
namespace {

using model::CrossoverParams;

struct FieldPlace {
    FilterSettingsLogic::Point button;
    PanelRect text;
    int menu;
    int side;  // which edge a frequency or slope choice sets: 0 low-pass side, 1 high-pass side
};

// By XoField.
constexpr FieldPlace kFields[kXoFieldCount] = {
    {{101, 62}, {22, 65, 99, 80}, kMenuFilterType, 0},
    {{101, 112}, {22, 115, 99, 130}, kMenuFrequency, 0},
    {{101, 162}, {22, 165, 99, 180}, kMenuSlope, 0},
    {{211, 112}, {132, 115, 209, 130}, kMenuFrequency, 1},
    {{211, 162}, {132, 165, 209, 180}, kMenuSlope, 1},
    {{211, 62}, {132, 65, 209, 80}, kMenuFamily, 0},
};

// The type menu's item texts: the field shows these (the choice table's label of Low Pass has
// two blanks; the menu's has one).
constexpr const char* kTypeTexts[] = {"Full Range", "Low Pass", "High Pass", "Band Pass"};

constexpr uint32_t kIdSlope48 = model::kIdSlope6 + 7;
constexpr float kLinkwitzMinSlope = 12.0f;
constexpr float kMaxSlope = 48.0f;
constexpr float kMinSlope = 6.0f;

bool IsOddSlope(float slope) {
    return slope == 6.0f || slope == 18.0f || slope == 30.0f || slope == 42.0f;
}

uint32_t SlopeId(float slope) { return static_cast<uint32_t>(model::SlopeMenuId(slope)); }

int FieldIndex(XoField f) { return static_cast<int>(f); }

uint32_t CurrentId(const CrossoverParams& b, XoField f) {
    switch (f) {
        case XoField::Type: return b.typeMenuId;
        case XoField::LpFreq: return b.lpFreqMenuId;
        case XoField::LfSlope: return b.lfSlopeMenuId;
        case XoField::HpFreq: return b.hpFreqMenuId;
        case XoField::HfSlope: return b.hfSlopeMenuId;
        case XoField::Family: return b.familyMenuId;
    }
    return 0;
}

std::string Format(const char* format, double value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

Notification Crossover(intptr_t distance, intptr_t link) {
    return {ui::MsgCrossoverChanged, distance, link};
}

}  // namespace

FilterSettingsLogic::FilterSettingsLogic(ChannelQuery* query) : query_(query) {
    // The block a new panel holds until the page loads a channel.
    block_.FilterType = model::kFullRange;
    block_.typeMenuId = model::kIdFullRange;
    block_.LFSlope = block_.HFSlope = 6.0f;
    block_.lfSlopeMenuId = block_.hfSlopeMenuId = model::kIdSlope6;
    block_.LPFreq = 100.0f;
    block_.HPFreq = 2000.0f;
    model::CrossoverToMenuIds(&block_);
    block_.FilterModel = model::kLinkwitz;
    block_.familyMenuId = model::kIdLinkwitz;
}

void FilterSettingsLogic::SetDefaults() {
    block_ = CrossoverParams{};
    block_.FilterType = model::kFullRange;
    block_.LFSlope = block_.HFSlope = 12.0f;
    block_.LPFreq = 300.0f;
    block_.HPFreq = 4000.0f;
    block_.FilterModel = model::kLinkwitz;
    model::CrossoverToMenuIds(&block_);
    UpdateBandPassSwitches();
    Changed();
}

void FilterSettingsLogic::SetCrossover(const CrossoverParams& block) {
    block_ = block;
    // The panel's copy never stands for the record's filter sections.
    block_.sectionArray = 0;
    UpdateBandPassSwitches();
    shown_ = true;
    Changed();
}

void FilterSettingsLogic::GetCrossover(CrossoverParams* out) const {
    if (out) *out = block_;
}

std::string FilterSettingsLogic::MenuItemText(int menu, uint32_t id) {
    switch (menu) {
        case kMenuFilterType:
            if (id >= model::kIdFullRange && id <= model::kIdBandPass)
                return kTypeTexts[id - model::kIdFullRange];
            return "";
        case kMenuFamily:
            if (id == model::kIdButterworth) return "Butterworth";
            if (id == model::kIdLinkwitz) return "Linkwitz";
            return "";
        case kMenuSlope:
            if (id >= model::kIdSlope6 && id <= kIdSlope48)
                return std::to_string(6 * (id - model::kIdSlope6 + 1)) + " dB";
            return "";
        case kMenuFrequency: {
            const int index = model::FindFrequencyIndex(-1.0f, static_cast<int32_t>(id));
            if (index < 0) return "";
            return model::CrossoverChoiceTable[model::kFrequencyRow + index].label;
        }
        default: return "";
    }
}

bool FilterSettingsLogic::FieldVisible(XoField field) const {
    if (!shown_) return false;
    const int32_t t = block_.FilterType;
    switch (field) {
        case XoField::Type: return true;
        case XoField::Family: return t != model::kFullRange;
        case XoField::LpFreq:
        case XoField::LfSlope: return t == model::kLowPass || t == model::kBandPass;
        case XoField::HpFreq: return t == model::kHighPass || t == model::kBandPass;
        case XoField::HfSlope: return t == model::kHighPass;
    }
    return false;
}

// In a band pass the two frequency fields trade places, so that the lower edge (LPFreq) is
// edited on the right and the upper edge (HPFreq) on the left.
PanelRect FilterSettingsLogic::FieldRect(XoField field) const {
    if (swapped_ && field == XoField::LpFreq) return kFields[FieldIndex(XoField::HpFreq)].text;
    if (swapped_ && field == XoField::HpFreq) return kFields[FieldIndex(XoField::LpFreq)].text;
    return kFields[FieldIndex(field)].text;
}

FilterSettingsLogic::Point FilterSettingsLogic::FieldButton(XoField field) const {
    if (swapped_ && field == XoField::LpFreq) return kFields[FieldIndex(XoField::HpFreq)].button;
    if (swapped_ && field == XoField::HpFreq) return kFields[FieldIndex(XoField::LpFreq)].button;
    return kFields[FieldIndex(field)].button;
}

std::string FilterSettingsLogic::FieldLabel(XoField field) const {
    if (!FieldVisible(field)) return "";
    std::string label = MenuItemText(kFields[FieldIndex(field)].menu, CurrentId(block_, field));
    if (label.size() > 30) label.resize(30);
    return label;
}

std::string FilterSettingsLogic::DelayText() const {
    if (!shown_) return "";
    return Format("%1.2f", block_.delay * 1000.0 / 48000.0);
}

std::string FilterSettingsLogic::CentimetreText() const {
    if (!shown_) return "";
    // The milliseconds are rounded to single precision before they become centimetres.
    const float ms = static_cast<float>(block_.distance * 1000.0 / 48000.0);
    return Format("%1.1f", ms * 34000.0 / 1000.0);
}

std::string FilterSettingsLogic::InchText() const {
    if (!shown_) return "";
    const float ms = static_cast<float>(block_.distance * 1000.0 / 48000.0);
    return Format("%1.1f", ms * 34000.0 / 1000.0 / 2.54);
}

std::string FilterSettingsLogic::TrimText() const {
    if (!shown_) return "";
    const double ms = block_.delayTrim * 1000.0 / 48000.0;
    return Format(block_.delayTrim < 0 ? "%1.2f" : "+%1.2f", ms);
}

void FilterSettingsLogic::UpdateBandPassSwitches() {
    swapped_ = block_.FilterType == model::kBandPass;
}

void FilterSettingsLogic::OnLButtonDown(int x, int y) {
    focused_.fill(false);
    for (int f = 0; f < kXoFieldCount; ++f) {
        const auto field = static_cast<XoField>(f);
        if (FieldVisible(field) && FieldRect(field).Contains(x, y)) focused_[f] = true;
    }
    // The delay readout focuses the distance too: the delay follows from it.
    if (DistanceEnabled() && (kInchReadout.Contains(x, y) || kCentimetreReadout.Contains(x, y) ||
                              kDelayReadout.Contains(x, y)))
        focused_[kFocusDistance] = true;
    if (kTrimReadout.Contains(x, y)) focused_[kFocusTrim] = true;
}

Notification FilterSettingsLogic::OnXoverLinkClicked(bool checked) {
    block_.bXoLink = checked ? 1u : 0u;
    return Crossover(0, 1);
}

Notification FilterSettingsLogic::OnPhaseClicked(bool checked) {
    if (!PhaseEnabled()) return {};
    block_.bInvPhase = checked ? 1u : 0u;
    return Crossover(0, 0);
}

Notification FilterSettingsLogic::StepDistance(int delta) {
    if (!DistanceEnabled()) return {};
    const int64_t d = std::clamp<int64_t>(int64_t{block_.distance} + delta, 0, kMaxDistance);
    if (d == block_.distance) return {};
    block_.distance = static_cast<int32_t>(d);
    return Crossover(1, 0);
}

// The page limits the trim (and warns at the limit), so every step is reported.
Notification FilterSettingsLogic::StepTrim(int delta, intptr_t button) {
    const int64_t t = int64_t{block_.delayTrim} + delta;
    if (t < INT32_MIN || t > INT32_MAX) return {};
    block_.delayTrim = static_cast<int32_t>(t);
    return {ui::MsgDelayTrimChanged, 0, button};
}

Notification FilterSettingsLogic::OnDistanceButton(bool up) { return StepDistance(up ? 4 : -4); }

Notification FilterSettingsLogic::OnTrimButton(bool up, intptr_t button) {
    return StepTrim(up ? 1 : -1, button);
}

std::vector<uint32_t> FilterSettingsLogic::RestrictSlopeMenu() const {
    if (block_.FilterModel != model::kLinkwitz) return {};
    return {model::kIdSlope6, model::kIdSlope6 + 2, model::kIdSlope6 + 4, model::kIdSlope6 + 6};
}

std::vector<uint32_t> FilterSettingsLogic::RestrictTypeMenu() {
    std::vector<uint32_t> grey;
    if (workingMode_ != 1 || !query_) return grey;
    const int k = query_->QueryKind();
    if (k < 0) return grey;
    const int w = query_->QueryWays();
    const bool sub = k == model::kSubwooferR || k == model::kSubwoofer || k == model::kSubwooferL;
    const bool twoOrThree = w == 2 || w == 3;
    auto add = [&](std::initializer_list<uint32_t> ids) { grey.insert(grey.end(), ids); };
    using model::kIdFullRange, model::kIdLowPass, model::kIdHighPass;
    if (sub) add({kIdFullRange, kIdHighPass});
    if (w == 1 && k == model::kTweeter) add({kIdFullRange, kIdLowPass});
    if (twoOrThree && (k == model::kWoofer || sub)) add({kIdFullRange, kIdHighPass});
    if (twoOrThree && k == model::kTweeter) add({kIdFullRange, kIdLowPass});
    if (w == 2 && k == model::kMidrange) {
        if (query_->QueryWooferAtPosition() == 1) add({kIdFullRange, kIdLowPass});
        else add({kIdFullRange, kIdHighPass});
    }
    if (w == 3 && k == model::kMidrange) add({kIdFullRange, kIdLowPass, kIdHighPass});
    std::sort(grey.begin(), grey.end());
    grey.erase(std::unique(grey.begin(), grey.end()), grey.end());
    return grey;
}

int FilterSettingsLogic::StepFilterType(int index, bool next) {
    const int free = next ? index + 1 : index - 1;
    if (workingMode_ != 1 || index < 0 || index > 3) return free;
    const int w = query_ ? query_->QueryWays() : 0;
    const int k = query_ ? query_->QueryKind() : -1;
    if (k == model::kFull) return free;
    if (k < 0) return index;

    const bool sub = k == model::kSubwooferR || k == model::kSubwoofer || k == model::kSubwooferL;
    const bool twoOrThree = w == 2 || w == 3;
    int from = -1;  // the type that steps to Band Pass with "next" and back with "previous"
    if (sub || (twoOrThree && k == model::kWoofer)) {
        from = model::kLowPass;
    } else if (twoOrThree && k == model::kTweeter) {
        from = model::kHighPass;
    } else if (w == 2 && k == model::kMidrange) {
        from = query_->QueryWooferAtPosition() == 1 ? model::kHighPass : model::kLowPass;
    } else if (w == 3 && k == model::kMidrange) {
        return model::kBandPass;
    } else {
        return index;
    }
    if (next && index == from) return model::kBandPass;
    if (!next && index == model::kBandPass) return from;
    return index;
}

void FilterSettingsLogic::ApplyType(int32_t type) {
    const int32_t old = block_.FilterType;
    if (old == model::kBandPass && (type == model::kLowPass || type == model::kHighPass)) {
        std::swap(block_.LPFreq, block_.HPFreq);
        std::swap(block_.lpFreqMenuId, block_.hpFreqMenuId);
    }
    block_.FilterType = type;
    block_.typeMenuId = static_cast<uint32_t>(model::FilterTypeMenuId(type));
    if (type == model::kBandPass) {
        if (block_.LPFreq == block_.HPFreq) {
            block_.LPFreq = 300.0f;
            block_.lpFreqMenuId = 40048;
            block_.HPFreq = 500.0f;
            block_.hpFreqMenuId = 40052;
        }
        if (block_.HPFreq < block_.LPFreq) {
            std::swap(block_.LPFreq, block_.HPFreq);
            std::swap(block_.lpFreqMenuId, block_.hpFreqMenuId);
        }
    }
    UpdateBandPassSwitches();
}

void FilterSettingsLogic::ApplyFamily(uint32_t id) {
    block_.familyMenuId = id;
    block_.FilterModel = id == model::kIdLinkwitz ? model::kLinkwitz : model::kButterworth;
    if (block_.FilterModel != model::kLinkwitz) return;
    // Linkwitz filters exist only for even orders.
    if (IsOddSlope(block_.HFSlope)) {
        block_.HFSlope = 12.0f;
        block_.hfSlopeMenuId = SlopeId(12.0f);
    }
    if (IsOddSlope(block_.LFSlope)) {
        block_.LFSlope = 12.0f;
        block_.lfSlopeMenuId = SlopeId(12.0f);
    }
}

PopupPlan FilterSettingsLogic::OpenFieldPopup(XoField field) {
    PopupPlan plan;
    if (!FieldVisible(field)) return plan;
    const FieldPlace& place = kFields[FieldIndex(field)];
    const uint32_t current = CurrentId(block_, field);
    const PanelRect rect = FieldRect(field);
    if (current == 0xFFFFFFFFu || rect.Empty()) return plan;
    plan.open = true;
    plan.menu = place.menu;
    plan.checkedId = current;
    if (place.menu == kMenuFilterType) plan.greyedIds = RestrictTypeMenu();
    if (place.menu == kMenuSlope) plan.greyedIds = RestrictSlopeMenu();
    plan.x = rect.left;
    plan.y = rect.bottom + 3;
    openMenu_ = place.menu;
    openSide_ = place.side;
    return plan;
}

Notification FilterSettingsLogic::OnMenuCommand(uint32_t id) {
    const int menu = openMenu_;
    const int side = openSide_;
    openMenu_ = -1;
    if (menu < 0 || id < 1) return {};
    switch (menu) {
        case kMenuFilterType:
            if (id < model::kIdFullRange || id > model::kIdBandPass) return {};
            ApplyType(static_cast<int32_t>(id - model::kIdFullRange));
            break;
        case kMenuSlope: {
            if (id < model::kIdSlope6 || id > kIdSlope48) return {};
            const float slope = 6.0f * static_cast<float>(id - model::kIdSlope6 + 1);
            if (block_.FilterModel == model::kLinkwitz && IsOddSlope(slope)) return {};
            (side == 1 ? block_.HFSlope : block_.LFSlope) = slope;
            (side == 1 ? block_.hfSlopeMenuId : block_.lfSlopeMenuId) = id;
            break;
        }
        case kMenuFamily:
            if (id != model::kIdLinkwitz && id != model::kIdButterworth) return {};
            ApplyFamily(id);
            break;
        case kMenuFrequency: {
            const int index = model::FindFrequencyIndex(-1.0f, static_cast<int32_t>(id));
            if (index < 0) return {};
            const float f = model::GetFrequencyValue(index);
            const bool bandPass = block_.FilterType == model::kBandPass;
            if (side == 1) {
                if (bandPass && !(f > block_.LPFreq)) return {};
                block_.HPFreq = f;
                block_.hpFreqMenuId = id;
            } else {
                if (bandPass && !(f < block_.HPFreq)) return {};
                block_.LPFreq = f;
                block_.lpFreqMenuId = id;
            }
            break;
        }
        default: return {};
    }
    return Crossover(0, 0);
}

Notification FilterSettingsLogic::ToggleFamily() {
    ApplyFamily(block_.FilterModel == model::kLinkwitz ? model::kIdButterworth : model::kIdLinkwitz);
    return Crossover(0, 0);
}

Notification FilterSettingsLogic::StepType(bool next) {
    const int stepped = std::clamp(StepFilterType(block_.FilterType, next), 0, 3);
    if (stepped == block_.FilterType) return {};
    ApplyType(stepped);
    return Crossover(0, 0);
}

// Butterworth slopes move one table entry, Linkwitz ones two (their orders are even).
Notification FilterSettingsLogic::StepSlope(XoField field, bool larger) {
    uint32_t& id = field == XoField::HfSlope ? block_.hfSlopeMenuId : block_.lfSlopeMenuId;
    float& slope = field == XoField::HfSlope ? block_.HFSlope : block_.LFSlope;
    if (id < model::kIdSlope6 || id > kIdSlope48) return {};
    const bool linkwitz = block_.FilterModel == model::kLinkwitz;
    const float step = linkwitz ? 12.0f : 6.0f;
    const float current = 6.0f * static_cast<float>(id - model::kIdSlope6 + 1);
    const float stepped = std::clamp(current + (larger ? step : -step),
                                     linkwitz ? kLinkwitzMinSlope : kMinSlope, kMaxSlope);
    if (stepped == current) return {};
    slope = stepped;
    id = SlopeId(stepped);
    return Crossover(0, 0);
}

Notification FilterSettingsLogic::StepFrequency(XoField field, bool higher) {
    const bool lp = field == XoField::LpFreq;
    uint32_t& id = lp ? block_.lpFreqMenuId : block_.hpFreqMenuId;
    float& value = lp ? block_.LPFreq : block_.HPFreq;
    const int index = model::FindFrequencyIndex(-1.0f, static_cast<int32_t>(id));
    if (index < 0) return {};
    const int stepped = std::clamp(index + (higher ? 1 : -1), 0, model::kFrequencyRows - 1);
    if (stepped == index) return {};
    const float f = model::GetFrequencyValue(stepped);
    if (block_.FilterType == model::kBandPass) {
        // The edges of a band pass never meet or cross.
        if (lp && !(f < block_.HPFreq)) return {};
        if (!lp && !(f > block_.LPFreq)) return {};
    }
    value = f;
    id = static_cast<uint32_t>(model::GetFrequencyMenuId(stepped));
    return Crossover(0, 0);
}

Notification FilterSettingsLogic::OnMouseWheel(int x, int y, int delta) {
    if (delta == 0) return {};
    const bool toward = delta < 0;  // a turn toward the user
    auto acts = [&](XoField f) { return FieldVisible(f) && FieldRect(f).Contains(x, y); };
    if (acts(XoField::Family)) return ToggleFamily();
    if (acts(XoField::Type)) return StepType(toward);
    if (acts(XoField::HfSlope)) return StepSlope(XoField::HfSlope, toward);
    if (acts(XoField::LfSlope)) return StepSlope(XoField::LfSlope, toward);
    if (acts(XoField::LpFreq)) return StepFrequency(XoField::LpFreq, !toward);
    if (acts(XoField::HpFreq)) return StepFrequency(XoField::HpFreq, !toward);
    if (DistanceEnabled() && (kInchReadout.Contains(x, y) || kCentimetreReadout.Contains(x, y)))
        return StepDistance(toward ? -4 : 4);
    if (kTrimReadout.Contains(x, y)) return StepTrim(toward ? -1 : 1, 0);
    return {};
}

Notification FilterSettingsLogic::OnKey(bool up) {
    auto focused = [&](XoField f) { return focused_[FieldIndex(f)] && FieldVisible(f); };
    if (focused(XoField::Family)) return ToggleFamily();
    if (focused(XoField::Type)) return StepType(!up);
    if (focused(XoField::HfSlope)) return StepSlope(XoField::HfSlope, !up);
    if (focused(XoField::LfSlope)) return StepSlope(XoField::LfSlope, !up);
    if (focused(XoField::LpFreq)) return StepFrequency(XoField::LpFreq, up);
    if (focused(XoField::HpFreq)) return StepFrequency(XoField::HpFreq, up);
    if (focused_[kFocusDistance]) return StepDistance(up ? 4 : -4);
    if (focused_[kFocusTrim]) return StepTrim(up ? 1 : -1, 0);
    return {};
}

}  // namespace pages
