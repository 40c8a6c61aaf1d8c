#include "app/poll_loop.h"

namespace app {

PollLoop::PollLoop(PollRequests& requests, PollHost& host, devlink::LinkNotifier& notifier,
                   os::Sleeper& sleeper, const PollConfig& config)
    : r_(requests), host_(host), notifier_(notifier), sleeper_(sleeper), config_(config) {
    lastGoodDevice_ = config.linkDeviceNumber;
}

bool PollLoop::FirmwareRefused() {
    return !config_.rescue &&
           link_->CheckFirmwareVersion(&notifier_, config_.versionMajor, config_.versionMinor) == 0;
}

void PollLoop::Run() {
    link_ = std::make_unique<devlink::UsbLink>(config_.ftdi, config_.linkDeviceNumber, &notifier_,
                                                sleeper_, config_.clock ? *config_.clock : os::SystemClock());
    link_->SetCancel(&stop_);
    if (config_.onLinkCreated) config_.onLinkCreated(*link_);
    linkOpen_ = link_->Open(host_.GetComSetting()) != 0;
    if (linkOpen_ && FirmwareRefused()) {
        quit_ = true;
        notifier_.Post(kMsgQuit, 16, 0);
    }

    while (!quit_) {
        sleeper_.SleepMs(kCycleMs);
        if (!online_.load() || stop_.load()) break;

        if (r_.hotKeyDump.exchange(0)) host_.DumpDeviceState(*link_);
        if (r_.hotKeyReset.load() || r_.restartDevice.load()) {
            r_.hotKeyReset = 0;
            host_.SendResetDevice(*link_);
            if (r_.restartDevice.exchange(0)) notifier_.Post(kMsgRestartBox, 0, 0);
        }
        if (r_.workingModeChanged.exchange(0)) host_.SendWorkingMode(*link_);

        PollState state;
        state.linkOpen = linkOpen_;
        state.dynEqDialogExists = host_.DynEqDialogExists();
        state.wizardExists = host_.WizardExists();
        state.firmwareDialogExists = host_.FirmwareDialogExists();
        state.updateDialogState = host_.UpdateDialogExists() ? host_.UpdateDialogState() : 0;
        state.firmwarePhase = state.firmwareDialogExists ? host_.FirmwarePhase() : 0;

        switch (ChoosePollWork(r_, state)) {
            case PollWork::DynamicEq:
                link_->SetReceiveGate(1);
                host_.DynEqSendPending(*link_);
                break;
            case PollWork::Wizard: host_.WizardServeRequests(*link_); break;
            case PollWork::ChangeDevice: ChangeDevice(r_.connectDevice.load()); break;
            case PollWork::ScanStep:
                link_->SetReceiveGate(0);
                // The link's own state, not the step's result: only the finish step opens it, and
                // a cycle between the finish and the main window clearing the request must not
                // mark the just-opened link closed.
                host_.ScanStep(*link_);
                linkOpen_ = link_->IsOpen() != 0;
                break;
            case PollWork::ReadBack: ReadBack(); break;
            case PollWork::SendAll: SendAll(); break;
            case PollWork::Firmware:
                link_->SetReceiveGate(1);
                host_.RunFirmwareUpdate(*link_);
                break;
            case PollWork::Finalize: host_.RunFinalize(*link_); break;
            case PollWork::Idle: Idle(); break;
            case PollWork::Nothing: break;
        }
        if (stop_.load()) quit_ = true;
    }

    if (host_.UpdateDialogExists() && config_.rescue && online_.load())
        host_.UpdateSetStateAndSend(*link_, 3);
    link_->SendCommand35();
    link_->Close();
    if (link_->GetLastGoodDevice() != -1) lastGoodDevice_ = link_->GetLastGoodDevice();
}

void PollLoop::ChangeDevice(int32_t number) {
    notifier_.Post(kMsgEnableMain, 0, 0);
    link_->SendCommand35();
    link_->Close();
    sleeper_.SleepMs(50);
    link_->SetReceiveGate(0);
    devlink::DeviceProbeInfo info{};
    info.deviceNumber = number;
    link_->Probe(info);
    bool readRequested = false;
    if (info.identified) {
        sleeper_.SleepMs(50);
        linkOpen_ = link_->Open(number) != 0;
        if (linkOpen_) {
            host_.SetComSetting(number);
            if (FirmwareRefused()) {
                quit_ = true;
                notifier_.Post(kMsgQuit, 18, 0);
            } else {
                notifier_.Post(kMsgReadFromDevice, 1, 0);
                readRequested = true;
            }
        }
    } else {
        linkOpen_ = link_->Open(host_.GetComSetting()) != 0;
        if (linkOpen_ && FirmwareRefused()) {
            quit_ = true;
            notifier_.Post(kMsgQuit, 20, 0);
        }
    }
    // The read-back flow gives the main window back when it ends; a change that came to nothing
    // must give it back here, or the window stays disabled.
    if (!readRequested && !quit_) notifier_.Post(kMsgEnableMain, 1, 0);
    r_.connectDevice = 0;
}

void PollLoop::ReadBack() {
    if (r_.readDone.load()) {
        sleeper_.SleepMs(kCycleMs);
        return;
    }
    sleeper_.SleepMs(200);
    link_->SetReceiveGate(0);
    const int remote = link_->QueryCommand13();
    notifier_.Post(kMsgRemoteVersion, static_cast<uintptr_t>(remote), 0);
    // Any non-zero byte is the unit's word that the read-back is complete.
    const int complete = link_->QueryCommand92();
    r_.readDone = 1;
    link_->SetReceiveGate(1);
    notifier_.Post(kMsgReadBackDone, complete != 0 ? 1 : 0, reinterpret_cast<intptr_t>(link_.get()));
}

void PollLoop::SendAll() {
    link_->SetReceiveGate(1);
    host_.UpdateSetStateAndSend(*link_, 2);
    if (r_.sendAll.load()) host_.MarkAllDirty();
    if (r_.sendAll.load() && r_.routingResend.load()) {
        host_.SendRoutingAndSources(*link_);
        r_.routingResend = 0;
    }
    if (r_.sendAll.load()) host_.SendAllPending(*link_);
    host_.UpdateSetStateAndSend(*link_, 3);
}

void PollLoop::Idle() {
    link_->SetReceiveGate(1);
    const int served = host_.WizardExists() ? host_.WizardServeRequests(*link_) : 0;
    if (served == 0 && r_.extSourceResend.exchange(0)) host_.RequestExternalSourceResend(*link_);
    host_.IdleSenders(*link_);
}

}  // namespace app
