// What the main window's private messages decide, apart from the windows they act on: how a
// message's words are read and which steps of its flow run. The handlers in darvix_messages.cpp
// carry the steps out.
#pragma once

#include <cstdint>

namespace app {

// MsgMasterLevel, MsgMuteFlagsChanged: from 0 the output-level page's, from any other word the
// other side's (the external sources' level, the channel map's mutes).
constexpr bool ForOutputLevels(uintptr_t wParam) { return wParam == 0; }

// MsgQuerySourceFlags: the enabled sources' flags as one bit per source (bit i = source i).
constexpr int kSourceFlagCount = 5;
uint32_t SourceFlagMask(const uint32_t flags[kSourceFlagCount]);

// MsgToggleSource: the source's flag turned over; false (nothing changed) for a source that does not exist.
bool ToggleSourceFlag(uint32_t flags[kSourceFlagCount], uintptr_t source);

// MsgQueryMasterLevel, MsgQueryLevelsMaster: the master level among the output-level page's values (the ninth of them), 0
// when the page gave no more than eight.
float MasterLevelOf(const float* values, int count);

// MsgChannelIcon: a channel below 0, or no icon words, clears every channel's icon.
constexpr bool ClearsAllIcons(intptr_t channel, const int* words) { return channel < 0 || !words; }

// MsgLinkFailed while a device dialog is open: the failure asked about later; a report of 0 (the link
// is well again) keeps the one already held.
constexpr uintptr_t HeldLinkFailure(uintptr_t held, uintptr_t reported) { return reported ? reported : held; }

// MsgSelectPreset: only the four presets are selected.
constexpr bool IsPreset(uintptr_t wParam) { return wParam < 4; }

// MsgConnectDevice: device numbers above 0 ask the poll thread to connect to them.
constexpr bool IsDeviceNumber(int32_t number) { return number > 0; }

// MsgIdentified (version, flags): the status lines' connected unit; bit 0 the star, bit 1 the remote.
struct IdentifiedUnit {
    uint32_t version;
    int star;
    int remote;
};
IdentifiedUnit DecodeIdentified(uintptr_t wParam, intptr_t lParam);

// MsgRemoteVersion (version): the remote accessory's major (low byte) and minor (next byte); shown only when
// both are set.
struct RemoteVersion {
    int major;
    int minor;
    bool show;
};
RemoteVersion DecodeRemoteVersion(uintptr_t wParam);

// MsgWizard (0, result): the end of the I/O wizard. Result 1 finished it, 0 abandoned it.
struct WizardEnd {
    bool applyResult;  // the pages take the wizard's layout and the unit counts as set up
    bool endProgram;   // a blank unit abandoned online cannot be used: the program ends
    bool showMain;     // otherwise the main window returns (and a held link failure is asked)
};
WizardEnd DecideWizardEnd(intptr_t result, bool online, bool deviceBlank);

// MsgReadFromDevice: how a read request goes.
enum class ReadTurn {
    Ignore,     // no dialog, or offline
    ShowMain,   // "Rescue Mode" reads nothing: the main window returns
    Start,      // (1, l): the dialog starts; shown with the main window disabled when l is 0
    End,        // (0, l): the dialog ends; l non-zero ends the program with it
};
ReadTurn DecideReadTurn(bool dialogExists, bool online, bool rescue, uintptr_t wParam);

}  // namespace app
