// The window under a maintenance dialog's logic: a popup FrameWnd on the dialogs' skin with its
// title, centred on the desktop, carrying the buttons and the bar the logic moves. It draws texts
// and pictures into its face and keeps the last one as its window text (no caption shows it; tests
// and tools read it); a face repainted bare takes the dialog's name again.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "dialogs/dialog_view.h"
#include "ui/btn_wnd.h"
#include "ui/frame_wnd.h"
#include "ui/progress_bar.h"

namespace dialogs {

class DialogWindow : public ui::FrameWnd, public DialogView {
public:
    static constexpr UINT_PTR kTimerId = 12500;
    static constexpr uint32_t kTextArgb = 0xC8282828;  // alpha 200, colour (40, 40, 40)

    // name: the window text while nothing is drawn on the face.
    DialogWindow(HWND parent, int x, int y, UINT titleBitmap, const char* name);
    ~DialogWindow() override;

    HWND ButtonWindow(DlgButton button) const;

    // DialogView.
    void Repaint() override;
    void SetSkin(uint32_t bitmapId) override;
    void ShowButton(DlgButton button, bool show) override;
    void EnableButton(DlgButton button, bool enable) override;
    void MoveButton(DlgButton button, int x, int y) override;
    void ShowBar(bool show) override;
    void SetBar(int position) override;
    void StartTimer(uint32_t periodMs) override;
    void StopTimer() override;
    void DrawMessage(const std::string& text, TextBox box) override;
    void DrawImage(uint32_t bitmapId, int x, int y, const std::string& says) override;
    void ShowDialog(bool show) override;
    void PostToParent(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    void PostToSelf(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

    // FrameWnd.
    void OnLButtonDown(int x, int y, WPARAM keys) override;
    void OnTimer(WPARAM timerId, LPARAM lParam) override;
    LRESULT OnAppMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnClose() override { return false; }  // only the dialog's own answers end it

protected:
    void AddButton(DlgButton button, UINT bitmapId, int frames, int x, int y, bool visible);
    void AddBar(UINT bitmapId, int x, int y);
    virtual void Tick() {}
    virtual void Clicked(DlgButton button) {}
    // Messages other than the buttons' clicks.
    virtual void OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {}

private:
    void Centre();

    UINT title_;
    const char* name_;
    std::array<std::unique_ptr<ui::BtnWnd>, 5> buttons_;
    ui::ProgressBar bar_;
    bool timer_ = false;
};

}  // namespace dialogs
