// The car view's spots, layout, hit rectangles, clicks and seats, and the one Ctrl-click rule the
// car view and the channel map share.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pages/car_channel_logic.h"
#include "pages/channel_map_logic.h"
#include "pages/speaker_rules.h"
#include "ui/messages.h"
#include "view_doubles.h"

namespace {

using pages::CarChannelLogic;
using pages::PanelRect;

void ExpectRect(const PanelRect& r, PanelRect e) {
    EXPECT_EQ(r.left, e.left);
    EXPECT_EQ(r.top, e.top);
    EXPECT_EQ(r.right, e.right);
    EXPECT_EQ(r.bottom, e.bottom);
}

CarChannelLogic DefaultCar() {
    CarChannelLogic car;
    car.LoadFromChannels(viewtest::DefaultRecords().data());
    return car;
}

TEST(CarChannelLogic, DefaultHitRectangles) {
    CarChannelLogic car = DefaultCar();
    // The front left stack centred on (28, 190): tweeter above midrange above woofer.
    ExpectRect(car.HitRect(0, 3), {17, 145, 40, 168});
    ExpectRect(car.HitRect(0, 2), {13, 168, 43, 198});
    ExpectRect(car.HitRect(0, 1), {9, 198, 47, 236});
    ExpectRect(car.HitRect(2, 1), {198, 198, 236, 236});
    // The subwoofer spot side by side around (123, 380): Subwoofer L, then Subwoofer R.
    ExpectRect(car.HitRect(4, 6), {67, 359, 123, 402});
    ExpectRect(car.HitRect(4, 4), {123, 359, 179, 402});
    ExpectRect(car.HitRect(1, 0), {0, 0, 0, 0});
    ExpectRect(car.HitRect(6, 0), {0, 0, 0, 0});
}

TEST(CarChannelLogic, ClicksInsideAndJustOutsideTheIcons) {
    struct Case {
        const char* what;
        int x, y;
        bool ctrl;
        std::vector<std::pair<int, int>> before;
        std::vector<std::pair<int, int>> after;
        uint32_t message;
        intptr_t w, l;
    };
    const Case cases[] = {
        {"tweeter's top-left corner", 17, 145, false, {}, {{0, 3}}, 0x8060, 0, 3},
        {"left of the tweeter", 16, 150, false, {{0, 1}}, {{0, 1}}, 0, 0, 0},
        {"woofer's last column", 46, 235, false, {{0, 3}}, {{0, 1}}, 0x8060, 0, 1},
        {"right of the woofer", 47, 200, false, {{0, 3}}, {{0, 3}}, 0, 0, 0},
        {"plain click on the only selection still reports", 20, 150, false, {{0, 3}}, {{0, 3}},
         0x8060, 0, 3},
        {"Subwoofer R's left edge", 123, 380, false, {}, {{4, 4}}, 0x8060, 4, 4},
        {"Subwoofer L's last column", 122, 380, false, {}, {{4, 6}}, 0x8060, 4, 6},
        {"below the subwoofers", 100, 402, false, {{0, 1}}, {{0, 1}}, 0, 0, 0},
        {"Ctrl adds a way", 20, 150, true, {{0, 1}}, {{0, 1}, {0, 3}}, 0x8060, 0, 0},
        {"Ctrl adds the left subwoofer", 100, 380, true, {{0, 1}}, {{0, 1}, {4, 6}}, 0x8060, 0,
         0},
        {"Ctrl refuses the right subwoofer", 150, 380, true, {{0, 1}}, {{0, 1}}, 0, 0, 0},
        {"Ctrl refuses the other side", 210, 200, true, {{0, 1}}, {{0, 1}}, 0, 0, 0},
        {"Ctrl removes one of two", 20, 150, true, {{0, 1}, {0, 3}}, {{0, 1}}, 0x8060, 0, 0},
        {"Ctrl keeps the only selection", 20, 150, true, {{0, 3}}, {{0, 3}}, 0, 0, 0},
        {"Ctrl with nothing selected selects nothing", 20, 150, true, {}, {}, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CarChannelLogic car = DefaultCar();
        for (auto [p, k] : c.before) car.SetSpeakerSelected(p, k, true, false, false);
        const pages::Notification n = car.OnLButtonDown(c.x, c.y, c.ctrl);
        EXPECT_EQ(n.id, c.message);
        EXPECT_EQ(n.wParam, c.w);
        EXPECT_EQ(n.lParam, c.l);
        pages::SpeakerTriple t[8];
        const int count = car.ListSelected(t, 8);
        ASSERT_EQ(count, static_cast<int>(c.after.size()));
        for (int i = 0; i < count; ++i) {
            EXPECT_EQ(t[i].position, c.after[i].first);
            EXPECT_EQ(t[i].kind, c.after[i].second);
            EXPECT_EQ(t[i].row, -1);
        }
    }
}

TEST(CarChannelLogic, SeatsReportTheirIndexAndStayChecked) {
    CarChannelLogic car;
    EXPECT_TRUE(car.IsSeatChecked(0));
    pages::Notification n = car.OnSeatClicked(2, true);
    EXPECT_EQ(n.id, ui::MsgListeningPoint);
    EXPECT_EQ(n.wParam, 2);
    EXPECT_EQ(n.lParam, 0);
    EXPECT_TRUE(car.IsSeatChecked(2));
    EXPECT_FALSE(car.IsSeatChecked(0));
    // The checked seat pressed again has unchecked itself: it is checked again and reported.
    n = car.OnSeatClicked(2, false);
    EXPECT_EQ(n.wParam, 2);
    EXPECT_TRUE(car.IsSeatChecked(2));
    car.SelectListeningPoint(3);
    EXPECT_TRUE(car.IsSeatChecked(3));
    EXPECT_FALSE(car.IsSeatChecked(2));
    car.SelectListeningPoint(4);
    EXPECT_TRUE(car.IsSeatChecked(3));
    EXPECT_FALSE(car.OnSeatClicked(4, true));
}

TEST(CarChannelLogic, CountsVariantsAndDisabledLayout) {
    CarChannelLogic car;
    car.AddSpeaker(0, 1, false, 0);
    car.AddSpeaker(0, 1, false, 0);
    car.AddSpeaker(2, 0, false, 8);    // woofer, midrange and tweeter behind one right passive
    car.AddSpeaker(5, 2, false, 15);   // a variant no table knows: the kind's own icon
    car.SetSpeakerSelected(2, 0, true, false, false);
    const std::vector<pages::CarLayoutItem> items = car.Layout();
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0].bitmap, 108);
    // Woofer x2 at the front left: one icon, the count in its corner.
    EXPECT_EQ(items[1].bitmap, 129);
    EXPECT_EQ(items[1].frame, 1);
    ExpectRect(items[1].rect, {9, 171, 47, 209});
    EXPECT_EQ(items[2].text, "x2");
    ExpectRect(items[2].rect, {9, 171, 34, 196});
    // The variant icon, selected: frame 1 of 205, 49 x 90.
    EXPECT_EQ(items[3].bitmap, 205);
    EXPECT_EQ(items[3].frame, 1);
    ExpectRect(items[3].rect, {193, 145, 242, 235});
    EXPECT_EQ(items[4].bitmap, 130);
    EXPECT_EQ(car.PassiveVariant(2, 0), 8);
    EXPECT_EQ(car.SpeakerCount(0, 1), 2);

