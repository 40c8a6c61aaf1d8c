// What the maintenance dialogs' logic asks of its window: show, enable and move its buttons, move
// its bar, run its timer, paint its face (skin, texts, images) and post to the main window or to
// itself. The window implements it over the toolkit; native tests record it.
#pragma once

#include <cstdint>
#include <string>

namespace dialogs {

enum class DlgButton { Close, Ok, Yes, No, Cancel };

// A text's rectangle in client coordinates.
struct TextBox {
    int left, top, right, bottom;
    bool operator==(const TextBox&) const = default;
};

class DialogView {
public:
    virtual ~DialogView() = default;

    // The face anew from the skin (texts and images drawn before are gone).
    virtual void Repaint() = 0;
    // Replaces the skin (the window takes its size) and repaints.
    virtual void SetSkin(uint32_t bitmapId) = 0;
    virtual void ShowButton(DlgButton button, bool show) = 0;
    virtual void EnableButton(DlgButton button, bool enable) = 0;
    virtual void MoveButton(DlgButton button, int x, int y) = 0;
    virtual void ShowBar(bool show) = 0;
    virtual void SetBar(int position) = 0;
    virtual void StartTimer(uint32_t periodMs) = 0;
    virtual void StopTimer() = 0;
    // Anti-aliased text in the dialogs' font and colour, wrapped inside the box.
    virtual void DrawMessage(const std::string& text, TextBox box) = 0;
    // A bitmap whose picture is text; `says` is what it says (the window keeps it as its text).
    virtual void DrawImage(uint32_t bitmapId, int x, int y, const std::string& says) = 0;
    virtual void ShowDialog(bool show) = 0;
    // PostMessage to the main window; returns at once.
    virtual void PostToParent(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
    // PostMessage to the dialog itself; safe from any thread (the poll thread reports this way).
    virtual void PostToSelf(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
};

}  // namespace dialogs
