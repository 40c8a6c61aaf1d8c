#include "app/decisions.h"

namespace app {

PollWork ChoosePollWork(const PollRequests& r, const PollState& s) {
    if (r.dynEqSend) return s.dynEqDialogExists ? PollWork::DynamicEq : PollWork::Nothing;
    if (r.wizardRunning) return s.wizardExists ? PollWork::Wizard : PollWork::Nothing;
    if (r.connectDevice > 0) return PollWork::ChangeDevice;
    if (r.scan) return PollWork::ScanStep;
    // While the read request stays set and the link is open nothing below it runs.
    if (r.readFromDevice && s.linkOpen) return PollWork::ReadBack;
    if (r.sendAll) return s.updateDialogState == 1 ? PollWork::SendAll : PollWork::Nothing;
    if (r.firmwareUpdate)
        return s.firmwareDialogExists && s.firmwarePhase == 2 ? PollWork::Firmware : PollWork::Nothing;
    if (r.finalize) return s.updateDialogState == 1 ? PollWork::Finalize : PollWork::Nothing;
    return s.linkOpen ? PollWork::Idle : PollWork::Nothing;
}

// A write or FINALIZE that failed leaves the changes marked: they are not on the device. On the way
// out a failed FINALIZE keeps the program open for the same reason, and closing asks again. Only a
// write that got through puts "connected" back on the status lines: after one that failed (a lost
// link among the reasons) they keep what the failure showed.
WriteEnd DecideWriteEnd(bool finalizeRequested, bool okPressed, bool succeeded, bool online, bool closing) {
    WriteEnd e{};
    e.clearChanged = finalizeRequested && okPressed && succeeded;
    e.showConnected = okPressed && succeeded;
    if (online && closing) {
        e.clearClosing = true;
        e.destroyWindow = succeeded;
    }
    return e;
}

StartupEnd DecideStartupEnd(const StartupFacts& f) {
    StartupEnd e;
    const bool online = f.mode != ConnectionMode::Offline;
    const bool rescue = f.mode == ConnectionMode::Rescue;
    e.disablePages = rescue;
    if (!online) {
        e.showWindow = true;
        return e;
    }
    bool scanNeeded = false;
    bool blank = false;
    if (f.comSetting >= 1) {
        scanNeeded = !f.first.identified;
        blank = f.first.blank;
        if (!rescue && !f.first.firmwareOk) {
            e.exitCode = 12;
            return e;
        }
        if (scanNeeded && f.secondTried) {
            scanNeeded = !f.second.identified;
            e.storeSecondDevice = f.second.identified;
            blank = f.second.blank;
            if (!rescue && !f.second.firmwareOk) {
                e.exitCode = 14;
                return e;
            }
        }
    }
    e.startPollThread = true;
    if (scanNeeded) {
        e.postScan = true;
        return e;
    }
    if (rescue) {
        e.showWindow = true;
    } else if (blank) {
        e.postWizard = true;
    } else {
        e.showWindow = true;
        e.postReadBack = true;
    }
    return e;
}

int32_t SecondAttemptDevice(int32_t storedNumber, int32_t highestListIndex) {
    if (highestListIndex > 0 && highestListIndex != storedNumber) return highestListIndex;
    return 0;
}

WriteStart DecodeWriteStart(uint32_t lParam) {
    WriteStart w{};
    w.a = static_cast<int>(lParam & 0xFFFF);
    w.atOnce = (lParam >> 16) == 1;
    w.andClose = (lParam >> 16) == 2;
    w.finalize = w.andClose || w.a != 0;
    return w;
}

ReadBackResult DecideReadBackResult(bool complete, int retryCount, bool dialogFailed) {
    if (dialogFailed) return {true, false, false, retryCount};
    if (complete) return {false, false, false, 0};
    const int count = retryCount + 1;
    if (count < 3) return {false, true, false, count};
    return {false, false, true, 0};
}

LinkFailureTurn DecideLinkFailure(const PollRequests& r) {
    if (r.scan) return LinkFailureTurn::Ignore;
    if (r.readFromDevice || r.sendAll || r.finalize || r.firmwareUpdate || r.dynEqSend ||
        r.wizardRunning)
        return LinkFailureTurn::Defer;
    return LinkFailureTurn::AskNow;
}

bool WizardCancelLetsProgramEnd(bool cancelPending, bool pollThreadServes, uint32_t waitedMs) {
    return !cancelPending || !pollThreadServes || waitedMs >= kCancelServeLimitMs;
}

ScanEnd DecideScanEnd(int result, bool rescue, bool linkExists) {
    ScanEnd s{};
    switch (result) {
        case 1:
            s.checkFirmware = !rescue && linkExists;
            s.failExitCode = 22;
            s.showWindow = true;
            s.postReadBack = true;
            break;
        case 2:
            s.checkFirmware = !rescue && linkExists;
            s.failExitCode = 26;
            s.postWizard = true;
            break;
        default:
            s.goOffline = true;
            s.showWindow = true;
            break;
    }
    return s;
}

ExitAnswer DecideExitAnswer(bool online, bool closing, int answer) {
    ExitAnswer e{};
    if (!online) {
        if (closing) {
            e.saveSetup = answer == 1;
            e.clearClosing = true;
        }
        e.destroyWindow = answer != -1;
        return e;
    }
    if (!closing) {
        e.destroyWindow = true;
        return e;
    }
    e.clearClosing = true;
    if (answer == 1) e.finalizeThenClose = true;
    else if (answer == 0) e.destroyWindow = true;
    return e;
}

int DecideQueryClose(bool closing, bool rescue, bool restartPending, bool anythingChanged) {
    if (closing || rescue || restartPending) return 0;
    return anythingChanged ? 1 : 0;
}

Remembered ClassifyRememberedAnswer(int32_t stored) {
    if (stored == -1) return Remembered::Ask;
    if (stored == 0) return Remembered::Refuse;
    return Remembered::GoOn;
}

}  // namespace app
