// TabBarCtrl: the strip under the caption with the page tabs, the preset tabs and the File,
// Config and Preset menu buttons. A thin window over TabBarLogic: every click and menu command
// becomes a message posted to the main window.
#pragma once

#include <windows.h>

#include <memory>

#include "link/ftdi.h"
#include "pages/tab_bar_logic.h"
#include "ui/btn_wnd.h"
#include "ui/frame_wnd.h"
#include "ui/gdi.h"

namespace os {
class Settings;
}

namespace pages {

class TabBarCtrl : public ui::FrameWnd {
public:
    // settings: where "Reset Default Answer" writes and the "Com" setting is read (may be null).
    TabBarCtrl(HWND parent, int x, int y, bool online, const devlink::FtdiApiTable* ftdi, bool rescue,
               os::Settings* settings);
    ~TabBarCtrl() override;

    void Redraw(bool updateNow) override;
    void OnLButtonDown(int x, int y, WPARAM keys) override;
    void OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnAppMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    void SetPage(int page);
    void SetPreset(int preset);
    void SetWorkingMode(int mode) { logic_.SetWorkingMode(mode); }
    // Going offline: the menus then grey what needs a device.
    void SetConnected(int connected) { logic_.SetConnected(connected != 0); }
    int Page() const { return logic_.Page(); }
    int Preset() const { return logic_.Preset(); }
    int MenuId() const { return logic_.MenuId(); }

    // For tests.
    ui::BtnWnd* FileButton() { return file_.get(); }
    ui::BtnWnd* ConfigButton() { return config_.get(); }
    ui::BtnWnd* PresetButton() { return preset_.get(); }
    // The popup being shown (null when none is).
    HMENU ShownMenu() const { return menu_; }

private:
    void Prepare(HMENU popup, int menuId);

    TabBarLogic logic_;
    const devlink::FtdiApiTable* ftdi_;
    os::Settings* settings_;
    ui::gdi::MemoryDC pageStrip_;
    ui::gdi::MemoryDC presetStrip_;
    // The popup shown; it belongs to the menu loaded for it, which is destroyed when the popup
    // closes, so the handle is cleared then (the menu id stays: commands arrive after that).
    HMENU menu_ = nullptr;
    std::unique_ptr<ui::BtnWnd> file_;
    std::unique_ptr<ui::BtnWnd> config_;
    std::unique_ptr<ui::BtnWnd> preset_;
    bool built_ = false;
};

}  // namespace pages
