// The tab bar's logic: hit testing, menu preparation as data, the device list through the FTDI
// table, and the command table.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "os/settings.h"
#include "pages/tab_bar_logic.h"
#include "ui/messages.h"

namespace {

using pages::MenuAction;
using pages::MenuFacts;
using pages::MenuPlan;
using pages::TabMessage;

TEST(TabBarHits, PagesAndPresets) {
    // The preset tabs follow from the strip's rectangle.
    const pages::TabRect expected[4] = {{315, 1, 344, 16}, {350, 1, 379, 16}, {384, 1, 413, 16}, {419, 1, 448, 16}};
    for (int i = 0; i < 4; ++i) {
        const pages::TabRect r = pages::PresetHit(i);
        EXPECT_EQ(r.left, expected[i].left);
        EXPECT_EQ(r.top, expected[i].top);
        EXPECT_EQ(r.right, expected[i].right);
        EXPECT_EQ(r.bottom, expected[i].bottom);
    }
    struct Case {
        int x, y;
        uint32_t message;  // 0: nothing
        int index;
    } cases[] = {
        {550, 10, ui::MsgSelectPage, 0}, {699, 31, ui::MsgSelectPage, 0}, {700, 20, 0, 0},
        {710, 10, ui::MsgSelectPage, 1}, {870, 20, ui::MsgSelectPage, 2}, {1023, 31, ui::MsgSelectPage, 2},
        {900, 32, 0, 0},                 {549, 20, 0, 0},                 {315, 1, ui::MsgSelectPreset, 0},
        {343, 15, ui::MsgSelectPreset, 0}, {344, 5, 0, 0},              {350, 5, ui::MsgSelectPreset, 1},
        {400, 5, ui::MsgSelectPreset, 2}, {447, 10, ui::MsgSelectPreset, 3}, {430, 16, 0, 0},
        {300, 5, 0, 0},                  {20, 10, 0, 0},
    };
    for (const Case& c : cases) {
        const auto m = pages::ClickMessage(c.x, c.y, false);
        if (!c.message) {
            EXPECT_FALSE(m.has_value()) << c.x << "," << c.y;
            continue;
        }
        ASSERT_TRUE(m.has_value()) << c.x << "," << c.y;
        EXPECT_EQ(*m, (TabMessage{c.message, c.index, 0})) << c.x << "," << c.y;
        EXPECT_FALSE(pages::ClickMessage(c.x, c.y, true).has_value()) << "rescue";
    }
}

TEST(TabBarLogic, ClicksSelectAtOnceAndRepost) {
    pages::TabBarLogic bar(true, false);
    EXPECT_EQ(bar.OnClick(720, 20), (TabMessage{ui::MsgSelectPage, 1, 0}));
    EXPECT_EQ(bar.Page(), 1);
    EXPECT_EQ(bar.OnClick(720, 20), (TabMessage{ui::MsgSelectPage, 1, 0}));  // the selected tab again
    EXPECT_EQ(bar.OnClick(420, 3), (TabMessage{ui::MsgSelectPreset, 3, 0}));
    EXPECT_EQ(bar.Preset(), 3);

    pages::TabBarLogic rescue(true, true);
    EXPECT_FALSE(rescue.OnClick(720, 20).has_value());
    EXPECT_EQ(rescue.Page(), 0);
    EXPECT_FALSE(rescue.OpenMenu(pages::kMenuPreset).has_value());
    EXPECT_EQ(rescue.MenuId(), -1);
    EXPECT_EQ(rescue.OpenMenu(pages::kMenuFile), pages::kMenuFile);
    EXPECT_FALSE(rescue.OpenMenu(999).has_value());
    EXPECT_EQ(rescue.MenuId(), pages::kMenuFile);
}

MenuFacts Facts(int menu, bool online, bool rescue) {
    MenuFacts f;
    f.menuId = menu;
    f.online = online;
    f.rescue = rescue;
    return f;
}

TEST(MenuPreparation, FileMenu) {
    const MenuPlan offline = pages::PrepareMenu(Facts(pages::kMenuFile, false, false));
    EXPECT_EQ(offline.greyed, (std::vector<int>{3, 4, 7}));
    EXPECT_FALSE(offline.renamePosition10.has_value());
    EXPECT_FALSE(offline.rebuildCom);

    const MenuPlan online = pages::PrepareMenu(Facts(pages::kMenuFile, true, false));
    EXPECT_TRUE(online.greyed.empty());
    EXPECT_EQ(online.renamePosition10, std::optional<std::string>("Restore Factory Defaults"));

    const MenuPlan rescue = pages::PrepareMenu(Facts(pages::kMenuFile, true, true));
    EXPECT_EQ(rescue.greyed, (std::vector<int>{0, 1, 3, 4, 9}));
    EXPECT_EQ(rescue.renamePosition10, std::optional<std::string>("Restore Factory Defaults"));

    const MenuPlan preset = pages::PrepareMenu(Facts(pages::kMenuPreset, true, false));
    EXPECT_TRUE(preset.greyed.empty() && preset.checks.empty() && !preset.rebuildCom);
}

TEST(MenuPreparation, ConfigMenu) {
    MenuFacts f = Facts(pages::kMenuConfig, false, false);
    f.workingMode = 0;
    f.sourceMask = 0x15;  // Aux 1, SPDIF, Phone
    f.dynamicEqSwitch = 1;
    f.devices = {{0, "Darvix"}};
    MenuPlan p = pages::PrepareMenu(f);
    EXPECT_EQ(p.greyed, (std::vector<int>{6}));  // offline: no "Com Setup"
    const std::vector<std::pair<int, bool>> checks = {
        {pages::kCmdStandard, false}, {pages::kCmdExpert, true}, {pages::kCmdDynEqOn, false}, {pages::kCmdDynEqOff, true}};
    EXPECT_EQ(p.checks, checks);
    EXPECT_EQ(p.sourceTicks, (std::array<int, 5>{1, 0, 1, 0, 1}));
    EXPECT_TRUE(p.rebuildCom);

    // Online with no device: "Com Setup" greyed; with two, both listed and the "Com" one ticked.
    f = Facts(pages::kMenuConfig, true, false);
    p = pages::PrepareMenu(f);
    EXPECT_EQ(p.greyed, (std::vector<int>{6}));
    EXPECT_TRUE(p.comItems.empty());
    EXPECT_EQ(p.checks[0], (std::pair<int, bool>{pages::kCmdStandard, true}));
    EXPECT_EQ(p.checks[2], (std::pair<int, bool>{pages::kCmdDynEqOn, true}));

    f.devices = {{0, "Darvix A"}, {1, "Darvix B"}};
    f.comSetting = 2;
    p = pages::PrepareMenu(f);
    EXPECT_TRUE(p.greyed.empty());
    const std::vector<MenuPlan::ComItem> items = {{"Darvix A", 58000, false}, {"Darvix B", 58001, true}};
    EXPECT_EQ(p.comItems, items);

    f.rescue = true;
    p = pages::PrepareMenu(f);
    EXPECT_EQ(p.greyed, (std::vector<int>{0, 1, 3, 4, 8}));
}

// A driver whose device list the test sets.
struct FakeDevice {
    uint32_t status;
    std::string description;
};
std::vector<FakeDevice> g_devices;
devlink::FT_STATUS g_listStatus = devlink::FT_OK;

devlink::FT_STATUS FTDI_API FakeCreate(devlink::FT_DWORD* count) {
    *count = static_cast<devlink::FT_DWORD>(g_devices.size());
    return devlink::FT_OK;
}
devlink::FT_STATUS FTDI_API FakeDetail(devlink::FT_DWORD index, devlink::FT_DWORD*, devlink::FT_DWORD*,
                                       devlink::FT_DWORD*, devlink::FT_DWORD*, void* serial, void* description,
                                       devlink::FT_HANDLE*) {
    if (index >= g_devices.size()) return devlink::FT_DEVICE_NOT_FOUND;
    std::strcpy(static_cast<char*>(serial), "DX1");
    // A real driver writes at most 64 bytes; this one writes what it is given (up to 80), so that
    // an over-long description is seen and left out.
    const std::string& d = g_devices[index].description;
    std::memcpy(description, d.c_str(), std::min<size_t>(d.size() + 1, 80));
    return g_devices[index].status;
}
devlink::FT_STATUS FTDI_API FakeList(void* count, void*, devlink::FT_DWORD flags) {
    if (flags != devlink::FT_LIST_NUMBER_ONLY) return devlink::FT_INVALID_PARAMETER;
    *static_cast<devlink::FT_DWORD*>(count) = static_cast<devlink::FT_DWORD>(g_devices.size());
    return g_listStatus;
}

TEST(ComDevices, ListedThroughTheDriverTable) {
    devlink::FtdiApiTable table;
    EXPECT_TRUE(pages::ListComDevices(&table).empty());  // no entry points
    EXPECT_TRUE(pages::ListComDevices(nullptr).empty());
    EXPECT_EQ(pages::CountDevices(&table), 0);
    table.Set(devlink::kFT_CreateDeviceInfoList, &FakeCreate);
    table.Set(devlink::kFT_GetDeviceInfoDetail, &FakeDetail);
    table.Set(devlink::kFT_ListDevices, &FakeList);

    g_devices = {{0, "Darvix A"}, {0, ""}, {0, std::string(65, 'x')}, {4, "Failing"}, {0, std::string(64, 'y')},
                 {0, "Darvix B"}};
    const std::vector<pages::ComDevice> list = pages::ListComDevices(&table);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].index, 0);
    EXPECT_EQ(list[0].description, "Darvix A");
    EXPECT_EQ(list[1].index, 4);
    EXPECT_EQ(list[1].description, std::string(64, 'y'));
    EXPECT_EQ(list[2].index, 5);
    EXPECT_EQ(pages::CountDevices(&table), 6);
    g_listStatus = devlink::FT_IO_ERROR;
    EXPECT_EQ(pages::CountDevices(&table), 0);
    g_listStatus = devlink::FT_OK;
    g_devices.clear();
    EXPECT_TRUE(pages::ListComDevices(&table).empty());
}

