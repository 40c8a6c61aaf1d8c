// The application's decisions, apart from the windows and the device they act on, so that they can
// be tested as tables: what the poll thread does in a cycle, how start-up ends, and the outcome of
// each of the main window's flows.
#pragma once

#include <cstdint>

#include "app/requests.h"

namespace app {

enum class ConnectionMode : int32_t { Offline = 0, Target = 1, Rescue = 2 };

// ---- Poll thread ------------------------------------------------------------------------------

// The one piece of work of a poll cycle, in priority order.
enum class PollWork {
    DynamicEq,     // the dynamic-equalisation dialog's pending messages
    Wizard,        // the I/O wizard's requests
    ChangeDevice,  // a change of device
    ScanStep,      // one step of the device scan
    ReadBack,      // the read-back (or, once done, waiting for the user interface to take it)
    SendAll,       // the write-to-device sequence
    Firmware,      // the firmware upload
    Finalize,      // FINALIZE
    Idle,          // the idle cycle: every page's sender
    Nothing,       // a request whose precondition does not hold, or idle with the link closed
};

struct PollState {
    bool linkOpen = false;
    bool dynEqDialogExists = true;
    bool wizardExists = true;
    bool firmwareDialogExists = true;
    int updateDialogState = 0;    // UpdateDspDlg::GetState
    int firmwarePhase = 0;        // SoftwareUpdateDlg::GetPhase
};

// The first request that applies takes the cycle; a request whose dialog is not ready takes it
// without doing anything, so nothing below it runs either.
PollWork ChoosePollWork(const PollRequests& r, const PollState& s);

// ---- Start-up -------------------------------------------------------------------------------

// What the start-up probes found (each filled only when that probe ran).
struct ProbeOutcome {
    bool identified = false;
    bool blank = false;
    bool firmwareOk = true;  // the firmware-version check (skipped in rescue: true)
};

struct StartupEnd {
    int exitCode = 0;            // 12 or 14 ends start-up with no window; 0 goes on
    bool showWindow = false;
    bool postReadBack = false;   // 0x8035 (1, 0)
    bool postWizard = false;     // 0x8011 (1, 0)
    bool postScan = false;       // 0x8031 (1, 0)
    bool startPollThread = false;
    bool disablePages = false;   // rescue: tuning pages and tuning dialogs disabled
    bool storeSecondDevice = false;  // the second attempt's device becomes "Com"
};

struct StartupFacts {
    ConnectionMode mode = ConnectionMode::Target;
    int32_t comSetting = 1;  // "Com"
    // The first probe of "Com" (runs online when comSetting >= 1).
    ProbeOutcome first;
    // The second attempt (runs when the first did not identify a unit and a second device exists).
    bool secondTried = false;
    ProbeOutcome second;
};

StartupEnd DecideStartupEnd(const StartupFacts& f);

// The second attempt's device: the highest 0-based position in the device list, taken as a 1-based
// number, when it differs from the stored number and is above 0; else 0 (no second attempt).
int32_t SecondAttemptDevice(int32_t storedNumber, int32_t highestListIndex);

// ---- Main-window flows ------------------------------------------------------------------------

// 0x8036 (1, lParam): how the write-to-device dialog starts.
struct WriteStart {
    int a;          // lParam & 0xFFFF: 0 write, non-zero FINALIZE
    bool atOnce;    // lParam >> 16 == 1: no confirmation (after a load or copy)
    bool andClose;  // lParam >> 16 == 2: FINALIZE at once, then close the program
    bool finalize;  // the request the poll thread serves: finalize (else send all)
};
WriteStart DecodeWriteStart(uint32_t lParam);

// 0x8036 (0, ok): the end of the write-to-device dialog.
struct WriteEnd {
    bool clearChanged;   // the changes are on the device now
    bool clearClosing;
    bool destroyWindow;  // the way out goes on
    bool showConnected;  // the status lines say the unit is connected again
};
WriteEnd DecideWriteEnd(bool finalizeRequested, bool okPressed, bool succeeded, bool online, bool closing);

// 0x803A: a failed read-back is retried in the same dialog until the third failure. A result that
// comes once the dialog shows its failure (its 180 s limit passed first) is dropped: its frames are
// discarded and nothing else changes, so no retry starts over the failure the user is reading.
struct ReadBackResult {
    bool drop;         // discard the frames, change nothing
    bool retry;        // post 0x8035 (1, 1)
    bool reportFail;   // SyncDspDlg::ShowResult (0)
    int retryCount;    // the new count
};
ReadBackResult DecideReadBackResult(bool complete, int retryCount, bool dialogFailed);

// 0x8009: when the question about a failed link is asked. A unit that vanishes while the scan
// probes it is the scan's business. While a device dialog is open the question, and the scan it may
// start, wait until the dialog has ended: the read-back, write, FINALIZE and firmware dialogs report
// the failure in their own result, and the dynamic-equalisation dialog's messages take every poll
// cycle while it is open, so a scan started over it would never run. The I/O wizard's detections
// end at once on a lost link and report it in the wizard; the question waits until the wizard ends.
enum class LinkFailureTurn { Ignore, Defer, AskNow };
LinkFailureTurn DecideLinkFailure(const PollRequests& r);

// A blank unit's wizard was cancelled online, which ends the program; first the poll thread serves
// the cancel (the master level back, the wizard aborted on the unit). True: the window may go now,
// because the cancel was served, no poll thread can serve it, or it has waited long enough.
constexpr uint32_t kCancelServeLimitMs = 5000;
bool WizardCancelLetsProgramEnd(bool cancelPending, bool pollThreadServes, uint32_t waitedMs);

// 0x8031 (0, result): the end of a device scan.
struct ScanEnd {
    bool checkFirmware;   // the poll thread's link is checked first (not in rescue)
    int failExitCode;     // when that check fails
    bool showWindow;
    bool postReadBack;
    bool postWizard;
    bool goOffline;
};
ScanEnd DecideScanEnd(int result, bool rescue, bool linkExists);

// 0x8037 (0, answer): the exit dialog's answer.
struct ExitAnswer {
    bool saveSetup;       // offline YES
    bool finalizeThenClose;  // online YES while closing
    bool destroyWindow;
    bool clearClosing;
};
ExitAnswer DecideExitAnswer(bool online, bool closing, int answer);

// WM_CLOSE: 1 keeps the window and starts the exit flow, 0 closes now.
int DecideQueryClose(bool closing, bool rescue, bool restartPending, bool anythingChanged);

// A remembered answer: -1 asks, 0 refuses without asking, anything else goes on without asking.
enum class Remembered { Ask, Refuse, GoOn };
Remembered ClassifyRememberedAnswer(int32_t stored);

}  // namespace app
