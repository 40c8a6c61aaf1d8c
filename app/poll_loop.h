// The poll thread: the one thread that talks to the device after start-up. Every 25 ms it serves
// the application's request words and the pages' pending changes, and reports only by posting to
// the main window. What it calls of the pages and dialogs goes through PollHost, which the
// application implements and tests replace.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "app/decisions.h"
#include "app/requests.h"
#include "link/ftdi.h"
#include "link/notifier.h"
#include "link/usb_link.h"
#include "os/time.h"
#include "ui/messages.h"

namespace app {

// Main-window messages the poll thread posts.
constexpr uint32_t kMsgEnableMain = ui::MsgEnableMain;
constexpr uint32_t kMsgRestartBox = ui::MsgRestartBox;
constexpr uint32_t kMsgReadFromDevice = ui::MsgReadFromDevice;
constexpr uint32_t kMsgReadBackDone = ui::MsgReadBackDone;
constexpr uint32_t kMsgRemoteVersion = ui::MsgRemoteVersion;
constexpr uint32_t kMsgQuit = ui::MsgQuit;
static_assert(devlink::kMsgLinkFailed == ui::MsgLinkFailed && devlink::kMsgIdentified == ui::MsgIdentified);

class PollHost {
public:
    virtual ~PollHost() = default;

    virtual int32_t GetComSetting() = 0;
    virtual void SetComSetting(int32_t number) = 0;

    // The one-shot requests, served before the cycle's work.
    virtual void DumpDeviceState(devlink::UsbLink& link) = 0;
    virtual void SendResetDevice(devlink::UsbLink& link) = 0;
    virtual void SendWorkingMode(devlink::UsbLink& link) = 0;

    // The dialogs the loop serves; each says whether it exists.
    virtual bool DynEqDialogExists() = 0;
    virtual void DynEqSendPending(devlink::UsbLink& link) = 0;
    virtual bool WizardExists() = 0;
    virtual int WizardServeRequests(devlink::UsbLink& link) = 0;  // non-zero: something was sent
    virtual int ScanStep(devlink::UsbLink& link) = 0;             // 1: the link is open now
    virtual bool UpdateDialogExists() = 0;
    virtual int UpdateDialogState() = 0;
    virtual void UpdateSetStateAndSend(devlink::UsbLink& link, int state) = 0;
    virtual void RunFinalize(devlink::UsbLink& link) = 0;
    virtual bool FirmwareDialogExists() = 0;
    virtual int FirmwarePhase() = 0;
    virtual void RunFirmwareUpdate(devlink::UsbLink& link) = 0;

    // The write-to-device sequence and the idle cycle.
    virtual void MarkAllDirty() = 0;
    virtual void SendRoutingAndSources(devlink::UsbLink& link) = 0;
    virtual void SendAllPending(devlink::UsbLink& link) = 0;
    virtual void RequestExternalSourceResend(devlink::UsbLink& link) = 0;
    virtual void IdleSenders(devlink::UsbLink& link) = 0;
};

struct PollConfig {
    const devlink::FtdiApiTable* ftdi = nullptr;
    int32_t linkDeviceNumber = -1;  // the last device on which the device answered
    bool rescue = false;
    int versionMajor = 0;
    int versionMinor = 0;
    // Called with the loop's link right after it is made (tests attach their time-keeping).
    std::function<void(devlink::UsbLink&)> onLinkCreated;
    // The time the loop's sleeper keeps (null: the system's clock).
    const os::Clock* clock = nullptr;
};

class PollLoop {
public:
    static constexpr uint32_t kCycleMs = 25;

    PollLoop(PollRequests& requests, PollHost& host, devlink::LinkNotifier& notifier,
             os::Sleeper& sleeper, const PollConfig& config);

    // The thread body: returns when the stop flag is set, the program goes offline or the
    // firmware check fails.
    void Run();

    // Set by the destructor of the application; also cancels a reply wait in progress.
    void Stop() { stop_.store(1); }
    // 0 ends the loop at the next cycle (the program went offline), and a reply wait in progress
    // with it: a wizard's detection waits for the unit without a time-out.
    void SetOnline(bool online) {
        online_.store(online ? 1 : 0);
        if (!online) stop_.store(1);
    }
    bool Online() const { return online_.load() != 0; }

    // The loop's link; valid from the start of Run until the loop object is destroyed, so that
    // the user interface can still walk a read-back's frames after the thread has ended.
    devlink::UsbLink* Link() const { return link_.get(); }
    // The last device that answered, for the next link the application makes.
    int32_t LastGoodDevice() const { return lastGoodDevice_.load(); }

private:
    bool FirmwareRefused();
    void ChangeDevice(int32_t number);
    void ReadBack();
    void SendAll();
    void Idle();

    PollRequests& r_;
    PollHost& host_;
    devlink::LinkNotifier& notifier_;
    os::Sleeper& sleeper_;
    PollConfig config_;
    std::unique_ptr<devlink::UsbLink> link_;
    bool linkOpen_ = false;
    bool quit_ = false;
    std::atomic<int> stop_{0};
    std::atomic<int> online_{1};
    std::atomic<int32_t> lastGoodDevice_{-1};
};

}  // namespace app