TEST(MenuCommands, EveryIdOfItsMenu) {
    constexpr int F = pages::kMenuFile, C = pages::kMenuConfig, P = pages::kMenuPreset;
    struct Case {
        int menu, id, preset, devices;
        uint32_t message;  // 0: nothing
        intptr_t w, l;
    } cases[] = {
        {F, 40129, 0, 0, ui::MsgSetupFile, 1, 0},       {F, 40130, 0, 0, ui::MsgSetupFile, 0, 0},
        {F, 40266, 0, 0, ui::MsgWriteToDevice, 1, 1},   {F, 40268, 0, 0, ui::MsgWriteToDevice, 1, 0},
        {F, 40269, 0, 0, ui::MsgReadFromDevice, 1, 0},  {F, 40270, 0, 0, ui::MsgCheckUpdates, 1, 0},
        {F, 40271, 0, 0, ui::MsgUpdateFirmware, 1, 0},  {F, 40280, 0, 0, ui::MsgResetSettings, 0, 0},
        {F, 40131, 0, 0, ui::MsgCredits, 0, 0},         {F, 40132, 0, 0, ui::MsgCloseApp, 0, 0},
        {C, 40133, 0, 0, ui::MsgWizard, 1, 0},          {C, 40285, 0, 0, ui::MsgToggleSource, 0, 0},
        {C, 40289, 0, 0, ui::MsgToggleSource, 4, 0},    {C, 40148, 0, 0, ui::MsgDynamicEqDialog, 1, 0},
        {C, 40282, 0, 0, ui::MsgDynamicEqSwitch, 0, 0}, {C, 40283, 0, 0, ui::MsgDynamicEqSwitch, 1, 0},
        {C, 40149, 0, 0, ui::MsgScan, 1, 0},            {C, 40146, 0, 0, ui::MsgWorkingMode, 1, 0},
        {C, 40147, 0, 0, ui::MsgWorkingMode, 0, 0},     {C, 58000, 0, 2, ui::MsgConnectDevice, 1, 0},
        {C, 58001, 0, 2, ui::MsgConnectDevice, 2, 0},   {C, 58002, 0, 2, 0, 0, 0},
        {C, 58000, 0, 0, 0, 0, 0},                      {P, 40135, 2, 0, ui::MsgPresetFile, 1, -1},
        {P, 40136, 2, 0, ui::MsgPresetFile, 0, -1},     {P, 40137, 2, 0, ui::MsgPresetFile, 1, 2},
        {P, 40138, 3, 0, ui::MsgPresetFile, 0, 3},      {P, 40141, 2, 0, ui::MsgCopyPreset, 0, 2},
        {P, 40144, 2, 0, ui::MsgCopyPreset, 3, 2},      {P, 40142, 1, 0, 0, 0, 0},
        {P, 40140, 1, 0, ui::MsgCopyPreset, -1, 1},
        // An id of another menu than the one last shown does nothing.
        {F, 40133, 0, 0, 0, 0, 0},                      {P, 40129, 0, 0, 0, 0, 0},
        {C, 40135, 0, 0, 0, 0, 0},                      {F, 58000, 0, 2, 0, 0, 0},
        {-1, 40129, 0, 0, 0, 0, 0},                     {C, 40279, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const MenuAction a = pages::CommandAction(c.menu, c.id, c.preset, c.devices);
        EXPECT_FALSE(a.resetDefaultAnswers) << c.id;
        if (!c.message) {
            EXPECT_FALSE(a.post.has_value()) << c.menu << " " << c.id;
            continue;
        }
        ASSERT_TRUE(a.post.has_value()) << c.menu << " " << c.id;
        EXPECT_EQ(*a.post, (TabMessage{c.message, c.w, c.l})) << c.id;
    }
    const MenuAction reset = pages::CommandAction(F, 40279, 0, 0);
    EXPECT_TRUE(reset.resetDefaultAnswers);
    EXPECT_FALSE(reset.post.has_value());
}

TEST(MenuCommands, OnlyPlainMenuCommandsAct) {
    pages::TabBarLogic bar(true, false);
    EXPECT_FALSE(bar.OnCommand(0, 0, 40129, 0).post.has_value());  // no menu shown yet
    bar.OpenMenu(pages::kMenuFile);
    EXPECT_TRUE(bar.OnCommand(0, 0, 40129, 0).post.has_value());
    EXPECT_FALSE(bar.OnCommand(1, 0, 40129, 0).post.has_value());
    EXPECT_FALSE(bar.OnCommand(0, 1234, 40129, 0).post.has_value());
    EXPECT_FALSE(bar.OnCommand(0, 0, 0, 0).post.has_value());
    bar.SetPreset(3);
    bar.OpenMenu(pages::kMenuPreset);
    EXPECT_EQ(bar.OnCommand(0, 0, 40137, 0).post, (TabMessage{ui::MsgPresetFile, 1, 3}));
}

// What the tab bar calls for "Reset Default Answer".
TEST(MenuCommands, ResetDefaultAnswerAsksAgain) {
    os::MemorySettings settings;
    settings.CreateKeys();
    os::ResetDefaultAnswers(settings);
    const std::vector<std::string> order = {"AskEqLink", "AskXoLink", "AskStdSwtLink", "AskReset",
                                            "AskFineDelay", "AskMinFDS", "AskDelayRif"};
    EXPECT_EQ(settings.Writes(), order);
    for (const std::string& name : order) {
        uint32_t v = 0;
        EXPECT_EQ(settings.ReadDword(name.c_str(), v), os::ValueRead::Found) << name;
        EXPECT_EQ(v, 0xFFFFFFFFu) << name;
    }
}

}  // namespace
