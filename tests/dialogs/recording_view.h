// A dialog view that keeps what the logic made of it: which buttons show and where, the bar, the
// timer, the skin, what was drawn last, and the posts (from any thread).
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "dialogs/dialog_view.h"

namespace dialogtest {

struct Post {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
    bool operator==(const Post&) const = default;
};

class RecordingView : public dialogs::DialogView {
public:
    using Button = dialogs::DlgButton;

    void Repaint() override {
        drawn.clear();
        text.clear();
        image = 0;
    }
    void SetSkin(uint32_t id) override {
        skin = id;
        Repaint();
    }
    void ShowButton(Button b, bool show) override { shown[b] = show; }
    void EnableButton(Button b, bool enable) override { enabled[b] = enable; }
    void MoveButton(Button b, int x, int y) override { place[b] = {x, y}; }
    void ShowBar(bool show) override { barShown = show; }
    void SetBar(int position) override {
        bar = position;
        bars.push_back(position);
    }
    void StartTimer(uint32_t ms) override { timerMs = ms; }
    void StopTimer() override { timerMs = 0; }
    void DrawMessage(const std::string& t, dialogs::TextBox box) override {
        text = t;
        textBox = box;
        drawn.push_back(t);
    }
    void DrawImage(uint32_t id, int x, int y, const std::string& says) override {
        image = id;
        imageAt = {x, y};
        text = says;
        drawn.push_back(says);
    }
    void ShowDialog(bool show) override { visible = show; }
    void PostToParent(uint32_t m, uintptr_t w, intptr_t l) override {
        std::lock_guard<std::mutex> g(lock_);
        parent.push_back({m, w, l});
    }
    void PostToSelf(uint32_t m, uintptr_t w, intptr_t l) override {
        std::lock_guard<std::mutex> g(lock_);
        self.push_back({m, w, l});
    }

    bool Shown(Button b) const { return shown.count(b) && shown.at(b); }
    bool Enabled(Button b) const { return !enabled.count(b) || enabled.at(b); }
    std::vector<Post> ParentPosts() {
        std::lock_guard<std::mutex> g(lock_);
        return parent;
    }
    std::vector<Post> SelfPosts() {
        std::lock_guard<std::mutex> g(lock_);
        return self;
    }

    std::map<Button, bool> shown, enabled;
    std::map<Button, std::pair<int, int>> place;
    bool barShown = false;
    int bar = -1;
    std::vector<int> bars;
    uint32_t timerMs = 0;
    uint32_t skin = 0;
    std::string text;
    dialogs::TextBox textBox{};
    std::vector<std::string> drawn;
    uint32_t image = 0;
    std::pair<int, int> imageAt{};
    bool visible = false;

private:
    std::mutex lock_;
    std::vector<Post> parent, self;
};

}  // namespace dialogtest
