#include <gtest/gtest.h>

#include <string>

#include "app/decisions.h"
#include "dialogs/sync_dsp_logic.h"
#include "../dialogs/recording_view.h"

using namespace app;

namespace {

struct Requests {
    uint32_t dynEq = 0, wizard = 0, scan = 0, read = 0, sendAll = 0, firmware = 0, finalize = 0;
    int32_t connect = 0;
};

void Load(PollRequests& r, const Requests& q) {
    r.dynEqSend = q.dynEq;
    r.wizardRunning = q.wizard;
    r.connectDevice = q.connect;
    r.scan = q.scan;
    r.readFromDevice = q.read;
    r.sendAll = q.sendAll;
    r.firmwareUpdate = q.firmware;
    r.finalize = q.finalize;
}

const char* Name(PollWork w) {
    switch (w) {
        case PollWork::DynamicEq: return "DynamicEq";
        case PollWork::Wizard: return "Wizard";
        case PollWork::ChangeDevice: return "ChangeDevice";
        case PollWork::ScanStep: return "ScanStep";
        case PollWork::ReadBack: return "ReadBack";
        case PollWork::SendAll: return "SendAll";
        case PollWork::Firmware: return "Firmware";
        case PollWork::Finalize: return "Finalize";
        case PollWork::Idle: return "Idle";
        case PollWork::Nothing: return "Nothing";
    }
    return "?";
}

}  // namespace

TEST(PollWork, PriorityAndPreconditions) {
    struct Case {
        const char* what;
        Requests q;
        PollState s;
        PollWork expected;
    } cases[] = {
        {"all clear, link open", {}, {true}, PollWork::Idle},
        {"all clear, link closed", {}, {false}, PollWork::Nothing},
        {"dynamic EQ blocks everything", {1, 1, 1, 1, 1, 1, 1, 5}, {true}, PollWork::DynamicEq},
        {"dynamic EQ without its dialog still blocks", {1, 1, 0, 0, 0, 0, 0, 0}, {true, false}, PollWork::Nothing},
        {"wizard before device change", {0, 1, 1, 1, 0, 0, 0, 3}, {true}, PollWork::Wizard},
        {"device change before scan", {0, 0, 1, 1, 0, 0, 0, 3}, {true}, PollWork::ChangeDevice},
        {"negative device number is no change", {0, 0, 1, 0, 0, 0, 0, -2}, {true}, PollWork::ScanStep},
        {"scan before read-back", {0, 0, 1, 1}, {true}, PollWork::ScanStep},
        {"read-back with the link open", {0, 0, 0, 1, 1, 1, 1}, {true, true, true, true, 1, 2}, PollWork::ReadBack},
        {"read with a closed link falls through to the write", {0, 0, 0, 1, 1}, {false, true, true, true, 1}, PollWork::SendAll},
        {"write waits for its dialog's state", {0, 0, 0, 0, 1, 1}, {true, true, true, true, 0, 2}, PollWork::Nothing},
        {"firmware in phase 2", {0, 0, 0, 0, 0, 1, 1}, {true, true, true, true, 1, 2}, PollWork::Firmware},
        {"firmware in another phase", {0, 0, 0, 0, 0, 1, 1}, {true, true, true, true, 1, 1}, PollWork::Nothing},
        {"firmware without its dialog", {0, 0, 0, 0, 0, 1}, {true, true, true, false, 1, 2}, PollWork::Nothing},
        {"finalize", {0, 0, 0, 0, 0, 0, 1}, {true, true, true, true, 1}, PollWork::Finalize},
        {"finalize before its dialog is ready", {0, 0, 0, 0, 0, 0, 1}, {true, true, true, true, 3}, PollWork::Nothing},
    };
    for (const Case& c : cases) {
        PollRequests r;
        Load(r, c.q);
        EXPECT_STREQ(Name(ChoosePollWork(r, c.s)), Name(c.expected)) << c.what;
    }
}

