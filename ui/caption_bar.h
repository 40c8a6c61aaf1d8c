// CaptionBar: the main window's caption, a FrameWnd strip (skin IDB_CAPTION_BAR) with a close
// and a minimise button. Their clicks become MsgCloseApp and MsgMinimizeApp for the parent; a
// press anywhere else drags the parent; every other private message goes up unchanged.
#pragma once

#include <memory>

#include "ui/btn_wnd.h"
#include "ui/frame_wnd.h"

namespace ui {

class CaptionBar : public FrameWnd {
public:
    CaptionBar(HWND parent, int x, int y);
    ~CaptionBar() override;

    void OnLButtonDown(int x, int y, WPARAM keys) override;
    LRESULT OnAppMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    BtnWnd* CloseButton() const { return close_.get(); }
    BtnWnd* MinimizeButton() const { return minimize_.get(); }

    static constexpr POINT kClosePosition{995, 4};
    static constexpr POINT kMinimizePosition{974, 4};

private:
    std::unique_ptr<BtnWnd> close_;
    std::unique_ptr<BtnWnd> minimize_;
};

}  // namespace ui
