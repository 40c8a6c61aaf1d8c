// The external-source page as a window, under Wine over a recording parent: its children at their
// places, the switches, sliders and equaliser panel reaching the page's logic, the parent held
// while a pick switches the unit's input, and screenshots of Master mode and Phone.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pages/ext_source.h"
#include "res/resource.h"
#include "tests/ui/harness.h"
#include "ui/messages.h"

namespace {

using uitest::Pump;

class ExtSourceWin : public ::testing::Test {
protected:
    uitest::RecordingParent parent{1028, 774};
    os::FakeSleeper sleeper;
    RECT In(HWND child, HWND page) {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    void ExpectAt(HWND child, HWND page, int left, int top, int width, int height, const char* what) {
        const RECT r = In(child, page);
        EXPECT_EQ(r.left, left) << what;
        EXPECT_EQ(r.top, top) << what;
        EXPECT_EQ(r.right - r.left, width) << what;
        EXPECT_EQ(r.bottom - r.top, height) << what;
    }
    static void Enable(pages::ExtSourceEq& page, std::initializer_list<int> sources) {
        uint32_t flags[5] = {};
        for (int s : sources) flags[s] = 1;
        page.ApplyToControls(flags, 5, -1, -2);
    }
};

TEST_F(ExtSourceWin, ChildrenAtTheirPlaces) {
    pages::ExtSourceEq page(parent.hwnd(), 0, 65, true, sleeper);
    HWND p = page.GetHwnd();
    RECT r;
    GetWindowRect(p, &r);
    EXPECT_EQ(r.right - r.left, 1024);
    EXPECT_EQ(r.bottom - r.top, 704);
    ExpectAt(page.Chart()->GetHwnd(), p, 118, 321, 771, 147, "chart");
    ExpectAt(page.Panel()->GetHwnd(), p, 116, 487, 773, 217, "equaliser panel");
    ExpectAt(page.MasterSlider().GetWindow(), p, 964, 513, 17, 158, "master slider");
    ExpectAt(page.SensitivitySlider().GetWindow(), p, 934, 513, 17, 158, "sensitivity slider");
    ExpectAt(page.Scale()->GetHwnd(), p, 903, 519, 30, 158, "scale");
    EXPECT_FALSE(IsWindowEnabled(page.Scale()->GetHwnd()));
    ExpectAt(page.TypeIndicator(1)->GetHwnd(), p, 130, 164, 110, 30, "low-level mark");
    // At the start: Master mode, no source shown, the Master switch in the first slot.
    ExpectAt(page.MasterSwitch()->GetHwnd(), p, 22, 352, 90, 29, "Master");
    EXPECT_EQ(page.MasterSwitch()->GetCheck(), 1);
    EXPECT_TRUE(IsWindowVisible(page.TypeIndicator(1)->GetHwnd()));
    EXPECT_FALSE(IsWindowVisible(page.TypeIndicator(0)->GetHwnd()));
    for (int s = 0; s < 5; ++s) EXPECT_FALSE(IsWindowVisible(page.SourceSwitch(s)->GetHwnd())) << s;
    EXPECT_EQ(page.MasterSlider().GetValue(), -45.0f);
    EXPECT_EQ(page.SensitivitySlider().GetValue(), 11.15014f);

    // Aux2 and Phone exist: their switches stack, Master follows, the indicators at their places.
    Enable(page, {1, 4});
    ExpectAt(page.SourceSwitch(1)->GetHwnd(), p, 22, 352, 90, 29, "Aux2");
    ExpectAt(page.SourceSwitch(4)->GetHwnd(), p, 22, 383, 90, 29, "Phone");
    ExpectAt(page.MasterSwitch()->GetHwnd(), p, 22, 414, 90, 29, "Master after them");
    ExpectAt(page.SourceIndicator(4)->GetHwnd(), p, 839, 166, 40, 34, "Phone input");
    ExpectAt(page.SourceIndicator(1)->GetHwnd(), p, 365, 166, 40, 34, "Aux2 input");
    EXPECT_TRUE(IsWindowVisible(page.SourceSwitch(4)->GetHwnd()));
    EXPECT_FALSE(IsWindowVisible(page.SourceSwitch(0)->GetHwnd()));
    EXPECT_FALSE(IsWindowVisible(page.SourceIndicator(2)->GetHwnd()));
}

TEST_F(ExtSourceWin, ClicksSlidersAndThePanelReachTheLogic) {
    pages::ExtSourceEq page(parent.hwnd(), 0, 65, true, sleeper);
    ShowWindow(page.GetHwnd(), SW_SHOW);
    Enable(page, {0, 4});
    parent.Clear();
    // A click on Phone's switch lights it, holds the parent for the switch and posts the source.
    uitest::Click(page.SourceSwitch(4)->GetHwnd(), 5, 5);
    Pump();
    EXPECT_EQ(page.GetSelectedSource(), 4);
    EXPECT_EQ(page.SourceSwitch(4)->GetCheck(), 1);
    EXPECT_EQ(page.SourceIndicator(4)->GetCheck(), 1);
    EXPECT_EQ(page.MasterSwitch()->GetCheck(), 0);
    EXPECT_EQ(sleeper.Pauses(), std::vector<uint32_t>{1500});
    EXPECT_TRUE(IsWindowEnabled(parent.hwnd()));
    auto shown = parent.Of(ui::MsgShowSource);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(static_cast<int>(shown.back().wParam), 4);
    EXPECT_EQ(page.SensitivitySlider().GetMin(), -9.0f);
    EXPECT_EQ(page.Scale()->GetCheck(), 1);
    EXPECT_TRUE(page.Logic().SelectDirty());

    // The master slider: every record and the main window (sent, wParam 0).
    float told = 0.0f;
    parent.onPrivate = [&](UINT message, WPARAM, LPARAM l) {
        if (message == ui::MsgMasterLevel) told = *reinterpret_cast<const float*>(l);
    };
    page.MasterSlider().SetValue(-20.0f);
    float change = 25.0f;
    SendMessageA(page.GetHwnd(), ui::MsgSliderMoved, 0, reinterpret_cast<LPARAM>(&change));
    EXPECT_EQ(told, -20.0f);
    ASSERT_FALSE(parent.Of(ui::MsgMasterLevel).empty());
    EXPECT_EQ(parent.Of(ui::MsgMasterLevel).back().wParam, 0u);
    for (int s = 0; s < 5; ++s) EXPECT_EQ(page.Logic().Record(s).master, -20.0f) << s;
    // The sensitivity slider: Phone's record only.
    page.SensitivitySlider().SetValue(-9.0f);
    SendMessageA(page.GetHwnd(), ui::MsgSliderMoved, 1, reinterpret_cast<LPARAM>(&change));
    EXPECT_EQ(page.Logic().Record(4).sensitivity, -9.0f);
    EXPECT_EQ(page.Logic().Record(0).sensitivity, 11.15014f);
    EXPECT_EQ(page.Logic().SensitivityText(), "10.2");
    parent.onPrivate = nullptr;

    // The panel's band moved: its gains land in Phone's record.
    float gains[31] = {};
    gains[5] = 6.0f;
    page.Panel()->SetGains(gains, 31, 0, 0);
    SendMessageA(page.GetHwnd(), ui::MsgEqBandChanged, 5, 0);
    EXPECT_EQ(page.Logic().Record(4).gains[5], 6.0f);
    EXPECT_TRUE(page.Logic().EqDirty());
    SendMessageA(page.GetHwnd(), ui::MsgEqOffChanged, 1, 0);
    EXPECT_EQ(page.Logic().Record(4).eqOff, 1u);

    // The Master switch: Master mode, the panel and sensitivity disabled.
    uitest::Click(page.MasterSwitch()->GetHwnd(), 5, 5);
    Pump();
    EXPECT_EQ(page.GetSelectedSource(), -1);
    EXPECT_EQ(page.MasterSwitch()->GetCheck(), 1);
    EXPECT_EQ(page.SourceSwitch(4)->GetCheck(), 0);
    EXPECT_FALSE(page.Logic().PanelEnabled());
    EXPECT_FALSE(page.Panel()->Logic().Enabled());
    // A second click on Master keeps it checked.
    uitest::Click(page.MasterSwitch()->GetHwnd(), 5, 5);
    Pump();
    EXPECT_EQ(page.MasterSwitch()->GetCheck(), 1);
}

TEST_F(ExtSourceWin, Screenshots) {
    pages::ExtSourceEq page(parent.hwnd(), 0, 65, false, sleeper);
    ShowWindow(page.GetHwnd(), SW_SHOW);
    Enable(page, {0, 1, 2, 3, 4});
    Pump();
    auto save = [&](const char* name) {
        RedrawWindow(parent.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        Pump();
        HDC whole = GetDC(parent.hwnd());
        EXPECT_TRUE(uitest::SaveBmp(whole, RECT{0, 0, 1028, 774}, uitest::ScreenshotFolder() + "\\" + name));
        ReleaseDC(parent.hwnd(), whole);
    };
    save("ext_source_master.bmp");
    page.Logic().OnSourcePicked(4);
    float gains[31] = {};
    for (int k = 0; k < 31; ++k) gains[k] = k % 7 - 3.0f;
    page.Panel()->SetGains(gains, 31, 0, 0);
    SendMessageA(page.GetHwnd(), ui::MsgEqBandChanged, static_cast<WPARAM>(-2), 0);
    save("ext_source_phone.bmp");
    EXPECT_TRUE(sleeper.Pauses().empty());  // offline: no hold
}

}  // namespace
