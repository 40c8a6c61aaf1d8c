// The main window's handler: the standard messages it answers and the program's private messages,
// each driving its flow (pages, presets, files, scan, read-back, write, firmware, reset, working
// mode, closing, the disconnect question).
#include <windows.h>
#include <shellapi.h>

#include "app/ask.h"
#include "app/darvix.h"
#include "app/splash_dialog.h"
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
    switch (message) {
        case WM_DESTROY: PostQuitMessage(0); return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(window, &ps);
            EndPaint(window, &ps);
            return 0;
        }
        case WM_CLOSE:
            if (QueryClose()) return 1;
            DestroyWindow(window);
            return 0;
        case WM_KEYDOWN:
            // The hidden keys: left Ctrl and right Shift with R (reset the device) or D (dump it).
            // The keys of the windows inside this one reach OnHotKey from the message loop.
            OnHotKey(wParam);
            return 0;
        case WM_TIMER:
            if (wParam == kCancelTimer) OnWizardCancelTimer();
            return 0;
        default: break;
    }
    if (message < WM_APP) return 0;

    switch (message) {
        case ui::MsgCreate: OnCreate(window); break;
        case ui::MsgCloseApp: PostMessageA(main_, WM_CLOSE, 0, 0); break;
        case ui::MsgMinimizeApp: PostMessageA(main_, WM_SYSCOMMAND, SC_MINIMIZE, 0); break;
        case ui::MsgEnableMain: EnableWindow(main_, wParam ? TRUE : FALSE); break;
        case ui::MsgMasterLevel:
            if (const float* v = reinterpret_cast<const float*>(lParam)) {
                if (wParam == 0 && levels_) levels_->SetMasterLevel(*v);
                if (wParam != 0 && sources_) sources_->SetLevelAll(*v);
            }
            break;
        case ui::MsgShowSource:
            if (dsp_) dsp_->SetDisplayValue(static_cast<int>(wParam));
            break;
        case ui::MsgQuerySourceFlags:
            if (uint32_t* out = reinterpret_cast<uint32_t*>(wParam)) {
                *out = 0;
                if (sources_) {
                    uint32_t flags[5] = {};
                    sources_->GetSourceFlags(flags);
                    for (int i = 0; i < 5; ++i)
                        if (flags[i]) *out |= 1u << i;
                }
            }
            break;
        case ui::MsgToggleSource:
            if (sources_ && wParam < 5) {
                uint32_t flags[5] = {};
                sources_->GetSourceFlags(flags);
                flags[wParam] = flags[wParam] ? 0 : 1;
                sources_->ApplyToControls(flags, 5, -1, static_cast<int>(wParam));
                changed_ = 1;
                requests_.extSourceResend = 1;
            }
            break;
        case ui::MsgLinkFailed:
            // The program is ending (a blank unit's wizard was cancelled): nothing to reconnect.
            if (endingAfterCancel_) break;
            // The scan's finish step opens the link afresh, and a question over the scan could
            // leave it unserved; over a device dialog or the I/O wizard the question waits until it has
            // ended. The status line tells of the failure at once all the same.
            switch (DecideLinkFailure(requests_)) {
                case LinkFailureTurn::Ignore: break;
                case LinkFailureTurn::Defer:
                    if (dsp_) dsp_->ShowCommError(static_cast<int>(wParam));
                    deferredLinkFailure_ = wParam ? wParam : deferredLinkFailure_;
                    break;
                case LinkFailureTurn::AskNow: LinkFailure(wParam); break;
            }
            break;
        case ui::MsgMuteFlagsChanged:
            if (const uint32_t* mutes = reinterpret_cast<const uint32_t*>(lParam)) {
                if (wParam == 0 && levels_) levels_->SetMutes(mutes);
                if (wParam != 0 && dsp_) dsp_->NotifyChannelMap(mutes);
            }
            break;
        case ui::MsgChannelIcon:
            if (levels_) {
                const int* a = reinterpret_cast<const int*>(lParam);
                const int channel = static_cast<int>(wParam);
                if (channel < 0 || !a) {
                    for (int i = 0; i < 8; ++i) levels_->SetChannelIcon(i, -1, -1, -1);
                } else {
                    levels_->SetChannelIcon(channel, a[0], a[1], a[2]);
                }
            }
            break;
        case ui::MsgQueryMasterLevel:
            if (float* out = reinterpret_cast<float*>(wParam); out && levels_) {
                *out = 0.0f;
                float values[10];
                if (levels_->GetLevels(values, 10) > 8) *out = values[8];
            }
            break;
        case ui::MsgQueryLevelsMaster:
            if (float* out = reinterpret_cast<float*>(lParam); out && levels_) {
                *out = 0.0f;
                float values[10];
                if (levels_->GetLevels(values, 10) > 8) *out = values[8];
            }
            break;
        case ui::MsgRestartBox: {
            AskUser(main_, "Close this application and restart 'darvix' device.", ui::MbOk);
            EnableWindow(main_, TRUE);
            restartPending_ = 1;
            break;
        }
        case ui::MsgDynamicEqSwitch:
            pending_.SetDynamicEqSwitch(static_cast<uint32_t>(wParam));
            changed_ = 1;
            break;
        case ui::MsgQueryDynamicEqSwitch:
            if (int* out = reinterpret_cast<int*>(wParam)) *out = static_cast<int>(pending_.DynamicEqSwitch());
            break;
        case ui::MsgSelectPage: ShowPage(static_cast<int>(wParam)); break;
        case ui::MsgWizard:
            if (wParam == 1) {
                if (wizard_) {
                    wizard_->Start();
                    OpenDialog(wizard_->GetHwnd());
                }
                ShowWindow(main_, SW_HIDE);
                requests_.wizardRunning = 1;
            } else {
                requests_.wizardRunning = 0;
                CloseDialogSteps(nullptr, false);
                if (lParam == 1) {
                    changed_ = 1;
                    // A unit that went through the wizard is set up: a later cancelled wizard
                    // must not end the program as for a blank one.
                    deviceBlank_ = 0;
                    ApplyWizardResult();
                }
                if (wizard_) wizard_->Hide();
                if (lParam == 0 && online_ && deviceBlank_) {
                    // A blank unit whose wizard was abandoned cannot be used: the program ends,
                    // once the unit has been told.
                    deviceBlank_ = 0;
                    deferredLinkFailure_ = 0;
                    EndAfterWizardCancel();
                } else {
                    ui::ShowPainted(main_);
                    AskDeferredLinkFailure();
                }
            }
            break;
        case ui::MsgSetupFile:
            if (wParam == 1) LoadSetupFile(main_);
            else SaveSetupFile(main_);
            break;
        case ui::MsgCredits: {
            SplashDialog credits;
            credits.Run(main_, IDD_SPLASH, false, IDB_CREDITS, 1);
            break;
        }
        case ui::MsgSelectPreset:
            if (wParam < 4) SelectPreset(static_cast<int>(wParam), 1);
            break;
        case ui::MsgPresetFile:
            if (wParam == 1) LoadPresetFile(main_, static_cast<int>(lParam));
            else SavePresetFile(main_, static_cast<int>(lParam));
            break;
        case ui::MsgCopyPreset: CopyPreset(static_cast<int>(wParam), static_cast<int>(lParam)); break;
        case ui::MsgWorkingMode: SetWorkingMode(static_cast<int>(wParam)); break;
        case ui::MsgDynamicEqDialog:
            if (eqDynamic_) {
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
            }
            break;
        case ui::MsgScan:
            if (!scan_) break;
            if (wParam == 1) {
                // The scan, like the wizard, takes the main window away while it runs.
                ShowWindow(main_, SW_HIDE);
                OpenDialog(scan_->GetHwnd());
                scan_->StartScan();
                requests_.scan = 1;
            } else {
                requests_.scan = 0;
                CloseDialogSteps(scan_->GetHwnd(), false);
                const ScanEnd end = DecideScanEnd(static_cast<int>(lParam), rescue_ != 0, PollLink() != nullptr);
                if (end.checkFirmware && !PollLink()->CheckFirmwareVersion(&notifier_, version_[0], version_[1])) {
                    PostQuitMessage(end.failExitCode);
                    break;
                }
                if (end.goOffline) GoOffline();
                if (end.showWindow) ui::ShowPainted(main_);
                if (end.postReadBack) PostMessageA(main_, ui::MsgReadFromDevice, 1, 0);
                if (end.postWizard) PostMessageA(main_, ui::MsgWizard, 1, 0);
            }
            break;
        case ui::MsgConnectDevice:
            if (static_cast<int>(wParam) > 0) requests_.connectDevice = static_cast<int32_t>(wParam);
            break;
        case ui::MsgReadFromDevice:
            if (!sync_ || !online_) break;
            if (rescue_) {
                CloseDialogSteps(nullptr, true);
                break;
            }
            if (wParam == 1) {
                if (lParam == 0) {
                    EnableWindow(main_, FALSE);
                    ShowWindow(sync_->GetHwnd(), SW_SHOW);
                }
                sync_->Start();
                requests_.readDone = 0;
                requests_.readFromDevice = 1;
            } else {
                requests_.readFromDevice = 0;
                CloseDialogSteps(sync_->GetHwnd(), lParam == 0);
                if (lParam != 0) {
                    DestroyWindow(main_);
                    break;
                }
                AskDeferredLinkFailure();
            }
            break;
        case ui::MsgWriteToDevice:
            if (!update_ || !online_) break;
            if (wParam == 1) {
                OpenDialog(update_->GetHwnd());
                const WriteStart w = DecodeWriteStart(static_cast<uint32_t>(lParam));
                if (w.andClose) closing_ = 1;
                update_->Start(w.a, w.atOnce, w.andClose);
                if (w.finalize) requests_.finalize = 1;
                else requests_.sendAll = 1;
            } else {
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
                    break;
                }
                AskDeferredLinkFailure();
            }
            break;
        case ui::MsgExit:
            if (!exit_) break;
            if (wParam == 1) {
                EnableWindow(main_, FALSE);
                exit_->Show(online_);
            } else {
                EnableWindow(main_, TRUE);
                SetWindowPos(main_, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
                exit_->Hide();
                ShowWindow(main_, SW_SHOW);
                const int answer = static_cast<int>(lParam);
                const ExitAnswer a = DecideExitAnswer(online_ != 0, closing_ != 0, answer);
                if (a.clearClosing) closing_ = 0;
                if (a.saveSetup && !SaveSetupFile(main_)) break;  // the error was shown; keep the window
                if (a.finalizeThenClose) SendMessageA(main_, ui::MsgWriteToDevice, 1, 0x20000);
                if (a.destroyWindow) DestroyWindow(main_);
            }
            break;
        case ui::MsgCheckUpdates: ShellExecuteA(nullptr, "open", kUpdatePage, nullptr, nullptr, SW_SHOW); break;
        case ui::MsgUpdateFirmware:
            if (!firmware_) break;
            if (wParam == 1) {
                // One update at a time: the running one's image stays as the poll thread reads it.
                if (requests_.firmwareUpdate) break;
                if (ChooseFirmwareImage(main_) == 1) {
                    EnableWindow(main_, FALSE);
                    firmware_->Start(0);
                    requests_.firmwareUpdate = 1;
                }
            } else {
                requests_.firmwareUpdate = 0;
                CloseDialogSteps(nullptr, true);
                firmware_->Hide();
                AskDeferredLinkFailure();
            }
            break;
        case ui::MsgReadBackDone: {
            devlink::UsbLink* link = reinterpret_cast<devlink::UsbLink*>(lParam);
            // Only the poll thread's own link is walked.
            if (link != PollLink()) link = PollLink();
            const ReadBackResult r =
                DecideReadBackResult(wParam == 1, readRetries_, sync_ && sync_->Logic().ShowsFailure());
            if (r.drop) {
                OnDeviceMessage(link, 1);
                break;
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
            break;
        }
        case ui::MsgIdentified:
            if (dsp_)
                dsp_->ShowConnectionStatus(static_cast<uint32_t>(wParam), lParam & 1, (lParam >> 1) & 1, rescue_);
            break;
        case ui::MsgResetSettings: ResetSettings(); break;
        case ui::MsgRemoteVersion: {
            const int major = wParam & 0xFF, minor = (wParam >> 8) & 0xFF;
            if (major && minor && dsp_) dsp_->ShowVexaStatus(major, minor);
            break;
        }
        case ui::MsgQuit: PostQuitMessage(static_cast<int>(wParam)); break;
        default: break;
    }
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
