// MsgBox: the skinned modal message box. The caller builds it on its stack; the constructor runs
// the whole modal loop (dialog template IDD_MSGBOX) and returns once the user has chosen. Then
// GetResult gives 1 << the button's bit (see the flags), or 8 (Cancel's value) when the box was
// closed by a double click; IsChecked tells whether the "don't ask again" box was ticked.
// The message is also the dialog's window text, so that tests and screen readers find it.
#pragma once

#include <windows.h>

#include <array>
#include <memory>

#include "ui/btn_wnd.h"
#include "ui/gdi.h"
#include "ui/win.h"

namespace ui {

// Button flags: bit i shows button i; choosing it gives the result 1 << i.
enum MsgBoxButton : UINT {
    MbOk = 1,
    MbYes = 2,
    MbNo = 4,
    MbCancel = 8,
    MbNext = 16,
    MbSkip = 32,
    MbBack = 64,
};

class MsgBox {
public:
    static constexpr int kButtonCount = 7;
    static constexpr int kDefaultButtonArea = 85;
    static constexpr int kMaxText = 128;
    static constexpr UINT kClosedWithoutButton = MbCancel;
    // The button bitmaps in bit order (3 frames each).
    static const std::array<UINT, kButtonCount> kButtonBitmaps;
    static constexpr POINT kCheckPosition{8, 200};

    // checkState: -1 no check box, 0 unticked, 1 ticked. buttonAreaHeight: the band at the
    // bottom in which the buttons are centred, -1 for 85. Texts may be null; at most 128
    // characters are kept. Bitmap ids of 0 mean no image.
    MsgBox(HWND parent, UINT backgroundBitmapId, WndRect messageRect, WndRect captionRect,
           const char* captionText, UINT captionBitmapId, const char* messageText,
           UINT messageBitmapId, UINT buttonFlags, int checkState, int buttonAreaHeight);
    ~MsgBox();
    MsgBox(const MsgBox&) = delete;
    MsgBox& operator=(const MsgBox&) = delete;

    UINT GetResult() const { return result_; }
    bool IsChecked() const { return hadCheckBox_ && checked_; }
    const char* MessageText() const { return message_; }
    const char* CaptionText() const { return caption_; }

    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

private:
    INT_PTR OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    void OnInitDialog(HWND dialog);
    void PlaceButtons();
    void Release();

    HWND parent_ = nullptr;
    HWND dialog_ = nullptr;
    UINT flags_ = 0;
    UINT backgroundId_ = 0;
    int checkState_ = -1;
    WndRect messageRect_;
    WndRect captionRect_;
    gdi::MemoryDC back_;
    char message_[kMaxText + 2] = {};
    char caption_[kMaxText + 2] = {};
    UINT result_ = kClosedWithoutButton;
    UINT captionBitmapId_ = 0;
    UINT messageBitmapId_ = 0;
    gdi::MemoryDC captionImage_;
    gdi::MemoryDC messageImage_;
    std::array<std::unique_ptr<BtnWnd>, kButtonCount> buttons_;
    std::unique_ptr<ChkWnd> check_;
    int buttonArea_ = kDefaultButtonArea;
    bool hadCheckBox_ = false;
    bool checked_ = false;
};

}  // namespace ui
