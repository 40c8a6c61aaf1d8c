// The tuning page's questions in the program's skinned box: the background of the dialogs, the
// caption image over the header, the message where the question says, and the "don't ask again"
// check box shown unticked. The box is modal on the main window.
#pragma once

#include <windows.h>

#include "pages/prompter.h"

namespace pages {

class MsgBoxPrompter : public Prompter {
public:
    static constexpr RECT kCaptionRect{85, 0, 296, 32};

    explicit MsgBoxPrompter(HWND owner = nullptr) : owner_(owner) {}
    void SetOwner(HWND owner) { owner_ = owner; }

    PromptAnswer Ask(const PromptRequest& request) override;
    // `button` is the window of a held toolkit button.
    void CancelPress(intptr_t button) override;

private:
    HWND owner_;
};

}  // namespace pages
