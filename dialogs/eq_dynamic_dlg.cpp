#include "dialogs/eq_dynamic_dlg.h"

#include "os/phases.h"
#include "res/resource.h"
#include "ui/messages.h"
#include "ui/msg_box.h"
#include "ui/text.h"

namespace dialogs {

namespace {

constexpr int kSwitchEasy = 0, kSwitchAdvanced = 1, kSwitchOff = 2, kSwitchLow = 3, kSwitchHigh = 4;

int SwitchIndex(DynEqControl c) {
    switch (c) {
        case DynEqControl::Easy: return kSwitchEasy;
        case DynEqControl::Advanced: return kSwitchAdvanced;
        case DynEqControl::Off: return kSwitchOff;
        case DynEqControl::Low: return kSwitchLow;
        case DynEqControl::High: return kSwitchHigh;
        default: return -1;
    }
}

}  // namespace

EqDynamicDlg::EqDynamicDlg(HWND parent, int x, int y)
    : ui::FrameWnd(nullptr, parent, {x, y, x + 50, y + 50}, IDB_DYNEQ_BG, 0, false,
                   WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0),
      logic_(nullptr) {
    const HWND window = GetHwnd();
    if (!window) return;
    RECT r{};
    GetWindowRect(window, &r);
    width_ = r.right - r.left;
    fullHeight_ = ClientRect().bottom - 2;
    // Centred on the desktop, as every dialog of the program.
    SetWindowPos(window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width_) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    HDC back = BackBuffer();
    auto load = [back](ui::gdi::MemoryDC& dc, UINT id) {
        if (dc.Create(back)) dc.SetBitmap(ui::gdi::LoadSkinBitmap(id));
    };
    {
        ui::gdi::BitmapAccount account(os::held::kSliderImages);
        load(volumeTrack_, IDB_DYNEQ_VOLUME_TRACK);
        load(eqTrack_, IDB_DYNEQ_EQ_TRACK);
        load(thumb_, IDB_DYNEQ_THUMB);
    }

    close_ = std::make_unique<ui::BtnWnd>(window, 993, 4, 2, IDB_CAPTION_CLOSE, true);
    switches_[kSwitchEasy] = std::make_unique<ui::ChkWnd>(window, 11, 59, 3, IDB_DYNEQ_EASY, true);
    switches_[kSwitchAdvanced] = std::make_unique<ui::ChkWnd>(window, 11, 79, 3, IDB_DYNEQ_ADVANCED, true);
    switches_[kSwitchOff] = std::make_unique<ui::ChkWnd>(window, 8, 233, 3, IDB_DYNEQ_RESET, true);
    switches_[kSwitchLow] = std::make_unique<ui::ChkWnd>(window, 29, 129, 3, IDB_DYNEQ_LOW, true);
    switches_[kSwitchHigh] = std::make_unique<ui::ChkWnd>(window, 29, 148, 3, IDB_DYNEQ_HIGH, true);
    start_ = std::make_unique<ui::BtnWnd>(window, 47, 185, 3, IDB_DYNEQ_START, true);
    save_ = std::make_unique<ui::BtnWnd>(window, 47, 185, 3, IDB_DYNEQ_SAVE, false);
    start_->Enable(false);

    const ui::WndRect track{0, kThumbHeight / 2 + 2, kTrackWidth, kTrackHeight - kThumbHeight / 2 - 2};
    const ui::WndRect thumb{0, 0, kThumbWidth, kThumbHeight};
    volume_.Create(window, 0, {kVolumeX, kSliderY, kVolumeX + kTrackWidth, kSliderY + kTrackHeight}, volumeTrack_,
                   track, thumb_, thumb, -60.0f, 0.0f, 1);
    eq_.Create(window, 1, {kEqX, kSliderY, kEqX + kTrackWidth, kSliderY + kTrackHeight}, eqTrack_, track, thumb_,
               thumb, -6.0f, 6.0f, 1);
    volume_.SetDefault(-30.0f);
    eq_.SetDefault(0.0f);
    chart_ = std::make_unique<pages::DisplayChart>(window, 263, 42, 0);
    // Built hidden: its chart keeps nothing for later steps until it is on screen.
    if (!IsWindowVisible(window)) chart_->KeepNothingUntilShown();
    // The graphic equaliser of this dialog: +-6 dB, Flat and Select All only.
    eqPanel_ = std::make_unique<pages::EqSettings>(window, 249, 262, 0, 1);
    eqPanel_->SetEnabled(0);

    built_ = true;
    logic_.SetView(this);
    switches_[kSwitchOff]->SetCheck(ui::ChkWnd::kOn);
    switches_[kSwitchLow]->SetCheck(ui::ChkWnd::kOn);
    logic_.RefreshControls();
}

EqDynamicDlg::~EqDynamicDlg() {
    logic_.SetView(nullptr);
    volume_.Destroy();
    eq_.Destroy();
}

void EqDynamicDlg::Show() {
    if (GetHwnd()) ShowWindow(GetHwnd(), SW_SHOW);
}

void EqDynamicDlg::Hide() {
    if (GetHwnd()) ShowWindow(GetHwnd(), SW_HIDE);
}

ui::BtnWnd* EqDynamicDlg::Button(DynEqControl c) const {
    if (c == DynEqControl::Start) return start_.get();
    if (c == DynEqControl::Save) return save_.get();
    const int i = SwitchIndex(c);
    return i >= 0 ? switches_[i].get() : nullptr;
}

HWND EqDynamicDlg::ControlWindow(DynEqControl c) const {
    if (c == DynEqControl::VolumeSlider) return volume_.GetWindow();
    if (c == DynEqControl::EqSlider) return eq_.GetWindow();
    if (c == DynEqControl::GraphicEq) return eqPanel_ ? eqPanel_->GetHwnd() : nullptr;
    ui::BtnWnd* b = Button(c);
    return b ? b->GetHwnd() : nullptr;
}

// --- drawing ---

void EqDynamicDlg::Redraw(bool updateNow) {
    ui::FrameWnd::Redraw(false);
    if (built_) DrawTexts();
    if (updateNow) UpdateNow();
}

void EqDynamicDlg::DrawTexts() {
    HDC back = BackBuffer();
    if (!back) return;
    ui::TextStyle value;
    value.family = L"Arial";
    value.points = 7.0f;
    value.argb = 0xFFDCDCF0;
    value.formatFlags = 0x1000;
    value.alignment = 1;
    ui::DrawTextAntialiased(back, logic_.ValueText(0).c_str(), kVolumeBox, value);
    ui::DrawTextAntialiased(back, logic_.ValueText(1).c_str(), kEqBox, value);
    ui::TextStyle status;
    status.family = L"Arial";
    status.points = 12.0f;
    status.argb = 0xDCC8C8FA;  // alpha 220, colour (200, 200, 250)
    status.formatFlags = 0x1000;
    const RECT box{kStatusBox.left + 6, kStatusBox.top + 4, kStatusBox.right, kStatusBox.bottom};
    ui::DrawTextAntialiased(back, logic_.StatusText(), box, status);
}

void EqDynamicDlg::RedrawTexts() {
    if (!built_) return;
    Redraw(true);
    if (GetHwnd()) SetWindowTextA(GetHwnd(), logic_.StatusText());
}

void EqDynamicDlg::OnLButtonDown(int x, int y, WPARAM keys) {
    if (y < 30 && GetHwnd()) {
        ReleaseCapture();
        SendMessageA(GetHwnd(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
        return;
    }
    ui::FrameWnd::OnLButtonDown(x, y, keys);
}

// --- notifications ---

void EqDynamicDlg::OnTimer(WPARAM timerId, LPARAM) { logic_.OnTimer(static_cast<uint32_t>(timerId)); }

LRESULT EqDynamicDlg::OnAppMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case ui::MsgButtonClicked: {
            const HWND from = reinterpret_cast<HWND>(lParam);
            if (!from) return 0;
            if (close_ && from == close_->GetHwnd()) logic_.OnCloseButton();
            else if (start_ && from == start_->GetHwnd()) logic_.OnStart();
            else if (save_ && from == save_->GetHwnd()) logic_.OnSave();
            else
                for (int i = 0; i < 5; ++i)
                    if (switches_[i] && from == switches_[i]->GetHwnd()) {
                        if (i <= kSwitchOff) logic_.OnModeClicked(i);
                        else logic_.OnCurveClicked(i - kSwitchLow);
                    }
            return 0;
        }
        case ui::MsgSliderMoved:
            if (wParam == 0) logic_.OnVolumeMoved(volume_.GetValue());
            else if (wParam == 1) logic_.OnEqSliderMoved(eq_.GetValue());
            return 0;
        case ui::MsgEqBandChanged: {
            // The panel's values are read back while it reports the edit.
            if (!eqPanel_) return 0;
            float values[kDynEqBands] = {};
            uint32_t link = 0, off = 0;
            if (eqPanel_->GetGains(values, kDynEqBands, &link, &off) < kDynEqBands) return 0;
            logic_.OnBandEdit(static_cast<int>(static_cast<intptr_t>(wParam)), values);
            return 0;
        }
        case ui::MsgEqBandSwitch:
            logic_.OnBandSwitch(static_cast<int>(static_cast<intptr_t>(wParam)), lParam ? 1 : 0);
            return 0;
        default: return 0;
    }
}

// --- the view ---

void EqDynamicDlg::Check(DynEqControl c, bool checked) {
    const int i = SwitchIndex(c);
    if (i >= 0 && switches_[i]) switches_[i]->SetCheck(checked ? ui::ChkWnd::kOn : ui::ChkWnd::kOff);
}

void EqDynamicDlg::Enable(DynEqControl c, bool enable) {
    if (c == DynEqControl::VolumeSlider) volume_.Enable(enable);
    else if (c == DynEqControl::EqSlider) eq_.Enable(enable);
    else if (c == DynEqControl::GraphicEq) {
        if (eqPanel_) eqPanel_->SetEnabled(enable ? 1 : 0);
    }
    else if (ui::BtnWnd* b = Button(c)) {
        const int i = SwitchIndex(c);
        const int check = i >= 0 ? switches_[i]->GetCheck() : 0;
        b->Enable(enable);
        // A switch enabled again comes back off: keep what it showed.
        if (i >= 0 && enable && check == ui::ChkWnd::kOn) switches_[i]->SetCheck(ui::ChkWnd::kOn);
    }
}

void EqDynamicDlg::Show(DynEqControl c, bool show) {
    if (ui::BtnWnd* b = Button(c))
        if (b->GetHwnd()) ShowWindow(b->GetHwnd(), show ? SW_SHOW : SW_HIDE);
}

void EqDynamicDlg::SetSlider(int slider, float value) {
    (slider == 0 ? volume_ : eq_).SetValue(value);
}

void EqDynamicDlg::LoadEqGains(const float gains[kDynEqBands]) {
    if (eqPanel_) eqPanel_->SetGains(gains, kDynEqBands, 0, 0);
}

void EqDynamicDlg::LoadEqEnables(const int32_t enables[kDynEqBands]) {
    uint32_t flags[kDynEqBands];
    for (int i = 0; i < kDynEqBands; ++i) flags[i] = enables[i] ? 1 : 0;
    if (eqPanel_) eqPanel_->SetBandEnables(flags, kDynEqBands);
}

void EqDynamicDlg::SetHeight(int compact) {
    if (!GetHwnd() || width_ <= 0) return;
    SetWindowPos(GetHwnd(), nullptr, 0, 0, width_, compact ? kDynEqCompactHeight : fullHeight_,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void EqDynamicDlg::StartTimer(uint32_t id, uint32_t ms) {
    if (GetHwnd()) SetTimer(GetHwnd(), id, ms, nullptr);
}

void EqDynamicDlg::StopTimer(uint32_t id) {
    if (GetHwnd()) KillTimer(GetHwnd(), id);
}

void EqDynamicDlg::ChartResponse(uint32_t id, const model::BiquadSection* sections, int count) {
    if (chart_) chart_->ShowResponse(id, sections, count, true);
}

void EqDynamicDlg::ChartColours(uint32_t id, pages::CurveColour fill, pages::CurveColour line) {
    if (!chart_) return;
    // Every slider step sets the curve's colours again after its new response was drawn; paint
    // only when they change, so a step costs one chart paint and not two.
    const dsp::ChartCurve* c = chart_->Curves().FindCurve(id);
    const bool same = c && c->fill == dsp::Argb(fill.a, fill.r, fill.g, fill.b) &&
                      c->line == dsp::Argb(line.a, line.r, line.g, line.b);
    chart_->Curves().SetCurveFillArgb(id, fill.r, fill.g, fill.b, fill.a, false);
    chart_->Curves().SetCurveLineArgb(id, line.r, line.g, line.b, line.a, !same);
}

void EqDynamicDlg::ChartShow(uint32_t id, bool shown) {
    if (chart_) chart_->Curves().ShowCurve(id, shown, true);
}

void EqDynamicDlg::ChartHighlight(int32_t id) {
    if (chart_) chart_->Curves().SetHighlight(id, -1, -1, true);
}

bool EqDynamicDlg::AskDisable() {
    ui::MsgBox box(GetHwnd(), IDB_DIALOG_BG, {20, 72, 280, 152}, {85, 0, 296, 32}, nullptr, IDB_CAPTION_MSGBOX,
                   kDynEqCloseQuestion, 0, ui::MbOk | ui::MbCancel, -1, -1);
    return box.GetResult() == ui::MbOk;
}

void EqDynamicDlg::PostClosed() {
    if (Parent()) PostMessageA(Parent(), ui::MsgDynamicEqDialog, 0, 0);
}

}  // namespace dialogs
