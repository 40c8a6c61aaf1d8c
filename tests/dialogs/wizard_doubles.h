// The I/O wizard's logic with a recording window: what it shows, the timers it runs, the menus
// it opens, the car view it makes (a real CarChannelLogic whose notifications go straight back),
// and what it posts to its parent and to itself.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "dialogs/wizard_logic.h"
#include "pages/car_channel_logic.h"

namespace wizardtest {

using dialogs::WizardLogic;
using dialogs::WizButton;

struct Post {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};

class View : public dialogs::WizardView {
public:
    WizardLogic* logic = nullptr;
    uint32_t skin = 0, overlay = 0;
    std::map<WizButton, bool> shown, enabled;
    std::map<WizButton, std::pair<int, int>> place;
    std::map<int, bool> boxShown, checkShown, checked;
    std::map<int, std::pair<int, int>> boxPlace, checkPlace;
    bool barShown = false;
    double bar = -1;
    std::set<uint32_t> timers;
    int popupMenu = 0, popupX = 0, popupY = 0;
    std::vector<dialogs::MenuItemState> popupItems;
    std::unique_ptr<pages::CarChannelLogic> car;
    bool carShown = false;
    int carsMade = 0;
    std::vector<Post> toParent;
    std::deque<Post> toSelf;
    int repaints = 0;

    void SetSkin(uint32_t b, uint32_t o) override { skin = b, overlay = o; }
    std::string painted;  // the status line of the last repaint
    void Repaint() override {
        ++repaints;
        if (logic) painted = logic->StatusText();
    }
    void ShowButton(WizButton b, bool s) override { shown[b] = s; }
    void EnableButton(WizButton b, bool e) override { enabled[b] = e; }
    void MoveButton(WizButton b, int x, int y) override { place[b] = {x, y}; }
    void ShowBox(int i, bool s) override { boxShown[i] = s; }
    void MoveBox(int i, int x, int y) override { boxPlace[i] = {x, y}; }
    void ShowCheck(int i, bool s) override { checkShown[i] = s; }
    void MoveCheck(int i, int x, int y) override { checkPlace[i] = {x, y}; }
    void SetCheck(int i, bool on) override { checked[i] = on; }
    void ShowBar(bool s) override { barShown = s; }
    void SetBar(double p) override { bar = p; }
    void StartTimer(uint32_t id, uint32_t ms) override {
        EXPECT_EQ(ms, 50u);
        timers.insert(id);
    }
    void StopTimer(uint32_t id) override { timers.erase(id); }
    void OpenPopup(int menu, int x, int y, const std::vector<dialogs::MenuItemState>& items) override {
        popupMenu = menu, popupX = x, popupY = y, popupItems = items;
    }
    pages::CarChannelLogic* CarView(int mode) override {
        if (!car) {
            car = std::make_unique<pages::CarChannelLogic>(mode);
            ++carsMade;
            car->SetWizardSink([this](const pages::Notification& n) {
                logic->OnAppMessage(n.id, static_cast<uintptr_t>(n.wParam), n.lParam);
            });
        }
        return car.get();
    }
    void ShowCarView(bool s) override { carShown = s; }
    void PostToParent(uint32_t m, uintptr_t w, intptr_t l) override { toParent.push_back({m, w, l}); }
    void PostToSelf(uint32_t m, uintptr_t w, intptr_t l) override { toSelf.push_back({m, w, l}); }
};

struct Wizard {
    View view;
    WizardLogic logic{view, false};
    Wizard() {
        view.logic = &logic;
        logic.Start();
    }
    void Pump() {
        while (!view.toSelf.empty()) {
            const Post p = view.toSelf.front();
            view.toSelf.pop_front();
            logic.OnAppMessage(p.message, p.wParam, p.lParam);
        }
    }
    void ClearFlags() {
        for (auto& f : logic.stepLeft) f = 0;
        for (auto& f : logic.stepClosed) f = 0;
    }
    std::vector<int> Left() const {
        std::vector<int> out;
        for (int i = 0; i < dialogs::kWizardSteps; ++i)
            if (logic.stepLeft[i]) out.push_back(i);
        return out;
    }
    void Choose(int box, int menuId) {
        logic.OnBoxClicked(box);
        logic.OnCommand(menuId);
    }
    void ClickSpeaker(int p, int k) {
        const pages::PanelRect r = view.car->HitRect(p, k);
        view.car->OnLButtonDown(r.left, r.top, false);
    }
    bool Next() { return view.enabled[WizButton::Next]; }
};

}  // namespace wizardtest
