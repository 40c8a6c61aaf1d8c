#include "ui/msg_box.h"

#include <cstdio>
#include <new>

#include "res/resource.h"
#include "ui/messages.h"
#include "ui/text.h"

namespace ui {
namespace {

constexpr SIZE kFallbackSize{300, 220};
constexpr COLORREF kFallbackFace = RGB(0xF6, 0xF7, 0xF9);
constexpr uint32_t kMessageArgb = 0xC8282828;  // alpha 200, grey 40
constexpr uint32_t kCaptionArgb = 0xC8323232;  // alpha 200, grey 50

void CopyText(char (&to)[MsgBox::kMaxText + 2], const char* from) {
    to[0] = '\0';
    if (from) std::snprintf(to, sizeof to, "%.128s", from);
}

RECT ToRect(const WndRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

}  // namespace

const std::array<UINT, MsgBox::kButtonCount> MsgBox::kButtonBitmaps = {
    IDB_BTN_OK, IDB_BTN_YES, IDB_BTN_NO, IDB_BTN_CANCEL, IDB_BTN_NEXT, IDB_BTN_SKIP, IDB_BTN_BACK,
};

MsgBox::MsgBox(HWND parent, UINT backgroundBitmapId, WndRect messageRect, WndRect captionRect,
               const char* captionText, UINT captionBitmapId, const char* messageText,
               UINT messageBitmapId, UINT buttonFlags, int checkState, int buttonAreaHeight)
    : parent_(parent), flags_(buttonFlags), backgroundId_(backgroundBitmapId),
      checkState_(checkState), messageRect_(messageRect), captionRect_(captionRect),
      captionBitmapId_(captionBitmapId), messageBitmapId_(messageBitmapId),
      buttonArea_(buttonAreaHeight == -1 ? kDefaultButtonArea : buttonAreaHeight) {
    CopyText(caption_, captionText);
    CopyText(message_, messageText);
    DialogBoxParamA(ModuleInstance(), MAKEINTRESOURCEA(IDD_MSGBOX), parent, DialogProc,
                    reinterpret_cast<LPARAM>(this));
    Release();
}

MsgBox::~MsgBox() { Release(); }

// Everything the box made goes when it closes: the buttons and the check box (the check state is
// kept for IsChecked), the images and the back buffer.
void MsgBox::Release() {
    if (check_) {
        hadCheckBox_ = true;
        checked_ = check_->GetCheck() == ChkWnd::kOn;
    }
    check_.reset();
    for (auto& button : buttons_) button.reset();
    captionImage_.Reset();
    messageImage_.Reset();
    back_.Reset();
}

void MsgBox::OnInitDialog(HWND dialog) {
    dialog_ = dialog;
    SetWindowTextA(dialog, message_);
    {
        gdi::WindowDC screen(dialog);
        back_.Create(screen);
        back_.SetBitmap(gdi::LoadSkinBitmap(backgroundId_));
        if (!back_.HasBitmap()) {
            // Without its background the box would be invisible and, being modal, lock the
            // program: show it on a plain face of the usual size instead.
            back_.SetBitmap(gdi::MakeBitmap(screen, kFallbackSize.cx, kFallbackSize.cy));
            const RECT all{0, 0, kFallbackSize.cx, kFallbackSize.cy};
            HBRUSH face = gdi::MakeBrush(kFallbackFace);
            FillRect(back_, &all, face);
            gdi::Free(face);
        }
        if (messageBitmapId_) {
            messageImage_.Create(screen);
            messageImage_.SetBitmap(gdi::LoadSkinBitmap(messageBitmapId_));
        }
        if (captionBitmapId_) {
            captionImage_.Create(screen);
            captionImage_.SetBitmap(gdi::LoadSkinBitmap(captionBitmapId_));
        }
    }
    SetBkMode(back_, TRANSPARENT);

    if (messageImage_.HasBitmap()) {
        const SIZE s = messageImage_.Size();
        BitBlt(back_, messageRect_.left, messageRect_.top, s.cx, s.cy, messageImage_, 0, 0,
               SRCCOPY);
    }
    if (message_[0])
        DrawTextAntialiased(back_, message_, ToRect(messageRect_),
                            TextStyle{L"Arial", 12.0f, false, kMessageArgb});
    if (captionImage_.HasBitmap()) {
        const SIZE s = captionImage_.Size();
        BitBlt(back_, captionRect_.left, captionRect_.top, s.cx, s.cy, captionImage_, 0, 0,
               SRCCOPY);
    }
    if (caption_[0])
        DrawTextAntialiased(back_, caption_, ToRect(captionRect_),
                            TextStyle{L"Arial", 12.0f, true, kCaptionArgb});

    const SIZE size = back_.Size();
    SetWindowPos(dialog, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);

    for (int i = 0; i < kButtonCount; ++i)
        if (flags_ & (1u << i))
            buttons_[i].reset(new (std::nothrow) BtnWnd(dialog, 0, 0, 3, kButtonBitmaps[i], false));
    if (checkState_ != -1) {
        check_.reset(new (std::nothrow) ChkWnd(dialog, kCheckPosition.x, kCheckPosition.y, 2,
                                               IDB_CHECK_DONT_ASK, true));
        if (check_ && checkState_ == 1) check_->SetCheck(ChkWnd::kOn);
    }
    PlaceButtons();

    RECT desktop, box;
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(dialog, &box);
    const int width = box.right - box.left, height = box.bottom - box.top;
    SetWindowPos(dialog, nullptr, (desktop.right - desktop.left) / 2 - width / 2,
                 (desktop.bottom - desktop.top) / 2 - height / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER);
}

// One row, centred, the buttons touching in bit order, centred vertically in the bottom band.
void MsgBox::PlaceButtons() {
    int total = 0, rowHeight = 0;
    for (const auto& button : buttons_) {
        if (!button) continue;
        total += button->FrameWidth();
        if (button->Height() > rowHeight) rowHeight = button->Height();
    }
    RECT client;
    GetClientRect(dialog_, &client);
    int x = client.right / 2 - total / 2;
    const int bandTop = client.bottom - buttonArea_;
    const int y = (client.bottom - bandTop) / 2 + bandTop - rowHeight / 2;
    for (const auto& button : buttons_) {
        if (!button || !button->GetHwnd()) continue;
        SetWindowPos(button->GetHwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ShowWindow(button->GetHwnd(), SW_SHOW);
        x += button->FrameWidth();
    }
}

INT_PTR MsgBox::OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: OnInitDialog(dialog); return TRUE;
    case WM_PAINT: {
        PaintFromBackBuffer(dialog, back_);
        return TRUE;
    }
    case WM_ERASEBKGND: {
        // The face is the background: erasing first with the dialog brush would only flicker.
        const SIZE s = back_.Size();
        BitBlt(reinterpret_cast<HDC>(wParam), 0, 0, s.cx, s.cy, back_, 0, 0, SRCCOPY);
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 1);
        return TRUE;
    }
    case WM_LBUTTONDBLCLK:
        EndDialog(dialog, 1);  // the result stays Cancel's
        return TRUE;
    case WM_LBUTTONDOWN:
        SendMessageA(dialog, WM_NCLBUTTONDOWN, HTCAPTION, 0);  // drags the box
        return TRUE;
    case WM_DESTROY: Release(); return FALSE;
    default:
        if (message == MsgButtonClicked) {
            // The check box's own click matches no button and changes nothing here.
            for (int i = 0; i < kButtonCount; ++i) {
                if (buttons_[i] && reinterpret_cast<HWND>(lParam) == buttons_[i]->GetHwnd()) {
                    result_ = 1u << i;
                    EndDialog(dialog, static_cast<INT_PTR>(result_));
                    break;
                }
            }
            return TRUE;
        }
        return FALSE;  // Enter, Esc (WM_COMMAND) and WM_CLOSE do not close the box
    }
}

INT_PTR CALLBACK MsgBox::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG && lParam) AttachObject(dialog, reinterpret_cast<MsgBox*>(lParam));
    // WM_SETFONT and others come before WM_INITDIALOG: there is no object yet.
    MsgBox* self = AttachedObject<MsgBox>(dialog);
    if (!self) return FALSE;
    if (message == WM_NCDESTROY) {
        DetachObject(dialog);
        self->dialog_ = nullptr;
        return FALSE;
    }
    try {
        return self->OnMessage(dialog, message, wParam, lParam);
    } catch (...) {
        return FALSE;
    }
}

}  // namespace ui
