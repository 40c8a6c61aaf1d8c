// The dynamic-equalisation dialog's window under Wine, driven by the messages its controls send
// (0x8020 switches and buttons, 0x8040 sliders, 0x8070 and 0x8072 band edits): its controls as the
// logic sets them, its height per mode, its status line as window text, the message it posts on
// closing. Pictures of each mode go to the screenshot folder for a person to look at.
#include <gtest/gtest.h>

#include <string>

#include "dialogs/eq_dynamic_dlg.h"
#include "res/resource.h"
#include "tests/ui/harness.h"
#include "ui/messages.h"
#include "ui/text.h"

using dialogs::DynEqControl;
using dialogs::EqDynamicDlg;

namespace {

using uitest::Shot;
using uitest::Text;

int Height(HWND w) { return uitest::SizeOf(w).cy; }

class EqDynamicDlgTest : public uitest::DialogTest {
protected:
    void Click(EqDynamicDlg& dlg, DynEqControl c) {
        SendMessageA(dlg.GetHwnd(), ui::MsgButtonClicked, 0, reinterpret_cast<LPARAM>(dlg.ControlWindow(c)));
        uitest::Pump();
    }
    void Slider(EqDynamicDlg& dlg, int index, float value) {
        ui::Slider& s = index == 0 ? dlg.VolumeSlider() : dlg.EqSlider();
        float change = value - s.GetValue();
        s.SetValue(value);
        SendMessageA(dlg.GetHwnd(), ui::MsgSliderMoved, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&change));
        uitest::Pump();
    }
};

}  // namespace

