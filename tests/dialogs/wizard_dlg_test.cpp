// The I/O wizard and its car view as windows under Wine: every step's buttons, WM_CLOSE, the car
// view's clicks, toggles, arrows and amplifier boxes reaching their owner, a shared channel
// number drawn red, a real input menu opened and dismissed, a menu choice stored, and a picture
// of every step:
//   bash scripts/wine-ctest.sh build/win64 -R WizardWindow
// writes build/win64/tests/dialogs/screenshots/wizard_*.bmp (or $DARVIX_SCREENSHOTS).
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "dialogs/wizard_dlg.h"
#include "dialogs/wizard_serve.h"
#include "pages/car_channel.h"
#include "res/resource.h"
#include "tests/ui/harness.h"
#include "ui/messages.h"
#include "ui/text.h"

using dialogs::WizButton;

namespace {

using uitest::Enabled;
using uitest::PlaceIn;
using uitest::SizeOf;
using uitest::Visible;

void Shot(HWND w, const std::string& name) {
    ShowWindow(w, SW_SHOWNOACTIVATE);
    SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    uitest::Pump();
    const SIZE s = SizeOf(w);
    HDC dc = GetDC(w);
    const std::string path = uitest::ScreenshotFolder() + "\\wizard_" + name + ".bmp";
    EXPECT_TRUE(uitest::SaveBmp(dc, RECT{0, 0, s.cx, s.cy}, path)) << path;
    ReleaseDC(w, dc);
}

class WizardWindow : public uitest::DialogTest {
protected:
    void Press(HWND owner, HWND button) {
        ASSERT_TRUE(button);
        PostMessageA(owner, ui::MsgButtonClicked, 0, reinterpret_cast<LPARAM>(button));
        uitest::Pump();
    }
    void Press(dialogs::WizardDlg& d, WizButton b) { Press(d.GetHwnd(), d.ButtonWindow(b)); }
    // Clicks an input box: its menu opens (modal) and is closed unchosen by Escape from another
    // thread. True when the menu showed.
    bool OpenMenuAndDismiss(dialogs::WizardDlg& d, int box) {
        std::atomic<bool> seen{false};
        std::thread dismiss([&seen] {
            for (int i = 0; i < 200 && !seen; ++i) {
                if (HWND menu = FindWindowA("#32768", nullptr); menu && IsWindowVisible(menu)) {
                    seen = true;
                    PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
                }
                Sleep(25);
            }
        });
        Press(d.GetHwnd(), d.BoxWindow(box));
        dismiss.join();
        return seen;
    }
};

// The default speakers of a walk: fronts woofer + tweeter, the center pair, a subwoofer.
const std::vector<std::pair<int, int>> kWalkSpeakers = {{0, 1}, {0, 3}, {1, 1}, {1, 3}, {4, 5}};

void ClickIcon(pages::CarChannel& car, int p, int k) {
    const pages::PanelRect r = car.Logic().HitRect(p, k);
    uitest::Click(car.GetHwnd(), r.left + 2, r.top + 2);
    uitest::Pump();
}

TEST_F(WizardWindow, EveryStepShowsItsButtonsInPlace) {
    dialogs::WizardDlg d(parent.hwnd(), 300, 100, false);
    ASSERT_TRUE(d.GetHwnd());
    char name[32] = {};
    GetWindowTextA(d.GetHwnd(), name, sizeof name);
    EXPECT_STREQ(name, "wizard");
    EXPECT_EQ(FindWindowA("MYFRAMEWND", "wizard"), d.GetHwnd());
    d.Start();
    ShowWindow(d.GetHwnd(), SW_SHOWNOACTIVATE);
    // Alt+F4 and the like do not end it.
    SendMessageA(d.GetHwnd(), WM_CLOSE, 0, 0);
    uitest::Pump();
    EXPECT_TRUE(IsWindow(d.GetHwnd()));
    EXPECT_TRUE(Visible(d.GetHwnd()));

    struct Expect {
        int step;
        int width, height;
        POINT back, next, cancel;
        bool backEnabled;
    };
    const Expect ordinary{0, 300, 380, {31, 330}, {110, 330}, {189, 330}, true};
    const Expect car{0, 442, 510, {106, 460}, {185, 460}, {264, 460}, true};
    const int walk[] = {0, 1, 3, 4, 5, 10, 11, 12, 13, 14};  // low-level inputs
    for (int step : walk) {
        SCOPED_TRACE(step);
        ASSERT_EQ(d.Logic().Step(), step);
        if (step == 5) {
            EXPECT_FALSE(Enabled(d.ButtonWindow(WizButton::Next)));
            EXPECT_FALSE(Enabled(d.ButtonWindow(WizButton::Back)));
            EXPECT_TRUE(Visible(d.BarWindow()));
            Shot(d.GetHwnd(), "05_running");
            SendMessageA(d.GetHwnd(), WM_TIMER, dialogs::WizardLogic::kInputTimer, 0);
            uitest::Pump();  // offline: the first tick ends the setup
        }
        const Expect& e = step >= 10 && step <= 13 ? car : ordinary;
        const SIZE size = SizeOf(d.GetHwnd());
        if (step != 14) {
            EXPECT_EQ(size.cx, e.width);
            EXPECT_EQ(size.cy, e.height);
            for (auto [b, at] : {std::pair{WizButton::Back, e.back}, std::pair{WizButton::Next, e.next},
                                 std::pair{WizButton::Cancel, e.cancel}}) {
                EXPECT_TRUE(Visible(d.ButtonWindow(b)));
                const POINT p = PlaceIn(d.ButtonWindow(b), d.GetHwnd());
                EXPECT_EQ(p.x, at.x);
                EXPECT_EQ(p.y, at.y);
            }
            EXPECT_EQ(Enabled(d.ButtonWindow(WizButton::Back)), step != 0);
            EXPECT_FALSE(Visible(d.ButtonWindow(WizButton::Finish)));
            EXPECT_EQ(Visible(d.Car() ? d.Car()->GetHwnd() : nullptr), step >= 10);
        } else {
            EXPECT_FALSE(Visible(d.ButtonWindow(WizButton::Next)));
            EXPECT_FALSE(Visible(d.ButtonWindow(WizButton::Back)));
            EXPECT_FALSE(Visible(d.ButtonWindow(WizButton::Cancel)));
            EXPECT_TRUE(Visible(d.ButtonWindow(WizButton::Finish)));
            EXPECT_TRUE(Enabled(d.ButtonWindow(WizButton::Finish)));
            const POINT p = PlaceIn(d.ButtonWindow(WizButton::Finish), d.GetHwnd());
            EXPECT_EQ(p.x, 110);
            EXPECT_EQ(p.y, 330);
            EXPECT_FALSE(d.Car() && Visible(d.Car()->GetHwnd()));
        }
        if (step == 1) {
            for (int c = 0; c < 7; ++c) EXPECT_TRUE(Visible(d.CheckWindow(c))) << c;
            EXPECT_FALSE(Visible(d.CheckWindow(7)));
        }
        if (step == 3) {
            for (int b = 0; b < 9; ++b) EXPECT_EQ(Visible(d.BoxWindow(b)), b < 6) << b;
        }
        if (step == 10) {
            EXPECT_FALSE(Enabled(d.ButtonWindow(WizButton::Next)));
            for (auto [p, k] : kWalkSpeakers) ClickIcon(*d.Car(), p, k);
        }
        char shot[32];
        snprintf(shot, sizeof shot, "%02d", step);
        Shot(d.GetHwnd(), shot);
        if (step == 14) break;
        EXPECT_TRUE(Enabled(d.ButtonWindow(WizButton::Next)));
        Press(d, WizButton::Next);
    }
    Press(d, WizButton::Finish);
    const auto done = parent.Of(ui::MsgWizard);
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0].wParam, 0u);
    EXPECT_EQ(done[0].lParam, 1);
    const dialogs::WizardIoRecord record = d.GetIoRecord();
    EXPECT_EQ(record.labelCount, 7);
    EXPECT_EQ(dialogs::LabelAssignments(record).size(), 7u);
}

