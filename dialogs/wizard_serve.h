// The I/O wizard's device exchanges, served on the poll thread. The wizard's window never talks to
// the unit: leaving a step with Next, or cancelling, raises a request word of WizardLogic, and
// WizardServer::ServeRequests turns the raised words into the unit's messages (the wizard start,
// the input configuration, the input and output detections with their status replies, the routing
// and output map at the end, the master level restored on a cancel).
//
// Threads: ServeRequests runs on the poll thread only. It reads the request words, copies the
// record the user-interface thread published (WizardLogic::ServedRecord) and touches no window;
// what it has to tell or ask the window goes through WizardServeHost, which the window implements
// with PostMessageA and a bounded SendMessageTimeoutA.
#pragma once

#include <cstdint>

#include "dialogs/wizard_logic.h"
#include "link/frame.h"
#include "link/usb_link.h"

namespace dialogs {

// What the serving class needs of the wizard's window. Both calls come from the poll thread.
class WizardServeHost {
public:
    virtual ~WizardServeHost() = default;
    // Posts a detection's result to the wizard's own window: message ui::MsgInputDetectDone or
    // ui::MsgOutputDetectDone, endFlag 1 when the unit ended the detection and 0 when it was
    // cancelled or never started, status the last status byte received (0 when none).
    virtual void PostDetectionResult(uint32_t message, uintptr_t endFlag, intptr_t status) = 0;
    // Asks the main window for the output-level page's master level in dB (ui::MsgQueryMasterLevel,
    // wParam = float*). Must return within a bounded time, also when the main window does not
    // pump messages (its destructor joins the poll thread): leave *dB as it is when unanswered.
    virtual void QueryMasterLevel(float* dB) = 0;
};

// The level the wizard sets the unit to while it runs, and the level restored when the main
// window does not answer.
constexpr float kWizardMasterLevelDb = -45.0f;
// Pauses of the exchanges.
constexpr uint32_t kLevelSettleMs = 100;
constexpr uint32_t kServePassMs = 15;

// The wizard's frames. The master level is the output-level page's own frame (0x0A to the level
// node, two steps per dB above -60 dB, truncated).
devlink::Frame BuildLevelMessage(float dB);
devlink::Frame BuildLevelMessage30();  // -45 dB
devlink::Frame BuildMessageA2();       // the unit enters wizard mode
devlink::Frame BuildInputConfigMessage(const WizardIoRecord& record);  // 0xA3, 20 bytes
devlink::Frame BuildInputMeasureRequest();   // 0x85
devlink::Frame BuildOutputMeasureRequest();  // 0x83
// 0xA4 (46 bytes) and the output map 0x18 (15 bytes) from the record's label walk
// (LabelAssignments).
devlink::Frame BuildRoutingMessage(const WizardIoRecord& record);
devlink::Frame BuildMessage18(const WizardIoRecord& record);

class WizardServer {
public:
    WizardServer(WizardLogic& logic, WizardServeHost& host) : logic_(logic), host_(host) {}

    // One pass over the raised request words, in their fixed order. Returns non-zero when
    // anything was served. A null link serves nothing. A detection waits in the link's one reply
    // wait and ends by its rule: a final status, the step's cancel word, the link's stop flag, the
    // link closed or failed, the unit gone.
    int ServeRequests(devlink::UsbLink* link);

private:
    void Detect(devlink::UsbLink& link, bool input);

    WizardLogic& logic_;
    WizardServeHost& host_;
};

}  // namespace dialogs
