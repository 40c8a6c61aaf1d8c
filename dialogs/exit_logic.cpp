#include "dialogs/exit_logic.h"

#include "res/resource.h"
#include "ui/messages.h"

namespace dialogs {

void ExitLogic::Show(int online) {
    view_.Repaint();
    if (online) view_.DrawImage(IDB_EXIT_FINALIZE_QUESTION, kOnlineX, kOnlineY, kExitOnlineText);
    else view_.DrawImage(IDB_EXIT_SAVE_QUESTION, kOfflineX, kOfflineY, kExitOfflineText);
    view_.ShowDialog(true);
}

void ExitLogic::OnButton(DlgButton button) {
    if (button == DlgButton::Yes) view_.PostToParent(ui::MsgExit, 0, 1);
    if (button == DlgButton::No) view_.PostToParent(ui::MsgExit, 0, 0);
    if (button == DlgButton::Cancel) view_.PostToParent(ui::MsgExit, 0, -1);
}

}  // namespace dialogs