TEST_F(WizardWindow, HighLevelStepsSkipAndCancel) {
    dialogs::WizardDlg d(parent.hwnd(), 300, 100, false);
    d.Start();
    Press(d, WizButton::Next);
    Press(d.GetHwnd(), d.CheckWindow(dialogs::kCheckHighLevel));  // as its click notifies
    EXPECT_EQ(d.Logic().Record().inputType, 1);
    Shot(d.GetHwnd(), "01");
    Press(d, WizButton::Next);
    ASSERT_EQ(d.Logic().Step(), 2);
    for (int b = 0; b < 9; ++b) EXPECT_EQ(Visible(d.BoxWindow(b)), b < 8) << b;
    EXPECT_EQ(PlaceIn(d.BoxWindow(0), d.GetHwnd()).x, 250);
    // A box click opens the real menu (modal); another thread dismisses it with Escape as a user
    // would; then a choice arrives by WM_COMMAND.
    EXPECT_TRUE(OpenMenuAndDismiss(d, 1));
    EXPECT_TRUE(d.Logic().MenuOpen());
    SendMessageA(d.GetHwnd(), WM_COMMAND, 40102, 0);  // Rear Left Full
    EXPECT_EQ(d.Logic().Record().highLevelInput[1], 8);
    EXPECT_FALSE(Enabled(d.ButtonWindow(WizButton::Next)));
    Shot(d.GetHwnd(), "02");
    EXPECT_TRUE(OpenMenuAndDismiss(d, 1));
    SendMessageA(d.GetHwnd(), WM_COMMAND, 40101, 0);  // Front Right Woofer
    EXPECT_TRUE(Enabled(d.ButtonWindow(WizButton::Next)));
    Press(d, WizButton::Next);
    Press(d, WizButton::Next);
    ASSERT_EQ(d.Logic().Step(), 5);
    SendMessageA(d.GetHwnd(), ui::MsgInputDetectDone, 1, 0x43);
    EXPECT_FALSE(Enabled(d.ButtonWindow(WizButton::Next)));
    Shot(d.GetHwnd(), "05_too_low");
    SendMessageA(d.GetHwnd(), WM_TIMER, dialogs::WizardLogic::kInputTimer, 0);  // ended: no post
    uitest::Pump();
    EXPECT_FALSE(Enabled(d.ButtonWindow(WizButton::Next)));
    Press(d, WizButton::Back);
    Press(d, WizButton::Next);
    SendMessageA(d.GetHwnd(), ui::MsgInputDetectDone, 0, 0);
    Shot(d.GetHwnd(), "05_timeout");
    d.Logic().GoToStep(5);
    SendMessageA(d.GetHwnd(), ui::MsgInputDetectDone, 1, 0);
    Shot(d.GetHwnd(), "05_done");
    Press(d, WizButton::Next);
    ASSERT_EQ(d.Logic().Step(), 6);
    EXPECT_TRUE(Visible(d.ButtonWindow(WizButton::Skip)));
    EXPECT_FALSE(Visible(d.ButtonWindow(WizButton::Cancel)));
    const POINT skip = PlaceIn(d.ButtonWindow(WizButton::Skip), d.GetHwnd());
    EXPECT_EQ(skip.x, 189);
    EXPECT_EQ(skip.y, 330);
    Shot(d.GetHwnd(), "06");
    Press(d, WizButton::Next);
    Shot(d.GetHwnd(), "07");
    Press(d, WizButton::Next);
    ASSERT_EQ(d.Logic().Step(), 8);
    Shot(d.GetHwnd(), "08_running");
    SendMessageA(d.GetHwnd(), WM_TIMER, dialogs::WizardLogic::kOutputTimer, 0);
    uitest::Pump();
    Shot(d.GetHwnd(), "08_done");
    EXPECT_TRUE(Enabled(d.ButtonWindow(WizButton::Next)));
    // Online, once the unit reports channels, the running steps name the last one done.
    d.SetConnected(1);
    d.Logic().GoToStep(5);
    d.Logic().inputChannel = 2;
    SendMessageA(d.GetHwnd(), WM_TIMER, dialogs::WizardLogic::kInputTimer, 0);
    EXPECT_EQ(d.Logic().StatusText(), "Channel 3 completed.");
    Shot(d.GetHwnd(), "05_channel");
    d.Logic().GoToStep(8);
    d.Logic().outputChannel = 1;
    SendMessageA(d.GetHwnd(), WM_TIMER, dialogs::WizardLogic::kOutputTimer, 0);
    EXPECT_EQ(d.Logic().StatusText(), "'Front Right' completed.");
    Shot(d.GetHwnd(), "08_channel");
    SendMessageA(d.GetHwnd(), ui::MsgOutputDetectDone, 1, 0);
    d.SetConnected(0);
    Press(d, WizButton::Back);
    Press(d, WizButton::Back);
    ASSERT_EQ(d.Logic().Step(), 6);
    Press(d, WizButton::Skip);
    EXPECT_EQ(d.Logic().Step(), 10);
    Press(d, WizButton::Cancel);
    const auto cancelled = parent.Of(ui::MsgWizard);
    ASSERT_EQ(cancelled.size(), 1u);
    EXPECT_EQ(cancelled[0].lParam, 0);
    EXPECT_EQ(d.Logic().stepClosed[10], 1);
}