    car.SetEnabled(false);
    car.AddSpeaker(1, 3, true, 0);
    ASSERT_EQ(car.LastLayout().size(), 1u);
    EXPECT_EQ(car.LastLayout()[0].bitmap, 108);
    // The hit rectangles stay as last drawn; the new speaker has none yet.
    ExpectRect(car.HitRect(0, 1), {9, 171, 47, 209});
    ExpectRect(car.HitRect(1, 3), {0, 0, 0, 0});
}

TEST(CarChannelLogic, LoadedIconSizesPlaceTheIcons) {
    CarChannelLogic car;
    car.SetKindIconSize(3, {20, 10});
    car.AddSpeaker(0, 3, true, 0);
    ExpectRect(car.HitRect(0, 3), {18, 185, 38, 195});
}

TEST(CarChannelLogic, OutOfRangeOperations) {
    CarChannelLogic car = DefaultCar();
    car.SetSpeakerSelected(0, 1, true, false, false);
    EXPECT_FALSE(car.AddSpeaker(6, 0, false, 0));
    EXPECT_FALSE(car.AddSpeaker(0, 7, false, 0));
    EXPECT_FALSE(car.AddSpeaker(-1, 0, false, 0));
    EXPECT_FALSE(car.HasSpeaker(9, 1));
    EXPECT_FALSE(car.IsSpeakerSelected(0, 12));
    EXPECT_EQ(car.PassiveVariant(-1, 0), 0);
    // Clearing others happens even when the speaker is out of range.
    EXPECT_FALSE(car.SetSpeakerSelected(9, 0, true, true, false));
    EXPECT_EQ(car.CountSelected(), 0);
    pages::SpeakerTriple t[2] = {{3, 3, 3}, {3, 3, 3}};
    EXPECT_EQ(car.ListSelected(t, 2), 0);
    EXPECT_EQ(t[1].position, -1);
    EXPECT_EQ(t[1].kind, -1);
    // Unassigned records fall out.
    std::vector<model::DspChannelRecord> records = viewtest::DefaultRecords();
    records[3].position = -1;
    records[4].kind = 11;
    car.LoadFromChannels(records.data());
    EXPECT_FALSE(car.HasSpeaker(2, 1));
    EXPECT_FALSE(car.HasSpeaker(2, 2));
    EXPECT_TRUE(car.HasSpeaker(2, 3));
}

