#include "pages/popup_menu.h"

#include "ui/win.h"

namespace pages {

void SystemPopupTracker::Track(HMENU popup, int screenX, int screenY, HWND owner) {
    TrackPopupMenuEx(popup, TPM_RIGHTBUTTON, screenX, screenY, owner, nullptr);
}

HMENU LoadedPopup::Load(UINT menuId) {
    Free();
    menu_ = LoadMenuA(ui::ModuleInstance(), MAKEINTRESOURCEA(menuId));
    HMENU popup = Popup();
    if (!popup) Free();
    return popup;
}

void LoadedPopup::Free() {
    if (menu_) DestroyMenu(menu_);
    menu_ = nullptr;
}

}  // namespace pages
