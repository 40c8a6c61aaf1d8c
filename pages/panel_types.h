// Small types the tuning page's panel logics share with their windows: a rectangle in panel
// pixels and the notification a panel sends its page.
#pragma once

#include <cstdint>

namespace pages {

// A rectangle as Win32 holds it: left and top inside, right and bottom outside.
struct PanelRect {
    int left, top, right, bottom;
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool Empty() const { return right <= left || bottom <= top; }
};

// A message a panel sends its page (id 0: nothing to send). The window layer sends it with
// SendMessage; lParam of a trim notification is the pressed button's window handle, or 0.
struct Notification {
    uint32_t id = 0;
    intptr_t wParam = 0;
    intptr_t lParam = 0;
    explicit operator bool() const { return id != 0; }
};

}  // namespace pages
