#include "pages/device_info_logic.h"

#include <cstring>

namespace pages {

DeviceInfoLines::DeviceInfoLines() {
    // Five rows over 47..165, the last two nudged down to sit on the panel's lower rules.
    for (int i = 0; i < kLineCount; ++i) {
        const int top = static_cast<int>(47 + i * 23.6);
        rect_[i] = {26, top, 434, top + 22};
    }
    rect_[3].top += 7;
    rect_[4].top += 4;
    for (int i = 0; i < 4; ++i) SetLine(i, " ");
    SetLine(4, "darvix not connected.");
}

void DeviceInfoLines::SetLine(int line, const char* text) {
    if (line < 0 || line >= kLineCount) return;
    std::array<char, kMaxLine + 1>& t = text_[line];
    t.fill('\0');
    if (!text) return;
    const size_t n = strnlen(text, kMaxLine);
    std::memcpy(t.data(), text, n);
}

}  // namespace pages
