// The program's private window messages (all in the WM_APP range), in one table: every window
// that sends or handles one of them names it from here. No windows.h, so that window-free code
// (the poll thread's decisions, tests) can use the same ids.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ui {

// X(name, id, what it carries). Add new messages here and nowhere else.
#define DARVIX_PRIVATE_MESSAGES(X)                                                              \
    X(MsgCreate, 0x8001, "right after WM_CREATE: start-up runs")                                    \
    X(MsgCloseApp, 0x8002, "caption bar close button, File > Exit: 0 / 0")                          \
    X(MsgMinimizeApp, 0x8003, "caption bar minimise button: 0 / 0")                                 \
    X(MsgEnableMain, 0x8004, "poll thread: enable / 0")                                             \
    X(MsgMasterLevel, 0x8005, "origin / float* master dB (sent)")                                   \
    X(MsgShowSource, 0x8006, "source 0..4 or -1 / 0")                                               \
    X(MsgQuerySourceFlags, 0x8007, "u32* out / 0 (sent)")                                           \
    X(MsgToggleSource, 0x8008, "Config > External Source item: source / 0")                         \
    X(MsgLinkFailed, 0x8009, "the link gave up writing: 1 / 0")                                     \
    X(MsgMuteFlagsChanged, 0x800A, "origin / u32[8] mutes (sent)")                                  \
    X(MsgChannelIcon, 0x800B, "channel or -1 / int[3] position, kind, variant (sent)")              \
    X(MsgQueryMasterLevel, 0x800C, "float* out / 0 (sent by the wizard)")                           \
    X(MsgRestartBox, 0x800D, "poll thread after a device reset: 0 / 0")                             \
    X(MsgDynamicEqSwitch, 0x800E, "1 off, 0 on / 0")                                                \
    X(MsgQueryDynamicEqSwitch, 0x800F, "int* out / 0 (sent)")                                       \
    X(MsgSelectPage, 0x8010, "page 0..2 / 0")                                                       \
    X(MsgWizard, 0x8011, "1 / 0 start; 0 / finished")                                               \
    X(MsgSetupFile, 0x8012, "1 load, 0 save / 0")                                                   \
    X(MsgCredits, 0x8013, "0 / 0")                                                                  \
    X(MsgSelectPreset, 0x8014, "preset 0..3 / 0")                                                   \
    X(MsgPresetFile, 0x8016, "1 load, 0 save / slot 0..3 or -1")                                    \
    X(MsgCopyPreset, 0x8017, "from 0..3 or -1 / to")                                                \
    X(MsgWorkingMode, 0x8018, "mode / 0")                                                           \
    X(MsgButtonClicked, 0x8020, "push button: 0 / HWND; switch: new state / HWND (posted)")      \
    X(MsgDragToggle, 0x8021, "switch drag-toggle: 1 / new state at the press, 0 / 0 at release") \
    X(MsgClipMask, 0x8022, "poll thread to the output-level page: clip bits / 0 (posted)")         \
    X(MsgDynamicEqDialog, 0x8030, "1 open, 0 closed / 0")                                           \
    X(MsgScan, 0x8031, "1 start / 0; 0 ended / result 0, 1, 2")                                     \
    X(MsgScanProgress, 0x8032, "poll thread to the scan dialog")                                    \
    X(MsgConnectDevice, 0x8034, "device number / 0")                                                \
    X(MsgReadFromDevice, 0x8035, "1 start / 0 first, 1 retry; 0 end / 1 quit")                      \
    X(MsgWriteToDevice, 0x8036, "1 / mode bits; 0 end / 1 OK")                                      \
    X(MsgExit, 0x8037, "1 / 1 show; 0 / answer 1, 0, -1")                                           \
    X(MsgCheckUpdates, 0x8038, "1 / 0")                                                             \
    X(MsgUpdateFirmware, 0x8039, "1 start / 0; 0 end / 0")                                          \
    X(MsgReadBackDone, 0x803A, "poll thread: 1 complete, 0 failed / the link")                      \
    X(MsgFirmwareResult, 0x803B, "poll thread to the firmware dialog")                              \
    X(MsgIdentified, 0x803C, "the link's identify: firmware version / flags")                       \
    X(MsgFinalizeResult, 0x803E, "poll thread to the write dialog: failed / result word")           \
    X(MsgSliderMoved, 0x8040, "slider: index / float* change of value (sent)")                  \
    X(MsgSliderRightButton, 0x8041, "slider right-click jump: 1 down, 0 up / 0 (posted)")       \
    X(MsgQueryLevelsMaster, 0x8046, "0 / float* out (sent by the external-source page)")            \
    X(MsgChannelMapSelection, 0x8050, "channel map selection changed")                          \
    X(MsgChannelMapCurrent, 0x8051, "channel map current row changed")                          \
    X(MsgChannelMapMutes, 0x8052, "channel map mutes changed")                                  \
    X(MsgSpeakerPicked, 0x8060, "car view speaker picked")                                      \
    X(MsgCarViewEdit, 0x8061, "car view edit")                                                  \
    X(MsgListeningPoint, 0x8062, "listening point changed")                                     \
    X(MsgEqBandChanged, 0x8070, "equaliser band gain changed")                                  \
    X(MsgEqLinkChanged, 0x8071, "equaliser link changed")                                       \
    X(MsgEqBandSwitch, 0x8072, "equaliser band switch")                                         \
    X(MsgEqOffChanged, 0x8073, "equaliser off changed")                                         \
    X(MsgCrossoverChanged, 0x8080, "crossover changed")                                         \
    X(MsgQueryWays, 0x8081, "query the ways of a speaker")                                      \
    X(MsgQueryKind, 0x8082, "query a speaker kind")                                             \
    X(MsgQueryWooferAtPosition, 0x8083, "query the woofer at a position")                       \
    X(MsgDelayTrimChanged, 0x8084, "delay trim changed")                                        \
    X(MsgCurveSwitches, 0x8090, "chart curve switches")                                         \
    X(MsgResetSettings, 0x80A0, "File > Reset Settings: 0 / 0")                                     \
    X(MsgInputDetectDone, 0x80B4, "input detection done")                                       \
    X(MsgOutputDetectDone, 0x80B5, "output detection done")                                     \
    X(MsgCarViewNextState, 0x80BE, "car view next wizard state")                                    \
    X(MsgRemoteVersion, 0x80C8, "poll thread: remote version (low byte major, next minor) / 0")     \
    X(MsgQuit, 0x80C9, "poll thread: exit code / 0")

