// What the main window's messages decide from their words, and the table that routes them.
#include <gtest/gtest.h>

#include <cstdint>

#include "app/message_decisions.h"
#include "app/message_table.h"
#include "ui/messages.h"

using namespace app;

TEST(MainWindowMessages, SourceFlagsAsBitsAndTheirToggle) {
    const struct {
        uint32_t flags[5];
        uint32_t mask;
    } masks[] = {
        {{0, 0, 0, 0, 0}, 0x00}, {{1, 0, 0, 0, 0}, 0x01}, {{0, 0, 0, 0, 1}, 0x10},
        {{1, 0, 1, 0, 1}, 0x15}, {{7, 1, 1, 1, 2}, 0x1F},  // any non-zero flag is set
    };
    for (const auto& c : masks) EXPECT_EQ(SourceFlagMask(c.flags), c.mask) << c.mask;

    uint32_t flags[5] = {0, 1, 0, 3, 0};
    EXPECT_TRUE(ToggleSourceFlag(flags, 0));
    EXPECT_TRUE(ToggleSourceFlag(flags, 3));
    EXPECT_EQ(SourceFlagMask(flags), 0x03u);
    EXPECT_EQ(flags[3], 0u);
    for (uintptr_t beyond : {uintptr_t{5}, uintptr_t{6}, ~uintptr_t{0}})
        EXPECT_FALSE(ToggleSourceFlag(flags, beyond)) << beyond;
    EXPECT_EQ(SourceFlagMask(flags), 0x03u) << "a source that does not exist changes nothing";
}

TEST(MainWindowMessages, MasterLevelIsTheNinthValue) {
    const float values[10] = {1, 2, 3, 4, 5, 6, 7, 8, -12.5f, 99};
    EXPECT_EQ(MasterLevelOf(values, 10), -12.5f);
    EXPECT_EQ(MasterLevelOf(values, 9), -12.5f);
    EXPECT_EQ(MasterLevelOf(values, 8), 0.0f);
    EXPECT_EQ(MasterLevelOf(values, 0), 0.0f);
    EXPECT_EQ(MasterLevelOf(nullptr, 10), 0.0f);
}

TEST(MainWindowMessages, WordsOfTheSmallMessages) {
    EXPECT_TRUE(ForOutputLevels(0));
    EXPECT_FALSE(ForOutputLevels(1));
    EXPECT_FALSE(ForOutputLevels(~uintptr_t{0}));

    const int words[3] = {1, 2, 3};
    EXPECT_TRUE(ClearsAllIcons(-1, words));
    EXPECT_TRUE(ClearsAllIcons(3, nullptr));
    EXPECT_FALSE(ClearsAllIcons(0, words));
    EXPECT_FALSE(ClearsAllIcons(7, words));

    // A failure report of 0 keeps the one held; any other replaces it.
    EXPECT_EQ(HeldLinkFailure(0, 1), 1u);
    EXPECT_EQ(HeldLinkFailure(1, 0), 1u);
    EXPECT_EQ(HeldLinkFailure(0, 0), 0u);
    EXPECT_EQ(HeldLinkFailure(1, 2), 2u);

    for (uintptr_t p : {0, 1, 2, 3}) EXPECT_TRUE(IsPreset(p)) << p;
    for (uintptr_t p : {uintptr_t{4}, ~uintptr_t{0}}) EXPECT_FALSE(IsPreset(p)) << p;

    EXPECT_TRUE(IsDeviceNumber(1));
    EXPECT_TRUE(IsDeviceNumber(12));
    EXPECT_FALSE(IsDeviceNumber(0));
    EXPECT_FALSE(IsDeviceNumber(-1));
}

