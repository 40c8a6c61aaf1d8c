// The working mode the application hands the poll thread: an offline Reset Settings puts it back
// to Standard with the tuning and the Config menu's tick, and the poll thread reads it while the
// user interface changes it.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "app/pending_commands.h"
#include "app/settings_reset.h"
#include "link/frame.h"
#include "pages/tab_bar_logic.h"
#include "tests/pages/page_doubles.h"

namespace {

constexpr int kStandard = 1, kExpert = 0;

// The reset's targets over the tuning page's and the tab bar's own logic, as the application
// forwards to their windows.
struct PageTargets : app::ResetTargets {
    pagetest::Page& page;
    pages::TabBarLogic& tabs;
    PageTargets(pagetest::Page& p, pages::TabBarLogic& t) : page(p), tabs(t) {}
    void ReloadTuning() override { page.logic->ReloadAllPages(); }
    void ResetExternalSources() override {}
    void SelectPresetTab(int preset) override { tabs.SetPreset(preset); }
    void ResetOutputLevels() override {}
    void ResetDynamicEqCurves() override {}
    void ShowWorkingMode(int mode) override { tabs.SetWorkingMode(mode); }
};

// The Config menu's Working Mode ticks, as the tab bar prepares the menu.
std::vector<std::pair<int, bool>> ModeTicks(const pages::TabBarLogic& tabs) {
    pages::MenuFacts facts;
    facts.menuId = pages::kMenuConfig;
    facts.workingMode = tabs.WorkingMode();
    std::vector<std::pair<int, bool>> ticks;
    for (const auto& check : pages::PrepareMenu(facts).checks)
        if (check.first == pages::kCmdStandard || check.first == pages::kCmdExpert) ticks.push_back(check);
    return ticks;
}

}  // namespace

TEST(SettingsReset, AnOfflineResetFromExpertPutsTheApplicationTheTuningAndTheTickToStandard) {
    pagetest::Page page(false);
    pages::TabBarLogic tabs(false, false);
    app::PendingCommands commands;
    // Expert, as the Config menu sets it.
    commands.SetWorkingMode(kExpert);
    tabs.SetWorkingMode(kExpert);
    page.logic->SetConfigMode(kExpert);
    tabs.SetPreset(2);
    ASSERT_EQ(page.M().WorkingMode(), static_cast<uint32_t>(kExpert));
    ASSERT_EQ(ModeTicks(tabs), (std::vector<std::pair<int, bool>>{{pages::kCmdStandard, false}, {pages::kCmdExpert, true}}));

    PageTargets targets(page, tabs);
    app::ResetPagesToDefaults(targets, commands);

    EXPECT_EQ(commands.WorkingMode(), static_cast<uint32_t>(kStandard));
    EXPECT_EQ(page.M().WorkingMode(), static_cast<uint32_t>(kStandard));
    EXPECT_EQ(page.logic->Filter().WorkingMode(), static_cast<uint32_t>(kStandard));
    EXPECT_EQ(ModeTicks(tabs), (std::vector<std::pair<int, bool>>{{pages::kCmdStandard, true}, {pages::kCmdExpert, false}}));
    EXPECT_EQ(tabs.Preset(), 0);
    // Choosing Expert now is a change of mode again (the application acts only on a change).
    EXPECT_NE(commands.WorkingMode(), static_cast<uint32_t>(kExpert));
}

namespace {

// Keeps the working-mode frames the poll thread sends.
class ModeRecorder : public devlink::FrameWriter {
public:
    int Write(const uint8_t* bytes, size_t n, bool addressByte) override {
        if (!addressByte && n == 6 && bytes[3] == 0xCF) modes.push_back(bytes[4]);
        return 1;
    }
    std::vector<uint8_t> modes;
};

class NoSleep : public os::Sleeper {
public:
    void SleepMs(uint32_t) override {}
};

}  // namespace

// The user interface thread changes the mode while the poll thread sends it: the word is shared
// without a lock, so it must be one the two threads can share (ThreadSanitizer watches this).
TEST(SettingsReset, ThePollThreadReadsTheWorkingModeWhileTheUserChangesIt) {
    app::PendingCommands commands;
    ModeRecorder line;
    NoSleep sleeper;
    const devlink::FrameSender sender(line, sleeper);
    std::atomic<bool> go{false};
    std::thread poll([&] {
        while (!go.load()) std::this_thread::yield();
        for (int i = 0; i < 2000; ++i) commands.SendWorkingMode(sender);
    });
    go = true;
    for (int i = 0; i < 2000; ++i) commands.SetWorkingMode(static_cast<uint32_t>(i % 2));
    poll.join();
    ASSERT_EQ(line.modes.size(), 2000u);
    for (uint8_t m : line.modes) EXPECT_LE(m, 1) << "a frame carries a mode that was never set";
}
