#include "app/message_decisions.h"

namespace app {

uint32_t SourceFlagMask(const uint32_t flags[kSourceFlagCount]) {
    uint32_t mask = 0;
    for (int i = 0; i < kSourceFlagCount; ++i)
        if (flags[i]) mask |= 1u << i;
    return mask;
}

bool ToggleSourceFlag(uint32_t flags[kSourceFlagCount], uintptr_t source) {
    if (source >= kSourceFlagCount) return false;
    flags[source] = flags[source] ? 0 : 1;
    return true;
}

float MasterLevelOf(const float* values, int count) { return values && count > 8 ? values[8] : 0.0f; }

IdentifiedUnit DecodeIdentified(uintptr_t wParam, intptr_t lParam) {
    return {static_cast<uint32_t>(wParam), static_cast<int>(lParam & 1), static_cast<int>((lParam >> 1) & 1)};
}

RemoteVersion DecodeRemoteVersion(uintptr_t wParam) {
    const int major = static_cast<int>(wParam & 0xFF), minor = static_cast<int>((wParam >> 8) & 0xFF);
    return {major, minor, major != 0 && minor != 0};
}

WizardEnd DecideWizardEnd(intptr_t result, bool online, bool deviceBlank) {
    WizardEnd e{};
    e.applyResult = result == 1;
    // A finished wizard has set the unit up, so only an abandoned one of a blank unit ends it all.
    e.endProgram = result == 0 && online && deviceBlank;
    e.showMain = !e.endProgram;
    return e;
}

ReadTurn DecideReadTurn(bool dialogExists, bool online, bool rescue, uintptr_t wParam) {
    if (!dialogExists || !online) return ReadTurn::Ignore;
    if (rescue) return ReadTurn::ShowMain;
    return wParam == 1 ? ReadTurn::Start : ReadTurn::End;
}

}  // namespace app
