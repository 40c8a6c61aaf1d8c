#include "pages/msg_box_prompter.h"

#include <cstring>

#include "res/resource.h"
#include "ui/btn_wnd.h"
#include "ui/msg_box.h"

namespace pages {

PromptAnswer MsgBoxPrompter::Ask(const PromptRequest& request) {
    const PanelRect& m = request.messageRect;
    ui::MsgBox box(owner_, IDB_DIALOG_BG, {m.left, m.top, m.right, m.bottom},
                   {kCaptionRect.left, kCaptionRect.top, kCaptionRect.right, kCaptionRect.bottom},
                   nullptr, IDB_CAPTION_MSGBOX, request.text.c_str(), 0, request.buttons, 0, -1);
    return {box.GetResult(), box.IsChecked()};
}

void MsgBoxPrompter::CancelPress(intptr_t button) {
    HWND window = reinterpret_cast<HWND>(button);
    if (!window || !IsWindow(window)) return;
    // Only a toolkit button carries a BtnWnd in its user data.
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::strcmp(name, ui::BtnWnd::kClassName) != 0) return;
    if (ui::BtnWnd* held = ui::AttachedObject<ui::BtnWnd>(window)) held->CancelPress();
}

}  // namespace pages
