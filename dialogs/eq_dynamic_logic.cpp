#include "dialogs/eq_dynamic_logic.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "dsp/eq.h"

namespace dialogs {

const char* const DynEqStepTexts[kDynEqStepCount] = {
    "Select mode (Easy or Advanced)",
    "When volume level is set, press START button.",
    "Use Volume slider to set reference level for the Low-level curve",
    "Use Volume slider to set reference level for the High-level curve",
    "Use EQ slider to calibrate equalization for the Low-level curve.",
    "Use EQ slider to calibrate equalization for the High-level curve.",
    "Create your personal equalization for the Low-level curve. Use Graphic Equalizer below.",
    "Create your personal equalization for the High-level curve. Use Graphic Equalizer below.",
    "When done, press SAVE to save the equalization settings.",
};

namespace {

constexpr DynEqControl kModeSwitches[3] = {DynEqControl::Easy, DynEqControl::Advanced, DynEqControl::Off};
constexpr DynEqControl kCurveSwitches[2] = {DynEqControl::Low, DynEqControl::High};

}  // namespace

EqDynamicLogic::EqDynamicLogic(EqDynamicView* view, os::Sleeper* sleeper)
    : view_(view), sleeper_(sleeper ? sleeper : &os::SystemSleeper()) {
    std::memset(records_.data(), 0, sizeof(DynEqCurveRecord) * kDynEqCurves);
    RefreshControls();
}

// --- small helpers ---

void EqDynamicLogic::ShowStatus(int index) {
    status_ = index;
    if (view_) view_->RedrawTexts();
}

void EqDynamicLogic::StartReadyTimer() {
    if (readyTimer_ || startEnabled_) return;
    readyTimer_ = true;
    if (view_) view_->StartTimer(kDynEqReadyTimer, kDynEqReadyTimerMs);
}

void EqDynamicLogic::StopReadyTimer() {
    if (!readyTimer_) return;
    readyTimer_ = false;
    if (view_) view_->StopTimer(kDynEqReadyTimer);
}

void EqDynamicLogic::CheckRadio(int mode, int curve) {
    if (!view_) return;
    for (int i = 0; i < 3; ++i) view_->Check(kModeSwitches[i], i == mode);
    for (int i = 0; i < 2; ++i) view_->Check(kCurveSwitches[i], i == curve);
}

void EqDynamicLogic::DesignSections(int c) {
    std::lock_guard<std::mutex> guard(lock_);
    DesignDynEqBands(records_[c]);
}

void EqDynamicLogic::ChartCurve(int c) {
    if (!view_) return;
    model::BiquadSection sections[kDynEqBands];
    {
        std::lock_guard<std::mutex> guard(lock_);
        std::memcpy(sections, records_[c].sections, sizeof sections);
    }
    view_->ChartResponse(DynEqCurveId(c), sections, kDynEqBands);
}

void EqDynamicLogic::ColourCurve(int c, bool saved) {
    if (!view_) return;
    view_->ChartColours(DynEqCurveId(c), saved ? kDynEqSavedFill : kDynEqEditFill,
                        saved ? kDynEqSavedLine : kDynEqEditLine);
}

bool EqDynamicLogic::WaitWhile(const int& flag) {
    for (int i = 0; i < 10; ++i) {
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (!flag) return true;
        }
        sleeper_->SleepMs(100);
    }
    std::lock_guard<std::mutex> guard(lock_);
    return !flag;
}

// --- the operations ---

void EqDynamicLogic::ComputeCurveBands(int c) {
    if (c < 0 || c >= kDynEqCurves) return;
    std::lock_guard<std::mutex> guard(lock_);
    EasyCurveGains(records_[c].eqLevel, records_[c].gains);
    DesignDynEqBands(records_[curve_]);
}

void EqDynamicLogic::SetMode(int m) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (m == mode_) return;
        mode_ = m;
        if (ready_) modeFlag_ = 1;
        if (m != kDynEqOff) {
            levelFlag_ = 1;
            if (ready_) curveFlags_[curve_] = 1;
        }
    }
    RefreshControls();
    ShowStatus(m == kDynEqOff ? 0 : CurveStatus());
}

void EqDynamicLogic::SetCurve(int c) {
    if (c < 0 || c >= kDynEqCurves) return;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (c == curve_) return;
        curve_ = c;
        levelFlag_ = 1;
        if (ready_) curveFlags_[c] = 1;
    }
    RefreshControls();
    ShowStatus(CurveStatus());
}