TEST(Startup, OutcomeOfTheProbes) {
    const ProbeOutcome none{false, false, true};
    const ProbeOutcome unit{true, false, true};
    const ProbeOutcome blankUnit{true, true, true};
    const ProbeOutcome mismatch{true, false, false};
    struct Case {
        const char* what;
        StartupFacts f;
        StartupEnd e;
    } cases[] = {
        {"offline", {ConnectionMode::Offline, 1, mismatch}, {0, true}},
        {"target, unit found", {ConnectionMode::Target, 1, unit}, {0, true, true, false, false, true}},
        {"target, blank unit", {ConnectionMode::Target, 1, blankUnit}, {0, false, false, true, false, true}},
        {"target, firmware mismatch", {ConnectionMode::Target, 1, mismatch}, {12}},
        {"rescue ignores the firmware", {ConnectionMode::Rescue, 1, mismatch}, {0, true, false, false, false, true, true}},
        {"rescue with a blank unit only shows", {ConnectionMode::Rescue, 1, blankUnit}, {0, true, false, false, false, true, true}},
        {"Com 0: no probe, read-back asked", {ConnectionMode::Target, 0, mismatch}, {0, true, true, false, false, true}},
        {"Com negative", {ConnectionMode::Target, -3, none}, {0, true, true, false, false, true}},
        {"nothing found, no second device", {ConnectionMode::Target, 1, none}, {0, false, false, false, true, true}},
        {"second attempt finds a unit", {ConnectionMode::Target, 2, none, true, unit},
         {0, true, true, false, false, true, false, true}},
        {"second attempt finds a blank unit", {ConnectionMode::Target, 2, none, true, blankUnit},
         {0, false, false, true, false, true, false, true}},
        {"second attempt mismatched: stored, then refused", {ConnectionMode::Target, 2, none, true, mismatch},
         {14, false, false, false, false, false, false, true}},
        {"second attempt finds nothing", {ConnectionMode::Target, 2, none, true, none},
         {0, false, false, false, true, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const StartupEnd e = DecideStartupEnd(c.f);
        EXPECT_EQ(e.exitCode, c.e.exitCode);
        EXPECT_EQ(e.showWindow, c.e.showWindow);
        EXPECT_EQ(e.postReadBack, c.e.postReadBack);
        EXPECT_EQ(e.postWizard, c.e.postWizard);
        EXPECT_EQ(e.postScan, c.e.postScan);
        EXPECT_EQ(e.startPollThread, c.e.startPollThread);
        EXPECT_EQ(e.disablePages, c.e.disablePages);
        EXPECT_EQ(e.storeSecondDevice, c.e.storeSecondDevice);
    }
    // One attached device is never tried twice; with several the last position's number is tried.
    EXPECT_EQ(SecondAttemptDevice(1, 0), 0);
    EXPECT_EQ(SecondAttemptDevice(1, 1), 0);
    EXPECT_EQ(SecondAttemptDevice(1, 2), 2);
    EXPECT_EQ(SecondAttemptDevice(3, 1), 1);
    EXPECT_EQ(SecondAttemptDevice(1, -1), 0);
}

TEST(Flows, WriteStartDecoding) {
    struct Case {
        uint32_t lParam;
        int a;
        bool atOnce, andClose, finalize;
    } cases[] = {
        {0, 0, false, false, false},      {1, 1, false, false, true},
        {0x10000, 0, true, false, false}, {0x20000, 0, false, true, true},
        {0x10001, 1, true, false, true},  {0x30000, 0, false, false, false},
    };
    for (const Case& c : cases) {
        const WriteStart w = DecodeWriteStart(c.lParam);
        EXPECT_EQ(w.a, c.a) << std::hex << c.lParam;
        EXPECT_EQ(w.atOnce, c.atOnce) << std::hex << c.lParam;
        EXPECT_EQ(w.andClose, c.andClose) << std::hex << c.lParam;
        EXPECT_EQ(w.finalize, c.finalize) << std::hex << c.lParam;
    }
}

TEST(Flows, ReadBackIsTriedThreeTimes) {
    int count = 0;
    ReadBackResult r = DecideReadBackResult(false, count, false);
    EXPECT_TRUE(r.retry);
    EXPECT_FALSE(r.reportFail);
    r = DecideReadBackResult(false, r.retryCount, false);
    EXPECT_TRUE(r.retry);
    r = DecideReadBackResult(false, r.retryCount, false);
    EXPECT_FALSE(r.retry);
    EXPECT_TRUE(r.reportFail);
    EXPECT_EQ(r.retryCount, 0);
    // A success resets the count.
    r = DecideReadBackResult(true, 2, false);
    EXPECT_FALSE(r.retry);
    EXPECT_FALSE(r.reportFail);
    EXPECT_EQ(r.retryCount, 0);
}

// The read-back dialog gives up after 180 s of ticks; a result the poll thread posts after that
// (its wait still ran) is dropped: no retry over the failure face, the count kept, the failure
// left on show. Before the limit the same results go on as usual.
TEST(Flows, AReadBackResultAfterTheDialogGaveUpChangesNothing) {
    dialogtest::RecordingView view;
    dialogs::SyncDspLogic dialog(view);
    dialog.Start();
    for (int tick = 0; tick < 2399; ++tick) dialog.OnTimer();
    EXPECT_FALSE(dialog.ShowsFailure());
    EXPECT_TRUE(DecideReadBackResult(false, 1, dialog.ShowsFailure()).retry);
    dialog.OnTimer();  // 2400 ticks of 75 ms: 180 s
    ASSERT_TRUE(dialog.ShowsFailure());
    for (const bool complete : {true, false}) {
        for (const int count : {0, 1, 2}) {
            const ReadBackResult r = DecideReadBackResult(complete, count, dialog.ShowsFailure());
            EXPECT_TRUE(r.drop) << complete << count;
            EXPECT_FALSE(r.retry) << complete << count;
            EXPECT_FALSE(r.reportFail) << complete << count;
            EXPECT_EQ(r.retryCount, count) << complete << count;
        }
    }
    EXPECT_EQ(view.text, dialogs::kSyncFailureText);
    EXPECT_FALSE(DecideReadBackResult(true, 0, false).drop);
}

// A blank unit's cancelled wizard ends the program only once the poll thread told the unit, unless
// no poll thread can tell it or five seconds went by (a unit that stopped answering must not hold
// the program open).
TEST(Flows, ACancelledWizardEndsTheProgramOnceTheUnitWasTold) {
    const struct {
        const char* what;
        bool pending, serves;
        uint32_t waitedMs;
        bool ends;
    } cases[] = {
        {"the cancel is still to be sent", true, true, 0, false},
        {"still to be sent, 4.975 s on", true, true, 4975, false},
        {"still to be sent, 5 s on", true, true, 5000, true},
        {"the unit was told", false, true, 25, true},
        {"no poll thread serves it", true, false, 0, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WizardCancelLetsProgramEnd(c.pending, c.serves, c.waitedMs), c.ends) << c.what;
}

// The question about a failed link never comes over the scan or a device dialog: with the
// dynamic-equalisation dialog open the poll thread serves only that dialog, so a scan started from
// the question would never run.
TEST(Flows, LinkFailureWaitsForTheDialogsThatHoldTheLink) {
    struct Case {
        const char* what;
        Requests q;
        LinkFailureTurn expected;
    } cases[] = {
        {"nothing open", {}, LinkFailureTurn::AskNow},
        {"scan running", {0, 0, 1}, LinkFailureTurn::Ignore},
        {"scan over the dynamic-EQ dialog", {1, 0, 1}, LinkFailureTurn::Ignore},
        {"dynamic-EQ dialog open", {1}, LinkFailureTurn::Defer},
        {"read-back", {0, 0, 0, 1}, LinkFailureTurn::Defer},
        {"write", {0, 0, 0, 0, 1}, LinkFailureTurn::Defer},
        {"firmware update", {0, 0, 0, 0, 0, 1}, LinkFailureTurn::Defer},
        {"FINALIZE", {0, 0, 0, 0, 0, 0, 1}, LinkFailureTurn::Defer},
        {"device change", {0, 0, 0, 0, 0, 0, 0, 2}, LinkFailureTurn::AskNow},
        {"the I/O wizard", {0, 1}, LinkFailureTurn::Defer},
        {"a scan started from the wizard's flow", {0, 1, 1}, LinkFailureTurn::Ignore},
    };
    for (const Case& c : cases) {
        PollRequests r;
        Load(r, c.q);
        EXPECT_EQ(DecideLinkFailure(r), c.expected) << c.what;
    }
}

TEST(Flows, ScanEnd) {
    ScanEnd s = DecideScanEnd(1, false, true);
    EXPECT_TRUE(s.checkFirmware);
    EXPECT_EQ(s.failExitCode, 22);
    EXPECT_TRUE(s.showWindow && s.postReadBack && !s.goOffline);
    s = DecideScanEnd(2, false, true);
    EXPECT_EQ(s.failExitCode, 26);
    EXPECT_TRUE(s.postWizard && !s.showWindow);
    s = DecideScanEnd(1, true, true);
    EXPECT_FALSE(s.checkFirmware);
    s = DecideScanEnd(2, false, false);
    EXPECT_FALSE(s.checkFirmware);
    s = DecideScanEnd(0, false, true);
    EXPECT_TRUE(s.goOffline && s.showWindow && !s.postReadBack);
}

TEST(Flows, ExitAnswers) {
    struct Case {
        bool online, closing;
        int answer;
        bool save, finalize, destroy, clear;
    } cases[] = {
        {false, true, 1, true, false, true, true},    {false, true, 0, false, false, true, true},
        {false, true, -1, false, false, false, true}, {false, false, 1, false, false, true, false},
        {true, true, 1, false, true, false, true},    {true, true, 0, false, false, true, true},
        {true, true, -1, false, false, false, true},  {true, false, -1, false, false, true, false},
    };
    for (const Case& c : cases) {
        const ExitAnswer e = DecideExitAnswer(c.online, c.closing, c.answer);
        const std::string what = std::to_string(c.online) + std::to_string(c.closing) + std::to_string(c.answer);
        EXPECT_EQ(e.saveSetup, c.save) << what;
        EXPECT_EQ(e.finalizeThenClose, c.finalize) << what;
        EXPECT_EQ(e.destroyWindow, c.destroy) << what;
        EXPECT_EQ(e.clearClosing, c.clear) << what;
    }
}

TEST(Flows, WriteEnd) {
    const struct {
        bool finalize, ok, succeeded, online, closing;
        bool clearChanged, clearClosing, destroy, connected;
    } cases[] = {
        // FINALIZE from the menu: OK after a success stores the changes; a failure keeps them marked.
        {true, true, true, true, false, true, false, false, true},
        {true, true, false, true, false, false, false, false, false},
        {true, false, false, true, false, false, false, false, false},  // NO or close
        // A write never clears the changes (they are not final in the device).
        {false, true, true, true, false, false, false, false, true},
        // A write that failed (the unit unplugged on the way) claims no connection.
        {false, true, false, true, false, false, false, false, false},
        // On the way out: a success closes, a failure keeps the program open and asks again later.
        {true, true, true, true, true, true, true, true, true},
        {true, true, false, true, true, false, true, false, false},
        // Offline the dialog does not end this way; closing is left to the exit flow.
        {true, true, true, false, true, true, false, false, true},
    };
    for (const auto& c : cases) {
        const WriteEnd e = DecideWriteEnd(c.finalize, c.ok, c.succeeded, c.online, c.closing);
        const std::string what = std::to_string(c.finalize) + std::to_string(c.ok) + std::to_string(c.succeeded) +
                                 std::to_string(c.online) + std::to_string(c.closing);
        EXPECT_EQ(e.clearChanged, c.clearChanged) << what;
        EXPECT_EQ(e.clearClosing, c.clearClosing) << what;
        EXPECT_EQ(e.destroyWindow, c.destroy) << what;
        EXPECT_EQ(e.showConnected, c.connected) << what;
    }
}

TEST(Flows, CloseQueryAndRememberedAnswers) {
    EXPECT_EQ(DecideQueryClose(false, false, false, false), 0);
    EXPECT_EQ(DecideQueryClose(false, false, false, true), 1);
    EXPECT_EQ(DecideQueryClose(true, false, false, true), 0);
    EXPECT_EQ(DecideQueryClose(false, true, false, true), 0);
    EXPECT_EQ(DecideQueryClose(false, false, true, true), 0);

    EXPECT_EQ(ClassifyRememberedAnswer(-1), Remembered::Ask);
    EXPECT_EQ(ClassifyRememberedAnswer(0), Remembered::Refuse);
    EXPECT_EQ(ClassifyRememberedAnswer(1), Remembered::GoOn);
    EXPECT_EQ(ClassifyRememberedAnswer(7), Remembered::GoOn);
    EXPECT_EQ(ClassifyRememberedAnswer(-2), Remembered::GoOn);
}
