// The application object: one for the program's lifetime, created before any window. It owns the
// pages and dialogs, the FTDI table, the program's version, the connection mode, the request words
// and the poll thread, and handles the main window's messages.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/decisions.h"
#include "app/pending_commands.h"
#include "app/poll_loop.h"
#include "app/requests.h"
#include "app/sender_lists.h"
#include "app/win_notifier.h"
#include "link/ftdi.h"
#include "os/settings.h"

namespace ui {
class CaptionBar;
}
namespace pages {
class DSPSetting;
class OutputLevel;
class ExtSourceEq;
class TabBarCtrl;
}  // namespace pages
namespace dialogs {
class WizardDlg;
class EqDynamicDlg;
class ScanPortDlg;
class SyncDspDlg;
class UpdateDspDlg;
class SoftwareUpdateDlg;
class ExitDlg;
}  // namespace dialogs

namespace app {

// The host interface the application object was written for; this program has no host.
class NuModule {
public:
    NuModule(void* hostCallback, void* hostContext) : host_(hostCallback), context_(hostContext) {}
    virtual ~NuModule() = default;
    virtual intptr_t ModuleProc(int code, intptr_t a, intptr_t b, intptr_t c) { return 0; }

protected:
    void* host_;
    void* context_;
};

class Darvix : public NuModule, public PollHost {
public:
    Darvix(void* hostCallback, void* hostContext);
    ~Darvix() override;

    intptr_t ModuleProc(int code, intptr_t a, intptr_t b, intptr_t c) override;

    // The main window's handler: non-zero when the message was handled (the window procedure then
    // returns 0 without DefWindowProc).
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // A key pressed in the main window or any window inside it: the hidden keys (left Ctrl and
    // right Shift with R or D).
    void OnHotKey(WPARAM key);

    void OnCreate(HWND main);
    void ShowPage(int page);
    void SelectPreset(int preset, int fromUser);

    // File commands (the dialogs are the system's).
    void LoadSetupFile(HWND owner);
    // Returns false when the save failed (not when the user cancelled it).
    bool SaveSetupFile(HWND owner);
    void LoadPresetFile(HWND owner, int slot);
    void SavePresetFile(HWND owner, int slot);
    void CopyPreset(int from, int to);
    int ChooseFirmwareImage(HWND owner);

    void ResetSettings();
    void SetWorkingMode(int mode);
    // A finished wizard: the output levels reset, the tuning takes the new layout, the external
    // sources and the signal meter the new inputs.
    void ApplyWizardResult();
    int QueryClose();
    void OnDeviceMessage(devlink::UsbLink* link, int discard);

    int CurrentPage() const { return currentPage_; }
    bool Online() const { return online_ != 0; }

