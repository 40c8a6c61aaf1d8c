// The tuning page's questions and warnings: the page's logic says what to ask, the program shows
// it in its skinned box (with the "don't ask again" check box), tests answer with a double.
#pragma once

#include <cstdint>
#include <string>

#include "pages/panel_types.h"

namespace pages {

// The box's buttons, as the skinned message box numbers them.
constexpr uint32_t kPromptOk = 1;
constexpr uint32_t kPromptYes = 2;
constexpr uint32_t kPromptNo = 4;
constexpr uint32_t kPromptCancel = 8;

struct PromptRequest {
    std::string text;
    uint32_t buttons = kPromptOk;
    PanelRect messageRect{};  // where the text goes in the box
};

struct PromptAnswer {
    uint32_t button = kPromptCancel;  // the pressed button's flag
    bool ticked = false;              // the check box
};

class Prompter {
public:
    virtual ~Prompter() = default;
    virtual PromptAnswer Ask(const PromptRequest& request) = 0;
    // Ends the press of a held auto-repeat button (a window handle) before a box opens, so that
    // it does not go on repeating behind the box.
    virtual void CancelPress(intptr_t /*button*/) {}
};

}  // namespace pages
