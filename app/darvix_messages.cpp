// The main window's handler: the standard messages it answers and the program's private messages,
// each driving its flow (pages, presets, files, scan, read-back, write, firmware, reset, working
// mode, closing, the disconnect question).
#include <windows.h>

#include "app/ask.h"
#include "app/darvix.h"
#include "app/message_decisions.h"
#include "app/message_table.h"
#include "app/splash_dialog.h"
#include "app/system_dialogs.h"
#include "dialogs/exit_dlg.h"
#include "dialogs/eq_dynamic_dlg.h"
#include "dialogs/scan_port_dlg.h"
#include "dialogs/wizard_dlg.h"
#include "dialogs/software_update_dlg.h"
#include "dialogs/sync_dsp_dlg.h"
#include "dialogs/update_dsp_dlg.h"
#include "pages/dsp_setting.h"
#include "pages/ext_source.h"
#include "pages/output_level.h"
#include "pages/tab_bar.h"
#include "res/resource.h"
#include "ui/messages.h"
#include "ui/msg_box.h"
#include "ui/win.h"

namespace app {
namespace {

// Where "Check for Updates" leads.
constexpr const char* kUpdatePage = "https://www.darvix.example/support/software";

bool KeyDown(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

// The main window's timer that waits for a cancelled wizard to be served before the program ends.
constexpr UINT_PTR kCancelTimer = 0x3201;
constexpr UINT kCancelTimerMs = 25;

static_assert(kSourceFlagCount == pages::kSourceCount, "one flag per external source");

}  // namespace

void Darvix::OpenDialog(HWND dialog) {
    EnableWindow(main_, FALSE);
    if (dialog) ShowWindow(dialog, SW_SHOW);
}

void Darvix::CloseDialogSteps(HWND dialog, bool showMain) {
    EnableWindow(main_, TRUE);
    UpdateWindow(main_);
    SetForegroundWindow(main_);
    SetActiveWindow(main_);
    SetWindowPos(main_, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    if (dialog) ShowWindow(dialog, SW_HIDE);
    if (showMain) ui::ShowPainted(main_);
}

void Darvix::GoOffline() {
    online_ = 0;
    if (poll_) poll_->SetOnline(false);
    if (dsp_) dsp_->SetConnected(0);
    if (tabs_) tabs_->SetConnected(0);
    if (wizard_) wizard_->SetConnected(0);
    if (sources_) sources_->SetConnected(0);
}

void Darvix::LinkFailure(WPARAM w) {
    if (dsp_) dsp_->ShowCommError(static_cast<int>(w));
    if (!w) return;
    if (AskUser(main_, "'darvix' device disconnected. Try to riconnect.", ui::MbOk | ui::MbCancel) == ui::MbOk) {
        ShowWindow(main_, SW_HIDE);
        PostMessageA(main_, ui::MsgScan, 1, 0);
    } else {
        GoOffline();
    }
}

void Darvix::OnHotKey(WPARAM key) {
    // GetKeyState tells the left Ctrl and the right Shift from their twins, as the input stood
    // when this key's message was made.
    if (!KeyDown(VK_LCONTROL) || !KeyDown(VK_RSHIFT)) return;
    if (key == 'R') requests_.hotKeyReset = 1;
    if (key == 'D') requests_.hotKeyDump = 1;
}

// A blank unit's wizard was cancelled online: the program ends, but only once the poll thread has
// told the unit (the master level back, the wizard aborted), or the unit would stay in wizard mode
// at -45 dB. The poll thread asks this window for the master level meanwhile, so the window waits
// on a timer rather than blocking.
void Darvix::EndAfterWizardCancel() {
    cancelWaitMs_ = 0;
    endingAfterCancel_ = true;
    if (SetTimer(main_, kCancelTimer, kCancelTimerMs, nullptr)) {
        OnWizardCancelTimer();
        return;
    }
    DestroyWindow(main_);
}

void Darvix::OnWizardCancelTimer() {
    devlink::UsbLink* link = PollLink();
    const bool serves = poll_ && poll_->Online() && pollThread_.joinable() && link && link->IsOpen() &&
                        !link->IsFailed();
    if (!WizardCancelLetsProgramEnd(wizard_ && wizard_->CancelPending(), serves, cancelWaitMs_)) {
        cancelWaitMs_ += kCancelTimerMs;
        return;
    }
    KillTimer(main_, kCancelTimer);
    DestroyWindow(main_);
}

// A link failure held back while a device dialog was open is asked about once it has ended.
void Darvix::AskDeferredLinkFailure() {
    if (!deferredLinkFailure_) return;
    const WPARAM w = deferredLinkFailure_;
    deferredLinkFailure_ = 0;
    LinkFailure(w);
}

LRESULT Darvix::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    using Handler = LRESULT (Darvix::*)(HWND, WPARAM, LPARAM);
    static constexpr MessageRoute<Handler> kRoutes[] = {
        {WM_DESTROY, &Darvix::OnDestroy},
        {WM_PAINT, &Darvix::OnPaint},
        {WM_CLOSE, &Darvix::OnClose},
        {WM_KEYDOWN, &Darvix::OnKeyDown},
        {WM_TIMER, &Darvix::OnTimer},
        {ui::MsgCreate, &Darvix::OnCreateMessage},
        {ui::MsgCloseApp, &Darvix::OnCloseApp},
        {ui::MsgMinimizeApp, &Darvix::OnMinimizeApp},
        {ui::MsgEnableMain, &Darvix::OnEnableMain},
        {ui::MsgMasterLevel, &Darvix::OnMasterLevel},
        {ui::MsgShowSource, &Darvix::OnShowSource},
        {ui::MsgQuerySourceFlags, &Darvix::OnQuerySourceFlags},
        {ui::MsgToggleSource, &Darvix::OnToggleSource},
        {ui::MsgLinkFailed, &Darvix::OnLinkFailed},
        {ui::MsgMuteFlagsChanged, &Darvix::OnMuteFlagsChanged},
        {ui::MsgChannelIcon, &Darvix::OnChannelIcon},
        {ui::MsgQueryMasterLevel, &Darvix::OnQueryMasterLevel},
        {ui::MsgQueryLevelsMaster, &Darvix::OnQueryLevelsMaster},
        {ui::MsgRestartBox, &Darvix::OnRestartBox},
        {ui::MsgDynamicEqSwitch, &Darvix::OnDynamicEqSwitch},
        {ui::MsgQueryDynamicEqSwitch, &Darvix::OnQueryDynamicEqSwitch},
        {ui::MsgSelectPage, &Darvix::OnSelectPage},
        {ui::MsgWizard, &Darvix::OnWizard},
        {ui::MsgSetupFile, &Darvix::OnSetupFile},
        {ui::MsgCredits, &Darvix::OnCredits},
        {ui::MsgSelectPreset, &Darvix::OnSelectPreset},
        {ui::MsgPresetFile, &Darvix::OnPresetFile},
        {ui::MsgCopyPreset, &Darvix::OnCopyPreset},
        {ui::MsgWorkingMode, &Darvix::OnWorkingMode},
        {ui::MsgDynamicEqDialog, &Darvix::OnDynamicEqDialog},
        {ui::MsgScan, &Darvix::OnScan},
        {ui::MsgConnectDevice, &Darvix::OnConnectDevice},
        {ui::MsgReadFromDevice, &Darvix::OnReadFromDevice},
        {ui::MsgWriteToDevice, &Darvix::OnWriteToDevice},
        {ui::MsgExit, &Darvix::OnExit},
        {ui::MsgCheckUpdates, &Darvix::OnCheckUpdates},
        {ui::MsgUpdateFirmware, &Darvix::OnUpdateFirmware},
        {ui::MsgReadBackDone, &Darvix::OnReadBackDone},
        {ui::MsgIdentified, &Darvix::OnIdentified},
        {ui::MsgResetSettings, &Darvix::OnResetSettingsMessage},
        {ui::MsgRemoteVersion, &Darvix::OnRemoteVersion},
        {ui::MsgQuit, &Darvix::OnQuit},
    };
    static_assert(RoutesAreDistinct(kRoutes), "a message routed twice");
    const Handler* handler = FindRoute(kRoutes, message);
    return handler ? (this->**handler)(window, wParam, lParam) : 0;
}

// ---- the standard messages -------------------------------------------------------------------

LRESULT Darvix::OnDestroy(HWND, WPARAM, LPARAM) {
    PostQuitMessage(0);
    return 0;
}

LRESULT Darvix::OnPaint(HWND window, WPARAM, LPARAM) {
    PAINTSTRUCT ps;
    BeginPaint(window, &ps);
    EndPaint(window, &ps);
    return 0;
}

LRESULT Darvix::OnClose(HWND window, WPARAM, LPARAM) {
    if (QueryClose()) return 1;
    DestroyWindow(window);
    return 0;
}

LRESULT Darvix::OnKeyDown(HWND, WPARAM wParam, LPARAM) {
    // The hidden keys: left Ctrl and right Shift with R (reset the device) or D (dump it).
    // The keys of the windows inside this one reach OnHotKey from the message loop.
    OnHotKey(wParam);
    return 0;
}

LRESULT Darvix::OnTimer(HWND, WPARAM wParam, LPARAM) {
    if (wParam == kCancelTimer) OnWizardCancelTimer();
    return 0;
}

// ---- the window and the pages' messages ------------------------------------------------------

LRESULT Darvix::OnCreateMessage(HWND window, WPARAM, LPARAM) {
    OnCreate(window);
    return 0;
}

LRESULT Darvix::OnCloseApp(HWND, WPARAM, LPARAM) {
    PostMessageA(main_, WM_CLOSE, 0, 0);
    return 0;
}

LRESULT Darvix::OnMinimizeApp(HWND, WPARAM, LPARAM) {
    PostMessageA(main_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    return 0;
}

LRESULT Darvix::OnEnableMain(HWND, WPARAM wParam, LPARAM) {
    EnableWindow(main_, wParam ? TRUE : FALSE);
    return 0;
}

LRESULT Darvix::OnMasterLevel(HWND, WPARAM wParam, LPARAM lParam) {
    if (const float* v = reinterpret_cast<const float*>(lParam)) {
        if (ForOutputLevels(wParam)) {
            if (levels_) levels_->SetMasterLevel(*v);
        } else if (sources_) {
            sources_->SetLevelAll(*v);
        }
    }
    return 0;
}

LRESULT Darvix::OnShowSource(HWND, WPARAM wParam, LPARAM) {
    if (dsp_) dsp_->SetDisplayValue(static_cast<int>(wParam));
    return 0;
}

LRESULT Darvix::OnQuerySourceFlags(HWND, WPARAM wParam, LPARAM) {
    if (uint32_t* out = reinterpret_cast<uint32_t*>(wParam)) {
        *out = 0;
        if (sources_) {
            uint32_t flags[kSourceFlagCount] = {};
            sources_->GetSourceFlags(flags);
            *out = SourceFlagMask(flags);
        }
    }
    return 0;
}

LRESULT Darvix::OnToggleSource(HWND, WPARAM wParam, LPARAM) {
    if (!sources_) return 0;
    uint32_t flags[kSourceFlagCount] = {};
    sources_->GetSourceFlags(flags);
    if (!ToggleSourceFlag(flags, wParam)) return 0;
    sources_->ApplyToControls(flags, kSourceFlagCount, -1, static_cast<int>(wParam));
    changed_ = 1;
    requests_.extSourceResend = 1;
    return 0;
}

LRESULT Darvix::OnLinkFailed(HWND, WPARAM wParam, LPARAM) {
    // The program is ending (a blank unit's wizard was cancelled): nothing to reconnect.
    if (endingAfterCancel_) return 0;
    // The scan's finish step opens the link afresh, and a question over the scan could
    // leave it unserved; over a device dialog or the I/O wizard the question waits until it has
    // ended. The status line tells of the failure at once all the same.
    switch (DecideLinkFailure(requests_)) {
        case LinkFailureTurn::Ignore: break;
        case LinkFailureTurn::Defer:
            if (dsp_) dsp_->ShowCommError(static_cast<int>(wParam));
            deferredLinkFailure_ = HeldLinkFailure(deferredLinkFailure_, wParam);
            break;
        case LinkFailureTurn::AskNow: LinkFailure(wParam); break;
    }
    return 0;
}

LRESULT Darvix::OnMuteFlagsChanged(HWND, WPARAM wParam, LPARAM lParam) {
    if (const uint32_t* mutes = reinterpret_cast<const uint32_t*>(lParam)) {
        if (ForOutputLevels(wParam)) {
            if (levels_) levels_->SetMutes(mutes);
        } else if (dsp_) {
            dsp_->NotifyChannelMap(mutes);
        }
    }
    return 0;
}

LRESULT Darvix::OnChannelIcon(HWND, WPARAM wParam, LPARAM lParam) {
    if (!levels_) return 0;
    const int* a = reinterpret_cast<const int*>(lParam);
    const int channel = static_cast<int>(wParam);
    if (ClearsAllIcons(channel, a)) {
        for (int i = 0; i < 8; ++i) levels_->SetChannelIcon(i, -1, -1, -1);
    } else {
        levels_->SetChannelIcon(channel, a[0], a[1], a[2]);
    }
    return 0;
}

void Darvix::AnswerMasterLevel(float* out) {
    if (!out || !levels_) return;
    float values[10];
    *out = MasterLevelOf(values, levels_->GetLevels(values, 10));
}

LRESULT Darvix::OnQueryMasterLevel(HWND, WPARAM wParam, LPARAM) {
    AnswerMasterLevel(reinterpret_cast<float*>(wParam));
    return 0;
}

LRESULT Darvix::OnQueryLevelsMaster(HWND, WPARAM, LPARAM lParam) {
    AnswerMasterLevel(reinterpret_cast<float*>(lParam));
    return 0;
}

LRESULT Darvix::OnRestartBox(HWND, WPARAM, LPARAM) {
    AskUser(main_, "Close this application and restart 'darvix' device.", ui::MbOk);
    EnableWindow(main_, TRUE);
    restartPending_ = 1;
    return 0;
}

LRESULT Darvix::OnDynamicEqSwitch(HWND, WPARAM wParam, LPARAM) {
    pending_.SetDynamicEqSwitch(static_cast<uint32_t>(wParam));
    changed_ = 1;
    return 0;
}

LRESULT Darvix::OnQueryDynamicEqSwitch(HWND, WPARAM wParam, LPARAM) {
    if (int* out = reinterpret_cast<int*>(wParam)) *out = static_cast<int>(pending_.DynamicEqSwitch());
    return 0;
}

LRESULT Darvix::OnSelectPage(HWND, WPARAM wParam, LPARAM) {
    ShowPage(static_cast<int>(wParam));
    return 0;
}

// ---- the menus' commands ---------------------------------------------------------------------

LRESULT Darvix::OnSetupFile(HWND, WPARAM wParam, LPARAM) {
    if (wParam == 1) LoadSetupFile(main_);
    else SaveSetupFile(main_);
    return 0;
}

LRESULT Darvix::OnCredits(HWND, WPARAM, LPARAM) {
    SplashDialog credits;
    credits.Run(main_, IDD_SPLASH, false, IDB_CREDITS, 1);
    return 0;
}

LRESULT Darvix::OnSelectPreset(HWND, WPARAM wParam, LPARAM) {
    if (IsPreset(wParam)) SelectPreset(static_cast<int>(wParam), 1);
    return 0;
}

LRESULT Darvix::OnPresetFile(HWND, WPARAM wParam, LPARAM lParam) {
    if (wParam == 1) LoadPresetFile(main_, static_cast<int>(lParam));
    else SavePresetFile(main_, static_cast<int>(lParam));
    return 0;
}

LRESULT Darvix::OnCopyPreset(HWND, WPARAM wParam, LPARAM lParam) {
    CopyPreset(static_cast<int>(wParam), static_cast<int>(lParam));
    return 0;
}

LRESULT Darvix::OnWorkingMode(HWND, WPARAM wParam, LPARAM) {
    SetWorkingMode(static_cast<int>(wParam));
    return 0;
}

LRESULT Darvix::OnCheckUpdates(HWND, WPARAM, LPARAM) {
    OpenWithShell(kUpdatePage);
    return 0;
}

LRESULT Darvix::OnResetSettingsMessage(HWND, WPARAM, LPARAM) {
    ResetSettings();
    return 0;
}

// ---- the modal flows -------------------------------------------------------------------------

LRESULT Darvix::OnWizard(HWND, WPARAM wParam, LPARAM lParam) {
    if (wParam == 1) {
        if (wizard_) {
            wizard_->Start();
            OpenDialog(wizard_->GetHwnd());
        }
        ShowWindow(main_, SW_HIDE);
        requests_.wizardRunning = 1;
        return 0;
    }
    requests_.wizardRunning = 0;
    CloseDialogSteps(nullptr, false);
    const WizardEnd end = DecideWizardEnd(lParam, online_ != 0, deviceBlank_ != 0);
    if (end.applyResult) {
        changed_ = 1;
        // A unit that went through the wizard is set up: a later cancelled wizard
        // must not end the program as for a blank one.
        deviceBlank_ = 0;
        ApplyWizardResult();
    }
    if (wizard_) wizard_->Hide();
    if (end.endProgram) {
        // A blank unit whose wizard was abandoned cannot be used: the program ends,
        // once the unit has been told.
        deviceBlank_ = 0;
        deferredLinkFailure_ = 0;
        EndAfterWizardCancel();
    } else {
        ui::ShowPainted(main_);
        AskDeferredLinkFailure();
    }
    return 0;
}

LRESULT Darvix::OnDynamicEqDialog(HWND, WPARAM wParam, LPARAM) {
    if (!eqDynamic_) return 0;
    if (wParam == 1) {
        OpenDialog(eqDynamic_->GetHwnd());
        ShowWindow(main_, SW_HIDE);
        eqDynamic_->TurnOn();
        requests_.dynEqSend = 1;
    } else {
        eqDynamic_->TurnOff();
        requests_.dynEqSend = 0;
        CloseDialogSteps(eqDynamic_->GetHwnd(), true);
        AskDeferredLinkFailure();
    }
    return 0;
}

LRESULT Darvix::OnScan(HWND, WPARAM wParam, LPARAM lParam) {
    if (!scan_) return 0;
    if (wParam == 1) {
        // The scan, like the wizard, takes the main window away while it runs.
        ShowWindow(main_, SW_HIDE);
        OpenDialog(scan_->GetHwnd());
        scan_->StartScan();
        requests_.scan = 1;
        return 0;
    }
    requests_.scan = 0;
    CloseDialogSteps(scan_->GetHwnd(), false);
    const ScanEnd end = DecideScanEnd(static_cast<int>(lParam), rescue_ != 0, PollLink() != nullptr);
    if (end.checkFirmware && !PollLink()->CheckFirmwareVersion(&notifier_, version_[0], version_[1])) {
        PostQuitMessage(end.failExitCode);
        return 0;
    }
    if (end.goOffline) GoOffline();
    if (end.showWindow) ui::ShowPainted(main_);
    if (end.postReadBack) PostMessageA(main_, ui::MsgReadFromDevice, 1, 0);
    if (end.postWizard) PostMessageA(main_, ui::MsgWizard, 1, 0);
    return 0;
}

LRESULT Darvix::OnConnectDevice(HWND, WPARAM wParam, LPARAM) {
    if (IsDeviceNumber(static_cast<int>(wParam))) requests_.connectDevice = static_cast<int32_t>(wParam);
    return 0;
}

LRESULT Darvix::OnReadFromDevice(HWND, WPARAM wParam, LPARAM lParam) {
    switch (DecideReadTurn(sync_ != nullptr, online_ != 0, rescue_ != 0, wParam)) {
        case ReadTurn::Ignore: break;
        case ReadTurn::ShowMain: CloseDialogSteps(nullptr, true); break;
        case ReadTurn::Start:
            if (lParam == 0) {
                EnableWindow(main_, FALSE);
                ShowWindow(sync_->GetHwnd(), SW_SHOW);
            }
            sync_->Start();
            requests_.readDone = 0;
            requests_.readFromDevice = 1;
            break;
        case ReadTurn::End:
            requests_.readFromDevice = 0;
            CloseDialogSteps(sync_->GetHwnd(), lParam == 0);
            if (lParam != 0) {
                DestroyWindow(main_);
                break;
            }
            AskDeferredLinkFailure();
            break;
    }
    return 0;
}

LRESULT Darvix::OnWriteToDevice(HWND, WPARAM wParam, LPARAM lParam) {
    if (!update_ || !online_) return 0;
    if (wParam == 1) {
        OpenDialog(update_->GetHwnd());
        const WriteStart w = DecodeWriteStart(static_cast<uint32_t>(lParam));
        if (w.andClose) closing_ = 1;
        update_->Start(w.a, w.atOnce, w.andClose);
        if (w.finalize) requests_.finalize = 1;
        else requests_.sendAll = 1;
        return 0;
    }
    const WriteEnd end = DecideWriteEnd(requests_.finalize != 0, lParam != 0, update_->Succeeded(),
                                        online_ != 0, closing_ != 0);
    if (end.clearChanged) {
        changed_ = 0;
        if (dsp_) dsp_->SetChanged(0);
        if (levels_) levels_->SetChanged(0);
        if (sources_) sources_->SetChanged(0);
        if (eqDynamic_) eqDynamic_->SetChanged(0);
    }
    requests_.finalize = 0;
    requests_.sendAll = 0;
    requests_.routingResend = 0;
    CloseDialogSteps(update_->GetHwnd(), true);
    if (end.showConnected && dsp_) dsp_->ShowConnectionStatus(0xFFFFFFFFu, 0, 0, 0);
    if (end.clearClosing) closing_ = 0;
    if (end.destroyWindow) {
        DestroyWindow(main_);
        return 0;
    }
    AskDeferredLinkFailure();
    return 0;
}

LRESULT Darvix::OnExit(HWND, WPARAM wParam, LPARAM lParam) {
    if (!exit_) return 0;
    if (wParam == 1) {
        EnableWindow(main_, FALSE);
        exit_->Show(online_);
        return 0;
    }
    EnableWindow(main_, TRUE);
    SetWindowPos(main_, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    exit_->Hide();
    ShowWindow(main_, SW_SHOW);
    const int answer = static_cast<int>(lParam);
    const ExitAnswer a = DecideExitAnswer(online_ != 0, closing_ != 0, answer);
    if (a.clearClosing) closing_ = 0;
    if (a.saveSetup && !SaveSetupFile(main_)) return 0;  // the error was shown; keep the window
    if (a.finalizeThenClose) SendMessageA(main_, ui::MsgWriteToDevice, 1, 0x20000);
    if (a.destroyWindow) DestroyWindow(main_);
    return 0;
}

LRESULT Darvix::OnUpdateFirmware(HWND, WPARAM wParam, LPARAM) {
    if (!firmware_) return 0;
    if (wParam == 1) {
        // One update at a time: the running one's image stays as the poll thread reads it.
        if (requests_.firmwareUpdate) return 0;
        if (ChooseFirmwareImage(main_) == 1) {
            EnableWindow(main_, FALSE);
            firmware_->Start(0);
            requests_.firmwareUpdate = 1;
        }
        return 0;
    }
    requests_.firmwareUpdate = 0;
    CloseDialogSteps(nullptr, true);
    firmware_->Hide();
    AskDeferredLinkFailure();
    return 0;
}

// ---- the poll thread's reports ---------------------------------------------------------------

LRESULT Darvix::OnReadBackDone(HWND, WPARAM wParam, LPARAM lParam) {
    devlink::UsbLink* link = reinterpret_cast<devlink::UsbLink*>(lParam);
    // Only the poll thread's own link is walked.
    if (link != PollLink()) link = PollLink();
    const ReadBackResult r = DecideReadBackResult(wParam == 1, readRetries_, sync_ && sync_->Logic().ShowsFailure());
    if (r.drop) {
        OnDeviceMessage(link, 1);
        return 0;
    }
    OnDeviceMessage(link, wParam == 1 ? 0 : 1);
    readRetries_ = r.retryCount;
    if (wParam == 1) {
        if (sync_) sync_->ShowResult(1);
    } else if (r.retry) {
        PostMessageA(main_, ui::MsgReadFromDevice, 1, 1);
    } else if (r.reportFail && sync_) {
        sync_->ShowResult(0);
    }
    return 0;
}

LRESULT Darvix::OnIdentified(HWND, WPARAM wParam, LPARAM lParam) {
    const IdentifiedUnit unit = DecodeIdentified(wParam, lParam);
    if (dsp_) dsp_->ShowConnectionStatus(unit.version, unit.star, unit.remote, rescue_);
    return 0;
}

LRESULT Darvix::OnRemoteVersion(HWND, WPARAM wParam, LPARAM) {
    const RemoteVersion v = DecodeRemoteVersion(wParam);
    if (v.show && dsp_) dsp_->ShowVexaStatus(v.major, v.minor);
    return 0;
}

LRESULT Darvix::OnQuit(HWND, WPARAM wParam, LPARAM) {
    PostQuitMessage(static_cast<int>(wParam));
    return 0;
}

void Darvix::ApplyWizardResult() {
    if (!wizard_ || !dsp_ || !levels_) return;
    const dialogs::WizardIoRecord record = wizard_->GetIoRecord();
    levels_->ResetLevels();
    // One output per device channel, as the labels of the car view left them.
    dsp_->Model().ApplyConfiguration(dialogs::LabelAssignments(record));
    if (!sources_) return;
    uint32_t flags[dialogs::kSourceCount];
    for (int i = 0; i < dialogs::kSourceCount; ++i) flags[i] = static_cast<uint32_t>(record.sourceFlags[i]);
    sources_->ApplyToControls(flags, dialogs::kSourceCount, record.inputType, -2);
    int32_t inputs[dialogs::kHighLevelInputs];
    for (int32_t& i : inputs) i = dialogs::kNotConnected;
    if (record.inputType == 0)
        for (int i = 0; i < dialogs::kLowLevelInputs; ++i) inputs[i] = record.lowLevelInput[i];
    else if (record.inputType == 1)
        for (int i = 0; i < dialogs::kHighLevelInputs; ++i) inputs[i] = record.highLevelInput[i];
    sources_->DrawSignalMeter(record.inputType == 0 ? 1 : 0, inputs, 1);
}

}  // namespace app
