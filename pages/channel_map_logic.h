// The channel map without its window: one row per output naming the speaker it feeds, with its
// mute switch, its "fds" mark (a delay trim) and its selection. Clicks are taken by zone (mute on
// the left, "edit" on the right when several rows are selected, the row elsewhere) and answered
// with the notification the window sends its page; the cursor follows the same zones.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "pages/channel_views.h"
#include "pages/page_messages.h"
#include "pages/panel_types.h"

namespace pages {

// The cursors the panel shows: the system's arrow and hand, or a cursor resource by its id.
constexpr int kCursorArrow = 0;
constexpr int kCursorHand = 1;
constexpr int kCursorPlus = 172;
constexpr int kCursorMinus = 173;

// One drawing step of the panel, in order; colours are ARGB.
struct MapPaintItem {
    enum Kind { Background, Fill, Line, Text } kind = Background;
    PanelRect rect{};  // a line runs from (left, top) to (left, bottom)
    uint32_t argb = 0;
    std::string text;  // UTF-8
    int points = 0;    // font size of a text ("Arial")
    bool centred = false;
};

class ChannelMapLogic : public ChannelMapView {
public:
    // messages: where ResetRows tells the main window (may be null).
    explicit ChannelMapLogic(PageMessages* messages = nullptr);

    // Panel geometry.
    static constexpr int kRowLeft = 13, kRowRight = 294, kRowTop = 35, kRowHeight = 28;
    static constexpr int kMuteRight = 48;    // the mute zone runs from the row's left to here
    static constexpr int kEditWidth = 32;    // the edit zone ends at the row's right
    static constexpr int kMarkWidth = 29;    // the "fds" mark left of the edit zone
    static constexpr int kMuteWidth = 35;
    static PanelRect RowRect(int row) {
        return {kRowLeft, kRowTop + kRowHeight * row, kRowRight, kRowTop + kRowHeight * (row + 1)};
    }

    // ChannelMapView.
    void SetRow(int row, int position, int kind, bool redraw, int variant,
                uint32_t amplifier) override;
    void ResetRows(bool redraw) override;
    void LoadFromChannels(const model::DspChannelRecord* records) override;
    void SelectByAssignment(int position, int kind, bool state, bool clearFirst,
                            bool redraw) override;
    void SetCurrentRow(int row) override;
    int GetCurrentRow() const override;
    int FirstSelected() const override;
    int CountSelected() const override;
    int ListSelected(SpeakerTriple* out, int max) const override;
    void GetRowAssignment(int row, int* position, int* kind) const override;
    std::string GetRowLabel(int row) const override;
    bool HasWooferAt(int position) const override;
    void SetChannelOn(int output, bool on, bool redraw) override;
    int GetMuteFlags(uint32_t* out, int n) const override;
    void SetMuteFlags(const uint32_t* flags) override;

    bool IsRowSelected(int row) const { return Valid(row) && rows_[row].selected; }
    bool IsRowCurrent(int row) const { return Valid(row) && rows_[row].current; }
    bool IsChannelOn(int row) const { return Valid(row) && on_[row] != 0; }
    bool IsMuted(int row) const { return Valid(row) && mute_[row] != 0; }
    std::string GetRowName(int row) const { return Valid(row) ? rows_[row].name : ""; }
    int CountAtPosition(int position) const;
    bool HasAssignment(int position, int kind) const;
    bool CanCombineKinds(int position, int kind) const;
    // The text drawn on the row: "<row + 1>: <label>", empty for a row without a name.
    std::string RowText(int row) const;

    // A left click; the notification to send (none when nothing changed). The cursor is updated.
    Notification OnLButtonDown(int x, int y, bool ctrl);
    // Picks the cursor for the point and keys and stores it; returns it.
    int UpdateCursor(int x, int y, bool ctrl);
    int Cursor() const { return cursor_; }

    // The drawing of the rows over the skin.
    std::vector<MapPaintItem> PaintPlan() const;
    // Counts every change that needs the window repainted; the window repaints in the handler.
    int Repaints() const { return repaints_; }
    void SetRepaintHandler(std::function<void()> handler) { onRepaint_ = std::move(handler); }

private:
    struct Row {
        int position = -1, kind = -1, variant = -1;
        uint32_t amplifier = 0;
        bool selected = false, current = false;
        std::string name = "Not Connected";
    };
    static bool Valid(int row) { return row >= 0 && row < model::kChannelCount; }
    int RowAt(int x, int y) const;
    bool Assigned(int row) const { return rows_[row].position != -1 && rows_[row].kind != -1; }

    PageMessages* messages_;
    std::array<Row, model::kChannelCount> rows_;
    std::array<uint32_t, model::kChannelCount> on_{};
    std::array<uint32_t, model::kChannelCount> mute_{};
    int cursor_ = kCursorArrow;
    int repaints_ = 0;
    std::function<void()> onRepaint_;
    void Repainted() {
        ++repaints_;
        if (onRepaint_) onRepaint_();
    }
};

}  // namespace pages
