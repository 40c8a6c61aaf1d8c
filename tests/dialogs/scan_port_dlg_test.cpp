// The scan dialog's window under Wine, driven by 0x8032 and button clicks: each button's place,
// visibility and state, the bar, the window text and the posts to its parent. Also pictures of it
// scanning, found and not found (in the screenshot folder, as the toolkit's).
#include <gtest/gtest.h>

#include <string>

#include "dialogs/scan_port_dlg.h"
#include "link/usb_link.h"
#include "os/time.h"
#include "sim/bus.h"
#include "sim/d2xx.h"
#include "res/resource.h"
#include "tests/ui/harness.h"
#include "ui/messages.h"
#include "ui/text.h"

using dialogs::ScanButton;
using dialogs::ScanPortDlg;

namespace {

using uitest::Shot;
using uitest::Text;

// Where a child sits in the dialog's client area.
POINT At(HWND dialog, HWND child) { return uitest::PlaceIn(child, dialog); }

struct Expected {
    bool shown, enabled;
};

class ScanPortDlgTest : public uitest::DialogTest {
protected:
    void ExpectButtons(const ScanPortDlg& dlg, Expected ok, Expected next, Expected cancel, Expected retry) {
        const std::pair<ScanButton, Expected> all[] = {
            {ScanButton::Ok, ok}, {ScanButton::Next, next}, {ScanButton::Cancel, cancel},
            {ScanButton::Retry, retry}, {ScanButton::Close, {false, true}}};
        for (const auto& [button, e] : all) {
            SCOPED_TRACE(static_cast<int>(button));
            const HWND b = dlg.ButtonWindow(button);
            ASSERT_NE(b, nullptr);
            EXPECT_EQ(IsWindowVisible(b) != 0, e.shown && IsWindowVisible(dlg.GetHwnd()));
            EXPECT_EQ((GetWindowLongPtrA(b, GWL_STYLE) & WS_VISIBLE) != 0, e.shown);
            EXPECT_EQ(IsWindowEnabled(b) != 0, e.enabled);
        }
    }
    void Scan(HWND dlg, WPARAM w, LPARAM l) {
        SendMessageA(dlg, ui::MsgScanProgress, w, l);
        uitest::Pump();
    }
    std::vector<LPARAM> Outcomes() const {
        std::vector<LPARAM> out;
        for (const auto& r : parent.Of(ui::MsgScan)) {
            EXPECT_EQ(r.wParam, 0u);
            out.push_back(r.lParam);
        }
        return out;
    }

    // The start step as the poll thread runs it, on a link that opens nothing.
    void BeginScan(ScanPortDlg& dlg) {
        struct Com : dialogs::ComSetting {
            int32_t Get() override { return 1; }
            void Set(int32_t) override {}
        } com;
        os::FakeSleeper sleeper;
        devlink::UsbLink link(nullptr, -1, nullptr, sleeper);
        dlg.ScanStep(link, com, sleeper);
    }
};

}  // namespace

