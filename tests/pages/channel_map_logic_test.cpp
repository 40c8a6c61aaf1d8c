// The channel map's rows, clicks by zone, cursors and drawing, without its window.
#include <gtest/gtest.h>

#include <string>

#include "pages/channel_map_logic.h"
#include "ui/messages.h"
#include "view_doubles.h"

namespace {

using pages::ChannelMapLogic;
using pages::Notification;

// The default rows with the given rows selected (a string of row digits) and current row.
void Prepare(ChannelMapLogic& map, const std::string& selected, int current) {
    map.LoadFromChannels(viewtest::DefaultRecords().data());
    for (char c : selected) {
        int p, k;
        map.GetRowAssignment(c - '0', &p, &k);
        map.SelectByAssignment(p, k, true, false, false);
    }
    if (current >= 0) map.SetCurrentRow(current);
}

std::string Selected(const ChannelMapLogic& map) {
    std::string s;
    for (int r = 0; r < 8; ++r)
        if (map.IsRowSelected(r)) s += static_cast<char>('0' + r);
    return s;
}

int Current(const ChannelMapLogic& map) {
    for (int r = 0; r < 8; ++r)
        if (map.IsRowCurrent(r)) return r;
    return -1;
}

// A row's vertical middle.
int Mid(int row) { return 35 + 28 * row + 14; }

TEST(ChannelMapLogic, ClicksByZoneKeysAndSelection) {
    struct Case {
        const char* what;
        int x, y;
        bool ctrl;
        const char* selectedBefore;
        int currentBefore;
        const char* selectedAfter;
        int currentAfter;
        uint32_t message;
        intptr_t w, l;
    };
    const Case cases[] = {
        {"plain click selects the row alone", 100, 40, false, "", -1, "0", -1, 0x8050, 0, 1},
        {"last row's bottom part", 100, 235, false, "0", -1, "7", -1, 0x8050, 4, 4},
        {"plain click on the only selected row sends nothing", 100, Mid(0), false, "0", -1, "0",
         -1, 0, 0, 0},
        {"plain click over two selected rows keeps one", 100, Mid(1), false, "01", 0, "1", -1,
         0x8050, 0, 2},
        {"Ctrl-click on the only selected row does nothing", 100, Mid(0), true, "0", -1, "0", -1,
         0, 0, 0},
        {"Ctrl adds a way of the same speaker", 100, Mid(1), true, "0", -1, "01", 1, 0x8050, 0,
         2},
        {"Ctrl adds the left subwoofer to the left side", 100, Mid(6), true, "0", -1, "06", 6,
         0x8050, 4, 6},
        {"Ctrl refuses the right subwoofer on the left side", 100, Mid(7), true, "0", -1, "0",
         -1, 0, 0, 0},
        {"Ctrl refuses the other side", 100, Mid(3), true, "0", -1, "0", -1, 0, 0, 0},
        {"deselecting the current row makes the first selected current", 100, Mid(1), true,
         "12", 1, "2", 2, 0x8050, 0, 3},
        // Deselecting a row that is not current reports the current row's speaker, the one the
        // page loads.
        {"deselecting another row reports the current row", 100, Mid(1), true, "12", 2, "2", 2,
         0x8050, 0, 3},
        {"mute zone x 47 flips the mute", 47, Mid(2), false, "0", -1, "0", -1, 0x8052, 0, 0},
        {"x 48 is the row, not the mute", 48, Mid(2), false, "0", -1, "2", -1, 0x8050, 0, 3},
        {"x 262 is still the row", 262, Mid(2), false, "12", 1, "2", -1, 0x8050, 0, 3},
        {"x 263 is the edit zone", 263, Mid(2), false, "12", 1, "12", 2, 0x8051, 2, 0},
        {"edit zone of the current row does nothing", 270, Mid(1), false, "12", 1, "12", 1, 0, 0,
         0},
        {"edit zone of an unselected row does nothing", 270, Mid(4), false, "12", 1, "12", 1, 0,
         0, 0},
        {"one selected row: the edit zone is the row", 270, Mid(3), false, "1", -1, "3", -1,
         0x8050, 2, 1},
        {"between the rows and the skin's edge", 100, 20, false, "1", -1, "1", -1, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ChannelMapLogic map;
        Prepare(map, c.selectedBefore, c.currentBefore);
        const Notification n = map.OnLButtonDown(c.x, c.y, c.ctrl);
        EXPECT_EQ(Selected(map), c.selectedAfter);
        EXPECT_EQ(Current(map), c.currentAfter);
        EXPECT_EQ(n.id, c.message);
        if (c.message) {
            EXPECT_EQ(n.wParam, c.w);
            EXPECT_EQ(n.lParam, c.l);
        }
    }
}

TEST(ChannelMapLogic, MuteZoneFlipsAnyRowAndAssigningUnmutes) {
    ChannelMapLogic map;
    Prepare(map, "", -1);
    map.SetRow(5, -1, -1, false, 0, 0);  // an unassigned row
    EXPECT_EQ(map.OnLButtonDown(20, Mid(5), false).id, ui::MsgChannelMapMutes);
    EXPECT_TRUE(map.IsMuted(5));
    EXPECT_EQ(map.OnLButtonDown(13, Mid(2), false).id, ui::MsgChannelMapMutes);
    uint32_t flags[10];
    EXPECT_EQ(map.GetMuteFlags(flags, 10), 8);
    const uint32_t expected[10] = {0, 0, 1, 0, 0, 1, 0, 0, 0, 0};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(flags[i], expected[i]) << i;
    map.SetRow(5, 0, 0, false, 0, 0);
    EXPECT_FALSE(map.IsMuted(5));
    EXPECT_TRUE(map.IsMuted(2));
}

TEST(ChannelMapLogic, NamesAndLabels) {
    ChannelMapLogic map;
    map.SetRow(0, 0, 2, false, 3, 0);
    EXPECT_EQ(map.RowText(0), "1: Front Left Mid-Hi");
    EXPECT_EQ(map.GetRowName(0), "Front Left Midrange");
    map.SetRow(0, 2, 2, false, 7, 0);
    EXPECT_EQ(map.GetRowLabel(0), "Front Right Mid-Hi");
    map.SetRow(0, 0, 1, false, 0, 0);
    EXPECT_EQ(map.RowText(0), "1: Front Left Woofer");
    map.SetRow(6, 4, 6, false, 0, 0);
    EXPECT_EQ(map.RowText(6), "7: Subwoofer L");
    EXPECT_EQ(map.RowText(3), "4: Not Connected");
    // Positions and kinds beyond the name tables are accepted but have no name.
    map.SetRow(2, 9, 1, false, 0, 0);
    map.SetRow(3, 1, 11, false, 0, 0);
    EXPECT_EQ(map.GetRowName(2), "");
    EXPECT_EQ(map.RowText(3), "");
    int p, k;
    map.GetRowAssignment(2, &p, &k);
    EXPECT_EQ(p, 9);
    EXPECT_EQ(k, 1);
    EXPECT_FALSE(map.CanCombineKinds(9, 1));
    map.GetRowAssignment(8, &p, &k);
    EXPECT_EQ(p, -1);
    EXPECT_EQ(k, -1);
    EXPECT_FALSE(map.PaintPlan().empty());
}

TEST(ChannelMapLogic, Cursors) {
    struct Case {
        const char* what;
        int x, y;
        bool ctrl;
        const char* selected;
        int current;
        int before, cursor;
    };
    const Case cases[] = {
        {"left of the rows", 12, Mid(0), false, "", -1, 1, pages::kCursorArrow},
        {"above the rows area", 100, 33, false, "", -1, 1, pages::kCursorArrow},
        {"mute zone up to 48", 48, Mid(0), false, "", -1, 0, pages::kCursorHand},
        {"past the mute zone", 49, Mid(0), false, "", -1, 1, pages::kCursorArrow},
        {"x 262 is not the edit zone", 262, Mid(0), false, "01", 1, 1, pages::kCursorArrow},
        {"edit zone of a selected row that is not current", 270, Mid(0), false, "01", 1, 0,
         pages::kCursorHand},
        {"edit zone of the current row", 270, Mid(1), false, "01", 1, 1, pages::kCursorArrow},
        {"edit zone with one selected row", 270, Mid(0), false, "0", -1, 1, pages::kCursorArrow},
        {"Ctrl over an unselected row", 100, Mid(3), true, "0", -1, 0, pages::kCursorPlus},
        {"Ctrl over the rows area's first line", 100, 34, true, "0", -1, 0, pages::kCursorPlus},
        {"Ctrl over a selected row of two", 100, Mid(1), true, "01", 1, 0, pages::kCursorMinus},
        {"Ctrl over the only selected row keeps the cursor", 100, Mid(0), true, "0", -1, 1,
         pages::kCursorHand},
        {"Ctrl in the edit zone", 270, Mid(0), true, "01", 1, 1, pages::kCursorHand},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ChannelMapLogic map;
        Prepare(map, c.selected, c.current);
        // Set the cursor that was there before.
        if (c.before == pages::kCursorHand) map.UpdateCursor(20, Mid(0), false);
        EXPECT_EQ(map.UpdateCursor(c.x, c.y, c.ctrl), c.cursor);
        EXPECT_EQ(map.Cursor(), c.cursor);
    }
}

TEST(ChannelMapLogic, ResetRowsKeepsMutesAndCurrentAndTellsTheMainWindow) {
    viewtest::RecordingMessages messages;
    ChannelMapLogic map(&messages);
    Prepare(map, "23", 3);
    map.SetChannelOn(4, true, false);
    map.OnLButtonDown(20, Mid(1), false);
    messages.sent.clear();
    map.ResetRows(true);
    ASSERT_EQ(messages.sent.size(), 1u);
    EXPECT_FALSE(messages.sent[0].posted);
    EXPECT_EQ(messages.sent[0].id, ui::MsgChannelIcon);
    EXPECT_EQ(messages.sent[0].wParam, -1);
    EXPECT_EQ(messages.sent[0].lParam, 0);
    EXPECT_EQ(map.CountSelected(), 0);
    EXPECT_FALSE(map.IsChannelOn(4));
    EXPECT_TRUE(map.IsMuted(1));
    EXPECT_EQ(map.GetRowName(2), "Not Connected");
    // The current mark stays; it shows again once its row is selected.
    map.LoadFromChannels(viewtest::DefaultRecords().data());
    map.SelectByAssignment(0, 3, true, false, false);
    map.SelectByAssignment(2, 1, true, false, false);
    EXPECT_EQ(map.GetCurrentRow(), 3);
}

TEST(ChannelMapLogic, SetCurrentRowFallsBackToTheFirstSelected) {
    ChannelMapLogic map;
    Prepare(map, "23", -1);
    map.SetCurrentRow(5);
    EXPECT_EQ(map.GetCurrentRow(), 2);
    map.SetCurrentRow(3);
    EXPECT_EQ(map.GetCurrentRow(), 3);
    map.SetCurrentRow(8);  // out of range: ignored
    EXPECT_EQ(map.GetCurrentRow(), 3);
    pages::SpeakerTriple t[3];
    EXPECT_EQ(map.ListSelected(t, 3), 2);
    EXPECT_EQ(t[0].row, 2);
    EXPECT_EQ(t[1].position, 2);
    EXPECT_EQ(t[1].kind, 1);
    EXPECT_EQ(t[2].row, -1);
}

TEST(ChannelMapLogic, PaintPlanShowsSelectionMutesAndMarks) {
    ChannelMapLogic map;
    Prepare(map, "12", 2);
    map.OnLButtonDown(20, Mid(0), false);  // mute row 0
    map.SetChannelOn(0, true, false);
    int edits = 0, fds = 0, greenMutes = 0, fills = 0;
    for (const pages::MapPaintItem& item : map.PaintPlan()) {
        if (item.kind == pages::MapPaintItem::Fill) ++fills;
        if (item.text == "edit") {
            ++edits;
            EXPECT_EQ(item.rect.left, 262);
            EXPECT_EQ(item.rect.top, 35 + 28 * 2 + 5);
        }
        if (item.text == "fds") {
            ++fds;
            EXPECT_EQ(item.rect.left, 233);
        }
        if (item.text == "mute" && item.argb == 0xFF64FF64u) ++greenMutes;
    }
    EXPECT_EQ(fills, 2);
    EXPECT_EQ(edits, 1);
    EXPECT_EQ(fds, 1);
    EXPECT_EQ(greenMutes, 1);
}

}  // namespace
