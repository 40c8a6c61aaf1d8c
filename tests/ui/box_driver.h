// Drives a MsgBox's modal loop: the steps run one by one at the loop's idle moments (the box
// sends WM_ENTERIDLE to its owner whenever its queue is empty). A box still open well after the
// last step is closed with a double click and the run is marked as timed out, so a box that
// ignores its buttons fails the test instead of hanging it.
#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "tests/ui/harness.h"

namespace uitest {

using BoxStep = std::function<void(HWND dialog)>;

class BoxDriver {
public:
    BoxDriver(RecordingParent& owner, std::vector<BoxStep> steps)
        : owner_(owner), steps_(std::move(steps)) {
        owner_.onIdle = [this](HWND dialog) { OnIdle(dialog); };
    }
    ~BoxDriver() { owner_.onIdle = nullptr; }
    bool timedOut = false;
    HWND dialog = nullptr;

private:
    void OnIdle(HWND d) {
        dialog = d;
        ++idles_;
        if (next_ < steps_.size()) {
            steps_[next_++](d);
        } else if (idles_ > steps_.size() + 100) {
            timedOut = true;
            SendMessageA(d, WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
            return;
        }
        // Without a message the loop would wait for input that never comes.
        if (IsWindow(d)) PostMessageA(d, WM_NULL, 0, 0);
    }
    RecordingParent& owner_;
    std::vector<BoxStep> steps_;
    size_t next_ = 0;
    size_t idles_ = 0;
};

struct Child {
    HWND window;
    RECT rect;  // in the dialog's client coordinates
};

namespace detail {
struct ChildSearch {
    HWND dialog;
    bool withCheckBox;
    std::vector<Child> found;
};
inline BOOL CALLBACK CollectButton(HWND w, LPARAM l) {
    auto* s = reinterpret_cast<ChildSearch*>(l);
    char name[32] = {};
    GetClassNameA(w, name, sizeof name);
    if (std::string(name) != "MYBTNWND" || !IsWindowVisible(w)) return TRUE;
    RECT r;
    GetWindowRect(w, &r);
    MapWindowPoints(nullptr, s->dialog, reinterpret_cast<POINT*>(&r), 2);
    if (r.right - r.left == 145 && !s->withCheckBox) return TRUE;
    s->found.push_back({w, r});
    return TRUE;
}
}  // namespace detail

// The box's toolkit buttons (class "MYBTNWND") that are visible, left to right; the check box
// (the one 145 pixels wide) only when asked for.
inline std::vector<Child> BoxButtons(HWND dialog, bool includeCheckBox = false) {
    detail::ChildSearch search{dialog, includeCheckBox, {}};
    EnumChildWindows(dialog, detail::CollectButton, reinterpret_cast<LPARAM>(&search));
    std::sort(search.found.begin(), search.found.end(),
              [](const Child& a, const Child& b) { return a.rect.left < b.rect.left; });
    return search.found;
}

inline void ClickChild(HWND window) { Click(window, 10, 10); }

}  // namespace uitest
