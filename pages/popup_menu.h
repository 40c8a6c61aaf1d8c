// The panels' popup menus: a menu resource loaded and shown as its first submenu, one at a time.
// Tracking the popup is a seam: the program shows it with TrackPopupMenuEx and gets the choice as
// WM_COMMAND; tests put a tracker in its place that reads the loaded menu and chooses.
#pragma once

#include <windows.h>

namespace pages {

class PopupTracker {
public:
    virtual ~PopupTracker() = default;
    // Shows `popup` at a screen point; a choice reaches `owner` as WM_COMMAND (lParam 0).
    virtual void Track(HMENU popup, int screenX, int screenY, HWND owner) = 0;
};

class SystemPopupTracker : public PopupTracker {
public:
    void Track(HMENU popup, int screenX, int screenY, HWND owner) override;
};

// The one menu a panel has loaded. A popup closed without a choice sends nothing, so the menu
// cannot be freed by its choice alone: it is freed when the next one loads, after a choice, and
// with its owner.
class LoadedPopup {
public:
    LoadedPopup() = default;
    ~LoadedPopup() { Free(); }
    LoadedPopup(const LoadedPopup&) = delete;
    LoadedPopup& operator=(const LoadedPopup&) = delete;

    // Loads a MENU resource of the program (freeing the menu held before); its first submenu,
    // null when the resource or its submenu is missing (nothing is then held).
    HMENU Load(UINT menuId);
    void Free();
    HMENU Menu() const { return menu_; }
    HMENU Popup() const { return menu_ ? GetSubMenu(menu_, 0) : nullptr; }

private:
    HMENU menu_ = nullptr;
};

}  // namespace pages