// One table of the Ctrl-click rule, checked on the rule itself and through both panels, each
// holding exactly the selected speakers and the candidate.
TEST(CanCombineKinds, OneRuleForBothPanels) {
    struct Case {
        std::vector<std::pair<int, int>> selected;
        int position, kind;
        bool allowed;
    };
    const Case cases[] = {
        {{}, 0, 1, false},
        {{{0, 1}}, 0, 2, true},       {{{0, 1}}, 4, 5, true},  {{{0, 1}}, 4, 6, true},
        {{{0, 1}}, 4, 4, false},      {{{0, 1}}, 1, 0, false}, {{{0, 1}}, 2, 1, false},
        {{{0, 1}}, 5, 1, false},      {{{5, 0}}, 4, 6, true},  {{{5, 0}}, 4, 4, false},
        {{{2, 1}}, 4, 4, true},       {{{2, 1}}, 4, 6, false}, {{{3, 0}}, 4, 5, true},
        {{{1, 0}}, 4, 4, true},       {{{1, 0}}, 4, 5, true},  {{{1, 0}}, 1, 3, true},
        {{{1, 0}}, 0, 1, false},      {{{1, 0}, {4, 5}}, 4, 6, false},
        {{{1, 0}, {4, 5}}, 1, 3, true}, {{{1, 0}, {4, 5}}, 0, 1, false},
        {{{4, 5}}, 0, 1, true},       {{{4, 5}}, 1, 0, true},  {{{4, 5}}, 3, 0, true},
        {{{4, 5}}, 4, 6, false},      {{{4, 6}}, 0, 1, true},  {{{4, 6}}, 5, 0, true},
        {{{4, 6}}, 1, 0, true},       {{{4, 6}}, 2, 0, false}, {{{4, 6}}, 4, 5, false},
        {{{4, 4}}, 2, 0, true},       {{{4, 4}}, 3, 0, true},  {{{4, 4}}, 0, 0, false},
        {{{4, 6}, {0, 1}}, 0, 3, true}, {{{4, 6}, {0, 1}}, 1, 0, false},
    };
    for (const Case& c : cases) {
        std::string trace = "selected";
        for (auto [p, k] : c.selected) trace += " (" + std::to_string(p) + "," + std::to_string(k) + ")";
        SCOPED_TRACE(trace + " + (" + std::to_string(c.position) + "," + std::to_string(c.kind) +
                     ")");
        std::vector<pages::SpeakerTriple> triples;
        for (auto [p, k] : c.selected) triples.push_back({p, k, -1});
        EXPECT_EQ(pages::CanCombineKinds(triples.data(), static_cast<int>(triples.size()),
                                         c.position, c.kind),
                  c.allowed);

        CarChannelLogic car;
        pages::ChannelMapLogic map;
        int row = 0;
        for (auto [p, k] : c.selected) {
            car.AddSpeaker(p, k, false, 0);
            car.SetSpeakerSelected(p, k, true, false, false);
            map.SetRow(row++, p, k, false, 0, 0);
            map.SelectByAssignment(p, k, true, false, false);
        }
        car.AddSpeaker(c.position, c.kind, false, 0);
        map.SetRow(row, c.position, c.kind, false, 0, 0);
        EXPECT_EQ(car.CanCombineKinds(c.position, c.kind), c.allowed) << "car view";
        EXPECT_EQ(map.CanCombineKinds(c.position, c.kind), c.allowed) << "channel map";
    }
    EXPECT_FALSE(pages::CanCombineKinds(nullptr, 0, 6, 0));
}

}  // namespace
