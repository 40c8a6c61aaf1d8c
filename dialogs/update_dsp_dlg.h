// Writing to the device and FINALIZE: the window over UpdateDspLogic. The poll thread calls
// GetState, SetStateAndSend and RunFinalize; RunFinalize's result comes back posted (0x803E).
#pragma once

#include "dialogs/dialog_window.h"
#include "dialogs/update_dsp_logic.h"

namespace dialogs {

class UpdateDspDlg : public DialogWindow {
public:
    UpdateDspDlg(HWND parent, int x, int y);
    void Start(int a, int b, int c) { logic_.Start(a, b, c); }
    int GetState() const { return logic_.GetState(); }
    void SetStateAndSend(devlink::UsbLink& link, int state) { logic_.SetStateAndSend(&link, state); }
    void RunFinalize(devlink::UsbLink& link) { logic_.RunFinalize(link); }
    bool Succeeded() const { return logic_.Succeeded(); }
    const UpdateDspLogic& Logic() const { return logic_; }

protected:
    void Tick() override { logic_.OnTimer(); }
    void Clicked(DlgButton button) override { logic_.OnButton(button); }
    void OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    UpdateDspLogic logic_{*this};
};

}  // namespace dialogs
