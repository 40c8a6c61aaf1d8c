#include "app/darvix.h"

#include <windows.h>
#include <commdlg.h>
#include <gdiplus.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "app/ask.h"
#include "app/device_commands.h"
#include "app/firmware_image.h"
#include "app/frame_dispatch.h"
#include "app/settings_reset.h"
#include "app/splash_dialog.h"
#include "dialogs/exit_dlg.h"
#include "dialogs/eq_dynamic_dlg.h"
#include "dialogs/scan_port_dlg.h"
#include "dialogs/wizard_dlg.h"
#include "dialogs/software_update_dlg.h"
#include "dialogs/sync_dsp_dlg.h"
#include "dialogs/update_dsp_dlg.h"
#include "model/setup_file.h"
#include "os/phases.h"
#include "os/version.h"
#include "pages/dsp_setting.h"
#include "pages/ext_source.h"
#include "pages/output_level.h"
#include "pages/tab_bar.h"
#include "res/resource.h"
#include "ui/caption_bar.h"
#include "ui/messages.h"
#include "ui/msg_box.h"

namespace app {
namespace {

constexpr int kDialogX = 300;
constexpr int kDialogY = 100;
constexpr int kPageY = 65;

}  // namespace

Darvix::Darvix(void* hostCallback, void* hostContext)
    : NuModule(hostCallback, hostContext), settings_(os::ProgramSettings()) {
    ftdiLoad_ = devlink::LoadFtdiLibrary(&ftdi_);
    const std::string path = os::GetModuleFilePath();
    if (!path.empty()) os::ReadFileVersion(path.c_str(), version_);
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&gdiplusToken_, &input, nullptr);
}

Darvix::~Darvix() {
    // The poll thread is stopped whenever one was started, online or not: it still holds the link.
    StopPollThread();
    // Pages before GDI+ goes: their windows and text need it until they are gone.
    delete dsp_;
    delete levels_;
    delete sources_;
    delete caption_;
    delete tabs_;
    delete wizard_;
    delete eqDynamic_;
    delete scan_;
    delete sync_;
    delete update_;
    delete exit_;
    delete firmware_;
    poll_.reset();
    if (gdiplusToken_) Gdiplus::GdiplusShutdown(gdiplusToken_);
    devlink::UnloadFtdiLibrary(&ftdi_);
}

intptr_t Darvix::ModuleProc(int code, intptr_t, intptr_t, intptr_t) {
    // With no host callback the program never reaches this; codes 1 and 2 are acknowledged.
    return code == 1 || code == 2 ? 1 : 0;
}

void Darvix::StartPollThread() {
    PollConfig config;
    config.ftdi = &ftdi_;
    config.linkDeviceNumber = linkDeviceNumber_;
    config.rescue = rescue_ != 0;
    config.versionMajor = version_[0];
    config.versionMinor = version_[1];
    poll_ = std::make_unique<PollLoop>(requests_, *this, notifier_, os::SystemSleeper(), config);
    pollThread_ = std::thread([this] { poll_->Run(); });
}

void Darvix::StopPollThread() {
    if (!pollThread_.joinable()) return;
    poll_->Stop();
    pollThread_.join();
    if (poll_->LastGoodDevice() != -1) linkDeviceNumber_ = poll_->LastGoodDevice();
}

devlink::UsbLink* Darvix::PollLink() const { return poll_ ? poll_->Link() : nullptr; }

