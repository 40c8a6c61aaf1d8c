#include "pages/ext_source.h"

#include "os/phases.h"
#include "res/resource.h"
#include "ui/messages.h"
#include "ui/text.h"

namespace pages {
namespace {

constexpr UINT kSwitchBitmaps[kSourceCount] = {IDB_SOURCE_AUX1, IDB_SOURCE_AUX2, IDB_SOURCE_SPDIF,
                                               IDB_SOURCE_OPTICAL, IDB_SOURCE_PHONE};
constexpr UINT kIndicatorBitmaps[kSourceCount] = {IDB_INPUT_AUX1, IDB_INPUT_AUX2, IDB_INPUT_SPDIF,
                                                  IDB_INPUT_OPTICAL, IDB_INPUT_PHONE};
constexpr ui::WndRect kSensitivityWindow{934, 513, 934 + 17, 513 + 158};
constexpr ui::WndRect kMasterWindow{964, 513, 964 + 17, 513 + 158};
constexpr ui::WndRect kSliderTrack{5, 18, 8, 145};
constexpr ui::WndRect kSliderThumb{0, 0, 17, 27};
constexpr RECT kSelectedBox{916, 354, 1000, 379};
constexpr RECT kSensitivityPatch{920, 674, 944, 694};
constexpr RECT kMasterPatch{973, 674, 997, 694};
// The input map: the type label (72 x 14, half of its strip) and eight labels of 93 x 13.
constexpr int kTypeLabelW = 72, kTypeLabelH = 14, kTypeLabelY = 565;
constexpr int kInputLabelW = 93, kInputLabelH = 13, kInputLabelX = 19, kInputLabelY = 579;
constexpr RECT kInputMapArea{19, 565, 19 + 96, 579 + 14 * 8};

void Place(ui::BtnWnd* b, PagePoint p, bool shown) {
    if (!b || !b->GetHwnd()) return;
    SetWindowPos(b->GetHwnd(), nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(b->GetHwnd(), shown ? SW_SHOWNA : SW_HIDE);
}

void Raise(ui::BtnWnd* b) {
    if (b && b->GetHwnd()) SetWindowPos(b->GetHwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

void Check(ui::ChkWnd* c, bool on) {
    if (c) c->SetCheck(on ? 1 : 0);
}

}  // namespace

ExtSourceEq::ExtSourceEq(HWND parent, int x, int y, bool connected, os::Sleeper& sleeper)
    : ui::FrameWnd(nullptr, parent, {x, y, x + 50, y + 50}, IDB_PAGE_SOURCES, 0, false, ui::kChildStyle, 0),
      sleeper_(sleeper),
      logic_(nullptr, connected) {
    HWND window = GetHwnd();
    if (!window) return;
    os::MarkPhase("ExtSourceEq: its frame created");
    chart_ = std::make_unique<DisplayChart>(window, 118, 321, IDB_CHART_BG_SOURCES);
    // Built off screen (the tuning page is shown first): the chart keeps nothing for later steps
    // until the page is shown.
    if (!IsWindowVisible(window)) chart_->KeepNothingUntilShown();
    os::MarkPhase("ExtSourceEq: DisplayChart created");
    panel_ = std::make_unique<EqSettings>(window, 116, 487, 1, 0);
    os::MarkPhase("ExtSourceEq: EqSettings created");
    for (int s = 0; s < kSourceCount; ++s) {
        const PagePoint slot = SwitchSlot(s);
        switches_[s] = std::make_unique<ui::ChkWnd>(window, slot.x, slot.y, 2, kSwitchBitmaps[s], false);
        const PagePoint at = kIndicatorPlaces[s];
        indicators_[s] = std::make_unique<ui::ChkWnd>(window, at.x, at.y, 2, kIndicatorBitmaps[s], false);
        indicators_[s]->SetHandCursor(true);
    }
    lowLevel_ = std::make_unique<ui::ChkWnd>(window, kLowLevelIndicatorPlace.x, kLowLevelIndicatorPlace.y, 2,
                                             IDB_INPUT_LOW_LEVEL, true);
    highLevel_ = std::make_unique<ui::ChkWnd>(window, kHighLevelIndicatorPlace.x, kHighLevelIndicatorPlace.y, 2,
                                              IDB_INPUT_HIGH_LEVEL, true);
    lowLevel_->SetHandCursor(true);
    highLevel_->SetHandCursor(true);
    const PagePoint masterSlot = SwitchSlot(0);
    master_ = std::make_unique<ui::ChkWnd>(window, masterSlot.x, masterSlot.y, 2, IDB_SOURCE_MASTER, true);
    // An image of two frames, never a control: it takes no clicks.
    scale_ = std::make_unique<ui::ChkWnd>(window, 903, 519, 2, IDB_SENSITIVITY_SCALE, true);
    if (scale_->GetHwnd()) EnableWindow(scale_->GetHwnd(), FALSE);

    HDC back = BackBuffer();
    auto load = [back](ui::gdi::MemoryDC& dc, UINT id) {
        if (dc.Create(back)) dc.SetBitmap(ui::gdi::LoadSkinBitmap(id));
    };
    {
        ui::gdi::BitmapAccount account(os::held::kSliderImages);
        load(masterTrack_, IDB_SOURCE_MASTER_TRACK);
        load(thumb_, IDB_SOURCE_THUMB);
        load(sensTrack_, IDB_SOURCE_SENS_TRACK);
    }
    {
        ui::gdi::BitmapAccount account(os::held::kImageStrips);
        load(typeLabels_, IDB_INPUT_TYPE_LABELS);
        load(inputLabels_, IDB_INPUT_LABELS);
    }
    masterSlider_.Create(window, 0, kMasterWindow, masterTrack_, kSliderTrack, thumb_, kSliderThumb,
                         kSourceMasterMin, kSourceMasterMax, 1);
    sensitivity_.Create(window, 1, kSensitivityWindow, sensTrack_, kSliderTrack, thumb_, kSliderThumb,
                        kSensitivityMin, kSensitivityMax, 1);
    sensitivity_.SetValue(kDefaultSensitivity);
    sensitivity_.SetDefault(kDefaultSensitivity);
    masterSlider_.SetValue(kDefaultSourceMaster);
    masterSlider_.SetDefault(kDefaultSourceMaster);
    built_ = true;
    os::MarkPhase("ExtSourceEq: its controls created");
    logic_.SetView(this);
    logic_.Start();
}

ExtSourceEq::~ExtSourceEq() {
    logic_.SetView(nullptr);
    sensitivity_.Destroy();
    masterSlider_.Destroy();
}

// ---- what the logic asks -----------------------------------------------------------------------

void ExtSourceEq::ShowResponse(uint32_t id, const model::BiquadSection* sections, int count, bool repaint) {
    if (!chart_) return;
    // Every source's curve in the page's green.
    chart_->ShowResponse(id, sections, count, false);
    chart_->Curves().SetCurveFillArgb(id, 120, 255, 120, 120, false);
    chart_->Curves().SetCurveLineArgb(id, 200, 250, 200, 205, repaint);
}

void ExtSourceEq::ShowCurve(uint32_t id, bool shown, bool repaint) {
    if (chart_) chart_->Curves().ShowCurve(id, shown, repaint);
}

void ExtSourceEq::HideAllCurves() {
    if (chart_) chart_->Curves().ShowAllCurves(false);
}

void ExtSourceEq::SetHighlight(int32_t id, bool repaint) {
    if (chart_) chart_->Curves().SetHighlight(id, -1, -1, repaint);
}

void ExtSourceEq::PaintChart() {
    if (chart_) chart_->Paint(true);
}

void ExtSourceEq::PanelSetGains(const float* gains, int count, uint32_t eqOff) {
    if (panel_) panel_->SetGains(gains, count, 0, eqOff);
}

void ExtSourceEq::PanelSetBandEnables(const uint32_t* switches, int count) {
    if (panel_) panel_->SetBandEnables(switches, count);
}

void ExtSourceEq::PanelSetEnabled(bool enabled) {
    if (panel_) panel_->SetEnabled(enabled ? 1 : 0);
}

bool ExtSourceEq::PageVisible() const { return GetHwnd() && IsWindowVisible(GetHwnd()); }

void ExtSourceEq::PostShowSource(int source) {
    if (Parent()) PostMessageA(Parent(), ui::MsgShowSource, static_cast<WPARAM>(source), 0);
}

void ExtSourceEq::SendMasterLevelChanged(float dB) {
    if (Parent()) SendMessageA(Parent(), ui::MsgMasterLevel, 0, reinterpret_cast<LPARAM>(&dB));
}

std::optional<float> ExtSourceEq::QueryOutputMaster() {
    if (!Parent()) return std::nullopt;
    float master = logic_.MasterValue();
    SendMessageA(Parent(), ui::MsgQueryLevelsMaster, 0, reinterpret_cast<LPARAM>(&master));
    return master;
}

void ExtSourceEq::LockParent(uint32_t ms) {
    HWND parent = Parent();
    if (!parent || !logic_.Connected()) return;
    EnableWindow(parent, FALSE);
    sleeper_.SleepMs(ms);
    EnableWindow(parent, TRUE);
}

// The controls take what the logic holds; switches that a click flipped are set back by it.
void ExtSourceEq::ControlsChanged(bool updateNow) {
    if (!built_) return;
    const int lit = logic_.GetSelectedSource();
    for (int s = 0; s < kSourceCount; ++s) {
        const bool shown = logic_.SwitchShown(s);
        Place(switches_[s].get(), logic_.SwitchPlace(s), shown);
        Place(indicators_[s].get(), kIndicatorPlaces[s], shown);
        Check(switches_[s].get(), lit == s);
        Check(indicators_[s].get(), lit == s);
    }
    Place(master_.get(), logic_.MasterPlace(), true);
    Check(master_.get(), logic_.MasterChecked());
    Place(lowLevel_.get(), kLowLevelIndicatorPlace, logic_.TypeIndicatorShown(1));
    Place(highLevel_.get(), kHighLevelIndicatorPlace, logic_.TypeIndicatorShown(0));
    Check(lowLevel_.get(), logic_.TypeIndicatorChecked(1));
    Check(highLevel_.get(), logic_.TypeIndicatorChecked(0));
    if (lit >= 0) {
        Raise(indicators_[lit].get());
    } else {
        Raise(master_.get());
        Raise(lowLevel_.get());
        Raise(highLevel_.get());
    }
    if (scale_) scale_->SetCheck(logic_.ScaleFrame());
    sensitivity_.SetMax(logic_.SensitivityMax());
    sensitivity_.SetMin(logic_.SensitivityMin());
    sensitivity_.SetValue(logic_.SensitivityValue());
    sensitivity_.Enable(logic_.SensitivityEnabled());
    masterSlider_.SetValue(logic_.MasterValue());
    masterSlider_.Enable(logic_.MasterEnabled());
    Paint(updateNow);
}

// ---- drawing -----------------------------------------------------------------------------------

void ExtSourceEq::Redraw(bool updateNow) {
    ui::FrameWnd::Redraw(false);
    if (built_) {
        DrawTexts();
        DrawInputMap();
    }
    if (updateNow) UpdateNow();
}

void ExtSourceEq::Paint(bool updateNow) {
    if (!built_) return;
    DrawTexts();
    DrawInputMap();
    if (updateNow) UpdateNow();
}

void ExtSourceEq::DrawTexts() {
    HDC back = BackBuffer();
    HDC skin = SkinDC();
    if (!back || !skin) return;
    for (const RECT& r : {kSelectedBox, kSensitivityPatch, kMasterPatch})
        BitBlt(back, r.left, r.top, r.right - r.left, r.bottom - r.top, skin, r.left, r.top, SRCCOPY);
    ui::TextStyle name;
    name.family = L"Arial";
    name.points = 12.0f;
    name.bold = true;
    name.argb = 0xDC7878FF;
    name.formatFlags = 0x5000;  // one line, no clipping
    name.alignment = 1;
    const RECT box{kSelectedBox.left, kSelectedBox.top + 4, kSelectedBox.right - 6, kSelectedBox.bottom};
    ui::DrawTextAntialiased(back, logic_.SelectedName().c_str(), box, name);

    ui::TextStyle readout;
    readout.family = L"Arial";
    readout.points = 7.0f;
    readout.argb = 0xFFC8C8FA;
    readout.hint = 5;
    readout.atPoint = true;
    const RECT masterAt{973, 677, 997, 694};
    ui::DrawTextAntialiased(back, logic_.MasterText().c_str(), masterAt, readout);
    const std::string volts = logic_.SensitivityText();
    if (!volts.empty()) {
        const RECT sensAt{920, 677, 944, 694};
        ui::DrawTextAntialiased(back, volts.c_str(), sensAt, readout);
    }
}

void ExtSourceEq::DrawInputMap() {
    HDC back = BackBuffer();
    HDC skin = SkinDC();
    if (!back || !skin) return;
    const RECT a = kInputMapArea;
    BitBlt(back, a.left, a.top, a.right - a.left, a.bottom - a.top, skin, a.left, a.top, SRCCOPY);
    const int low = logic_.InputMapLowLevel() ? 1 : 0;
    if (typeLabels_.HasBitmap())
        BitBlt(back, 20 + 3 * low, kTypeLabelY, kTypeLabelW, kTypeLabelH, typeLabels_, kTypeLabelW * low, 0, SRCCOPY);
    if (!inputLabels_.HasBitmap()) return;
    for (int i = 0; i < 8; ++i)
        BitBlt(back, kInputLabelX, kInputLabelY + 14 * i, kInputLabelW, kInputLabelH, inputLabels_, 0,
               kInputLabelH * logic_.InputMapRowOf(i), SRCCOPY);
}

// ---- notifications -----------------------------------------------------------------------------

void ExtSourceEq::OnShowWindow(bool) { logic_.OnShowWindow(); }

LRESULT ExtSourceEq::OnAppMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case ui::MsgButtonClicked: {
            HWND from = reinterpret_cast<HWND>(lParam);
            for (int s = 0; s < kSourceCount; ++s) {
                if ((switches_[s] && from == switches_[s]->GetHwnd()) ||
                    (indicators_[s] && from == indicators_[s]->GetHwnd())) {
                    logic_.OnSourcePicked(s);
                    return 0;
                }
            }
            if (master_ && from == master_->GetHwnd()) logic_.OnMasterClicked();
            if (lowLevel_ && from == lowLevel_->GetHwnd()) logic_.OnTypeIndicatorClicked(1);
            if (highLevel_ && from == highLevel_->GetHwnd()) logic_.OnTypeIndicatorClicked(0);
            return 0;
        }
        case ui::MsgSliderMoved: {
            const int index = static_cast<int>(wParam);
            if (index == 0) logic_.OnSliderMoved(0, masterSlider_.GetValue());
            if (index == 1) logic_.OnSliderMoved(1, sensitivity_.GetValue());
            return 0;
        }
        case ui::MsgEqBandChanged: {
            float gains[kSourceBands] = {};
            uint32_t link = 0, off = 0;
            if (panel_) panel_->GetGains(gains, kSourceBands, &link, &off);
            logic_.OnEqBandChanged(static_cast<int>(wParam), gains, off);
            return 0;
        }
        case ui::MsgEqBandSwitch:
            logic_.OnEqBandSwitch(static_cast<int>(wParam), static_cast<uint32_t>(lParam));
            return 0;
        case ui::MsgEqOffChanged: logic_.OnEqOffChanged(static_cast<uint32_t>(wParam)); return 0;
        default: return 0;
    }
}

}  // namespace pages
