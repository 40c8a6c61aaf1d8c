// The crossover and delay panel's decisions, without a window: its working copy of one channel's
// crossover block, the rules every edit of the filter type, family, slopes and cut-offs obeys,
// focus, wheel and keys, the popups' checked and greyed items, and the readouts. The window
// (FilterSettings) creates the controls, maps its messages onto these calls one to one and draws
// what they say; every change returns the notification to send to the page.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "model/records.h"
#include "pages/panel_types.h"

namespace pages {

// What the panel asks its page about the edited channel (answered synchronously).
class ChannelQuery {
public:
    virtual ~ChannelQuery() = default;
    virtual int QueryWays() = 0;             // rows at the edited channel's position
    virtual int QueryKind() = 0;             // the edited channel's speaker kind, -1 none
    virtual int QueryWooferAtPosition() = 0; // 1 when a woofer shares its position
};

// The six fields in their order in memory.
enum class XoField : int { Type = 0, LpFreq, LfSlope, HpFreq, HfSlope, Family };
constexpr int kXoFieldCount = 6;
// Focus slots: the six fields, then the distance and the trim.
constexpr int kFocusDistance = 6;
constexpr int kFocusTrim = 7;
constexpr int kFocusCount = 8;

// The popup menus' resource ids.
constexpr int kMenuSlope = 123;
constexpr int kMenuFilterType = 124;
constexpr int kMenuFamily = 125;
constexpr int kMenuFrequency = 126;

constexpr int32_t kMaxDistance = 1056;  // samples: 22 ms at 48000 Hz

// What the window needs to open a field's popup.
struct PopupPlan {
    bool open = false;
    int menu = -1;
    uint32_t checkedId = 0;
    std::vector<uint32_t> greyedIds;
    int x = 0, y = 0;  // panel pixels: the text rectangle's lower-left corner, 3 pixels down
};

class FilterSettingsLogic {
public:
    explicit FilterSettingsLogic(ChannelQuery* query = nullptr);
    void SetQuery(ChannelQuery* query) { query_ = query; }

    // The page's calls.
    void SetCrossover(const model::CrossoverParams& block);
    void GetCrossover(model::CrossoverParams* out) const;
    const model::CrossoverParams& Block() const { return block_; }
    void SetDefaults();
    bool IsXoverLinked() const { return block_.bXoLink != 0; }
    void SetXoverLinked(bool on) {
        block_.bXoLink = on ? 1u : 0u;
        Changed();
    }
    void SetWorkingMode(uint32_t mode) { workingMode_ = mode; }
    uint32_t WorkingMode() const { return workingMode_; }
    // No channel: every field and readout blank, field, distance and phase buttons disabled.
    void DrawAllDisabled() {
        shown_ = false;
        Changed();
    }
    bool Shown() const { return shown_; }

    // What the window draws.
    bool FieldVisible(XoField field) const;      // shown and its button enabled
    bool DistanceEnabled() const { return shown_; }
    bool PhaseEnabled() const { return shown_; }
    PanelRect FieldRect(XoField field) const;    // the text rectangle, after a band-pass swap
    struct Point { int x, y; };
    Point FieldButton(XoField field) const;
    // The text of the field's current item in its menu ("" when hidden or not in the menu).
    std::string FieldLabel(XoField field) const;
    bool Swapped() const { return swapped_; }
    bool Focused(int slot) const { return focused_[slot]; }
    // "" when the panel shows no channel.
    std::string DelayText() const;
    std::string CentimetreText() const;
    std::string InchText() const;
    std::string TrimText() const;

    // User actions.
    void OnLButtonDown(int x, int y);
    Notification OnXoverLinkClicked(bool checked);
    Notification OnPhaseClicked(bool checked);
    Notification OnDistanceButton(bool up);
    Notification OnTrimButton(bool up, intptr_t button);
    PopupPlan OpenFieldPopup(XoField field);
    // A popup choice (WM_COMMAND with a menu id); the popup is forgotten afterwards.
    Notification OnMenuCommand(uint32_t id);
    Notification OnMouseWheel(int x, int y, int delta);
    Notification OnKey(bool up);

    int StepFilterType(int index, bool next);
    // Called whenever the page changes what the panel shows (a channel loaded or emptied, the
    // defaults, the link turned off again), so that the window draws it.
    void SetChangeHandler(std::function<void()> handler) { onChange_ = std::move(handler); }
    // The text of a menu's item ("" when the menu has no such item); the labels the fields show.
    static std::string MenuItemText(int menu, uint32_t id);
    std::vector<uint32_t> RestrictTypeMenu();
    std::vector<uint32_t> RestrictSlopeMenu() const;

    // Readout rectangles.
    static constexpr PanelRect kDelayReadout{133, 214, 167, 228};
    static constexpr PanelRect kInchReadout{22, 214, 58, 228};
    static constexpr PanelRect kCentimetreReadout{62, 214, 98, 228};
    static constexpr PanelRect kTrimReadout{176, 214, 209, 228};

private:
    void ApplyType(int32_t type);
    void ApplyFamily(uint32_t id);
    void UpdateBandPassSwitches();
    Notification ToggleFamily();
    Notification StepType(bool next);
    Notification StepSlope(XoField field, bool larger);
    Notification StepFrequency(XoField field, bool higher);
    Notification StepDistance(int delta);
    Notification StepTrim(int delta, intptr_t button);

    void Changed() {
        if (onChange_) onChange_();
    }

    ChannelQuery* query_;
    std::function<void()> onChange_;
    model::CrossoverParams block_{};
    uint32_t workingMode_ = 1;
    bool swapped_ = false;
    bool shown_ = false;
    std::array<bool, kFocusCount> focused_{};
    int openMenu_ = -1;
    int openSide_ = 0;
};

}  // namespace pages
