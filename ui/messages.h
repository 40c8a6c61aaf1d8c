// The program's private window messages (all in the WM_APP range), in one table: every window
// that sends or handles one of them names it from here. No windows.h, so that window-free code
// (the poll thread's decisions, tests) can use the same ids.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ui {

// X(name, id, what it carries). Add new messages here and nowhere else.
#define DARVIX_PRIVATE_MESSAGES(X)                                                              \
    X(MsgCloseApp, 0x8002, "caption bar close button, File > Exit: 0 / 0")                       \
    X(MsgMinimizeApp, 0x8003, "caption bar minimise button: 0 / 0")                              \
    X(MsgButtonClicked, 0x8020, "push button: 0 / HWND; switch: new state / HWND (posted)")      \
    X(MsgDragToggle, 0x8021, "switch drag-toggle: 1 / new state at the press, 0 / 0 at release") \
    X(MsgSliderMoved, 0x8040, "slider: index / float* change of value (sent)")                  \
    X(MsgSliderRightButton, 0x8041, "slider right-click jump: 1 down, 0 up / 0 (posted)")       \
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
    X(MsgInputDetectDone, 0x80B4, "input detection done")                                       \
    X(MsgOutputDetectDone, 0x80B5, "output detection done")                                     \
    X(MsgCarViewNextState, 0x80BE, "car view next wizard state")

#define DARVIX_MESSAGE_CONSTANT(name, id, what) inline constexpr uint32_t name = id;
DARVIX_PRIVATE_MESSAGES(DARVIX_MESSAGE_CONSTANT)
#undef DARVIX_MESSAGE_CONSTANT

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
