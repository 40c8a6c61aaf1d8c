// The question on closing with unsaved changes: the window over ExitLogic.
#pragma once

#include "dialogs/dialog_window.h"
#include "dialogs/exit_logic.h"

namespace dialogs {

class ExitDlg : public DialogWindow {
public:
    ExitDlg(HWND parent, int x, int y);
    void Show(int online) { logic_.Show(online); }
    void Hide() { logic_.Hide(); }

protected:
    void Clicked(DlgButton button) override { logic_.OnButton(button); }

private:
    ExitLogic logic_{*this};
};

}  // namespace dialogs
