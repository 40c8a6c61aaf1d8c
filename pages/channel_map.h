// ChannelMap: the tuning page's list of the eight outputs, a child window over its logic. It
// paints the logic's plan over its skin, sends the logic's notifications to the page, takes the
// focus when the mouse crosses it so that the Ctrl key reaches it, and shows the cursor the
// logic picks.
#pragma once

#include <windows.h>

#include "pages/channel_map_logic.h"
#include "pages/page_messages.h"
#include "ui/frame_wnd.h"

namespace pages {

class ChannelMap : public ui::FrameWnd, private PageMessages {
public:
    static constexpr int kLeft = 250, kTop = 3;

    ChannelMap(HWND parent, int x = kLeft, int y = kTop);

    // What the page's logic drives (its ChannelMapView).
    ChannelMapLogic& Logic() { return logic_; }

    void Paint(bool updateNow);
    void Redraw(bool updateNow) override { Paint(updateNow); }
    void OnLButtonDown(int x, int y, WPARAM keys) override;
    void OnMouseMove(int x, int y, WPARAM keys) override;
    LRESULT OnKeyDown(WPARAM key, LPARAM lParam) override;
    LRESULT OnKeyUp(WPARAM key, LPARAM lParam) override;

private:
    void PostToPage(uint32_t id, intptr_t wParam, intptr_t lParam) override;
    intptr_t SendToMain(uint32_t id, intptr_t wParam, intptr_t lParam) override;
    void PostToMain(uint32_t id, intptr_t wParam, intptr_t lParam) override;
    HWND MainWindow() const;
    void TakeFocus();
    void ShowCursorKind(bool now);
    void CursorAtPointer(bool ctrl);

    ChannelMapLogic logic_;
    bool built_ = false;
};

// The cursor of a kind the panels pick: the arrow, the hand, or one of the program's cursors.
HCURSOR LoadCursorKind(int kind);

}  // namespace pages