void EqDynamicLogic::RefreshControls() {
    const int mode = Mode();
    const DynEqCurveRecord r = Record(curve_);
    if (view_) {
        const bool on = mode != kDynEqOff;
        view_->Enable(DynEqControl::Low, on);
        view_->Enable(DynEqControl::High, on);
        if (on) {
            view_->Check(DynEqControl::Low, curve_ == 0);
            view_->Check(DynEqControl::High, curve_ == 1);
        }
        view_->Enable(DynEqControl::VolumeSlider, on);
        view_->Enable(DynEqControl::EqSlider, false);
        view_->Enable(DynEqControl::GraphicEq, false);
        if (on) view_->SetSlider(0, r.reference);
        if (mode == kDynEqEasy) view_->SetSlider(1, r.eqLevel);
        if (mode == kDynEqAdvanced) view_->LoadEqGains(r.gains);
        view_->SetHeight(mode != kDynEqAdvanced);
    }
    if (mode == kDynEqEasy) {
        ComputeCurveBands(0);
        ComputeCurveBands(1);
    }
    startEnabled_ = false;
    if (view_) view_->Enable(DynEqControl::Start, false);
    UpdateChart();
    if (view_) view_->RedrawTexts();
}

void EqDynamicLogic::UpdateChart() {
    if (Mode() == kDynEqOff) {
        if (view_)
            for (int c = 0; c < kDynEqCurves; ++c) view_->ChartShow(DynEqCurveId(c), false);
        return;
    }
    for (int c = 0; c < kDynEqCurves; ++c) {
        DesignSections(c);
        ChartCurve(c);
        bool colour = false;
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (!records_[c].chartColoured) {
                records_[c].chartColoured = 1;
                colour = true;
            }
        }
        if (colour) ColourCurve(c, false);
        if (view_) view_->ChartShow(DynEqCurveId(c), true);
    }
    if (view_) view_->ChartHighlight(static_cast<int32_t>(DynEqCurveId(curve_)));
}

void EqDynamicLogic::TurnOn() {
    bool on;
    {
        std::lock_guard<std::mutex> guard(lock_);
        openFlag_ = 1;
        closeFlag_ = 0;
        on = mode_ != kDynEqOff;
    }
    openedWhileOff_ = !on;
    if (on) SetCurve(0);
}

void EqDynamicLogic::TurnOff() {
    if (!(calibrated_[0] && calibrated_[1])) {
        SetMode(kDynEqOff);
        WaitWhile(modeFlag_);
        CheckRadio(Mode(), curve_);
    }
    {
        std::lock_guard<std::mutex> guard(lock_);
        closeFlag_ = 1;
        openFlag_ = 0;
    }
    WaitWhile(closeFlag_);
}

void EqDynamicLogic::Reset() {
    changed_ = 0;
    if (saveTimer_ && view_) view_->StopTimer(kDynEqSaveTimer);
    saveTimer_ = false;
    StopReadyTimer();
    status_ = 0;
    {
        std::lock_guard<std::mutex> guard(lock_);
        curve_ = 0;
        mode_ = kDynEqOff;
        for (int c = 0; c < kDynEqCurves; ++c) records_[c] = ResetDynEqCurve(c);
    }
    startVisible_ = true;
    saveEnabled_ = false;
    if (view_) {
        CheckRadio(kDynEqOff, 0);
        view_->Enable(DynEqControl::Low, false);
        view_->Enable(DynEqControl::High, false);
        view_->Show(DynEqControl::Save, false);
        view_->Enable(DynEqControl::Save, false);
        view_->Show(DynEqControl::Start, true);
    }
    RefreshControls();
}

void EqDynamicLogic::SetDeviceState(int preset, int markChanged) {
    if (preset < 0 || preset >= kDynEqPresets) return;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (preset == preset_) return;
        preset_ = preset;
        modeFlag_ = 0;
    }
    if (markChanged) changed_ = 1;
}

uint32_t EqDynamicLogic::GetSwitchValue() const {
    std::lock_guard<std::mutex> guard(lock_);
    return switches_[preset_];
}

void EqDynamicLogic::SetSwitchValue(uint32_t off) {
    std::lock_guard<std::mutex> guard(lock_);
    switches_[preset_] = off;
}

