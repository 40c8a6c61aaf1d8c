// Where the tuning page's logic sends what its windows would send: the page's own window (posted,
// handled later) and the main window (sent, handled before the call returns, or posted, handled
// once the current message has ended). The program answers with PostMessage and SendMessage, the
// tests with a recording double.
#pragma once

#include <cstdint>

namespace pages {

class PageMessages {
public:
    virtual ~PageMessages() = default;
    virtual void PostToPage(uint32_t id, intptr_t wParam, intptr_t lParam) = 0;
    virtual intptr_t SendToMain(uint32_t id, intptr_t wParam, intptr_t lParam) = 0;
    virtual void PostToMain(uint32_t id, intptr_t wParam, intptr_t lParam) = 0;
};

}  // namespace pages
