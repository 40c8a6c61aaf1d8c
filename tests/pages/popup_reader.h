// Reads a loaded menu as the user would see it: each item's text, id, greyed and checked state,
// and a submenu's items.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace pagetest {

struct MenuItem {
    std::string text;
    UINT id;
    bool greyed;
    bool checked;
    std::vector<MenuItem> items;  // a submenu's
};

inline std::vector<MenuItem> ReadMenu(HMENU menu) {
    std::vector<MenuItem> out;
    const int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
        char text[128] = {};
        GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        // GetMenuState mixes a submenu's item count into its flags: ask for type and state apart.
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE;
        GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
        const bool separator = (info.fType & MFT_SEPARATOR) != 0;
        MenuItem item{text, GetMenuItemID(menu, i), !separator && (info.fState & MFS_GRAYED) != 0,
                      (info.fState & MFS_CHECKED) != 0, {}};
        if (HMENU sub = GetSubMenu(menu, i)) item.items = ReadMenu(sub);
        out.push_back(item);
    }
    return out;
}

// Every command item, submenus flattened, in order.
inline std::vector<MenuItem> Flatten(const std::vector<MenuItem>& items) {
    std::vector<MenuItem> out;
    for (const MenuItem& i : items) {
        if (i.items.empty()) {
            out.push_back(i);
        } else {
            const std::vector<MenuItem> sub = Flatten(i.items);
            out.insert(out.end(), sub.begin(), sub.end());
        }
    }
    return out;
}

}  // namespace pagetest