// What the poll thread asks of the window: the main window's master level, bounded also when the
// main window pumps no messages (its destructor joins the poll thread), and the detections'
// results, which the running steps wait for online.
TEST_F(WizardWindow, ThePollThreadsQuestionsAndResults) {
    dialogs::WizardDlg d(parent.hwnd(), 300, 100, true);
    dialogs::WizardServeHost& host = d;
    parent.onPrivate = [](UINT message, WPARAM wParam, LPARAM) {
        if (message == ui::MsgQueryMasterLevel && wParam) *reinterpret_cast<float*>(wParam) = -12.5f;
    };
    // Answered: the poll thread gets the main window's value while this thread pumps.
    float level = dialogs::kWizardMasterLevelDb;
    std::atomic<bool> done{false};
    std::thread asker([&] {
        host.QueryMasterLevel(&level);
        done = true;
    });
    for (int i = 0; i < 400 && !done; ++i) {
        uitest::Pump();
        Sleep(5);
    }
    asker.join();
    EXPECT_EQ(level, -12.5f);

    // Unanswered: this thread waits for the asker without pumping, as the destructor joins the
    // poll thread; the question gives up after its bound and -45 dB stays.
    level = dialogs::kWizardMasterLevelDb;
    const DWORD start = GetTickCount();
    std::thread blocked([&] { host.QueryMasterLevel(&level); });
    blocked.join();
    const DWORD waited = GetTickCount() - start;
    EXPECT_EQ(level, dialogs::kWizardMasterLevelDb);
    EXPECT_LT(waited, dialogs::WizardDlg::kMasterLevelQueryMs + 2000);
    uitest::Pump();  // the late question is answered now, into a slot that still lives

    // Online, step 5 runs until the unit's result: its ticks end nothing.
    d.Start();
    d.Logic().GoToStep(5);
    for (int i = 0; i < 3; ++i) SendMessageA(d.GetHwnd(), WM_TIMER, dialogs::WizardLogic::kInputTimer, 0);
    uitest::Pump();
    EXPECT_EQ(d.Logic().DetectionState(), 0);
    EXPECT_FALSE(Enabled(d.ButtonWindow(WizButton::Next)));
    EXPECT_FALSE(Enabled(d.ButtonWindow(WizButton::Back)));
    Shot(d.GetHwnd(), "05_waiting");
    // The result posted from the poll thread.
    std::thread([&] { host.PostDetectionResult(ui::MsgInputDetectDone, 1, 0); }).join();
    uitest::Pump();
    EXPECT_EQ(d.Logic().StatusText(), "Press 'Next' to Continue.");
    EXPECT_TRUE(Enabled(d.ButtonWindow(WizButton::Next)));
    d.Logic().GoToStep(8);
    std::thread([&] { host.PostDetectionResult(ui::MsgOutputDetectDone, 0, 0); }).join();
    uitest::Pump();
    EXPECT_EQ(d.Logic().StatusText(), "TimeOut: Repeat the Procedure.");
}