TEST_F(EqDynamicDlgTest, ModesSetTheControlsAndTheHeight) {
    EqDynamicDlg dlg(parent.hwnd(), 300, 100);
    const HWND w = dlg.GetHwnd();
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(IsWindowVisible(w));
    RECT client;
    GetClientRect(w, &client);
    EXPECT_EQ(client.right, 1019);
    dlg.ResetCurves();
    dlg.Show();
    uitest::Pump();
    EXPECT_EQ(Height(w), 261);
    EXPECT_EQ(Text(w), "Select mode (Easy or Advanced)");
    EXPECT_FALSE(IsWindowEnabled(dlg.ControlWindow(DynEqControl::Low)));
    EXPECT_FALSE(IsWindowEnabled(dlg.ControlWindow(DynEqControl::Start)));
    EXPECT_FALSE(IsWindowVisible(dlg.ControlWindow(DynEqControl::Save)));
    Shot(w, "dyneq_off");

    Click(dlg, DynEqControl::Easy);
    EXPECT_EQ(dlg.Logic().Mode(), dialogs::kDynEqEasy);
    EXPECT_EQ(Height(w), 261);
    EXPECT_TRUE(IsWindowEnabled(dlg.ControlWindow(DynEqControl::Low)));
    EXPECT_TRUE(IsWindowEnabled(dlg.ControlWindow(DynEqControl::VolumeSlider)));
    EXPECT_FALSE(IsWindowEnabled(dlg.ControlWindow(DynEqControl::EqSlider)));
    EXPECT_EQ(dlg.VolumeSlider().GetValue(), -30.0f);
    EXPECT_EQ(dlg.EqSlider().GetValue(), 6.0f);
    EXPECT_EQ(Text(w), "Use Volume slider to set reference level for the Low-level curve");
    // The ready text comes with the timer (2 s): the test calls it.
    SendMessageA(w, WM_TIMER, dialogs::kDynEqReadyTimer, 0);
    EXPECT_EQ(Text(w), "When volume level is set, press START button.");
    EXPECT_TRUE(IsWindowEnabled(dlg.ControlWindow(DynEqControl::Start)));

    Slider(dlg, 0, -45.5f);
    EXPECT_EQ(dlg.Logic().Record(0).reference, -45.5f);
    EXPECT_EQ(dlg.Logic().ValueText(0), "-45.");
    Click(dlg, DynEqControl::Start);
    EXPECT_FALSE(IsWindowVisible(dlg.ControlWindow(DynEqControl::Start)));
    EXPECT_TRUE(IsWindowVisible(dlg.ControlWindow(DynEqControl::Save)));
    EXPECT_FALSE(IsWindowEnabled(dlg.ControlWindow(DynEqControl::Save)));
    EXPECT_TRUE(IsWindowEnabled(dlg.ControlWindow(DynEqControl::EqSlider)));
    EXPECT_FALSE(IsWindowEnabled(dlg.ControlWindow(DynEqControl::Easy)));
    Slider(dlg, 1, 3.0f);
    // Each later step draws the chart once: the colours set again after the new curve are the same.
    const long paints = dlg.Chart()->Logic().Paints();
    Slider(dlg, 1, 2.5f);
    Slider(dlg, 1, 3.0f);
    EXPECT_EQ(dlg.Chart()->Logic().Paints(), paints + 2);
    EXPECT_EQ(Text(w), "When done, press SAVE to save the equalization settings.");
    EXPECT_EQ(dlg.Logic().Record(0).eqLevel, 3.0f);
    ASSERT_NE(dlg.Chart(), nullptr);
    EXPECT_TRUE(dlg.Chart()->Curves().HasCurve(0));
    EXPECT_TRUE(dlg.Chart()->Curves().IsCurveShown(2));
    Shot(w, "dyneq_easy_calibrating");
    // The close button does nothing during a calibration.
    SendMessageA(w, ui::MsgButtonClicked, 0, 0);
    SendMessageA(w, WM_TIMER, dialogs::kDynEqSaveTimer, 0);
    Click(dlg, DynEqControl::Save);
    EXPECT_TRUE(dlg.Logic().Calibrated(0));
    EXPECT_EQ(dlg.Logic().Curve(), 1);
    EXPECT_EQ(Text(w), "Use Volume slider to set reference level for the High-level curve");

    Click(dlg, DynEqControl::Advanced);
    EXPECT_EQ(Height(w), 481);
    EXPECT_EQ(dlg.Logic().Mode(), dialogs::kDynEqAdvanced);
    // The graphic equaliser shows the High-volume curve's gains, disabled until START.
    ASSERT_NE(dlg.GraphicEq(), nullptr);
    float shown[31] = {};
    uint32_t link = 0, off = 0;
    ASSERT_EQ(dlg.GraphicEq()->GetGains(shown, 31, &link, &off), 31);
    EXPECT_EQ(shown[0], -6.0f);
    EXPECT_FLOAT_EQ(shown[9], -3.0f);
    EXPECT_FALSE(dlg.GraphicEq()->Logic().Enabled());
    SendMessageA(w, WM_TIMER, dialogs::kDynEqReadyTimer, 0);
    Click(dlg, DynEqControl::Start);
    EXPECT_EQ(Text(w), "Create your personal equalization for the High-level curve. Use Graphic Equalizer below.");
    EXPECT_TRUE(dlg.GraphicEq()->Logic().Enabled());
    SendMessageA(w, ui::MsgEqBandSwitch, 5, 1);
    EXPECT_EQ(dlg.Logic().Record(1).enables[5], 1);
    // A band edit reads the panel's values: band 20 moved to -4.5 dB.
    shown[20] = -4.5f;
    dlg.GraphicEq()->SetGains(shown, 31, 0, 0);
    SendMessageA(w, ui::MsgEqBandChanged, 20, 0);
    EXPECT_EQ(Text(w), "When done, press SAVE to save the equalization settings.");
    EXPECT_EQ(dlg.Logic().Record(1).gains[20], -4.5f);
    EXPECT_EQ(dlg.Logic().Record(1).gains[0], -6.0f);
    Shot(w, "dyneq_advanced");

    Click(dlg, DynEqControl::Off);  // disabled during the calibration: nothing
    EXPECT_EQ(dlg.Logic().Mode(), dialogs::kDynEqAdvanced);
    dlg.Hide();
}

TEST_F(EqDynamicDlgTest, CloseButtonPostsOnlyWhenNothingIsSwitchedOff) {
    EqDynamicDlg dlg(parent.hwnd(), 300, 100);
    const HWND w = dlg.GetHwnd();
    ASSERT_NE(w, nullptr);
    dlg.ResetCurves();
    dlg.TurnOn();
    SendMessageA(w, ui::MsgButtonClicked, 0, reinterpret_cast<LPARAM>(dlg.ControlWindow(DynEqControl::Start)));
    uitest::Pump();
    parent.Clear();
    // Off: the close button posts 0x8030 (0, 0) at once. The close button is the first child.
    HWND close = GetWindow(w, GW_CHILD);
    while (close && close != nullptr) {
        RECT r;
        GetWindowRect(close, &r);
        POINT p{r.left, r.top};
        ScreenToClient(w, &p);
        if (p.x == 993 && p.y == 4) break;
        close = GetWindow(close, GW_HWNDNEXT);
    }
    ASSERT_NE(close, nullptr);
    SendMessageA(w, ui::MsgButtonClicked, 0, reinterpret_cast<LPARAM>(close));
    uitest::Pump();
    const auto posted = parent.Of(ui::MsgDynamicEqDialog);
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].wParam, 0u);
}
