#include "app/settings_reset.h"

namespace app {

namespace {
constexpr int kStandardMode = 1;
}

void ResetPagesToDefaults(ResetTargets& pages, PendingCommands& commands) {
    pages.ReloadTuning();
    pages.ResetExternalSources();
    pages.SelectPresetTab(0);
    pages.ResetOutputLevels();
    pages.ResetDynamicEqCurves();
    commands.SetWorkingMode(kStandardMode);
    pages.ShowWorkingMode(kStandardMode);
}

}  // namespace app
