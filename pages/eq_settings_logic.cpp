#include "pages/eq_settings_logic.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "model/tables.h"
#include "ui/messages.h"

namespace pages {

EqSettingsLogic::EqSettingsLogic(EqConfig config)
    : min_(config.flagB ? -6.0f : -12.0f),
      max_(config.flagB ? 6.0f : 12.0f),
      hasLink_(!config.flagA && !config.flagB),
      hasOff_(!config.flagB) {
    // The tuning page's panel starts with its link checked.
    link_ = hasLink_;
}

// A slider holds only values inside its range (a NaN becomes the minimum).
float EqSettingsLogic::Clamp(float v) const {
    if (!(v >= min_)) return min_;
    return v > max_ ? max_ : v;
}

int EqSettingsLogic::GetGains(float* out, int n, uint32_t* link, uint32_t* off) const {
    if (!out || n <= 0) return 0;
    std::fill(out, out + n, 0.0f);
    const int count = std::min(n, kBands);
    std::copy(values_.begin(), values_.begin() + count, out);
    if (link && hasLink_) *link = link_ ? 1u : 0u;
    if (off && hasOff_) *off = off_ ? 1u : 0u;
    return count;
}

void EqSettingsLogic::SetGains(const float* values, int n, uint32_t link, uint32_t off) {
    if (values)
        for (int k = 0; k < std::min(n, kBands); ++k) values_[k] = Clamp(values[k]);
    ApplyLink(link != 0);
    ApplyOff(off != 0);
    Changed(kValuesChanged | kButtonsChanged);
}

void EqSettingsLogic::ApplyLink(bool on) {
    if (!hasLink_) return;
    link_ = on;
    rememberedLink_ = on;
}

void EqSettingsLogic::ApplyOff(bool on) {
    if (!hasOff_) return;
    off_ = on;
    rememberedOff_ = on;
}

void EqSettingsLogic::SetEqLink(bool on) {
    ApplyLink(on);
    Changed(kButtonsChanged);
}

void EqSettingsLogic::SetEqOff(bool on) {
    ApplyOff(on);
    Changed(kButtonsChanged);
}

void EqSettingsLogic::SetBandEnables(const uint32_t* flags, int n) {
    if (flags)
        for (int k = 0; k < std::min(n, kBands); ++k) switches_[k] = flags[k] != 0;
    selectAll_ = CountEnabledBands() == kBands;
    Changed(kSwitchesChanged);
}

void EqSettingsLogic::SetBandStates(const int* states, int n) {
    if (!states) return;
    for (int k = 0; k < std::min(n, kBands); ++k) states_[k] = states[k];
    Changed(kStatesChanged);
}

// The bands within an octave of the crossover's pass band are marked, by the bands' nominal
// centres.
void EqSettingsLogic::MarkCrossoverBands(const model::CrossoverParams& block) {
    double lo = 0.0, hi = 24000.0;
    switch (block.FilterType) {
        case model::kLowPass: hi = block.LPFreq; break;
        case model::kHighPass: lo = block.HPFreq; break;
        case model::kBandPass:
            lo = block.LPFreq;
            hi = block.HPFreq;
            break;
        default: break;
    }
    int states[kBands];
    for (int k = 0; k < kBands; ++k) {
        const double c = model::kBandCentreHz[k];
        states[k] = (c >= lo / 2.0 && c <= 2.0 * hi) ? 2 : 0;
    }
    SetBandStates(states, kBands);
}

void EqSettingsLogic::SetEnabled(bool on) {
    if (!on && enabled_) {
        rememberedLink_ = link_;
        rememberedOff_ = off_;
    }
    if (on) {
        if (hasLink_) link_ = rememberedLink_;
        if (hasOff_) off_ = rememberedOff_;
    }
    enabled_ = on;
    Changed(kEnabledChanged);
}

int EqSettingsLogic::CountEnabledBands() const {
    return static_cast<int>(std::count(switches_.begin(), switches_.end(), true));
}

std::string EqSettingsLogic::ReadoutText(int band) const {
    if (band < 0 || band >= kBands) return "";
    if (!enabled_) return "---";
    char text[32];
    std::snprintf(text, sizeof text, "%1.1f", static_cast<double>(values_[band]));
    return text;
}

Notification EqSettingsLogic::OnSliderMoved(int band, float newValue, float change) {
    if (band < 0 || band >= kBands || !enabled_) return {};
    values_[band] = Clamp(newValue);
    if (!switches_[band] || CountEnabledBands() < 2) {
        return {ui::MsgEqBandChanged, band, static_cast<intptr_t>(values_[band])};
    }
    // A group move: the switched-on bands move together by the largest part of the change that
    // keeps all of them inside the range.
    values_[band] = Clamp(newValue - change);
    float lo = max_, hi = min_;
    for (int k = 0; k < kBands; ++k) {
        if (!switches_[k]) continue;
        lo = std::min(lo, values_[k]);
        hi = std::max(hi, values_[k]);
    }
    float d = change;
    if (hi + d > max_) d = max_ - hi;
    if (lo + d < min_) d = min_ - lo;
    for (int k = 0; k < kBands; ++k)
        if (switches_[k]) values_[k] = Clamp(values_[k] + d);
    return {ui::MsgEqBandChanged, -2, 0};
}

Notification EqSettingsLogic::OnFlat() {
    if (!enabled_) return {};
    values_.fill(0.0f);
    return {ui::MsgEqBandChanged, -1, 0};
}

Notification EqSettingsLogic::OnLinkClicked(bool checked) {
    if (!hasLink_ || !enabled_) return {};
    link_ = checked;
    return {ui::MsgEqLinkChanged, checked ? 1 : 0, 0};
}

Notification EqSettingsLogic::OnOffClicked(bool checked) {
    if (!hasOff_ || !enabled_) return {};
    off_ = checked;
    return {ui::MsgEqOffChanged, checked ? 1 : 0, 0};
}

Notification EqSettingsLogic::OnSelectAllClicked(bool checked) {
    if (!enabled_) return {};
    selectAll_ = checked;
    switches_.fill(checked);
    return {ui::MsgEqBandSwitch, -1, checked ? 1 : 0};
}

Notification EqSettingsLogic::OnBandSwitchClicked(int band, bool on) {
    if (band < 0 || band >= kBands || !enabled_) return {};
    switches_[band] = on;
    selectAll_ = CountEnabledBands() == kBands;
    return {ui::MsgEqBandSwitch, band, on ? 1 : 0};
}

}  // namespace pages
