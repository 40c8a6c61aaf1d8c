// The chart switches and the source name (DisplaySettings) without their window: which switch
// is on, off or disabled, what the total switch does to the other two, and when the source name
// is drawn again.
#pragma once

namespace pages {

enum ChartSwitch : int { kCrossoverSwitch = 0, kEqualiserSwitch = 1, kTotalSwitch = 2 };

// What the logic does to its window (the real switches, or a test's record).
class SwitchPanel {
public:
    virtual ~SwitchPanel() = default;
    virtual int SwitchState(ChartSwitch s) const = 0;  // 1 on, 0 off, 2 disabled
    virtual void SetCheck(ChartSwitch s, int state) = 0;   // silent
    // Enabling brings a switch back off (the owner sets its check again); disabling shows its
    // third frame and takes no click.
    virtual void EnableSwitch(ChartSwitch s, bool enable) = 0;
    virtual void NotifyCurveSwitches() = 0;  // MsgCurveSwitches to the page
    virtual void PaintSource(const char* name, bool updateNow) = 0;  // name may be ""
};

class DisplaySettingsLogic {
public:
    explicit DisplaySettingsLogic(SwitchPanel& panel) : panel_(panel) {}

    // A switch's click with its new state (0 off, 1 on).
    void OnSwitchClicked(ChartSwitch s, int newState);
    void Reset(bool resetSource);
    void SetSource(int source);
    void GetSwitches(int* equaliser, int* crossover, int* total) const;
    void Paint(bool updateNow);
    int Source() const { return source_; }

    // "Master" for -1, the external sources for 0..4, "" otherwise.
    static const char* SourceName(int source);

private:
    SwitchPanel& panel_;
    int savedEqualiser_ = 1;
    int savedCrossover_ = 1;
    int source_ = -1;
    bool repaintPending_ = true;
};

}  // namespace pages