// --- the user's flow ---

void EqDynamicLogic::OnModeClicked(int m) {
    if (m < 0 || m > kDynEqOff || !startVisible_) return;
    CheckRadio(m, curve_);
    SetMode(m);
    changed_ = 1;
    if (m == kDynEqOff)
        StopReadyTimer();
    else
        StartReadyTimer();
}

void EqDynamicLogic::OnCurveClicked(int c) {
    if (c < 0 || c >= kDynEqCurves || !startVisible_ || Mode() == kDynEqOff) return;
    if (view_) {
        view_->Check(kCurveSwitches[1 - c], false);
        view_->Check(kCurveSwitches[c], true);
    }
    SetCurve(c);
    StartReadyTimer();
}

void EqDynamicLogic::OnVolumeMoved(float value) {
    if (!startVisible_ || Mode() == kDynEqOff || !std::isfinite(value)) return;
    {
        std::lock_guard<std::mutex> guard(lock_);
        records_[curve_].reference = value;
        if (ready_) levelFlag_ = 1;
    }
    startEnabled_ = true;
    if (view_) view_->Enable(DynEqControl::Start, true);
    changed_ = 1;
    StopReadyTimer();
    ShowStatus(1);
}

void EqDynamicLogic::OnStart() {
    const int mode = Mode();
    if (!startVisible_ || !startEnabled_ || mode == kDynEqOff) return;
    startVisible_ = false;
    StopReadyTimer();
    const DynEqCurveRecord r = Record(curve_);
    if (view_) {
        view_->Show(DynEqControl::Start, false);
        view_->Enable(DynEqControl::VolumeSlider, false);
        for (DynEqControl s : kModeSwitches) view_->Enable(s, false);
        for (DynEqControl s : kCurveSwitches) view_->Enable(s, false);
        if (mode == kDynEqAdvanced) {
            view_->Enable(DynEqControl::GraphicEq, true);
            view_->LoadEqEnables(r.enables);
        } else {
            view_->Enable(DynEqControl::EqSlider, true);
        }
    }
    ColourCurve(curve_, false);
    saveEnabled_ = false;
    saveTimer_ = true;
    if (view_) {
        view_->Show(DynEqControl::Save, true);
        view_->Enable(DynEqControl::Save, false);
        view_->StartTimer(kDynEqSaveTimer, kDynEqSaveTimerMs);
    }
    if (ready_) {
        std::lock_guard<std::mutex> guard(lock_);
        startFlag_ = 1;
    }
    ShowStatus(mode == kDynEqAdvanced ? 6 + curve_ : 4 + curve_);
}

void EqDynamicLogic::OnEqSliderMoved(float value) {
    if (startVisible_ || Mode() != kDynEqEasy || !std::isfinite(value)) return;
    {
        std::lock_guard<std::mutex> guard(lock_);
        records_[curve_].eqLevel = value;
    }
    ComputeCurveBands(0);
    ComputeCurveBands(1);
    ChartCurve(curve_);
    ColourCurve(curve_, false);
    if (ready_) {
        std::lock_guard<std::mutex> guard(lock_);
        curveFlags_[curve_] = 1;
    }
    changed_ = 1;
    ShowStatus(8);
}

void EqDynamicLogic::OnBandEdit(int band, const float values[kDynEqBands]) {
    if (!values || band < -2 || band >= kDynEqBands) return;
    for (int i = 0; i < kDynEqBands; ++i)
        if (!DynEqGainFits(values[i])) return;
    {
        std::lock_guard<std::mutex> guard(lock_);
        DynEqCurveRecord& r = records_[curve_];
        std::memcpy(r.gains, values, sizeof r.gains);
        if (band >= 0) {
            dsp::ComputeEqBandDb(&r.sections[band], static_cast<double>(r.gains[band]), band);
        } else if (band == -1) {
            for (int i = 0; i < kDynEqBands; ++i) dsp::ComputeEqBandDb(&r.sections[i], 0.0, i);
        } else {
            DesignDynEqBands(r);
        }
    }
    ChartCurve(curve_);
    ColourCurve(curve_, false);
    if (ready_) {
        std::lock_guard<std::mutex> guard(lock_);
        curveFlags_[curve_] = 1;
    }
    changed_ = 1;
    ShowStatus(8);
}