#define DARVIX_MESSAGE_CONSTANT(name, id, what) inline constexpr uint32_t name = id;
DARVIX_PRIVATE_MESSAGES(DARVIX_MESSAGE_CONSTANT)
#undef DARVIX_MESSAGE_CONSTANT

// MsgWriteToDevice's lParam that writes the whole tuning at once, without a question (after a
// file load, a preset copy or a new configuration).
inline constexpr intptr_t kWriteAtOnce = 0x10000;

struct PrivateMessage {
    uint32_t id;
    const char* name;
    const char* carries;
};

#define DARVIX_MESSAGE_ROW(name, id, what) {id, #name, what},
inline constexpr PrivateMessage kPrivateMessages[] = {DARVIX_PRIVATE_MESSAGES(DARVIX_MESSAGE_ROW)};
#undef DARVIX_MESSAGE_ROW

// The name of a private message, or null (for logs and test failures).
constexpr const char* PrivateMessageName(uint32_t id) {
    for (const PrivateMessage& m : kPrivateMessages)
        if (m.id == id) return m.name;
    return nullptr;
}

namespace detail {
constexpr bool PrivateMessagesAreDistinctAndInRange() {
    constexpr size_t n = sizeof(kPrivateMessages) / sizeof(kPrivateMessages[0]);
    for (size_t i = 0; i < n; ++i) {
        if (kPrivateMessages[i].id < 0x8000 || kPrivateMessages[i].id > 0xBFFF) return false;
        for (size_t j = i + 1; j < n; ++j)
            if (kPrivateMessages[i].id == kPrivateMessages[j].id) return false;
    }
    return true;
}
}  // namespace detail
static_assert(detail::PrivateMessagesAreDistinctAndInRange(),
              "two private messages share an id, or one lies outside the WM_APP range");

}  // namespace ui
