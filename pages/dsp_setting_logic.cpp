#include "pages/dsp_setting_logic.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <vector>

#include "os/settings.h"
#include "ui/messages.h"

namespace pages {
namespace {

using model::CrossoverParams;
using model::DspChannelRecord;
using model::kBandCount;
using model::kChannelCount;

constexpr int kMaxLabel = 60;
constexpr size_t kMaxQuestion = 128;

const char* const kEraseCrossoverText =
    "This action will erase previous '%s' Crossover Settings. Press 'Ok' to Continue.";
const char* const kEraseEqualisationText =
    "This action will erase previous '%s' Equalization Settings. Press 'Ok' to Continue.";
const char* const kFarthestText = "This is the farthest speaker. Set the new distance to reduce delay.";
const char* const kMaxAdvanceText = "This is the maximum allowable advance from default set.";

bool ValidOutput(int output) { return output >= 0 && output < kChannelCount; }

}  // namespace

DSPSettingLogic::DSPSettingLogic(const DspPageViews& views, bool connected)
    : views_(views), filter_(this), eq_(EqConfig{}) {
    // The model assigns its default speakers while it is built, through this page's views.
    model_ = std::make_unique<model::TuningModel>(this);
    model::TuningModel& m = *model_;
    m.SetConnected(connected ? 1 : 0);

    if (views_.channelMap) {
        // Connected, the defaults mark nothing: the device gets the read-back's tuning instead.
        if (connected) m.SetOnline(0);
        for (int row = 0; row < kChannelCount; ++row)
            if (Assigned(row))
                m.SetDefaultChannelCrossover(row, Rec(row).position, Rec(row).kind);
    }
    if (views_.carView) SelectSpeakerOfRow(0);
    for (int row = 0; row < kChannelCount; ++row) {
        if (!Assigned(row)) continue;
        m.UpdateCrossoverCoefficients(row);
        m.SetEqBandGain(row, -1);
        ShowChannelEq(row, Rec(row).position, Rec(row).kind, true);
        ShowChannelCrossover(row, Rec(row).position, Rec(row).kind, true);
    }
    if (views_.carView) {
        SelectSpeakerOfRow(0);
        ClearSum();
        if (views_.channelMap) {
            const int first = views_.channelMap->FirstSelected();
            if (ValidOutput(first)) {
                LoadPanels(first);
                if (Assigned(first)) {
                    UpdateChartCurve(Rec(first).position, Rec(first).kind, false);
                    ShowChannelEq(first, Rec(first).position, Rec(first).kind, true);
                    ShowChannelCrossover(first, Rec(first).position, Rec(first).kind, true);
                }
            }
        }
    }
    if (connected) m.SetOnline(1);
}

DSPSettingLogic::~DSPSettingLogic() {
    // The model's last observer calls must not reach a half-destroyed page.
    if (model_) model_->SetObserver(nullptr);
}

bool DSPSettingLogic::Assigned(int output) const {
    return ValidOutput(output) &&
           model::IsAssigned(model_->Record(model_->CurrentPreset(), output));
}

int DSPSettingLogic::EditedChannel() const {
    ChannelMapView* map = views_.channelMap;
    if (!map) return -1;
    const int c = map->CountSelected() == 1 ? map->FirstSelected() : map->GetCurrentRow();
    return ValidOutput(c) ? c : -1;
}

bool DSPSettingLogic::OneRowSelected() const {
    return views_.channelMap && views_.channelMap->CountSelected() == 1;
}

bool DSPSettingLogic::ManyRowsSelected() const {
    return views_.channelMap && views_.channelMap->CountSelected() >= 2;
}

int DSPSettingLogic::CurrentPosition(int output) const {
    return ValidOutput(output) ? model_->Record(model_->CurrentPreset(), output).position : -1;
}

void DSPSettingLogic::SelectSpeakerOfRow(int row) {
    if (!ValidOutput(row)) return;
    const DspChannelRecord& r = Rec(row);
    if (views_.channelMap) views_.channelMap->SelectByAssignment(r.position, r.kind, true, true, true);
    if (views_.carView) views_.carView->SetSpeakerSelected(r.position, r.kind, true, true, true);
}

// The car view selects the speakers of the selected rows, and only those.
void DSPSettingLogic::SelectSpeakersOfRows() {
    if (!views_.carView || !views_.channelMap) return;
    SpeakerTriple triples[kMaxTriples];
    const int n = views_.channelMap->ListSelected(triples, kMaxTriples);
    for (int i = 0; i < n; ++i)
        views_.carView->SetSpeakerSelected(triples[i].position, triples[i].kind, true, i == 0,
                                           i == n - 1);
}

// ---- Panels and chart -------------------------------------------------------------------------

void DSPSettingLogic::LoadPanels(int output) {
    const DspChannelRecord& r = Rec(output);
    filter_.SetCrossover(r.crossover);
    eq_.SetGains(r.EQGain, kBandCount, r.EQLink, r.EQOff);
    eq_.SetEnabled(true);
    eq_.SetBandEnables(r.btmskSel, kBandCount);
    eq_.MarkCrossoverBands(r.crossover);
}

void DSPSettingLogic::EmptyPanels() {
    filter_.DrawAllDisabled();
    eq_.SetEnabled(false);
}

void DSPSettingLogic::ClearSum() {
    if (views_.chart && views_.chart->HasChart())
        views_.chart->ShowSumResponse(false, nullptr, nullptr, nullptr, 0, false);
}

// The page's chart never takes gains back from the equaliser panel: the panel's sliders hold
// only +-12 dB, and a record's own gains (from a file or the device's live curve) must survive
// being shown. The edits take the panel's values themselves, band by band.
void DSPSettingLogic::ShowChannelEq(int output, int position, int kind, bool redraw) {
    ChartView* chart = views_.chart;
    if (!ValidOutput(output) || !chart || !chart->HasChart()) return;
    const uint32_t id = EqualiserCurveId(position, kind);
    chart->ShowResponse(id, Rec(output).eqSections, kBandCount, false, Rec(output).EQOff != 0);
    chart->SetCurveFillArgb(id, kEqualiserFill, false);
    chart->SetCurveLineArgb(id, kEqualiserLine, false);
    UpdateChartCurves(position, kind, redraw);
}

void DSPSettingLogic::ShowChannelCrossover(int output, int position, int kind, bool redraw) {
    ChartView* chart = views_.chart;
    if (!ValidOutput(output) || !chart || !chart->HasChart()) return;
    const uint32_t id = CrossoverCurveId(position, kind);
    const CrossoverParams block = Rec(output).crossover;
    chart->ShowCrossoverResponse(id, block, model_->Sections(model_->CurrentPreset(), output), false);
    chart->SetCurveFillArgb(id, kCrossoverFill, false);
    chart->SetCurveLineArgb(id, kCrossoverLine, false);
    UpdateChartCurves(position, kind, redraw);
}

void DSPSettingLogic::UpdateChartCurves(int position, int kind, bool redraw) {
    ChartView* chart = views_.chart;
    if (!chart || !chart->HasChart() || !chart->HasSettings()) return;
    chart->ShowAllCurves(false);
    int eq = 0, xo = 0, total = 0;
    chart->GetSwitches(&eq, &xo, &total);
    const uint32_t eqId = EqualiserCurveId(position, kind);
    const uint32_t xoId = CrossoverCurveId(position, kind);
    const uint32_t totalId = TotalCurveId(position, kind);
    if (total == 1) {
        chart->ShowCurve(eqId, false, false);
        chart->ShowCurve(xoId, false, false);
        chart->ShowCurve(totalId, true, redraw);
    } else {
        chart->ShowCurve(eqId, eq == 1, false);
        chart->ShowCurve(xoId, xo == 1, false);
        chart->ShowCurve(totalId, false, redraw);
    }
}

void DSPSettingLogic::UpdateChartCurve(int position, int kind, bool redraw) {
    if (!views_.chart || !views_.chart->HasChart()) return;
    views_.chart->SetHighlight(static_cast<int32_t>(EqualiserCurveId(position, kind)),
                               static_cast<int32_t>(CrossoverCurveId(position, kind)),
                               static_cast<int32_t>(TotalCurveId(position, kind)), redraw);
}

// Every listed speaker's curves are shown: all curves are hidden once, first, so that one
// speaker's curves do not hide the others'.
void DSPSettingLogic::UpdateChartCurvesFor(const SpeakerTriple* triples, int count, bool paint) {
    ChartView* chart = views_.chart;
    if (!chart || !chart->HasChart() || !chart->HasSettings() || !triples) return;
    chart->ShowAllCurves(false);
    int eq = 0, xo = 0, total = 0;
    chart->GetSwitches(&eq, &xo, &total);
    for (int i = 0; i < count; ++i) {
        const int p = triples[i].position, k = triples[i].kind;
        chart->ShowCurve(EqualiserCurveId(p, k), total != 1 && eq == 1, false);
        chart->ShowCurve(CrossoverCurveId(p, k), total != 1 && xo == 1, false);
        chart->ShowCurve(TotalCurveId(p, k), total == 1, false);
    }
    if (paint) chart->Paint(true);
}

void DSPSettingLogic::DrawMultiView(bool redraw) {
    ChartView* chart = views_.chart;
    if (!views_.channelMap || !chart || !chart->HasChart()) return;
    SpeakerTriple triples[kMaxTriples];
    const int n = views_.channelMap->ListSelected(triples, kMaxTriples);
    UpdateChartCurvesFor(triples, n, false);
    int32_t flat[3 * kMaxTriples];
    for (int i = 0; i < n; ++i) {
        flat[3 * i] = triples[i].position;
        flat[3 * i + 1] = triples[i].kind;
        flat[3 * i + 2] = triples[i].row;
    }
    const int preset = model_->CurrentPreset();
    chart->ShowSumResponse(true, model_->Preset(preset).channel, &model_->Sections(preset, 0), flat,
                           n, redraw);
}

// One speaker in the panels and on the chart, with the chart's redraw held meanwhile.
void DSPSettingLogic::DrawSingle(int output) {
    LoadPanels(output);
    if (!Assigned(output)) return;
    ChartView* chart = views_.chart;
    const bool chartThere = chart && chart->HasChart();
    if (chartThere) chart->SetHoldRedraw(true);
    const int p = Rec(output).position, k = Rec(output).kind;
    UpdateChartCurve(p, k, false);
    ClearSum();
    ShowChannelEq(output, p, k, true);
    ShowChannelCrossover(output, p, k, true);
    if (chartThere) chart->SetHoldRedraw(false);
}

// The panels show the edited channel and the chart highlights its curves; without one the panels
// show nothing, so that no stale channel seems editable.
void DSPSettingLogic::LoadEditedChannel(int c, bool redraw) {
    if (!ValidOutput(c)) {
        EmptyPanels();
        return;
    }
    LoadPanels(c);
    if (Assigned(c)) UpdateChartCurve(Rec(c).position, Rec(c).kind, redraw);
}

// ---- Selection ----------------------------------------------------------------------------------

// Two or more speakers selected: with the chart held, their sum, then the edited channel loaded and
// highlighted (or the panels emptied when there is none).
void DSPSettingLogic::DrawMultiSelection() {
    ChartView* chart = views_.chart;
    const bool chartThere = chart && chart->HasChart();
    if (chartThere) chart->SetHoldRedraw(true);
    DrawMultiView(false);
    LoadEditedChannel(EditedChannel(), true);
    if (chartThere) chart->SetHoldRedraw(false);
}

void DSPSettingLogic::OnChannelMapSelection(int, int) {
    ChannelMapView* map = views_.channelMap;
    if (!map) return;
    if (map->CountSelected() < 2) {
        const int r = map->FirstSelected();
        if (!ValidOutput(r)) return;
        // The car view shows the speaker of the row that is loaded (a Ctrl-click that deselected
        // another row reports that other row's speaker).
        if (views_.carView)
            views_.carView->SetSpeakerSelected(Rec(r).position, Rec(r).kind, true, true, true);
        DrawSingle(r);
        return;
    }
    SelectSpeakersOfRows();
    DrawMultiSelection();
}

void DSPSettingLogic::OnChannelMapCurrent() {
    ChannelMapView* map = views_.channelMap;
    if (!map || map->CountSelected() < 2) return;
    if (views_.carView) views_.carView->SetSpeakerSelected(-1, -1, false, true, false);
    LoadEditedChannel(map->GetCurrentRow(), true);
}

void DSPSettingLogic::OnSpeakerPicked() {
    ChannelMapView* map = views_.channelMap;
    CarView* car = views_.carView;
    if (!map || !car) return;
    SpeakerTriple speakers[kMaxTriples];
    const int n = car->ListSelected(speakers, kMaxTriples);
    if (car->CountSelected() < 2) {
        if (n != 1) return;
        map->SelectByAssignment(speakers[0].position, speakers[0].kind, true, true, true);
        // A speaker fed by two outputs selects two rows: the first becomes current, so that the
        // page edits the row its panels show.
        if (map->CountSelected() >= 2) map->SetCurrentRow(map->FirstSelected());
        const int r = map->FirstSelected();
        if (ValidOutput(r)) DrawSingle(r);
        return;
    }
    for (int i = 0; i < n; ++i)
        map->SelectByAssignment(speakers[i].position, speakers[i].kind, true, i == 0, i == n - 1);
    if (map->GetCurrentRow() < 0) map->SetCurrentRow(0);
    DrawMultiSelection();
}

void DSPSettingLogic::OnCurveSwitches() {
    ChannelMapView* map = views_.channelMap;
    if (!map) return;
    const int n = map->CountSelected();
    if (n == 1) {
        const int r = map->FirstSelected();
        if (Assigned(r)) UpdateChartCurves(Rec(r).position, Rec(r).kind, true);
    } else if (n >= 2) {
        DrawMultiView(true);
    }
}

// ---- Application calls ------------------------------------------------------------------------

void DSPSettingLogic::ReloadAllPages() {
    model::TuningModel& m = *model_;
    if (views_.carView) views_.carView->ClearSpeakers(true);
    if (views_.channelMap) views_.channelMap->ResetRows(true);
    filter_.SetDefaults();
    if (views_.chart && views_.chart->HasSettings()) views_.chart->ResetSwitches(true);
    if (views_.chart && views_.chart->HasChart()) views_.chart->ClearCurves();
    const float zeros[kBandCount] = {};
    eq_.SetGains(zeros, kBandCount, 0, 0);

    // Every record keeps EQLink = bXoLink = 1, as a new tuning has them.
    m.ResetToDefaults();
    filter_.SetWorkingMode(m.WorkingMode());

    if (views_.channelMap) {
        if (views_.carView) SelectSpeakerOfRow(0);
        for (int p = 0; p < model::kPresetCount; ++p) {
            m.SetCurrentPreset(p);
            for (int row = 0; row < kChannelCount; ++row) {
                if (!Assigned(row)) continue;
                m.UpdateCrossoverCoefficients(row);
                m.SetEqBandGain(row, -1);
                ShowChannelEq(row, Rec(row).position, Rec(row).kind, true);
                ShowChannelCrossover(row, Rec(row).position, Rec(row).kind, true);
            }
        }
        m.SetCurrentPreset(0);
        if (views_.carView) {
            SelectSpeakerOfRow(0);
            ClearSum();
            const int first = views_.channelMap->FirstSelected();
            if (ValidOutput(first)) {
                LoadPanels(first);
                if (Assigned(first)) {
                    UpdateChartCurve(Rec(first).position, Rec(first).kind, false);
                    ShowChannelEq(first, Rec(first).position, Rec(first).kind, true);
                    ShowChannelCrossover(first, Rec(first).position, Rec(first).kind, true);
                }
            }
        }
    }
    m.SetCurrentPreset(0);
    if (views_.carView) views_.carView->SelectListeningPoint(m.ListeningPoint(0));
}

void DSPSettingLogic::RefreshFromModel(bool keepSelection) {
    ChannelMapView* map = views_.channelMap;
    ChartView* chart = views_.chart;
    if (!map || !views_.carView || !chart || !chart->HasChart()) return;
    model::TuningModel& m = *model_;
    for (int row = 0; row < kChannelCount; ++row) {
        if (!Assigned(row)) continue;
        m.UpdateCrossoverCoefficients(row);
        m.SetEqBandGain(row, -1);
    }
    if (!keepSelection)
        for (int row = 0; row < kChannelCount; ++row)
            if (Assigned(row)) {
                SelectSpeakerOfRow(row);
                break;
            }
    ClearSum();
    const int f = map->FirstSelected();
    if (!ValidOutput(f)) return;
    LoadPanels(f);
    chart->SetHoldRedraw(true);
    for (int row = 0; row < kChannelCount; ++row) {
        if (row == f || !Assigned(row)) continue;
        ShowChannelEq(row, Rec(row).position, Rec(row).kind, true);
        ShowChannelCrossover(row, Rec(row).position, Rec(row).kind, true);
    }
    if (Assigned(f)) {
        UpdateChartCurve(Rec(f).position, Rec(f).kind, false);
        ShowChannelEq(f, Rec(f).position, Rec(f).kind, true);
        ShowChannelCrossover(f, Rec(f).position, Rec(f).kind, true);
    }
    chart->SetHoldRedraw(false);
}

void DSPSettingLogic::UpdateChannelMapStates() {
    if (!views_.channelMap) return;
    for (int o = 0; o < kChannelCount; ++o) {
        const bool on = Assigned(o) && Rec(o).crossover.delayTrim != 0;
        views_.channelMap->SetChannelOn(o, on, o == kChannelCount - 1);
    }
}

void DSPSettingLogic::StoreWorkingMode(int mode) {
    model_->SetWorkingModeValue(static_cast<uint32_t>(mode));
    filter_.SetWorkingMode(static_cast<uint32_t>(mode));
}

void DSPSettingLogic::SetConfigMode(int mode) { model_->SetConfigMode(static_cast<uint32_t>(mode)); }

// ---- Observer -----------------------------------------------------------------------------------

void DSPSettingLogic::SpeakerAssigned(int output, int position, int kind, int variant,
                                      uint32_t amplifier) {
    if (views_.channelMap) views_.channelMap->SetRow(output, position, kind, false, variant, amplifier);
    if (views_.carView) views_.carView->AddSpeaker(position, kind, false, variant);
    LevelIconChanged(output, position, kind, variant);
}

// The output-level page draws the icon of the speaker an output feeds (output -1: clears them all).
// Sent, so the array only has to outlive the call.
void DSPSettingLogic::LevelIconChanged(int output, int position, int kind, int variant) {
    if (!views_.messages) return;
    if (output < 0) {
        views_.messages->SendToMain(ui::MsgChannelIcon, -1, 0);
        return;
    }
    const int speaker[3] = {position, kind, variant};
    views_.messages->SendToMain(ui::MsgChannelIcon, output, reinterpret_cast<intptr_t>(speaker));
}

// A new configuration while connected: the main window writes the whole tuning at once, as after
// a file load. Posted, so that the write starts once the wizard's end has been handled.
void DSPSettingLogic::FullWriteRequested() {
    if (views_.messages) views_.messages->PostToMain(ui::MsgWriteToDevice, 1, ui::kWriteAtOnce);
}

// What a preset switch leaves to the page once the pages show the new preset: with several rows
// selected the car view selects their speakers again and the chart shows their curves and their
// sum; the panels show the edited channel, or nothing when there is none (the curve switches then
// show no channel, which changes nothing on them); then the chart is drawn.
void DSPSettingLogic::PresetSelected(int) {
    ChartView* chart = views_.chart;
    if (ManyRowsSelected()) {
        SelectSpeakersOfRows();
        // Ends the chart's hold, which draws it.
        DrawMultiSelection();
        return;
    }
    LoadEditedChannel(EditedChannel(), false);
    if (chart && chart->HasChart()) chart->Paint(true);
}

void DSPSettingLogic::ResetDisplaySwitches() {
    if (views_.chart && views_.chart->HasSettings()) views_.chart->ResetSwitches(false);
}

void DSPSettingLogic::ClearChartCurves() {
    if (views_.chart && views_.chart->HasChart()) views_.chart->ClearCurves();
}

void DSPSettingLogic::ShowListeningPoint(int point) {
    if (views_.carView) views_.carView->SelectListeningPoint(point);
}

void DSPSettingLogic::RefreshPages() {
    RefreshFromModel(views_.channelMap && views_.channelMap->CountSelected() > 0);
}

void DSPSettingLogic::ShowCrossover(int output) {
    if (output == EditedChannel() && ValidOutput(output)) filter_.SetCrossover(Rec(output).crossover);
}

void DSPSettingLogic::ShowEqualiser(int output) {
    if (output != EditedChannel() || !ValidOutput(output)) return;
    const DspChannelRecord& r = Rec(output);
    eq_.SetGains(r.EQGain, kBandCount, r.EQLink, r.EQOff);
    eq_.SetBandEnables(r.btmskSel, kBandCount);
}

void DSPSettingLogic::EqualiserCurveChanged(int output) {
    if (!Assigned(output)) return;
    ShowChannelEq(output, Rec(output).position, Rec(output).kind, OneRowSelected());
    if (ManyRowsSelected()) DrawMultiView(true);
}

void DSPSettingLogic::ClearSpeakers() {
    if (views_.carView) views_.carView->ClearSpeakers(true);
    if (views_.channelMap) views_.channelMap->ResetRows(true);
}

void DSPSettingLogic::AssignmentLoaded(int preset) {
    if (preset < 0 || preset >= model::kPresetCount) return;
    if (views_.channelMap) views_.channelMap->LoadFromChannels(model_->Preset(preset).channel);
    if (views_.carView) views_.carView->LoadFromChannels(model_->Preset(preset).channel);
}

// ---- Queries --------------------------------------------------------------------------------------

int DSPSettingLogic::QueryWays() {
    const int c = EditedChannel();
    if (c < 0) return 0;
    int position = -1;
    views_.channelMap->GetRowAssignment(c, &position, nullptr);
    return position < 0 ? 0 : model_->Ways(position);
}

int DSPSettingLogic::QueryKind() {
    const int c = EditedChannel();
    if (c < 0) return -1;
    int kind = -1;
    views_.channelMap->GetRowAssignment(c, nullptr, &kind);
    return kind;
}

int DSPSettingLogic::QueryWooferAtPosition() {
    const int c = EditedChannel();
    if (c < 0) return 0;
    int position = -1;
    views_.channelMap->GetRowAssignment(c, &position, nullptr);
    return position >= 0 && views_.channelMap->HasWooferAt(position) ? 1 : 0;
}

// ---- Questions ------------------------------------------------------------------------------------

int DSPSettingLogic::AskLink(bool linked, int remembered, int partner, const char* format) {
    // Unlinking erases nothing.
    if (!linked) return 1;
    if (!views_.settings) return 0;
    const auto question = static_cast<os::Question>(remembered);
    const int32_t stored = os::GetRememberedAnswer(*views_.settings, question);
    if (stored != os::kAskAgain) return stored != 0 ? 1 : 0;
    if (EditedChannel() < 0 || partner < 0 || !views_.channelMap || !views_.prompter) return 0;
    std::string label = views_.channelMap->GetRowLabel(partner);
    if (label.size() > kMaxLabel) label.resize(kMaxLabel);
    if (label.empty()) return 0;
    char text[kMaxQuestion + 1];
    std::snprintf(text, sizeof text, format, label.c_str());
    PromptRequest request;
    request.text = text;
    request.buttons = kPromptOk | kPromptCancel;
    request.messageRect = {30, 40, 276, 152};
    const PromptAnswer answer = views_.prompter->Ask(request);
    if (answer.button != kPromptOk) return 0;
    if (answer.ticked) os::SetRememberedAnswer(*views_.settings, question, 1);
    return 1;
}

int DSPSettingLogic::AskEraseCrossover() {
    const int c = EditedChannel();
    return AskLink(filter_.IsXoverLinked(), static_cast<int>(os::Question::XoLink),
                   c >= 0 ? model_->FindMirrorChannel(c) : -1, kEraseCrossoverText);
}

int DSPSettingLogic::AskEraseEqualisation() {
    const int c = EditedChannel();
    return AskLink(eq_.IsEqLink(), static_cast<int>(os::Question::EqLink),
                   c >= 0 ? model_->GetMirrorChannel(c) : -1, kEraseEqualisationText);
}

int DSPSettingLogic::WarnDelayLimit(bool farthest, intptr_t trimButton) {
    if (!views_.settings || !views_.prompter) return 1;
    if (os::GetAskMinFDS(*views_.settings) != os::kAskAgain) return 1;
    // The held trim button stops repeating before the box takes the mouse.
    if (trimButton) views_.prompter->CancelPress(trimButton);
    PromptRequest request;
    request.text = farthest ? kFarthestText : kMaxAdvanceText;
    request.buttons = kPromptOk;
    request.messageRect = farthest ? PanelRect{25, 70, 280, 145} : PanelRect{30, 70, 276, 145};
    if (views_.prompter->Ask(request).ticked) os::SetAskMinFDS(*views_.settings, 1);
    return 1;
}

// ---- Dispatch -------------------------------------------------------------------------------------

intptr_t DSPSettingLogic::OnAppMessage(uint32_t message, intptr_t wParam, intptr_t lParam) {
    switch (message) {
        case ui::MsgChannelMapSelection:
            OnChannelMapSelection(static_cast<int>(wParam), static_cast<int>(lParam));
            return 0;
        case ui::MsgChannelMapCurrent: OnChannelMapCurrent(); return 0;
        case ui::MsgChannelMapMutes: OnChannelMapMutes(); return 0;
        case ui::MsgListeningPoint: OnListeningPoint(static_cast<int>(wParam)); return 0;
        case ui::MsgSpeakerPicked: OnSpeakerPicked(); return 0;
        case ui::MsgCurveSwitches: OnCurveSwitches(); return 0;
        case ui::MsgEqBandChanged: OnEqBandChanged(static_cast<int>(wParam)); return 0;
        case ui::MsgEqLinkChanged: OnEqLinkChanged(static_cast<int>(wParam)); return 0;
        case ui::MsgEqBandSwitch:
            OnEqBandSwitch(static_cast<int>(wParam), static_cast<int>(lParam));
            return 0;
        case ui::MsgEqOffChanged: OnEqOffChanged(static_cast<int>(wParam)); return 0;
        case ui::MsgCrossoverChanged:
            OnCrossoverChanged(static_cast<int>(wParam), static_cast<int>(lParam));
            return 0;
        case ui::MsgQueryWays: return QueryWays();
        case ui::MsgQueryKind: return QueryKind();
        case ui::MsgQueryWooferAtPosition: return QueryWooferAtPosition();
        case ui::MsgDelayTrimChanged: OnDelayTrimChanged(lParam); return 0;
        default: return 0;
    }
}

}  // namespace pages
