// File > Reset Settings while offline, once the user agreed: every page back to its defaults, and
// the working mode with them.
#pragma once

#include "app/pending_commands.h"

namespace app {

// What the reset puts back; the application implements it over its pages.
class ResetTargets {
public:
    virtual ~ResetTargets() = default;
    virtual void ReloadTuning() = 0;           // the tuning page: a new tuning, in Standard mode
    virtual void ResetExternalSources() = 0;
    virtual void SelectPresetTab(int preset) = 0;
    virtual void ResetOutputLevels() = 0;
    virtual void ResetDynamicEqCurves() = 0;
    virtual void ShowWorkingMode(int mode) = 0;  // the Config menu's tick
};

// A new tuning is in Standard mode; the application's own mode and the Config menu's tick follow,
// so that all three agree and a later choice of Expert is a change again.
void ResetPagesToDefaults(ResetTargets& pages, PendingCommands& commands);

}  // namespace app
