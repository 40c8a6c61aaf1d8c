#include "pages/tab_bar.h"

#include "os/phases.h"
#include "os/settings.h"
#include "res/resource.h"
#include "ui/messages.h"
#include "ui/win.h"

namespace pages {
namespace {

static_assert(IDR_MENU_FILE == kMenuFile && IDR_MENU_CONFIG == kMenuConfig && IDR_MENU_PRESET == kMenuPreset);

constexpr int kPageStripHeight = kPageStripRect.bottom - kPageStripRect.top;        // 111
constexpr int kPresetStripHeight = kPresetStripRect.bottom - kPresetStripRect.top;  // 88

}  // namespace

TabBarCtrl::TabBarCtrl(HWND parent, int x, int y, bool online, const devlink::FtdiApiTable* ftdi, bool rescue,
                       os::Settings* settings)
    : ui::FrameWnd(nullptr, parent, {x, y, x + 50, y + 50}, IDB_TAB_BAR, 0, false, 0x56000000, 0),
      logic_(online, rescue),
      ftdi_(ftdi),
      settings_(settings) {
    HWND window = GetHwnd();
    if (!window) return;
    ui::gdi::BitmapAccount account(os::held::kImageStrips);
    if (pageStrip_.Create(BackBuffer())) pageStrip_.SetBitmap(ui::gdi::LoadSkinBitmap(IDB_PAGE_TABS));
    if (presetStrip_.Create(BackBuffer())) presetStrip_.SetBitmap(ui::gdi::LoadSkinBitmap(IDB_PRESET_TABS));
    file_ = std::make_unique<ui::BtnWnd>(window, 3, 1, 3, IDB_BTN_FILE, true);
    config_ = std::make_unique<ui::BtnWnd>(window, 48, 1, 3, IDB_BTN_CONFIG, true);
    preset_ = std::make_unique<ui::BtnWnd>(window, kPresetStripRect.left + 3, kPresetStripRect.top, 3,
                                           IDB_BTN_PRESET, true);
    built_ = true;
    Redraw(true);
}

TabBarCtrl::~TabBarCtrl() = default;

void TabBarCtrl::Redraw(bool updateNow) {
    ui::FrameWnd::Redraw(false);
    HDC back = BackBuffer();
    if (built_ && back) {
        if (pageStrip_.HasBitmap())
            BitBlt(back, kPageStripRect.left, kPageStripRect.top, kPageStripRect.right - kPageStripRect.left,
                   kPageStripRowHeight, pageStrip_, 0, kPageStripHeight * logic_.Page() / 3, SRCCOPY);
        if (presetStrip_.HasBitmap())
            BitBlt(back, kPresetStripRect.left, kPresetStripRect.top, kPresetStripRect.right - kPresetStripRect.left,
                   kPresetStripRowHeight, presetStrip_, 0, kPresetStripHeight * logic_.Preset() / 4, SRCCOPY);
    }
    if (updateNow) UpdateNow();
}

void TabBarCtrl::SetPage(int page) {
    if (page < 0 || page > 2) return;
    logic_.SetPage(page);
    Redraw(true);
}

void TabBarCtrl::SetPreset(int preset) {
    if (preset < 0 || preset > 3) return;
    logic_.SetPreset(preset);
    Redraw(true);
}

void TabBarCtrl::OnLButtonDown(int x, int y, WPARAM) {
    // No window drag here: the bar is part of the main window.
    const std::optional<TabMessage> m = logic_.OnClick(x, y);
    if (!m) return;
    Redraw(true);
    PostMessageA(Parent(), m->message, static_cast<WPARAM>(m->wParam), m->lParam);
}

void TabBarCtrl::Prepare(HMENU popup, int menuId) {
    MenuFacts facts;
    facts.menuId = menuId;
    facts.online = logic_.Online();
    facts.rescue = logic_.Rescue();
    facts.workingMode = logic_.WorkingMode();
    if (menuId == kMenuConfig) {
        uint32_t mask = 0;
        SendMessageA(Parent(), ui::MsgQuerySourceFlags, reinterpret_cast<WPARAM>(&mask), 0);
        facts.sourceMask = mask;
        int dynamicEq = 0;
        SendMessageA(Parent(), ui::MsgQueryDynamicEqSwitch, reinterpret_cast<WPARAM>(&dynamicEq), 0);
        facts.dynamicEqSwitch = dynamicEq;
        facts.devices = ListComDevices(ftdi_);
        facts.comSetting = settings_ ? os::GetComSetting(*settings_) : -1;
    }
    const MenuPlan plan = PrepareMenu(facts);
    for (int position : plan.greyed) EnableMenuItem(popup, static_cast<UINT>(position), MF_BYPOSITION | MF_GRAYED);
    for (const auto& [id, ticked] : plan.checks)
        CheckMenuItem(popup, static_cast<UINT>(id), MF_BYCOMMAND | (ticked ? MF_CHECKED : MF_UNCHECKED));
    if (HMENU sources = GetSubMenu(popup, kConfigSourcePos); sources && menuId == kMenuConfig)
        for (int i = 0; i < 5; ++i)
            if (plan.sourceTicks[i] >= 0)
                CheckMenuItem(sources, static_cast<UINT>(i),
                              MF_BYPOSITION | (plan.sourceTicks[i] ? MF_CHECKED : MF_UNCHECKED));
    if (plan.rebuildCom) {
        if (HMENU com = GetSubMenu(popup, kConfigComPos)) {
            // DeleteMenu also destroys the "Connect To" submenu.
            DeleteMenu(com, 1, MF_BYPOSITION);
            DeleteMenu(com, 0, MF_BYPOSITION);
            for (const MenuPlan::ComItem& item : plan.comItems)
                AppendMenuA(com, MF_STRING | (item.checked ? MF_CHECKED : MF_UNCHECKED),
                            static_cast<UINT_PTR>(item.id), item.text.c_str());
        }
    }
    if (plan.renamePosition10) {
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STRING;
        info.dwTypeData = const_cast<char*>(plan.renamePosition10->c_str());
        SetMenuItemInfoA(popup, kFileResetPos, TRUE, &info);
    }
}

LRESULT TabBarCtrl::OnAppMessage(HWND, UINT message, WPARAM, LPARAM lParam) {
    if (message != ui::MsgButtonClicked) return 0;
    HWND from = reinterpret_cast<HWND>(lParam);
    ui::BtnWnd* button = nullptr;
    int menuId = 0;
    if (file_ && from == file_->GetHwnd()) button = file_.get(), menuId = kMenuFile;
    else if (config_ && from == config_->GetHwnd()) button = config_.get(), menuId = kMenuConfig;
    else if (preset_ && from == preset_->GetHwnd()) button = preset_.get(), menuId = kMenuPreset;
    if (!button || !logic_.OpenMenu(menuId)) return 0;

    HMENU loaded = LoadMenuA(ui::ModuleInstance(), MAKEINTRESOURCEA(menuId));
    if (!loaded) return 0;
    HMENU popup = GetSubMenu(loaded, 0);
    if (!popup) {
        DestroyMenu(loaded);
        return 0;
    }
    menu_ = popup;
    if (menuId != kMenuPreset) Prepare(popup, menuId);
    RECT r{};
    GetClientRect(button->GetHwnd(), &r);
    POINT at{r.left, r.bottom + 2};
    ClientToScreen(button->GetHwnd(), &at);
    TrackPopupMenuEx(popup, TPM_RIGHTBUTTON, at.x, at.y, GetHwnd(), nullptr);
    DestroyMenu(loaded);
    menu_ = nullptr;
    return 0;
}

void TabBarCtrl::OnCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    // The device count is asked of the driver only for a device item, as the command comes.
    const int count = id >= kCmdDeviceBase ? CountDevices(ftdi_) : 0;
    const MenuAction action = logic_.OnCommand(HIWORD(wParam), static_cast<intptr_t>(lParam), id, count);
    if (action.resetDefaultAnswers && settings_) os::ResetDefaultAnswers(*settings_);
    if (action.post)
        PostMessageA(Parent(), action.post->message, static_cast<WPARAM>(action.post->wParam), action.post->lParam);
}

}  // namespace pages
