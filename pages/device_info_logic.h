// The device status lines (DeviceInfo) without their window: five lines of text and where each
// is drawn.
#pragma once

#include <array>

namespace pages {

struct LineRect {
    int left, top, right, bottom;
};

class DeviceInfoLines {
public:
    static constexpr int kLineCount = 5;
    // A line keeps at most this many characters (its buffer holds them and the terminator).
    static constexpr int kMaxLine = 63;

    DeviceInfoLines();
    // Lines outside 0..4 are ignored; a null text empties the line (an empty line is not drawn).
    void SetLine(int line, const char* text);
    const char* Line(int line) const { return text_[line].data(); }
    const LineRect& Rect(int line) const { return rect_[line]; }

private:
    std::array<std::array<char, kMaxLine + 1>, kLineCount> text_{};
    std::array<LineRect, kLineCount> rect_{};
};

}  // namespace pages
