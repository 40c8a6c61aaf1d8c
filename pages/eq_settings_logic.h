// The 31-band equaliser panel's decisions, without a window: the band values as its sliders hold
// them, the band switches with Select All, the link and off buttons with the states remembered
// while the panel is disabled, the group move, Flat, the readouts and the marks of the bands in a
// crossover's pass band. The window (EqSettings) moves its sliders and buttons to what this holds
// and sends the returned notification to its owner.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "model/records.h"
#include "pages/panel_types.h"

namespace pages {

// The panel's three configurations, by the owner's two flags.
struct EqConfig {
    bool flagA = false;  // the external-source page: no link button
    bool flagB = false;  // the dynamic-equalisation dialog: +-6 dB, neither link nor off button
};

class EqSettingsLogic {
public:
    static constexpr int kBands = model::kBandCount;

    // What an owner's call changed (bits), for the window that shows this logic.
    enum Aspect : unsigned {
        kValuesChanged = 1,    // band values (and so the readouts)
        kButtonsChanged = 2,   // EQ L/R Link, EQ Off
        kSwitchesChanged = 4,  // band switches and Select All
        kStatesChanged = 8,    // thumb states
        kEnabledChanged = 16,  // enabled or disabled
    };
    // Called after every owner's call (SetGains, SetEqLink, SetEqOff, SetBandEnables,
    // SetBandStates, MarkCrossoverBands, SetEnabled) with what it changed; the user actions
    // (On...) do not call it: the window that reports them shows their result itself.
    void SetChangeListener(std::function<void(unsigned aspects)> listener) {
        listener_ = std::move(listener);
    }

    explicit EqSettingsLogic(EqConfig config = {});

    float Min() const { return min_; }
    float Max() const { return max_; }
    bool HasLink() const { return hasLink_; }
    bool HasOff() const { return hasOff_; }

    // The owner's calls.
    int GetGains(float* out, int n, uint32_t* link, uint32_t* off) const;
    void SetGains(const float* values, int n, uint32_t link, uint32_t off);
    void SetEqLink(bool on);
    void SetEqOff(bool on);
    bool IsEqLink() const { return hasLink_ && link_; }
    bool IsEqOff() const { return hasOff_ && off_; }
    void SetBandEnables(const uint32_t* flags, int n);
    void SetBandStates(const int* states, int n);
    void MarkCrossoverBands(const model::CrossoverParams& block);
    void SetEnabled(bool on);
    bool Enabled() const { return enabled_; }
    int CountEnabledBands() const;

    // What the window shows.
    float Value(int band) const { return values_[band]; }
    bool BandSwitch(int band) const { return switches_[band]; }
    bool SelectAll() const { return selectAll_; }
    int BandState(int band) const { return states_[band]; }
    // "%1.1f" of the band's value, "---" while the panel is disabled.
    std::string ReadoutText(int band) const;

    // User actions (each returns what to send the owner).
    // Slider k moved to newValue by change (new minus old), as the slider reports it.
    Notification OnSliderMoved(int band, float newValue, float change);
    Notification OnFlat();
    Notification OnLinkClicked(bool checked);
    Notification OnOffClicked(bool checked);
    Notification OnSelectAllClicked(bool checked);
    Notification OnBandSwitchClicked(int band, bool on);

private:
    float Clamp(float v) const;
    void ApplyLink(bool on);
    void ApplyOff(bool on);
    void Changed(unsigned aspects) const {
        if (listener_) listener_(aspects);
    }

    float min_, max_;
    bool hasLink_, hasOff_;
    std::array<float, kBands> values_{};
    std::array<bool, kBands> switches_{};
    std::array<int, kBands> states_{};
    bool selectAll_ = false;
    bool link_ = false;
    bool off_ = false;
    bool rememberedLink_ = true;
    bool rememberedOff_ = false;
    bool enabled_ = true;
    std::function<void(unsigned)> listener_;
};

}  // namespace pages