TEST(MainWindowMessages, IdentifiedUnitAndRemoteVersion) {
    const struct {
        intptr_t flags;
        int star, remote;
    } units[] = {{0, 0, 0}, {1, 1, 0}, {2, 0, 1}, {3, 1, 1}, {7, 1, 1}, {4, 0, 0}};
    for (const auto& c : units) {
        const IdentifiedUnit u = DecodeIdentified(0x0102, c.flags);
        EXPECT_EQ(u.version, 0x0102u);
        EXPECT_EQ(u.star, c.star) << c.flags;
        EXPECT_EQ(u.remote, c.remote) << c.flags;
    }

    const struct {
        uintptr_t word;
        int major, minor;
        bool show;
    } versions[] = {
        {0x0302, 2, 3, true}, {0x0002, 2, 0, false}, {0x0300, 0, 3, false},
        {0, 0, 0, false},     {0xAB0C01, 1, 12, true},  // bytes above the second are not read
    };
    for (const auto& c : versions) {
        const RemoteVersion v = DecodeRemoteVersion(c.word);
        EXPECT_EQ(v.major, c.major) << c.word;
        EXPECT_EQ(v.minor, c.minor) << c.word;
        EXPECT_EQ(v.show, c.show) << c.word;
    }
}

TEST(MainWindowMessages, WizardEnd) {
    const struct {
        intptr_t result;
        bool online, blank;
        bool apply, end;
    } cases[] = {
        // Finished: the layout is taken; the unit is set up, so the program goes on.
        {1, true, true, true, false},
        {1, false, false, true, false},
        // Abandoned: only a blank unit online ends the program.
        {0, true, true, false, true},
        {0, true, false, false, false},
        {0, false, true, false, false},
        // Any other result neither applies nor ends.
        {2, true, true, false, false},
        {-1, true, true, false, false},
    };
    for (const auto& c : cases) {
        const WizardEnd e = DecideWizardEnd(c.result, c.online, c.blank);
        EXPECT_EQ(e.applyResult, c.apply) << c.result << c.online << c.blank;
        EXPECT_EQ(e.endProgram, c.end) << c.result << c.online << c.blank;
        EXPECT_EQ(e.showMain, !c.end) << c.result << c.online << c.blank;
    }
}

TEST(MainWindowMessages, ReadRequestTurn) {
    const struct {
        bool dialog, online, rescue;
        uintptr_t w;
        ReadTurn turn;
    } cases[] = {
        {false, true, false, 1, ReadTurn::Ignore}, {true, false, false, 1, ReadTurn::Ignore},
        {true, false, true, 0, ReadTurn::Ignore},  {true, true, true, 1, ReadTurn::ShowMain},
        {true, true, true, 0, ReadTurn::ShowMain}, {true, true, false, 1, ReadTurn::Start},
        {true, true, false, 0, ReadTurn::End},     {true, true, false, 2, ReadTurn::End},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecideReadTurn(c.dialog, c.online, c.rescue, c.w), c.turn)
            << c.dialog << c.online << c.rescue << c.w;
}

namespace {

int First(int x) { return x + 1; }
int Second(int x) { return x + 2; }
using Handler = int (*)(int);

}  // namespace

TEST(MessageTable, FindsEachRoutedIdAndNothingElse) {
    static constexpr MessageRoute<Handler> routes[] = {
        {0x0010, &First}, {ui::MsgWizard, &Second}, {ui::MsgQuit, &First}};
    static_assert(RoutesAreDistinct(routes));
    ASSERT_NE(FindRoute(routes, 0x0010), nullptr);
    EXPECT_EQ((*FindRoute(routes, 0x0010))(1), 2);
    EXPECT_EQ((*FindRoute(routes, ui::MsgWizard))(1), 3);
    EXPECT_EQ((*FindRoute(routes, ui::MsgQuit))(5), 6);
    for (uint32_t other : {0u, 0x000Fu, ui::MsgCreate, 0xFFFFFFFFu}) EXPECT_EQ(FindRoute(routes, other), nullptr);

    static constexpr MessageRoute<Handler> twice[] = {{ui::MsgScan, &First}, {ui::MsgScan, &Second}};
    static_assert(!RoutesAreDistinct(twice));
}
