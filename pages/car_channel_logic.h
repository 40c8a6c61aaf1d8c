// The car view without its window (view mode): one spot per speaker position with an icon per
// kind that the tuning holds there, the selection drawn highlighted, the passive-crossover
// variant's icon in place of a kind's, and four seats for the listening point. Layout places the
// icons around each spot's anchor from the loaded icons' sizes and keeps their hit rectangles;
// clicks and seat presses are answered with the notification the window sends its page.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "pages/channel_views.h"
#include "pages/panel_types.h"
#include "pages/wizard_table.h"

namespace pages {

constexpr int kViewMode = -1;
constexpr int kSeatCount = 4;
constexpr int kVariantCount = 10;

// Size of one frame of an icon (half the bitmap's width, its height).
struct IconSize {
    int width = 0, height = 0;
};

// One spot of the car: the speakers of one position.
struct CarChannelSpot {
    int32_t count[12] = {};
    int32_t selected[12] = {};
    PanelRect hit[12] = {};
    int32_t anchorX = 0, anchorY = 0;
    int32_t stacking = 0;  // 0 top to bottom, 1 side by side
    char name[32] = {};
    int32_t variant[12] = {};
};

// One drawing step: a frame of a bitmap at a rectangle, or a count text in its box.
struct CarLayoutItem {
    int bitmap = 0;  // resource id; 0 for a text
    int frame = 0;
    PanelRect rect{};
    std::string text;
    int32_t textColor = -1;  // 0x00RRGGBB of a label's number; -1 the panel's own colour
};

// One passive-crossover toggle of the wizard's crossover step.
struct PassiveToggle {
    int x = 0, y = 0;
    bool shown = false;
    bool checked = false;
};

class CarChannelLogic : public CarView {
public:
    // The kinds' and variants' icon bitmaps and the skin.
    static const int kKindIcons[model::kKindCount];
    static const int kVariantIcons[kVariantCount];  // index 0 unused
    static const int kSeatBitmaps[kSeatCount];
    static const PanelRect kSeatRects[kSeatCount];
    static constexpr int kSkin = 108;

    explicit CarChannelLogic(int mode = kViewMode);

    // The frame sizes of the loaded icons (by default the sizes they are drawn at).
    void SetKindIconSize(int kind, IconSize size);
    void SetVariantIconSize(int variant, IconSize size);

    // CarView.
    void ClearSpeakers(bool redraw) override;
    bool AddSpeaker(int position, int kind, bool redraw, int variant) override;
    void LoadFromChannels(const model::DspChannelRecord* records) override;
    bool SetSpeakerSelected(int position, int kind, bool state, bool clearOthers,
                            bool redraw) override;
    int CountSelected() const override;
    int ListSelected(SpeakerTriple* out, int max) const override;
    void SelectListeningPoint(int point) override;
    int PassiveVariant(int position, int kind) const override;

    bool IsSpeakerSelected(int position, int kind) const;
    bool HasSpeaker(int position, int kind) const;
    int SpeakerCount(int position, int kind) const;
    bool CanCombineKinds(int position, int kind) const;
    const std::array<CarChannelSpot, model::kPositionCount>& Spots() const { return spots_; }
    int Mode() const { return mode_; }

    // Wizard mode (modes 10..13): the car picture of the I/O wizard's speaker steps.
    static constexpr int kWizardSkin = 198;
    static constexpr PanelRect kWizardRect{0, 0, 442, 411};
    static constexpr int kTooManyOverlay = 270;
    static constexpr PanelRect kTooManyRect{4, 5, 171, 129};
    static constexpr int kConflictOverlay = 289;
    static constexpr PanelRect kConflictRect{151, 84, 292, 359};
    static const int kToggleBitmaps[kPassiveToggles];
    static constexpr int kLeftLabel = 215, kRightLabel = 214;
    static constexpr int kUpButton = 217, kDownButton = 218;
    static constexpr int kLeftAmplifier = 216, kRightAmplifier = 219;
    static constexpr int kRedText = 0xFF0000, kBlackText = 0x000000;

