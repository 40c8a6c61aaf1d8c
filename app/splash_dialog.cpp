#include "app/splash_dialog.h"

#include <algorithm>

#include "app/ask.h"
#include "os/phases.h"
#include "res/resource.h"
#include "ui/msg_box.h"
#include "ui/win.h"

namespace app {
namespace {

const char* const kModes[] = {"Offline", "Target", "Rescue Mode"};


}  // namespace

void SplashDialog::Run(HWND parent, UINT templateId, bool showModeSelector, UINT bitmapId, int ftdiResult) {
    parent_ = parent;
    showModeSelector_ = showModeSelector;
    bitmapId_ = bitmapId;
    ftdiResult_ = ftdiResult;
    DialogBoxParamA(ui::ModuleInstance(), MAKEINTRESOURCEA(templateId), parent, DialogProc,
                    reinterpret_cast<LPARAM>(this));
}

void SplashDialog::ReleaseDc() {
    if (!memory_) return;
    SelectObject(memory_, original_);
    DeleteObject(bitmap_);
    DeleteDC(memory_);
    memory_ = nullptr;
    bitmap_ = nullptr;
}

INT_PTR CALLBACK SplashDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) ui::AttachObject(dialog, reinterpret_cast<void*>(lParam));
    SplashDialog* self = ui::AttachedObject<SplashDialog>(dialog);
    // Messages before WM_INITDIALOG (WM_SETFONT) find no object and go to the system.
    if (!self) return FALSE;
    const INT_PTR result = self->OnMessage(dialog, message, wParam, lParam);
    if (message == WM_NCDESTROY) ui::DetachObject(dialog);
    return result;
}

void SplashDialog::OnInitDialog(HWND dialog) {
    dialog_ = dialog;
    HDC screen = GetDC(dialog);
    memory_ = CreateCompatibleDC(screen);
    ReleaseDC(dialog, screen);
    bitmap_ = static_cast<HBITMAP>(LoadImageA(ui::ModuleInstance(), MAKEINTRESOURCEA(bitmapId_), IMAGE_BITMAP, 0, 0,
                                              LR_CREATEDIBSECTION));
    original_ = SelectObject(memory_, bitmap_);
    SetBkMode(memory_, TRANSPARENT);
    BITMAP bm{};
    if (bitmap_ && GetObjectA(bitmap_, sizeof bm, &bm)) {
        RECT r;
        GetWindowRect(dialog, &r);
        const int w = std::max<int>(r.right - r.left, bm.bmWidth), h = std::max<int>(r.bottom - r.top, bm.bmHeight);
        SetWindowPos(dialog, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER);
        // Centred on the desktop at its final size.
        SetWindowPos(dialog, nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2, (GetSystemMetrics(SM_CYSCREEN) - h) / 2,
                     0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
    HWND combo = GetDlgItem(dialog, kComboId);
    if (showModeSelector_) {
        SetWindowPos(combo, nullptr, 328, 215, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        for (const char* m : kModes) SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(m));
        SendMessageA(combo, CB_SETCURSEL, 1, 0);
        if (ftdiResult_ == 1) {
            mode_ = ConnectionMode::Target;
        } else {
            SendMessageA(combo, CB_SETCURSEL, 0, 0);
            mode_ = ConnectionMode::Offline;
            EnableWindow(combo, FALSE);
            AskUser(dialog, ftdiResult_ == 0
                                    ? "FTD2XX.dll not found. This application will run offline."
                                    : "Wrong FTD2XX Version: Tolvar driver may have been overwritten. Please "
                                      "reinstall the driver. The application will run offline.",
                    ui::MbOk);
        }
    } else {
        ShowWindow(combo, SW_HIDE);
    }
    SetForegroundWindow(dialog);
    SetFocus(GetDlgItem(dialog, kFocusButtonId));
    os::MarkPhase("start-up dialog ready");
}

INT_PTR SplashDialog::OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            OnInitDialog(dialog);
            return FALSE;  // the focus was set above
        case WM_COMMAND:
            if (LOWORD(wParam) == kComboId && HIWORD(wParam) == CBN_SELCHANGE) {
                const LRESULT sel = SendMessageA(GetDlgItem(dialog, kComboId), CB_GETCURSEL, 0, 0);
                if (sel >= 0 && sel <= 2) mode_ = static_cast<ConnectionMode>(sel);
                SetFocus(GetDlgItem(dialog, kFocusButtonId));
                return TRUE;
            }
            if (LOWORD(wParam) == kFocusButtonId || LOWORD(wParam) == IDOK) {
                EndDialog(dialog, 1);
                return TRUE;
            }
            return FALSE;
        case WM_KEYDOWN:
            if (wParam == VK_RETURN) EndDialog(dialog, 1);
            return TRUE;
        case WM_LBUTTONDBLCLK:
            EndDialog(dialog, 1);
            return TRUE;
        case WM_LBUTTONDOWN:
            // The picture drags the dialog.
            SendMessageA(dialog, WM_NCLBUTTONDOWN, HTCAPTION, 0);
            return TRUE;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(dialog, &ps);
            if (memory_)
                BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
                       ps.rcPaint.bottom - ps.rcPaint.top, memory_, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
            EndPaint(dialog, &ps);
            return TRUE;
        }
        default: return FALSE;
    }
}

}  // namespace app
