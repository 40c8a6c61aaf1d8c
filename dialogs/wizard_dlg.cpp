#include "dialogs/wizard_dlg.h"

#include "res/resource.h"
#include "ui/gdi.h"
#include "ui/messages.h"
#include "ui/text.h"

namespace dialogs {
namespace {

constexpr int kCarLeft = 1, kCarTop = 30;
constexpr int kBoxXs[kChannelBoxes] = {235, 235, 235, 235, 235, 235, 235, 235, 235};
constexpr int kBoxYs[kChannelBoxes] = {83, 107, 132, 156, 180, 204, 229, 253, 286};
constexpr POINT kCheckPlaces[kWizardChecks] = {{71, 159}, {71, 183}, {71, 207}, {71, 231},
                                               {71, 255}, {254, 210}, {254, 235}, {254, 259}};
constexpr int kMaxMenuText = 30;

}  // namespace

WizardDlg::WizardDlg(HWND parent, int x, int y, bool online)
    : ui::FrameWnd(nullptr, parent, {x, y, x + 300, y + 380}, IDB_WIZARD_BG, 0, false,
                   WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0),
      logic_(*this, online) {
    HWND w = GetHwnd();
    if (w) {
        SetWindowTextA(w, kWindowName);
        const struct {
            WizButton button;
            UINT bitmap;
            int x, y;
            bool visible;
        } buttons[] = {{WizButton::Finish, IDB_BTN_OK, 0, 0, false},
                       {WizButton::Next, IDB_BTN_NEXT, 110, 330, true},
                       {WizButton::Back, IDB_BTN_BACK, 31, 330, true},
                       {WizButton::Skip, IDB_BTN_SKIP, 189, 330, false},
                       {WizButton::Cancel, IDB_BTN_CANCEL, 189, 330, true}};
        for (const auto& b : buttons)
            buttons_[Slot(b.button)] = std::make_unique<ui::BtnWnd>(w, b.x, b.y, 3, b.bitmap, b.visible);
        for (int i = 0; i < kChannelBoxes; ++i)
            boxes_[static_cast<size_t>(i)] =
                std::make_unique<ui::BtnWnd>(w, kBoxXs[i], kBoxYs[i], 3, IDB_CROSSOVER_FIELD, false);
        for (int i = 0; i < kWizardChecks; ++i)
            checks_[static_cast<size_t>(i)] = std::make_unique<ui::ChkWnd>(
                w, kCheckPlaces[i].x, kCheckPlaces[i].y, 2, IDB_WIZARD_CHECK, false);
        bar_.Create(w, 20, 150, IDB_WIZARD_BAR, 0, WizardLogic::kBarRange, 6, 248, false);
        const HINSTANCE instance = GetModuleHandleA(nullptr);
        highMenu_ = LoadMenuA(instance, MAKEINTRESOURCEA(IDR_MENU_WIZARD_HIGH));
        lowMenu_ = LoadMenuA(instance, MAKEINTRESOURCEA(IDR_MENU_WIZARD_LOW));
    }
    brush_ = CreateSolidBrush(kBoxColour);
    font_ = ui::gdi::MakeFont(14, FW_NORMAL, "Arial");
    built_ = true;
    Centre();
}

WizardDlg::~WizardDlg() {
    if (GetHwnd()) {
        KillTimer(GetHwnd(), WizardLogic::kInputTimer);
        KillTimer(GetHwnd(), WizardLogic::kOutputTimer);
    }
    car_.reset();
    if (highMenu_) DestroyMenu(highMenu_);
    if (lowMenu_) DestroyMenu(lowMenu_);
    if (brush_) DeleteObject(brush_);
    ui::gdi::Free(font_);
}

void WizardDlg::Centre() {
    RECT r;
    if (!GetHwnd() || !GetWindowRect(GetHwnd(), &r)) return;
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w == size_.cx && h == size_.cy) return;
    size_ = {w, h};
    SetWindowPos(GetHwnd(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - h) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND WizardDlg::ButtonWindow(WizButton button) const {
    const auto& b = buttons_[Slot(button)];
    return b ? b->GetHwnd() : nullptr;
}

HWND WizardDlg::BoxWindow(int box) const {
    return box >= 0 && box < kChannelBoxes && boxes_[static_cast<size_t>(box)]
               ? boxes_[static_cast<size_t>(box)]->GetHwnd()
               : nullptr;
}

HWND WizardDlg::CheckWindow(int check) const {
    return check >= 0 && check < kWizardChecks && checks_[static_cast<size_t>(check)]
               ? checks_[static_cast<size_t>(check)]->GetHwnd()
               : nullptr;
}

void WizardDlg::SetSkin(uint32_t bitmap, uint32_t overlay) {
    FrameWnd::SetSkin(bitmap, overlay);
    // The car-view steps are larger: the dialog stays centred.
    Centre();
}

namespace {
void Show(HWND w, bool show) {
    if (w) ShowWindow(w, show ? SW_SHOW : SW_HIDE);
}
void Move(HWND w, int x, int y) {
    if (w) SetWindowPos(w, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
}  // namespace

void WizardDlg::ShowButton(WizButton button, bool show) { Show(ButtonWindow(button), show); }

void WizardDlg::EnableButton(WizButton button, bool enable) {
    if (auto& b = buttons_[Slot(button)]) b->Enable(enable);
}

void WizardDlg::MoveButton(WizButton button, int x, int y) { Move(ButtonWindow(button), x, y); }
void WizardDlg::ShowBox(int box, bool show) { Show(BoxWindow(box), show); }
void WizardDlg::MoveBox(int box, int x, int y) { Move(BoxWindow(box), x, y); }
void WizardDlg::ShowCheck(int check, bool show) { Show(CheckWindow(check), show); }
void WizardDlg::MoveCheck(int check, int x, int y) { Move(CheckWindow(check), x, y); }

void WizardDlg::SetCheck(int check, bool on) {
    if (check >= 0 && check < kWizardChecks && checks_[static_cast<size_t>(check)])
        checks_[static_cast<size_t>(check)]->SetCheck(on ? ui::ChkWnd::kOn : ui::ChkWnd::kOff);
}

void WizardDlg::ShowBar(bool show) { Show(bar_.GetHwnd(), show); }

void WizardDlg::StartTimer(uint32_t id, uint32_t periodMs) {
    if (GetHwnd()) SetTimer(GetHwnd(), id, periodMs, nullptr);
}

void WizardDlg::StopTimer(uint32_t id) {
    if (GetHwnd()) KillTimer(GetHwnd(), id);
}

void WizardDlg::OpenPopup(int menuResource, int x, int y, const std::vector<MenuItemState>& items) {
    if (!GetHwnd()) return;
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(menuResource));
    if (!menu) return;
    if (HMENU popup = GetSubMenu(menu, 0)) {
        for (const MenuItemState& item : items) {
            const UINT id = static_cast<UINT>(item.id);
            CheckMenuItem(popup, id, MF_BYCOMMAND | (item.checked ? MF_CHECKED : MF_UNCHECKED));
            EnableMenuItem(popup, id, MF_BYCOMMAND | (item.greyed ? MF_GRAYED : MF_ENABLED));
        }
        POINT at{x, y};
        ClientToScreen(GetHwnd(), &at);
        // Modal until the user picks or dismisses; a pick arrives as WM_COMMAND.
        TrackPopupMenuEx(popup, TPM_RIGHTBUTTON, at.x, at.y, GetHwnd(), nullptr);
    }
    DestroyMenu(menu);
}

pages::CarChannelLogic* WizardDlg::CarView(int mode) {
    if (!car_ && GetHwnd()) {
        car_ = std::make_unique<pages::CarChannel>(GetHwnd(), kCarLeft, kCarTop, mode);
        if (!car_->GetHwnd()) car_.reset();
    }
    return car_ ? &car_->Logic() : nullptr;
}

void WizardDlg::ShowCarView(bool show) {
    if (car_) Show(car_->GetHwnd(), show);
}

void WizardDlg::PostToParent(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (Parent()) PostMessageA(Parent(), message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam));
}

void WizardDlg::PostToSelf(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (GetHwnd()) PostMessageA(GetHwnd(), message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam));
}

void WizardDlg::QueryMasterLevel(float* dB) {
    if (!dB || !Parent()) return;
    // The answer may come after the time-out (the main window handles the message late, or never
    // while its destructor joins the poll thread): the slot it writes into must outlive this call.
    // Only the poll thread asks, one query at a time.
    static float answer;
    answer = *dB;
    DWORD_PTR result = 0;
    if (SendMessageTimeoutA(Parent(), ui::MsgQueryMasterLevel, reinterpret_cast<WPARAM>(&answer), 0,
                            SMTO_BLOCK | SMTO_ABORTIFHUNG, kMasterLevelQueryMs, &result))
        *dB = answer;
}

void WizardDlg::DrawBoxLabel(const WizardLogic::BoxLabel& label) {
    HDC back = BackBuffer();
    RECT r{label.rect.left, label.rect.top, label.rect.right, label.rect.bottom};
    FillRect(back, &r, brush_);
    const bool low = MenuIdToRoutingIndex(label.menuId) >= 18 || label.menuId == kMenuLowNotConnected;
    char text[kMaxMenuText + 1] = "";
    HMENU menu = low ? lowMenu_ : highMenu_;
    if (!menu || GetMenuStringA(menu, static_cast<UINT>(label.menuId), text, sizeof text, MF_BYCOMMAND) <= 0)
        lstrcpynA(text, RoutingIndexName(MenuIdToRoutingIndex(label.menuId), low), sizeof text);
    HGDIOBJ old = font_ ? SelectObject(back, font_) : nullptr;
    SetBkMode(back, TRANSPARENT);
    SetTextColor(back, RGB(0, 0, 0));
    r.left += 2;
    DrawTextA(back, text, -1, &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    if (old) SelectObject(back, old);
}

void WizardDlg::Redraw(bool updateNow) {
    ui::FrameWnd::Redraw(false);
    if (built_ && BackBuffer()) {
        for (const WizardLogic::BoxLabel& label : logic_.BoxLabels()) DrawBoxLabel(label);
        const std::string status = logic_.StatusText();
        if (!status.empty()) {
            ui::TextStyle style;
            style.family = L"Arial";
            style.points = 12.0f;
            style.bold = true;
            style.argb = kStatusArgb;
            const RECT box{WizardLogic::kStatusLeft, WizardLogic::kStatusTop,
                           WizardLogic::kStatusLeft + WizardLogic::kStatusWidth,
                           WizardLogic::kStatusTop + WizardLogic::kStatusHeight};
            ui::DrawTextAntialiased(BackBuffer(), status.c_str(), box, style);
        }
    }
    if (updateNow) UpdateNow();
}

void WizardDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (lParam == 0) logic_.OnCommand(LOWORD(wParam));
}

void WizardDlg::OnTimer(WPARAM timerId, LPARAM) { logic_.OnTimer(static_cast<uint32_t>(timerId)); }

LRESULT WizardDlg::OnAppMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != ui::MsgButtonClicked) {
        logic_.OnAppMessage(message, wParam, lParam);
        return 0;
    }
    const HWND from = reinterpret_cast<HWND>(lParam);
    if (!from) return 0;
    for (size_t i = 0; i < buttons_.size(); ++i)
        if (buttons_[i] && buttons_[i]->GetHwnd() == from) {
            logic_.OnButton(static_cast<WizButton>(i));
            return 0;
        }
    for (int i = 0; i < kChannelBoxes; ++i)
        if (BoxWindow(i) == from) {
            logic_.OnBoxClicked(i);
            return 0;
        }
    for (int i = 0; i < kWizardChecks; ++i)
        if (CheckWindow(i) == from) {
            logic_.OnCheckClicked(i, checks_[static_cast<size_t>(i)]->GetCheck() == ui::ChkWnd::kOn);
            return 0;
        }
    return 0;
}

}  // namespace dialogs
