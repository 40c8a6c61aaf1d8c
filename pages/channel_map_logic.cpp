#include "pages/channel_map_logic.h"

#include <algorithm>
#include <cstdio>

#include "pages/speaker_rules.h"
#include "ui/messages.h"

namespace pages {
namespace {

// The cursor's whole rows area.
constexpr PanelRect kRowsArea{13, 34, 294, 259};

constexpr int kLeftMidHi = 3;
constexpr int kRightMidHi = 7;

constexpr uint32_t kSelectedFill = 0x80787878u;
constexpr uint32_t kEditText = 0xFFFF3C3Cu;
constexpr uint32_t kLineDark = 0xFF808080u;
constexpr uint32_t kLineShade = 0xC8464646u;
constexpr uint32_t kLabel = 0xFF7471FCu;
constexpr uint32_t kLabelSelected = 0xDC9C99FCu;
constexpr uint32_t kMuteOff = 0xFFA0A0A0u;
constexpr uint32_t kGreen = 0xFF64FF64u;

// A row's name: only positions and kinds the two name tables hold have one; a row whose speaker
// lies outside them (files and the model accept positions and kinds up to 11) stays nameless.
std::string NameOf(int position, int kind) {
    if (position >= model::kPositionCount || kind >= model::kKindCount) return "";
    return SpeakerRowName(position, kind);
}

}  // namespace

ChannelMapLogic::ChannelMapLogic(PageMessages* messages) : messages_(messages) {}

void ChannelMapLogic::SetRow(int row, int position, int kind, bool redraw, int variant,
                             uint32_t amplifier) {
    if (!Valid(row)) return;
    Row& r = rows_[row];
    if (position >= 0 && kind >= 0) {
        r.position = position;
        r.kind = kind;
        r.name = NameOf(position, kind);
        r.variant = variant;
        r.amplifier = amplifier;
    } else {
        r.position = r.kind = -1;
        r.variant = 0;
        r.amplifier = 0;
        r.name = "Not Connected";
    }
    // A newly assigned output starts playing.
    mute_[row] = 0;
    if (redraw) Repainted();
}

void ChannelMapLogic::ResetRows(bool redraw) {
    for (Row& r : rows_) {
        r.name = "Not Connected";
        r.position = r.kind = -1;
        r.selected = false;
        r.amplifier = 0;
        r.variant = -1;
    }
    on_.fill(0);
    if (redraw) Repainted();
    // The output-level page clears its channel icons.
    if (messages_) messages_->SendToMain(ui::MsgChannelIcon, -1, 0);
}

void ChannelMapLogic::LoadFromChannels(const model::DspChannelRecord* records) {
    ResetRows(false);
    if (records)
        for (int o = 0; o < model::kChannelCount; ++o) {
            const model::DspChannelRecord& r = records[o];
            SetRow(r.output, r.position, r.kind, false, r.passiveVariant,
                   static_cast<uint32_t>(r.amplifier));
        }
    Repainted();
}

void ChannelMapLogic::SelectByAssignment(int position, int kind, bool state, bool clearFirst,
                                         bool redraw) {
    if (clearFirst)
        for (Row& r : rows_) r.selected = false;
    for (Row& r : rows_)
        if (r.position == position && r.kind == kind) r.selected = state;
    if (redraw) Repainted();
}

void ChannelMapLogic::SetCurrentRow(int row) {
    if (!Valid(row)) return;
    for (Row& r : rows_) r.current = false;
    const int target = rows_[row].selected ? row : FirstSelected();
    if (target >= 0) rows_[target].current = true;
    Repainted();
}

int ChannelMapLogic::GetCurrentRow() const {
    for (int i = 0; i < model::kChannelCount; ++i)
        if (rows_[i].selected && rows_[i].current) return i;
    return -1;
}

int ChannelMapLogic::FirstSelected() const {
    for (int i = 0; i < model::kChannelCount; ++i)
        if (rows_[i].selected) return i;
    return -1;
}

int ChannelMapLogic::CountSelected() const {
    return static_cast<int>(
        std::count_if(rows_.begin(), rows_.end(), [](const Row& r) { return r.selected; }));
}

int ChannelMapLogic::ListSelected(SpeakerTriple* out, int max) const {
    if (!out || max <= 0) return 0;
    std::fill(out, out + max, SpeakerTriple{});
    int n = 0;
    for (int i = 0; i < model::kChannelCount && n < max; ++i)
        if (rows_[i].selected) out[n++] = {rows_[i].position, rows_[i].kind, i};
    return n;
}

void ChannelMapLogic::GetRowAssignment(int row, int* position, int* kind) const {
    if (position) *position = Valid(row) ? rows_[row].position : -1;
    if (kind) *kind = Valid(row) ? rows_[row].kind : -1;
}

std::string ChannelMapLogic::GetRowLabel(int row) const {
    if (!Valid(row)) return "";
    const Row& r = rows_[row];
    if ((r.position == model::kFrontLeft || r.position == model::kFrontRight) &&
        (r.variant == kLeftMidHi || r.variant == kRightMidHi))
        return r.position == model::kFrontLeft ? "Front Left Mid-Hi" : "Front Right Mid-Hi";
    return r.name;
}

std::string ChannelMapLogic::RowText(int row) const {
    if (!Valid(row) || rows_[row].name.empty()) return "";
    return std::to_string(row + 1) + ": " + GetRowLabel(row);
}

bool ChannelMapLogic::HasWooferAt(int position) const { return HasAssignment(position, model::kWoofer); }

int ChannelMapLogic::CountAtPosition(int position) const {
    return static_cast<int>(std::count_if(rows_.begin(), rows_.end(),
                                          [&](const Row& r) { return r.position == position; }));
}

bool ChannelMapLogic::HasAssignment(int position, int kind) const {
    return std::any_of(rows_.begin(), rows_.end(),
                       [&](const Row& r) { return r.position == position && r.kind == kind; });
}

void ChannelMapLogic::SetChannelOn(int output, bool on, bool redraw) {
    if (!Valid(output)) return;
    on_[output] = on ? 1 : 0;
    if (redraw) Repainted();
}

int ChannelMapLogic::GetMuteFlags(uint32_t* out, int n) const {
    if (!out || n <= 0) return 0;
    std::fill(out, out + n, 0u);
    const int m = std::min(n, model::kChannelCount);
    std::copy(mute_.begin(), mute_.begin() + m, out);
    return m;
}

void ChannelMapLogic::SetMuteFlags(const uint32_t* flags) {
    if (!flags) return;
    for (int i = 0; i < model::kChannelCount; ++i) mute_[i] = flags[i] ? 1 : 0;
    Repainted();
}

bool ChannelMapLogic::CanCombineKinds(int position, int kind) const {
    SpeakerTriple selected[kMaxTriples];
    const int n = ListSelected(selected, kMaxTriples);
    return pages::CanCombineKinds(selected, n, position, kind);
}

int ChannelMapLogic::RowAt(int x, int y) const {
    for (int i = 0; i < model::kChannelCount; ++i)
        if (RowRect(i).Contains(x, y)) return i;
    return -1;
}

Notification ChannelMapLogic::OnLButtonDown(int x, int y, bool ctrl) {
    Notification result;
    const int selectedCount = CountSelected();
    if (x >= kRowLeft && x < kMuteRight) {
        for (int i = 0; i < model::kChannelCount; ++i) {
            const PanelRect band = RowRect(i);
            if (y >= band.top && y < band.bottom) {
                mute_[i] = mute_[i] ? 0 : 1;
                break;
            }
        }
        Repainted();
        UpdateCursor(x, y, ctrl);
        return {ui::MsgChannelMapMutes, 0, 0};
    }
    bool handled = false;
    if (x > kRowRight - kEditWidth && x < kRowRight && selectedCount >= 2) {
        handled = true;
        const int row = RowAt(x, y);
        if (row >= 0 && rows_[row].selected && !rows_[row].current) {
            for (Row& r : rows_) r.current = false;
            rows_[row].current = true;
            Repainted();
            UpdateCursor(x, y, ctrl);
            return {ui::MsgChannelMapCurrent, row, 0};
        }
    }
    const int row = handled ? -1 : RowAt(x, y);
    if (row >= 0 && Assigned(row)) {
        Row& clicked = rows_[row];
        const bool acts = !ctrl || (clicked.selected && selectedCount >= 2) ||
                          (!clicked.selected && CanCombineKinds(clicked.position, clicked.kind));
        if (acts) {
            int cur = -1;
            for (int i = 0; i < model::kChannelCount && cur < 0; ++i)
                if (rows_[i].current) cur = i;
            bool changed = false;
            if (!ctrl) {
                for (int i = 0; i < model::kChannelCount; ++i) {
                    const bool want = i == row;
                    changed = changed || rows_[i].selected != want;
                    rows_[i].selected = want;
                }
            } else {
                clicked.selected = !clicked.selected;
                changed = true;
                if (clicked.selected)
                    cur = row;
                else if (cur == row)
                    cur = -1;
            }
            for (Row& r : rows_) r.current = false;
            int reported = row;
            if (ctrl) {
                if (cur < 0) cur = FirstSelected();
                if (cur >= 0) rows_[cur].current = true;
                // A Ctrl-click reports the speaker of the row that is now current (the row the
                // page loads), not a row it has just deselected.
                reported = cur;
            }
            Repainted();
            if (changed && reported >= 0)
                result = {ui::MsgChannelMapSelection, rows_[reported].position, rows_[reported].kind};
        }
    }
    UpdateCursor(x, y, ctrl);
    return result;
}

int ChannelMapLogic::UpdateCursor(int x, int y, bool ctrl) {
    if (!kRowsArea.Contains(x, y)) {
        cursor_ = kCursorArrow;
        return cursor_;
    }
    const int editLeft = kRowRight - kEditWidth;
    const int selectedCount = CountSelected();
    if (ctrl && x < editLeft) {
        const int row = RowAt(x, y);
        if (row >= 0 && rows_[row].selected) {
            // Over a selected row: the minus cursor when a Ctrl-click would deselect it.
            if (selectedCount >= 2) cursor_ = kCursorMinus;
        } else {
            cursor_ = kCursorPlus;
        }
        return cursor_;
    }
    if (x <= editLeft) {
        cursor_ = x <= kMuteRight ? kCursorHand : kCursorArrow;
        return cursor_;
    }
    const int row = RowAt(x, y);
    cursor_ = row >= 0 && rows_[row].selected && !rows_[row].current && selectedCount >= 2
                  ? kCursorHand
                  : kCursorArrow;
    return cursor_;
}

std::vector<MapPaintItem> ChannelMapLogic::PaintPlan() const {
    std::vector<MapPaintItem> plan;
    const int selectedCount = CountSelected();
    for (int i = 0; i < model::kChannelCount; ++i) {
        const Row& r = rows_[i];
        const PanelRect rect = RowRect(i);
        const int h = rect.bottom - rect.top;
        plan.push_back({MapPaintItem::Background, rect});
        if (r.selected) {
            plan.push_back({MapPaintItem::Fill, rect, kSelectedFill});
            if (r.current || selectedCount == 1)
                plan.push_back({MapPaintItem::Text,
                                {rect.right - kEditWidth, rect.top + 5, rect.right, rect.top + 5 + h - 4},
                                kEditText, "edit", 10, true});
            for (int lineX : {rect.right - kEditWidth, rect.right - kEditWidth - kMarkWidth}) {
                plan.push_back({MapPaintItem::Line, {lineX, rect.top, lineX, rect.bottom}, kLineDark});
                plan.push_back(
                    {MapPaintItem::Line, {lineX + 1, rect.top, lineX + 1, rect.bottom}, kLineShade});
            }
        }
        const std::string text = RowText(i);
        if (!text.empty())
            plan.push_back({MapPaintItem::Text,
                            {rect.left + 40, rect.top + 4, rect.right - 32, rect.top + 4 + h - 4},
                            r.selected ? kLabelSelected : kLabel, text, 12, false});
        if (r.position >= 0 && r.kind >= 0) {
            plan.push_back({MapPaintItem::Text,
                            {rect.left + 3, rect.top + 5, rect.left + 3 + kMuteWidth, rect.top + 5 + h},
                            mute_[i] ? kGreen : kMuteOff, "mute", 10, true});
            if (on_[i])
                plan.push_back({MapPaintItem::Text,
                                {rect.right - 61, rect.top + 5, rect.right - 61 + kMarkWidth,
                                 rect.top + 5 + h},
                                kGreen, "fds", 10, true});
        }
    }
    return plan;
}

}  // namespace pages
