// The read-back's wait dialog: the window over SyncDspLogic.
#pragma once

#include "dialogs/dialog_window.h"
#include "dialogs/sync_dsp_logic.h"

namespace dialogs {

class SyncDspDlg : public DialogWindow {
public:
    SyncDspDlg(HWND parent, int x, int y);
    void Start() { logic_.Start(); }
    void ShowResult(int success) { logic_.ShowResult(success); }
    const SyncDspLogic& Logic() const { return logic_; }

protected:
    void Tick() override { logic_.OnTimer(); }
    void Clicked(DlgButton button) override { logic_.OnButton(button); }

private:
    SyncDspLogic logic_{*this};
};

}  // namespace dialogs
