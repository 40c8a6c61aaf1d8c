// The tab bar without its window: where a click lands, how the File, Config and Preset menus are
// prepared (as data: which positions are greyed or ticked, which devices "Com Setup" lists), and
// which message the main window gets for each menu command. The window (TabBarCtrl) applies it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/ftdi.h"

namespace pages {

// The menu resources.
constexpr int kMenuFile = 167;
constexpr int kMenuConfig = 168;
constexpr int kMenuPreset = 196;

// Command ids of the menus.
enum MenuCommand : int {
    kCmdLoadSetup = 40129,
    kCmdSaveSetup = 40130,
    kCmdCredits = 40131,
    kCmdExit = 40132,
    kCmdIoWizard = 40133,
    kCmdLoadAllPresets = 40135,
    kCmdSaveAllPresets = 40136,
    kCmdLoadCurrentPreset = 40137,
    kCmdSaveCurrentPreset = 40138,
    kCmdPresetDefault = 40140,
    kCmdCopyFromA = 40141,  // .. 40144 D
    kCmdStandard = 40146,
    kCmdExpert = 40147,
    kCmdDynEqWizard = 40148,
    kCmdScanPort = 40149,
    kCmdFinalize = 40266,
    kCmdPcToDevice = 40268,
    kCmdDeviceToPc = 40269,
    kCmdCheckUpdates = 40270,
    kCmdUpdateFirmware = 40271,
    kCmdResetDefaultAnswer = 40279,
    kCmdResetSettings = 40280,
    kCmdDynEqOn = 40282,
    kCmdDynEqOff = 40283,
    kCmdSourceAux1 = 40285,  // .. 40289 Phone
    kCmdConnectTo = 40290,   // the "Connect To" placeholder of "Com Setup" (replaced when shown)
    kCmdDeviceBase = 58000,  // + the device's index in the driver's list
};

struct TabRect {
    int left, top, right, bottom;
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

// Where the strips are drawn: one row of each at its rectangle's top-left corner.
constexpr TabRect kPageStripRect{512, 0, 1024, 111};
constexpr TabRect kPresetStripRect{247, 1, 458, 89};
constexpr int kPageStripRowHeight = 37;
constexpr int kPresetStripRowHeight = 22;
constexpr TabRect kPageHits[3] = {{550, 10, 700, 32}, {710, 10, 850, 32}, {870, 10, 1024, 32}};
// The preset tabs, measured from the preset strip: one row is (89 - 1) / 4 = 22 high, the tabs
// sit in its top 16 rows.
constexpr TabRect PresetHit(int i) {
    constexpr int kLeft[4] = {68, 103, 137, 172};
    constexpr int kRight[4] = {97, 132, 166, 201};
    constexpr int q = (kPresetStripRect.bottom - kPresetStripRect.top) / 4;
    return {kPresetStripRect.left + kLeft[i], kPresetStripRect.top, kPresetStripRect.left + kRight[i], q - 6};
}

// A message for the main window.
struct TabMessage {
    uint32_t message;
    intptr_t wParam;
    intptr_t lParam;
    bool operator==(const TabMessage&) const = default;
};

// What a click at (x, y) of the tab bar posts; nothing in rescue mode or outside the tabs.
std::optional<TabMessage> ClickMessage(int x, int y, bool rescue);

// One device of the driver's list as "Com Setup" offers it.
struct ComDevice {
    int index;  // 0-based position in the driver's list
    std::string description;
};

// The devices whose details the driver gives (status 0) with a description of 1 to 64 characters.
std::vector<ComDevice> ListComDevices(const devlink::FtdiApiTable* ftdi);
// FT_ListDevices' count of attached devices; 0 when the call is missing or fails.
int CountDevices(const devlink::FtdiApiTable* ftdi);

// What preparing a menu needs to know.
struct MenuFacts {
    int menuId = 0;
    bool online = false;
    bool rescue = false;
    int workingMode = 1;         // 1 Standard, 0 Expert
    uint32_t sourceMask = 0;     // bit i: external source i enabled (0x8007)
    int dynamicEqSwitch = 0;     // 0 on (0x800F)
    std::vector<ComDevice> devices;
    int32_t comSetting = -1;     // the "Com" setting: 1-based device number
};

// A menu prepared as data. Positions count from 0 in the popup as shown.
struct MenuPlan {
    std::vector<int> greyed;                      // top-level positions
    std::vector<std::pair<int, bool>> checks;     // command id, ticked
    std::array<int, 5> sourceTicks{-1, -1, -1, -1, -1};  // "External Source" items by position: 1/0, -1 untouched
    bool rebuildCom = false;                      // empty "Com Setup" and fill it with comItems
    struct ComItem {
        std::string text;
        int id;
        bool checked;
        bool operator==(const ComItem&) const = default;
    };
    std::vector<ComItem> comItems;
    std::optional<std::string> renamePosition10;
};

// Top-level positions of the menus.
constexpr int kConfigWizardPos = 0, kConfigSourcePos = 1, kConfigDynEqWizardPos = 3, kConfigDynEqPos = 4,
              kConfigComPos = 6, kConfigModePos = 8;
constexpr int kFileLoadPos = 0, kFileSavePos = 1, kFileFinalizePos = 3, kFileSyncPos = 4, kFileFirmwarePos = 7,
              kFileResetAnswersPos = 9, kFileResetPos = 10;

MenuPlan PrepareMenu(const MenuFacts& facts);

// What a menu command does: a message for the main window, or resetting the remembered answers
// (os::ResetDefaultAnswers).
struct MenuAction {
    bool resetDefaultAnswers = false;
    std::optional<TabMessage> post;
};

// The action of a command id chosen from the menu last shown; nothing for an id that menu does not
// hold. preset: the tab bar's selected preset; deviceCount: CountDevices at the time.
MenuAction CommandAction(int menuId, int id, int preset, int deviceCount);

// The tab bar's state.
class TabBarLogic {
public:
    TabBarLogic(bool online, bool rescue) : online_(online), rescue_(rescue) {}

    // A click: the tab it selects (page or preset changes at once) and the message to post.
    std::optional<TabMessage> OnClick(int x, int y);

    // The menu a button opens (none: the Preset button in rescue mode); remembers it as the menu
    // whose commands count.
    std::optional<int> OpenMenu(int menuId);
    int MenuId() const { return menuId_; }

    // A WM_COMMAND: acts only for a menu item (notification code 0, no control, id not 0).
    MenuAction OnCommand(int notifyCode, intptr_t control, int id, int deviceCount) const;

    void SetPage(int page) { page_ = page; }
    void SetPreset(int preset) { preset_ = preset; }
    void SetWorkingMode(int mode) { mode_ = mode; }
    void SetConnected(bool online) { online_ = online; }
    int Page() const { return page_; }
    int Preset() const { return preset_; }
    int WorkingMode() const { return mode_; }
    bool Online() const { return online_; }
    bool Rescue() const { return rescue_; }

private:
    bool online_;
    bool rescue_;
    int page_ = 0;
    int preset_ = 0;
    int mode_ = 1;
    int menuId_ = -1;
};

}  // namespace pages