// The car view alone in wizard mode, its owner recording what it sends.
class CarWizardWindow : public WizardWindow {
protected:
    void SetUp() override {
        car = std::make_unique<pages::CarChannel>(parent.hwnd(), 1, 30, 10);
        ASSERT_TRUE(car->GetHwnd());
        table = dialogs::DefaultIoRecord();
    }
    void Present(const std::vector<std::pair<int, int>>& speakers) {
        for (auto& e : table.outputTable)
            for (auto [p, k] : speakers)
                if (e.position == p && e.kind == k) e.present = 1;
    }
    std::unique_ptr<pages::CarChannel> car;
    dialogs::WizardIoRecord table;
};

TEST_F(CarWizardWindow, IconClicksTogglesArrowsAndBoxesReachTheOwner) {
    EXPECT_EQ(SizeOf(car->GetHwnd()).cx, 442);
    EXPECT_EQ(SizeOf(car->GetHwnd()).cy, 411);
    car->Logic().SetWizardStep(10, table.outputTable);
    parent.Clear();
    ClickIcon(*car, 0, 3);
    auto picked = parent.Of(ui::MsgSpeakerPicked);
    ASSERT_EQ(picked.size(), 2u);
    EXPECT_EQ(picked[0].wParam, 3u);
    EXPECT_EQ(picked[0].lParam, 0);
    EXPECT_EQ(picked[1].wParam, 1u);
    EXPECT_EQ(picked[1].lParam, -1);

    Present({{0, 1}, {0, 3}, {2, 1}, {2, 3}});
    car->Logic().SetWizardStep(11, table.outputTable);
    ui::ChkWnd* left = car->Toggle(0);
    ASSERT_TRUE(left);
    EXPECT_TRUE(Visible(left->GetHwnd()));
    EXPECT_EQ(PlaceIn(left->GetHwnd(), car->GetHwnd()).x, 49);
    EXPECT_EQ(PlaceIn(left->GetHwnd(), car->GetHwnd()).y, 170);
    std::vector<pages::PassiveGroupNotice> notices;
    parent.onPrivate = [&notices](UINT m, WPARAM w, LPARAM l) {
        if (m == ui::MsgCarViewEdit && l == 0)
            notices.push_back(*reinterpret_cast<const pages::PassiveGroupNotice*>(w));
    };
    parent.Clear();
    uitest::Click(left->GetHwnd(), 5, 5);
    uitest::Pump();
    parent.onPrivate = nullptr;
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[1].position[0], 2);
    EXPECT_EQ(notices[1].kind[1], 3);
    const auto edits = parent.Of(ui::MsgCarViewEdit);
    ASSERT_EQ(edits.size(), 3u);
    EXPECT_EQ(edits[2].wParam, 2u);
    EXPECT_EQ(edits[2].lParam, -2);
    EXPECT_EQ(car->Toggle(3)->GetCheck(), ui::ChkWnd::kOn);  // the mirror, without a message
    Shot(car->GetHwnd(), "car_11");

    // Channels: up on Front Left Woofer clashes with the tweeters; their numbers turn red.
    for (auto& e : table.outputTable) e.passive = 0;
    car->Logic().SetWizardStep(12, table.outputTable);
    int fl = -1;
    for (int i = 0; i < car->Logic().GetLabelCount(); ++i)
        if (car->Logic().GetLabels()[i].position == 0 && car->Logic().GetLabels()[i].kind == 1) fl = i;
    ASSERT_GE(fl, 0);
    ASSERT_TRUE(car->UpButton(fl));
    EXPECT_TRUE(Visible(car->UpButton(fl)->GetHwnd()));
    parent.Clear();
    Press(car->GetHwnd(), car->UpButton(fl)->GetHwnd());
    const auto next = parent.Of(ui::MsgCarViewNextState);
    ASSERT_EQ(next.size(), 1u);
    EXPECT_EQ(next[0].wParam, 1u);
    EXPECT_TRUE(car->Logic().ConflictShown());
    int red = 0;
    for (const auto& item : car->Logic().LastLayout()) {
        if (item.bitmap != 0 || item.textColor != pages::CarChannelLogic::kRedText) continue;
        for (int y = item.rect.top; y < item.rect.bottom; ++y)
            for (int x = item.rect.left; x < item.rect.right; ++x) {
                const COLORREF c = uitest::Pixel(car->BackBuffer(), x, y);
                if (GetRValue(c) > 200 && GetGValue(c) < 80 && GetBValue(c) < 80) ++red;
            }
    }
    EXPECT_GT(red, 10);
    Shot(car->GetHwnd(), "car_12_conflict");

    // Amplifiers: a box checks its partner's too.
    car->Logic().SetWizardStep(13, table.outputTable);
    ASSERT_TRUE(car->AmplifierBox(fl));
    EXPECT_TRUE(Visible(car->AmplifierBox(fl)->GetHwnd()));
    EXPECT_FALSE(Visible(car->UpButton(fl)->GetHwnd()));
    uitest::Click(car->AmplifierBox(fl)->GetHwnd(), 3, 3);
    uitest::Pump();
    int partner = -1;
    for (int i = 0; i < car->Logic().GetLabelCount(); ++i)
        if (car->Logic().GetLabels()[i].position == 2 && car->Logic().GetLabels()[i].kind == 1) partner = i;
    ASSERT_GE(partner, 0);
    EXPECT_EQ(car->Logic().GetLabels()[fl].amplifier, 1);
    EXPECT_EQ(car->AmplifierBox(partner)->GetCheck(), ui::ChkWnd::kOn);
    Shot(car->GetHwnd(), "car_13");
}

TEST_F(CarWizardWindow, TooManyOutputsShowTheWarning) {
    for (auto& e : table.outputTable) e.present = e.position >= 0 ? 1 : 0;
    car->Logic().SetWizardStep(11, table.outputTable);
    car->Logic().ShowTooManyChannelsWarning(car->Logic().CountOutputChannels() > 8);
    EXPECT_TRUE(car->Logic().TooManyChannelsShown());
    Shot(car->GetHwnd(), "car_11_too_many");
}

}  // namespace
