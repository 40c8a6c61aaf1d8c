#include "pages/tab_bar_logic.h"

#include <cstring>

#include "ui/messages.h"

namespace pages {

std::optional<TabMessage> ClickMessage(int x, int y, bool rescue) {
    if (rescue) return std::nullopt;
    for (int i = 0; i < 3; ++i)
        if (kPageHits[i].Contains(x, y)) return TabMessage{ui::MsgSelectPage, i, 0};
    for (int i = 0; i < 4; ++i)
        if (PresetHit(i).Contains(x, y)) return TabMessage{ui::MsgSelectPreset, i, 0};
    return std::nullopt;
}

std::vector<ComDevice> ListComDevices(const devlink::FtdiApiTable* ftdi) {
    std::vector<ComDevice> out;
    if (!ftdi) return out;
    auto create = ftdi->Get<devlink::FT_CreateDeviceInfoList_t>(devlink::kFT_CreateDeviceInfoList);
    auto detail = ftdi->Get<devlink::FT_GetDeviceInfoDetail_t>(devlink::kFT_GetDeviceInfoDetail);
    if (!create || !detail) return out;
    devlink::FT_DWORD count = 0;
    if (create(&count) != devlink::FT_OK) return out;
    // The driver writes at most 16 and 64 bytes; the buffers are larger so that a description
    // that is too long can be seen for what it is instead of overrunning.
    constexpr size_t kBuffer = 256;
    for (devlink::FT_DWORD i = 0; i < count && i < 1000; ++i) {
        char serial[kBuffer] = {};
        char description[kBuffer] = {};
        devlink::FT_DWORD flags = 0, type = 0, id = 0, location = 0;
        devlink::FT_HANDLE handle = nullptr;
        if (detail(i, &flags, &type, &id, &location, serial, description, &handle) != devlink::FT_OK) continue;
        const size_t n = strnlen(description, kBuffer);
        if (n < 1 || n > 64) continue;
        out.push_back({static_cast<int>(i), std::string(description, n)});
    }
    return out;
}

int CountDevices(const devlink::FtdiApiTable* ftdi) {
    if (!ftdi) return 0;
    auto list = ftdi->Get<devlink::FT_ListDevices_t>(devlink::kFT_ListDevices);
    if (!list) return 0;
    devlink::FT_DWORD n = 0;
    if (list(&n, nullptr, devlink::FT_LIST_NUMBER_ONLY) != devlink::FT_OK) return 0;
    return n > 100000 ? 0 : static_cast<int>(n);
}

MenuPlan PrepareMenu(const MenuFacts& f) {
    MenuPlan plan;
    if (f.menuId == kMenuConfig) {
        plan.checks.push_back({kCmdStandard, f.workingMode == 1});
        plan.checks.push_back({kCmdExpert, f.workingMode != 1});
        if (!f.online) plan.greyed.push_back(kConfigComPos);
        else if (f.rescue)
            plan.greyed.insert(plan.greyed.end(), {kConfigWizardPos, kConfigSourcePos, kConfigDynEqWizardPos,
                                                   kConfigDynEqPos, kConfigModePos});
        for (int i = 0; i < 5; ++i) plan.sourceTicks[i] = (f.sourceMask >> i) & 1u ? 1 : 0;
        plan.rebuildCom = true;
        for (const ComDevice& d : f.devices)
            plan.comItems.push_back({d.description, kCmdDeviceBase + d.index, d.index == f.comSetting - 1});
        if (plan.comItems.empty() && f.online) plan.greyed.push_back(kConfigComPos);
        plan.checks.push_back({kCmdDynEqOn, f.dynamicEqSwitch == 0});
        plan.checks.push_back({kCmdDynEqOff, f.dynamicEqSwitch != 0});
    } else if (f.menuId == kMenuFile) {
        if (!f.online) {
            plan.greyed = {kFileFinalizePos, kFileSyncPos, kFileFirmwarePos};
        } else {
            if (f.rescue)
                plan.greyed = {kFileLoadPos, kFileSavePos, kFileFinalizePos, kFileSyncPos, kFileResetAnswersPos};
            plan.renamePosition10 = "Restore Factory Defaults";
        }
    }
    return plan;
}

namespace {

struct CommandRow {
    int menuId;
    int id;
    uint32_t message;
    intptr_t wParam;
    intptr_t lParam;
};

constexpr intptr_t kPresetArg = -100;  // stands for the selected preset

constexpr CommandRow kCommands[] = {
    {kMenuFile, kCmdLoadSetup, ui::MsgSetupFile, 1, 0},
    {kMenuFile, kCmdSaveSetup, ui::MsgSetupFile, 0, 0},
    {kMenuFile, kCmdFinalize, ui::MsgWriteToDevice, 1, 1},
    {kMenuFile, kCmdPcToDevice, ui::MsgWriteToDevice, 1, 0},
    {kMenuFile, kCmdDeviceToPc, ui::MsgReadFromDevice, 1, 0},
    {kMenuFile, kCmdCheckUpdates, ui::MsgCheckUpdates, 1, 0},
    {kMenuFile, kCmdUpdateFirmware, ui::MsgUpdateFirmware, 1, 0},
    {kMenuFile, kCmdResetSettings, ui::MsgResetSettings, 0, 0},
    {kMenuFile, kCmdCredits, ui::MsgCredits, 0, 0},
    {kMenuFile, kCmdExit, ui::MsgCloseApp, 0, 0},
    {kMenuConfig, kCmdIoWizard, ui::MsgWizard, 1, 0},
    {kMenuConfig, kCmdSourceAux1 + 0, ui::MsgToggleSource, 0, 0},
    {kMenuConfig, kCmdSourceAux1 + 1, ui::MsgToggleSource, 1, 0},
    {kMenuConfig, kCmdSourceAux1 + 2, ui::MsgToggleSource, 2, 0},
    {kMenuConfig, kCmdSourceAux1 + 3, ui::MsgToggleSource, 3, 0},
    {kMenuConfig, kCmdSourceAux1 + 4, ui::MsgToggleSource, 4, 0},
    {kMenuConfig, kCmdDynEqWizard, ui::MsgDynamicEqDialog, 1, 0},
    {kMenuConfig, kCmdDynEqOn, ui::MsgDynamicEqSwitch, 0, 0},
    {kMenuConfig, kCmdDynEqOff, ui::MsgDynamicEqSwitch, 1, 0},
    {kMenuConfig, kCmdScanPort, ui::MsgScan, 1, 0},
    {kMenuConfig, kCmdStandard, ui::MsgWorkingMode, 1, 0},
    {kMenuConfig, kCmdExpert, ui::MsgWorkingMode, 0, 0},
    {kMenuPreset, kCmdLoadAllPresets, ui::MsgPresetFile, 1, -1},
    {kMenuPreset, kCmdSaveAllPresets, ui::MsgPresetFile, 0, -1},
    {kMenuPreset, kCmdLoadCurrentPreset, ui::MsgPresetFile, 1, kPresetArg},
    {kMenuPreset, kCmdSaveCurrentPreset, ui::MsgPresetFile, 0, kPresetArg},
    {kMenuPreset, kCmdPresetDefault, ui::MsgCopyPreset, -1, kPresetArg},
};

}  // namespace

MenuAction CommandAction(int menuId, int id, int preset, int deviceCount) {
    MenuAction action;
    if (menuId == kMenuFile && id == kCmdResetDefaultAnswer) {
        action.resetDefaultAnswers = true;
        return action;
    }
    if (menuId == kMenuConfig && id >= kCmdDeviceBase) {
        if (id < kCmdDeviceBase + deviceCount)
            action.post = TabMessage{ui::MsgConnectDevice, id - kCmdDeviceBase + 1, 0};
        return action;
    }
    if (menuId == kMenuPreset && id >= kCmdCopyFromA && id < kCmdCopyFromA + 4) {
        const int from = id - kCmdCopyFromA;
        if (from != preset) action.post = TabMessage{ui::MsgCopyPreset, from, preset};
        return action;
    }
    for (const CommandRow& row : kCommands) {
        if (row.menuId != menuId || row.id != id) continue;
        action.post = TabMessage{row.message, row.wParam, row.lParam == kPresetArg ? preset : row.lParam};
        break;
    }
    return action;
}

std::optional<TabMessage> TabBarLogic::OnClick(int x, int y) {
    std::optional<TabMessage> m = ClickMessage(x, y, rescue_);
    if (!m) return m;
    if (m->message == ui::MsgSelectPage) page_ = static_cast<int>(m->wParam);
    else preset_ = static_cast<int>(m->wParam);
    return m;
}

std::optional<int> TabBarLogic::OpenMenu(int menuId) {
    if (menuId != kMenuFile && menuId != kMenuConfig && menuId != kMenuPreset) return std::nullopt;
    if (menuId == kMenuPreset && rescue_) return std::nullopt;
    menuId_ = menuId;
    return menuId;
}

MenuAction TabBarLogic::OnCommand(int notifyCode, intptr_t control, int id, int deviceCount) const {
    if (notifyCode != 0 || control != 0 || id == 0) return {};
    return CommandAction(menuId_, id, preset_, deviceCount);
}

}  // namespace pages