    // Rebuilds the panel for wizard step 10..13 from the wizard's output table (26 entries, or
    // none); step 10 clears the table's passive flags.
    void SetWizardStep(int step, WizardOutputEntry* table);
    // The device outputs the speakers on the panel need, passive groups sharing one.
    int CountOutputChannels() const;
    // The stereo or pair partner (position, kind, -1), or (-1, -1, -1).
    SpeakerTriple GetPartner(int position, int kind) const;
    // Gives the speaker's label (and its partner's) a free channel; returns the label count.
    int AssignDefaultChannel(int position, int kind);
    // 1 when two labels carry the same channel (two without one count as equal).
    int HasChannelConflict() const;
    void ShowTooManyChannelsWarning(bool show);
    void ShowConflictWarning(bool show);
    bool TooManyChannelsShown() const { return tooMany_; }
    bool ConflictShown() const { return conflict_; }
    int GetLabelCount() const { return labelCount_; }
    const CarChannelLabel* GetLabels() const { return labels_.data(); }
    const CarChannelSpot* GetSpeakerGrid() const { return spots_.data(); }
    const PassiveToggle& Toggle(int t) const { return toggles_[t < 0 || t >= kPassiveToggles ? 0 : t]; }
    // The wizard's controls, pressed (their window has flipped itself to nowChecked).
    void OnToggleClicked(int toggle, bool nowChecked);
    void OnChannelButton(int label, bool up);
    void OnAmplifierClicked(int label, bool nowChecked);
    // A label's output channel and amplifier flag as a unit's routing reports them (a label
    // outside the table changes nothing).
    void SetLabelOutput(int label, int channel, int amplifier);
    // Where wizard mode's notifications go, at once (0x8061's notice lives only during the call).
    void SetWizardSink(std::function<void(const Notification&)> send) { send_ = std::move(send); }
    void SetLabelSize(IconSize size) { labelSize_ = size; }

    // Draws the panel (skin, then icons and counts unless disabled) and recomputes the hit
    // rectangles; a disabled panel keeps the last ones.
    const std::vector<CarLayoutItem>& Layout();
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    // The window's hooks: whether it is enabled now (asked by every layout) and the drawing of
    // a layout once it is made.
    void SetHooks(std::function<bool()> enabled, std::function<void()> drawn,
                  std::function<void()> seatsChanged) {
        isEnabled_ = std::move(enabled);
        onLayout_ = std::move(drawn);
        onSeats_ = std::move(seatsChanged);
    }
    int Layouts() const { return layouts_; }
    const std::vector<CarLayoutItem>& LastLayout() const { return layout_; }
    PanelRect HitRect(int position, int kind) const;

    // A left click (Ctrl held or not): the notification to send, or none.
    Notification OnLButtonDown(int x, int y, bool ctrl);
    // Seat i was pressed and has flipped itself to nowChecked: the seat states to show and the
    // notification to send.
    Notification OnSeatClicked(int seat, bool nowChecked);
    bool IsSeatChecked(int seat) const { return seat >= 0 && seat < kSeatCount && seats_[seat]; }

private:
    static bool InRange(int position, int kind) {
        return position >= 0 && position < model::kPositionCount && kind >= 0 &&
               kind < model::kKindCount;
    }
    // The icon a speaker shows: its variant's when it has a known one, else its kind's.
    IconSize ShownSize(const CarChannelSpot& s, int kind) const;
    bool ShowsVariant(const CarChannelSpot& s, int kind) const;

    void WizardBackground();
    void LayoutLabel(int position, int kind, const PanelRect& icon);
    void OnWizardClick(int x, int y);
    void Send(uint32_t id, intptr_t wParam, intptr_t lParam) const {
        if (send_) send_(Notification{id, wParam, lParam});
    }
    void SendNotice(const PassiveGroupNotice& notice) const;
    int KindsAt(int position) const;
    int LastLabel(int position, int kind) const;
    int HighestFreeChannel() const;
    bool ChannelFree(int channel) const;
    static bool LeftMember(int position, int kind);
    void ResetLabelSlots();
    void HideLabelControls();
    void BuildLabels();
    void AddPassiveRepresentative(const WizardOutputEntry* table, const WizardOutputEntry& e);

    int mode_;
    std::array<PassiveToggle, kPassiveToggles> toggles_{};
    std::array<CarChannelLabel, kMaxCarLabels> labels_{};
    int labelCount_ = 0;
    IconSize labelSize_{79, 20};
    bool tooMany_ = false;
    bool conflict_ = false;
    std::function<void(const Notification&)> send_;
    std::array<CarChannelSpot, model::kPositionCount> spots_{};
    std::array<IconSize, model::kKindCount> kindSizes_{};
    std::array<IconSize, kVariantCount> variantSizes_{};
    std::array<bool, kSeatCount> seats_{};
    std::vector<CarLayoutItem> layout_;
    bool enabled_ = true;
    int layouts_ = 0;  // how often the panel was drawn (the window repaints each time)
    std::function<bool()> isEnabled_;
    std::function<void()> onLayout_;
    std::function<void()> onSeats_;
};

}  // namespace pages