void Darvix::OnCreate(HWND main) {
    main_ = main;
    notifier_.SetWindow(main);
    SplashDialog splash;
    splash.Run(main, IDD_SPLASH, true, IDB_SPLASH, ftdiLoad_);
    os::MarkPhase("start-up dialog confirmed");
    const ConnectionMode mode = splash.Mode();
    online_ = mode != ConnectionMode::Offline;
    rescue_ = mode == ConnectionMode::Rescue;
    deviceNumber_ = -1;
    deviceBlank_ = 0;

    StartupFacts facts;
    facts.mode = mode;
    if (online_) {
        facts.comSetting = GetComSetting();
        if (facts.comSetting < 1) {
            deviceNumber_ = facts.comSetting;
        } else {
            // The start-up record tells the probes' prescribed waits from the rest of their time.
            os::TalliedSleeper sleeper(os::SystemSleeper(), "probe-waits");
            auto probe = [&](int32_t number, ProbeOutcome& out) -> int32_t {
                devlink::UsbLink link(&ftdi_, linkDeviceNumber_, &notifier_, sleeper);
                devlink::DeviceProbeInfo info{};
                info.deviceNumber = number;
                link.Probe(info);
                out.identified = info.identified != 0;
                out.blank = info.blankUnit != 0;
                if (link.GetLastGoodDevice() != -1) linkDeviceNumber_ = link.GetLastGoodDevice();
                out.firmwareOk = rescue_ || link.CheckFirmwareVersion(&notifier_, version_[0], version_[1]) != 0;
                if (!out.firmwareOk) {
                    // The device is told the PC is going before the program ends.
                    if (link.Open(number)) link.SendCommand35();
                    link.Close();
                    sleeper.SleepMs(100);
                }
                return link.HighestListIndex();
            };
            os::MarkPhase("probe begins");
            const int32_t highest = probe(facts.comSetting, facts.first);
            os::MarkPhase("probe ends");
            if (!facts.first.firmwareOk) {
                PostQuitMessage(12);
                return;
            }
            const int32_t second = SecondAttemptDevice(facts.comSetting, highest);
            if (!facts.first.identified && second > 0) {
                facts.secondTried = true;
                probe(second, facts.second);
                os::MarkPhase("second probe ends");
                if (facts.second.identified) SetComSetting(second);
                if (!facts.second.firmwareOk) {
                    PostQuitMessage(14);
                    return;
                }
            }
        }
    }
    const StartupEnd end = DecideStartupEnd(facts);
    deviceBlank_ = (facts.secondTried ? facts.second.blank : facts.first.blank) ? 1 : 0;

    // The borderless main window of its fixed size.
    LONG style = GetWindowLongA(main, GWL_STYLE);
    style &= ~(WS_BORDER | WS_DLGFRAME | WS_THICKFRAME);
    style |= WS_DLGFRAME | WS_CLIPCHILDREN;
    SetWindowLongA(main, GWL_STYLE, style);
    SetWindowPos(main, nullptr, 0, 0, 1028, 774, SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
    os::MarkPhase("main window restyled");

    const bool on = online_ != 0;
    levels_ = new pages::OutputLevel(main, 0, kPageY);
    os::MarkPhase("OutputLevel created");
    dsp_ = new pages::DSPSetting(main, 0, kPageY, on, &settings_);
    os::MarkPhase("DSPSetting created");
    sources_ = new pages::ExtSourceEq(main, 0, kPageY, on);
    os::MarkPhase("ExtSourceEq created");
    sources_->SetOutputLevelWindow(levels_->GetHwnd());
    // The tuning page gave the output-level page its speakers' icons while it was built; given
    // again now that both pages exist, the icons do not depend on which page came first.
    dsp_->ShowLevelIcons();
    ShowPage(0);
    caption_ = new ui::CaptionBar(main, 0, 0);
    os::MarkPhase("CaptionBar created");
    tabs_ = new pages::TabBarCtrl(main, 0, 28, on, &ftdi_, rescue_ != 0, &settings_);
    os::MarkPhase("TabBarCtrl created");
    wizard_ = new dialogs::WizardDlg(main, kDialogX, kDialogY, on);
    os::MarkPhase("WizardDlg created");
    eqDynamic_ = new dialogs::EqDynamicDlg(main, kDialogX, kDialogY);
    os::MarkPhase("EqDynamicDlg created");
    // The dynamic-equalisation switch of each preset lives in the dialog.
    pending_.SetSwitchStore([this] { return eqDynamic_->GetSwitchValue(); },
                            [this](uint32_t off) { eqDynamic_->SetSwitchValue(off); });
    scan_ = new dialogs::ScanPortDlg(main, kDialogX, kDialogY, &ftdi_);
    os::MarkPhase("ScanPortDlg created");
    sync_ = new dialogs::SyncDspDlg(main, kDialogX, kDialogY);
    os::MarkPhase("SyncDspDlg created");
    update_ = new dialogs::UpdateDspDlg(main, kDialogX, kDialogY);
    os::MarkPhase("UpdateDspDlg created");
    firmware_ = new dialogs::SoftwareUpdateDlg(main, kDialogX, kDialogY);
    os::MarkPhase("SoftwareUpdateDlg created");
    exit_ = new dialogs::ExitDlg(main, kDialogX, kDialogY);
    os::MarkPhase("ExitDlg created");
    BuildSenderLists();
    if (end.disablePages) {
        for (HWND w : {levels_->GetHwnd(), dsp_->GetHwnd(), sources_->GetHwnd(), wizard_->GetHwnd(),
                       eqDynamic_->GetHwnd()})
            EnableWindow(w, FALSE);
    }

    RECT desktop, window;
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(main, &window);
    SetWindowPos(main, nullptr, (desktop.right - (window.right - window.left)) / 2,
                 (desktop.bottom - (window.bottom - window.top)) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);

    os::MarkPhase("main window centred");
    if (end.showWindow) ShowWindow(main, SW_SHOW);
    os::MarkPhase("main window shown");
    if (end.postReadBack) PostMessageA(main, ui::MsgReadFromDevice, 1, 0);
    if (end.postWizard) PostMessageA(main, ui::MsgWizard, 1, 0);
    if (end.startPollThread) StartPollThread();
    if (end.postScan) PostMessageA(main, ui::MsgScan, 1, 0);
}

void Darvix::ShowPage(int page) {
    if (page == currentPage_) return;
    currentPage_ = page;
    if (page < 0 || page > 2) return;
    HWND windows[3] = {dsp_ ? dsp_->GetHwnd() : nullptr, sources_ ? sources_->GetHwnd() : nullptr,
                       levels_ ? levels_->GetHwnd() : nullptr};
    for (int i = 0; i < 3; ++i)
        if (windows[i]) ShowWindow(windows[i], i == page ? SW_SHOW : SW_HIDE);
}

void Darvix::SelectPreset(int preset, int fromUser) {
    if (sources_) sources_->SelectPreset(preset, fromUser);
    if (dsp_) dsp_->SelectPreset(preset);
    if (levels_) levels_->SelectPreset(preset, fromUser);
    if (eqDynamic_) eqDynamic_->SelectPreset(preset, fromUser);
    pending_.SetPendingPreset(preset);
}

void Darvix::OnDeviceMessage(devlink::UsbLink* link, int discard) {
    if (!link) return;
    if (!discard) {
        int source = -1, mode = -1;
        MainWindowParsers parsers;
        if (dsp_) parsers.tuning = [this](const uint8_t* f, size_t n) { return dsp_->OnDeviceMessage(f, n); };
        if (sources_) parsers.externalSources = [this](const uint8_t* f, size_t n) { return sources_->OnDeviceReply(f, n); };
        if (levels_) parsers.outputLevels = [this](const uint8_t* f, size_t n) { return levels_->ParseLevelResponse(f, n); };
        if (wizard_) parsers.wizard = [this](const uint8_t* f, size_t n) { return wizard_->ParseDeviceConfig(f, n); };
        if (eqDynamic_)
            parsers.dynamicEq = [this](const uint8_t* f, size_t n) { return eqDynamic_->ConvertDeviceCurve(f, n); };
        parsers.preset = [this](const uint8_t* f, size_t n) {
            int preset = -1;
            const int taken = ParsePresetMessage(f, n, &preset);
            if (preset >= 0) {
                if (tabs_) tabs_->SetPreset(preset);
                SelectPreset(preset, 0);
            }
            return taken;
        };
        parsers.source = [&source](const uint8_t* f, size_t n) { return ParseSourceMessage(f, n, &source); };
        parsers.workingMode = [&mode](const uint8_t* f, size_t n) { return ParseWorkingModeMessage(f, n, &mode); };
        DispatchReceivedFrames(*link, InDispatchOrder(parsers), [this] {
            if (dsp_) dsp_->ShowCommError(1);
        });
        if (dsp_) dsp_->SetOnline(0);
        // The unit's layout is the one its routing frame reports, one speaker per output; a
        // read-back that brought none leaves the layout as it is, and the pages show the tuning
        // received either way.
        if (dsp_) {
            const auto layout = wizard_ ? wizard_->TakeDeviceLayout() : std::nullopt;
            if (layout) dsp_->Model().ApplyDeviceConfiguration(*layout);
            else dsp_->Model().ShowReadBackTuning();
        }
        if (source < 0 || source > 4) {
            ShowPage(0);
            if (tabs_) tabs_->SetPage(0);
            if (sources_) sources_->ResetSwitches();
        } else {
            ShowPage(1);
            if (tabs_) tabs_->SetPage(1);
            if (sources_) sources_->SelectSource(source);
        }
        if (dsp_) dsp_->SetOnline(1);
        if (mode == 0 || mode == 1) {
            pending_.SetWorkingMode(static_cast<uint32_t>(mode));
            if (tabs_) tabs_->SetWorkingMode(mode);
            if (dsp_) dsp_->StoreWorkingMode(mode);
        }
    }
    if (link->ReceivedCount() > 0) link->ClearReceived();
}

// ---- settings ----------------------------------------------------------------------------------

int32_t Darvix::GetComSetting() { return os::GetComSetting(settings_); }
void Darvix::SetComSetting(int32_t number) { os::SetComSetting(settings_, number); }

// ---- the poll thread's work ------------------------------------------------------------------

void Darvix::DumpDeviceState(devlink::UsbLink& link) {
    const devlink::Frame request = BuildStatusDumpRequest();
    if (request.empty()) return;
    link.SetReceiveGate(0);
    link.Send(request);
    std::vector<uint8_t> reply(kDeviceStateDumpLength, 0);
    if (link.WaitResponse(static_cast<uint8_t>(devlink::DeviceCommand::DiagnosticsDump), reply.data(),
                          reply.size(), 5500, true, nullptr)) {
        if (std::FILE* f = std::fopen("dumpDsp.log", "wb")) {
            WriteDeviceStateDump(reply.data(), reply.size(), f);
            std::fclose(f);
        }
    }
    link.SetReceiveGate(1);
}

void Darvix::SendResetDevice(devlink::UsbLink& link) { link.Send(BuildResetDeviceMessage()); }

void Darvix::SendWorkingMode(devlink::UsbLink& link) { pending_.SendWorkingMode(link.Sender()); }

void Darvix::DynEqSendPending(devlink::UsbLink& link) { eqDynamic_->SendPendingChanges(link.Sender()); }

int Darvix::WizardServeRequests(devlink::UsbLink& link) { return wizard_->ServeRequests(link); }

int Darvix::ScanStep(devlink::UsbLink& link) {
    if (!scan_) return 0;
    // The scan reads and stores "Com" through the application's settings.
    struct Com : dialogs::ComSetting {
        Darvix& app;
        explicit Com(Darvix& a) : app(a) {}
        int32_t Get() override { return app.GetComSetting(); }
        void Set(int32_t number) override { app.SetComSetting(number); }
    } com(*this);
    return scan_->ScanStep(link, com, os::SystemSleeper());
}

int Darvix::UpdateDialogState() { return update_ ? update_->GetState() : 0; }

void Darvix::UpdateSetStateAndSend(devlink::UsbLink& link, int state) {
    if (update_) update_->SetStateAndSend(link, state);
}

void Darvix::RunFinalize(devlink::UsbLink& link) {
    if (update_) update_->RunFinalize(link);
}

int Darvix::FirmwarePhase() { return firmware_ ? firmware_->GetPhase() : 0; }

void Darvix::RunFirmwareUpdate(devlink::UsbLink& link) {
    if (firmware_) firmware_->RunFirmwareUpdate(link, firmwareImage_);
}

void Darvix::MarkAllDirty() { senders_.MarkWrite(); }

void Darvix::SendRoutingAndSources(devlink::UsbLink& link) {
    if (dsp_) dsp_->SendRoutingMap(link.Sender());
    if (sources_) sources_->SendAll(link.Sender());
}

void Darvix::SendAllPending(devlink::UsbLink& link) {
    // The levels' clip poll awaits its reply on the link the walk sends on.
    if (levels_) levels_->SetReplyChannel(&link);
    senders_.SendWrite(link.Sender());
}

void Darvix::RequestExternalSourceResend(devlink::UsbLink& link) {
    if (sources_) sources_->RequestSendAll(link.Sender());
}

void Darvix::IdleSenders(devlink::UsbLink& link) {
    if (levels_) levels_->SetReplyChannel(&link);
    senders_.SendIdle(link.Sender());
}

void Darvix::BuildSenderLists() {
    SenderMembers members;
    members.tuning = &dsp_->Model();
    members.sources = &sources_->SendCycle();
    members.levels = &levels_->SendCycle();
    members.dynamicEq = &eqDynamic_->SendCycle();
    members.preset = &pending_.PresetSender();
    members.dynamicEqSwitch = &pending_.DynamicEqSwitchSender();
    senders_ = SenderLists(members);
}

// ---- reset, working mode, close --------------------------------------------------------------

void Darvix::ResetSettings() {
    if (online_) {
        if (AskUser(main_, "This action resets all current settings.Are you sure?", ui::MbYes | ui::MbNo) != ui::MbYes)
            return;
        if (!rescue_) EnableWindow(main_, FALSE);
        deviceBlank_ = 1;
        requests_.restartDevice = 1;
        return;
    }
    switch (ClassifyRememberedAnswer(os::GetAskReset(settings_))) {
        case Remembered::Refuse: return;
        case Remembered::Ask: {
            bool ticked = false;
            if (AskUser(main_, "This action resets all current settings.", ui::MbOk | ui::MbCancel, 0, &ticked) != ui::MbOk)
                return;
            if (ticked) os::SetAskReset(settings_, 1);
            break;
        }
        case Remembered::GoOn: break;
    }
    struct Pages : ResetTargets {
        Darvix& app;
        explicit Pages(Darvix& a) : app(a) {}
        void ReloadTuning() override {
            if (app.dsp_) app.dsp_->ReloadAllPages();
        }
        void ResetExternalSources() override {
            if (app.sources_) app.sources_->Reset();
        }
        void SelectPresetTab(int preset) override {
            if (app.tabs_) app.tabs_->SetPreset(preset);
        }
        void ResetOutputLevels() override {
            if (app.levels_) app.levels_->Reset();
        }
        void ResetDynamicEqCurves() override {
            if (app.eqDynamic_) app.eqDynamic_->ResetCurves();
        }
        void ShowWorkingMode(int mode) override {
            if (app.tabs_) app.tabs_->SetWorkingMode(mode);
        }
    } pages(*this);
    ResetPagesToDefaults(pages, pending_);
}

void Darvix::SetWorkingMode(int mode) {
    if (static_cast<uint32_t>(mode) == pending_.WorkingMode()) return;
    if (mode == 1) {
        switch (ClassifyRememberedAnswer(os::GetAskStdSwtLink(settings_))) {
            case Remembered::Refuse: return;
            case Remembered::Ask: {
                ui::MsgBox box(main_, IDB_QUESTION_STANDARD, {0, 0, 0, 0}, {83, 0, 296, 27}, nullptr,
                               IDB_CAPTION_STANDARD, nullptr, 0, ui::MbOk | ui::MbCancel, 0, -1);
                if (box.GetResult() != ui::MbOk) return;
                if (box.IsChecked()) os::SetAskStdSwtLink(settings_, 1);
                break;
            }
            case Remembered::GoOn: break;
        }
    }
    pending_.SetWorkingMode(static_cast<uint32_t>(mode));
    if (tabs_) tabs_->SetWorkingMode(mode);
    if (dsp_) dsp_->SetConfigMode(mode);
    changed_ = 1;
    requests_.workingModeChanged = 1;
}

bool Darvix::AnythingChanged() const {
    return changed_ || (dsp_ && dsp_->IsChanged()) || (levels_ && levels_->IsChanged()) ||
           (sources_ && sources_->IsChanged()) || (eqDynamic_ && eqDynamic_->IsChanged());
}

int Darvix::QueryClose() {
    const int keep = DecideQueryClose(closing_ != 0, rescue_ != 0, restartPending_ != 0, AnythingChanged());
    if (keep) {
        closing_ = 1;
        PostMessageA(main_, ui::MsgExit, 1, 1);
    }
    return keep;
}

}  // namespace app