TEST_F(ScanPortDlgTest, MadeHiddenWithItsButtonsAndBarInPlace) {
    ScanPortDlg dlg(parent.hwnd(), 300, 100, nullptr);
    const HWND w = dlg.GetHwnd();
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(IsWindowVisible(w));
    EXPECT_NE(GetWindowLongPtrA(w, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
    RECT r;
    GetClientRect(w, &r);
    EXPECT_EQ(r.right, 300);
    EXPECT_EQ(r.bottom, 220);
    const struct {
        ScanButton button;
        POINT at;
        SIZE size;
    } places[] = {{ScanButton::Close, {273, 4}, {23, 21}},  {ScanButton::Cancel, {189, 168}, {78, 39}},
                  {ScanButton::Next, {110, 168}, {78, 39}}, {ScanButton::Ok, {31, 168}, {78, 39}},
                  {ScanButton::Retry, {110, 168}, {78, 39}}};
    for (const auto& p : places) {
        SCOPED_TRACE(static_cast<int>(p.button));
        const HWND b = dlg.ButtonWindow(p.button);
        ASSERT_NE(b, nullptr);
        const POINT at = At(w, b);
        EXPECT_EQ(at.x, p.at.x);
        EXPECT_EQ(at.y, p.at.y);
        RECT br;
        GetClientRect(b, &br);
        EXPECT_EQ(br.right, p.size.cx);
        EXPECT_EQ(br.bottom, p.size.cy);
    }
    ExpectButtons(dlg, {true, false}, {true, false}, {true, true}, {false, false});
    ASSERT_NE(dlg.Bar(), nullptr);
    const POINT bar = At(w, dlg.Bar());
    EXPECT_EQ(bar.x, 20);
    EXPECT_EQ(bar.y, 65);
    EXPECT_EQ(dlg.BarPosition(), 1.0);
    // WM_CLOSE keeps the dialog.
    SendMessageA(w, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(w));
}

TEST_F(ScanPortDlgTest, DrivenByTheScansMessagesAndTheButtons) {
    ScanPortDlg dlg(parent.hwnd(), 300, 100, nullptr);
    const HWND w = dlg.GetHwnd();
    ShowWindow(w, SW_SHOW);
    dlg.StartScan();
    uitest::Pump();
    EXPECT_TRUE(dlg.Logic().StartRequested());
    ExpectButtons(dlg, {true, false}, {true, false}, {true, true}, {false, false});
    EXPECT_EQ(Text(w), "");

    // The poll thread's first step begins the scan (no unit here: nothing goes on the wire);
    // progress moves the bar.
    BeginScan(dlg);
    EXPECT_TRUE(dlg.Logic().Scanning());
    Scan(w, 0, 5);
    EXPECT_EQ(dlg.BarPosition(), 5.0);
    EXPECT_TRUE(IsWindowVisible(dlg.Bar()));
    Shot(w, "scan_scanning");

    Scan(w, 1, 7);
    EXPECT_EQ(dlg.Logic().FoundNumber(), 7);
    EXPECT_TRUE(dlg.Logic().Paused());
    ExpectButtons(dlg, {true, true}, {true, true}, {true, true}, {false, false});
    EXPECT_FALSE(IsWindowVisible(dlg.Bar()));
    EXPECT_EQ(dlg.BarPosition(), 7.0);
    EXPECT_EQ(Text(w), "'darvix' found on 'Device 7'. Press 'Ok' to connect or press 'Next' to continue "
                       "scanning.");

    // Next: OK and Next disabled again, the text gone, the bar back.
    parent.Clear();
    uitest::Click(dlg.ButtonWindow(ScanButton::Next), 5, 5);
    uitest::Pump();
    EXPECT_FALSE(dlg.Logic().Paused());
    EXPECT_EQ(dlg.Logic().FoundNumber(), -1);
    ExpectButtons(dlg, {true, false}, {true, false}, {true, true}, {false, false});
    EXPECT_TRUE(IsWindowVisible(dlg.Bar()));
    EXPECT_EQ(Text(w), "");

    // The end of the numbers: Retry in Next's place.
    Scan(w, 0, -1);
    ExpectButtons(dlg, {true, false}, {false, false}, {true, true}, {true, true});
    EXPECT_FALSE(IsWindowVisible(dlg.Bar()));
    EXPECT_EQ(Text(w), "'darvix' device not found.");
    Shot(w, "scan_not_found");

    // Retry asks for a new start and brings the bar back at its start.
    uitest::Click(dlg.ButtonWindow(ScanButton::Retry), 5, 5);
    uitest::Pump();
    EXPECT_TRUE(dlg.Logic().StartRequested());
    EXPECT_EQ(dlg.BarPosition(), 1.0);
    ExpectButtons(dlg, {true, false}, {true, false}, {true, true}, {false, false});
    EXPECT_TRUE(Outcomes().empty());
}

TEST_F(ScanPortDlgTest, AnswersReachTheMainWindowAtOnceOnlyWithoutAScan) {
    // Without a scan running Cancel answers 0 at once; with one the finish step answers.
    ScanPortDlg dlg(parent.hwnd(), 300, 100, nullptr);
    uitest::Click(dlg.ButtonWindow(ScanButton::Cancel), 5, 5);
    uitest::Pump();
    EXPECT_EQ(Outcomes(), (std::vector<LPARAM>{0}));
    ExpectButtons(dlg, {true, false}, {true, false}, {true, false}, {false, false});
    // A disabled OK posts nothing.
    parent.Clear();
    uitest::Click(dlg.ButtonWindow(ScanButton::Ok), 5, 5);
    uitest::Pump();
    EXPECT_TRUE(Outcomes().empty());
}

TEST_F(ScanPortDlgTest, TheFoundTextNamesTheDriversDescription) {
    // The longest description the link opens (59 characters), shortened to fit the text's room.
    const std::string description = "Darvix DSP eight channels car audio processor, unit rev B12";
    ASSERT_EQ(description.size(), 59u);
    os::ManualClock clock{1000};
    sim::Bus bus{clock};
    for (const char* name : {"Darvix A", "Darvix B"}) {
        sim::UnitConfig c;
        c.description = name;
        bus.AddUnit(c);
    }
    sim::UnitConfig c;
    c.description = description;
    bus.AddUnit(c);
    sim::AttachD2xx(&bus);
    devlink::FtdiApiTable table;
    sim::FillFtdiTable(table);
    {
        ScanPortDlg dlg(parent.hwnd(), 300, 100, &table);
        const HWND w = dlg.GetHwnd();
        ShowWindow(w, SW_SHOW);
        dlg.StartScan();
        BeginScan(dlg);
        Scan(w, 1, 3);
        EXPECT_EQ(Text(w), "'darvix' found on '" + description.substr(0, 35) +
                               "...'. Press 'Ok' to connect or press 'Next' to continue scanning.");
        Shot(w, "scan_found");
        Scan(w, 1, 2);
        EXPECT_EQ(Text(w), "'darvix' found on 'Darvix B'. Press 'Ok' to connect or press 'Next' to continue "
                           "scanning.");
    }
    sim::AttachD2xx(nullptr);
}