void EqDynamicLogic::OnBandSwitch(int band, int state) {
    if (band < -1 || band >= kDynEqBands) return;
    std::lock_guard<std::mutex> guard(lock_);
    DynEqCurveRecord& r = records_[curve_];
    for (int i = 0; i < kDynEqBands; ++i)
        if (band == -1 || band == i) r.enables[i] = state ? 1 : 0;
}

void EqDynamicLogic::OnSave() {
    if (startVisible_ || !saveEnabled_) return;
    const int mode = Mode();
    const int saved = curve_;
    startVisible_ = true;
    saveEnabled_ = false;
    if (saveTimer_ && view_) view_->StopTimer(kDynEqSaveTimer);
    saveTimer_ = false;
    startEnabled_ = false;
    if (view_) {
        view_->Show(DynEqControl::Save, false);
        view_->Enable(DynEqControl::VolumeSlider, true);
        for (DynEqControl s : kModeSwitches) view_->Enable(s, true);
        for (DynEqControl s : kCurveSwitches) view_->Enable(s, true);
        CheckRadio(mode, saved);
        view_->Enable(DynEqControl::Start, false);
        view_->Enable(DynEqControl::GraphicEq, false);
        view_->Enable(DynEqControl::EqSlider, false);
        view_->Show(DynEqControl::Start, true);
    }
    calibrated_[saved] = true;
    ColourCurve(saved, true);
    if (ready_) {
        std::lock_guard<std::mutex> guard(lock_);
        stopFlag_ = 1;
        stopCurve_ = saved;
    }
    ShowStatus(CurveStatus());
    const int other = 1 - saved;
    CheckRadio(mode, other);
    SetCurve(other);
    StartReadyTimer();
}

void EqDynamicLogic::OnCloseButton() {
    if (!startVisible_) return;
    // Closing switches dynamic equalisation off unless it is off already or both curves were
    // calibrated, so the user is asked whenever that would happen, however the dialog was opened.
    const bool switchesOff = Mode() != kDynEqOff && !(calibrated_[0] && calibrated_[1]);
    if (switchesOff && !(view_ && view_->AskDisable())) return;
    if (view_) view_->PostClosed();
}

void EqDynamicLogic::OnTimer(uint32_t id) {
    if (id == kDynEqReadyTimer) {
        StopReadyTimer();
        if (Mode() != kDynEqOff && startVisible_) {
            startEnabled_ = true;
            if (view_) view_->Enable(DynEqControl::Start, true);
            ShowStatus(1);
        }
    } else if (id == kDynEqSaveTimer) {
        if (saveTimer_ && view_) view_->StopTimer(kDynEqSaveTimer);
        saveTimer_ = false;
        if (!startVisible_) {
            saveEnabled_ = true;
            if (view_) view_->Enable(DynEqControl::Save, true);
        }
    }
}

// --- what the window draws ---

int EqDynamicLogic::Mode() const {
    std::lock_guard<std::mutex> guard(lock_);
    return mode_;
}

int EqDynamicLogic::Curve() const {
    std::lock_guard<std::mutex> guard(lock_);
    return curve_;
}

DynEqCurveRecord EqDynamicLogic::Record(int c) const {
    std::lock_guard<std::mutex> guard(lock_);
    return records_[c < 0 || c >= kDynEqCurves ? 0 : c];
}

int EqDynamicLogic::CurrentPreset() const {
    std::lock_guard<std::mutex> guard(lock_);
    return preset_;
}

float EqDynamicLogic::SliderValue(int slider) const {
    std::lock_guard<std::mutex> guard(lock_);
    return slider == 0 ? records_[curve_].reference : records_[curve_].eqLevel;
}

std::string EqDynamicLogic::ValueText(int slider) const {
    if (Mode() == kDynEqOff) return "";
    char text[32];
    std::snprintf(text, sizeof text, "%1.1f", static_cast<double>(SliderValue(slider)));
    std::string s = text;
    if (slider == 0 && s.size() > 4) s.resize(4);
    return s;
}

EqDynamicLogic::Pending EqDynamicLogic::PendingFlags() const {
    std::lock_guard<std::mutex> guard(lock_);
    return {startFlag_, stopFlag_, curveFlags_[0] | (curveFlags_[1] << 1), modeFlag_, levelFlag_,
            openFlag_, closeFlag_, fullFlag_};
}

}  // namespace dialogs
