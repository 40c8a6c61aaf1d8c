// The question on closing with unsaved changes: keep them (FINALIZE online, a setup file offline),
// drop them, or stay; the answer goes to the main window as 0x8037 (0, 1 / 0 / -1).
#pragma once

#include "dialogs/dialog_view.h"

namespace dialogs {

// What the two question images say.
constexpr const char* kExitOnlineText =
    "The settings have changed. FINALIZE them in 'darvix' before closing?";
constexpr const char* kExitOfflineText =
    "The settings have changed and are not saved. Save them to a setup file before closing?";

class ExitLogic {
public:
    static constexpr int kOnlineX = 39, kOnlineY = 30;
    static constexpr int kOfflineX = 20, kOfflineY = 39;

    explicit ExitLogic(DialogView& view) : view_(view) {}
    void Show(int online);
    void Hide() { view_.ShowDialog(false); }
    void OnButton(DlgButton button);

private:
    DialogView& view_;
};

}  // namespace dialogs