    // PollHost.
    int32_t GetComSetting() override;
    void SetComSetting(int32_t number) override;
    void DumpDeviceState(devlink::UsbLink& link) override;
    void SendResetDevice(devlink::UsbLink& link) override;
    void SendWorkingMode(devlink::UsbLink& link) override;
    bool DynEqDialogExists() override { return eqDynamic_ != nullptr; }
    void DynEqSendPending(devlink::UsbLink& link) override;
    bool WizardExists() override { return wizard_ != nullptr; }
    int WizardServeRequests(devlink::UsbLink& link) override;
    int ScanStep(devlink::UsbLink& link) override;
    bool UpdateDialogExists() override { return update_ != nullptr; }
    int UpdateDialogState() override;
    void UpdateSetStateAndSend(devlink::UsbLink& link, int state) override;
    void RunFinalize(devlink::UsbLink& link) override;
    bool FirmwareDialogExists() override { return firmware_ != nullptr; }
    int FirmwarePhase() override;
    void RunFirmwareUpdate(devlink::UsbLink& link) override;
    void MarkAllDirty() override;
    void SendRoutingAndSources(devlink::UsbLink& link) override;
    void SendAllPending(devlink::UsbLink& link) override;
    void RequestExternalSourceResend(devlink::UsbLink& link) override;
    void IdleSenders(devlink::UsbLink& link) override;

private:
    // The main window's messages, one handler each (routed by HandleMessage).
    LRESULT OnDestroy(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnPaint(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnClose(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnKeyDown(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnTimer(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnCreateMessage(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnCloseApp(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnMinimizeApp(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnEnableMain(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnMasterLevel(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnShowSource(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnQuerySourceFlags(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnToggleSource(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnLinkFailed(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnMuteFlagsChanged(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnChannelIcon(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnQueryMasterLevel(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnQueryLevelsMaster(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnRestartBox(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnDynamicEqSwitch(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnQueryDynamicEqSwitch(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnSelectPage(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnWizard(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnSetupFile(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnCredits(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnSelectPreset(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnPresetFile(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnCopyPreset(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnWorkingMode(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnDynamicEqDialog(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnScan(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnConnectDevice(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnReadFromDevice(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnWriteToDevice(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnExit(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnCheckUpdates(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnUpdateFirmware(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnReadBackDone(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnIdentified(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnResetSettingsMessage(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnRemoteVersion(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnQuit(HWND window, WPARAM wParam, LPARAM lParam);
    // The two master-level queries' answer: the output-level page's master, 0 without one.
    void AnswerMasterLevel(float* out);

    void OpenDialog(HWND dialog);
    void CloseDialogSteps(HWND dialog, bool showMain);
    void GoOffline();
    void LinkFailure(WPARAM w);
    void AskDeferredLinkFailure();
    void EndAfterWizardCancel();
    void OnWizardCancelTimer();
    void StartPollThread();
    void StopPollThread();
    devlink::UsbLink* PollLink() const;
    bool AnythingChanged() const;
    void AfterLoad(int extSourceResult);
    // The idle cycle's and the write's senders, once every page and dialog exists.
    void BuildSenderLists();
    std::string ChooseFile(HWND owner, bool save, const char* display, const char* pattern, const char* ext);

    // Pages and dialogs, in the order they are made.
    pages::DSPSetting* dsp_ = nullptr;
    pages::OutputLevel* levels_ = nullptr;
    pages::ExtSourceEq* sources_ = nullptr;
    ui::CaptionBar* caption_ = nullptr;
    pages::TabBarCtrl* tabs_ = nullptr;
    dialogs::WizardDlg* wizard_ = nullptr;
    dialogs::EqDynamicDlg* eqDynamic_ = nullptr;
    dialogs::ScanPortDlg* scan_ = nullptr;
    dialogs::SyncDspDlg* sync_ = nullptr;
    dialogs::UpdateDspDlg* update_ = nullptr;
    dialogs::ExitDlg* exit_ = nullptr;
    dialogs::SoftwareUpdateDlg* firmware_ = nullptr;

    uint32_t online_ = 0;
    uint32_t rescue_ = 0;
    int currentPage_ = -1;
    ULONG_PTR gdiplusToken_ = 0;
    std::thread pollThread_;
    std::unique_ptr<PollLoop> poll_;
    int32_t deviceNumber_ = -1;
    PollRequests requests_;
    int firmwareChosen_ = 0;
    char firmwarePath_[262] = {};
    // The chosen image file as it was checked: the upload sends these bytes, not the file again.
    std::vector<uint8_t> firmwareImage_;
    uint32_t restartPending_ = 0;
    uint32_t changed_ = 0;
    uint32_t closing_ = 0;
    HWND main_ = nullptr;
    uint32_t deviceBlank_ = 0;
    PendingCommands pending_;
    SenderLists senders_;
    int32_t linkDeviceNumber_ = -1;
    devlink::FtdiApiTable ftdi_;
    int ftdiLoad_ = 0;
    int version_[4] = {0, 0, 0, 0};
    int readRetries_ = 0;
    // A link failure reported while a read-back ran; its flow runs when the read-back ends.
    WPARAM deferredLinkFailure_ = 0;
    // How long the main window has waited for the poll thread to serve a blank unit's cancelled
    // wizard before the program ends.
    uint32_t cancelWaitMs_ = 0;
    bool endingAfterCancel_ = false;
    WindowNotifier notifier_;
    os::Settings& settings_;
};

}  // namespace app
