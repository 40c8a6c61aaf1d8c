// The tuning page's decisions, without a window: it owns the tuning model and the logic of the
// crossover and equaliser panels, keeps the channel map, the car view, the panels and the chart
// in step when the selection changes, and turns every edit of the panels into changes of the
// model, under the locks the poll thread's sender reads them under and with the send flags that
// make it send them. The window (DSPSetting) hands its panels' notifications to OnAppMessage.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "model/tuning_model.h"
#include "pages/channel_views.h"
#include "pages/chart_view.h"
#include "pages/eq_settings_logic.h"
#include "pages/filter_settings_logic.h"
#include "pages/page_messages.h"
#include "pages/prompter.h"

namespace os {
class Settings;
}

namespace pages {

// The page's collaborators; each may be missing (a window that could not be created), and
// whatever needs a missing one does nothing.
struct DspPageViews {
    ChartView* chart = nullptr;
    ChannelMapView* channelMap = nullptr;
    CarView* carView = nullptr;
    Prompter* prompter = nullptr;
    os::Settings* settings = nullptr;
    PageMessages* messages = nullptr;
};

class DSPSettingLogic : public model::TuningObserver, public ChannelQuery {
public:
    DSPSettingLogic(const DspPageViews& views, bool connected);
    ~DSPSettingLogic() override;
    DSPSettingLogic(const DSPSettingLogic&) = delete;
    DSPSettingLogic& operator=(const DSPSettingLogic&) = delete;

    model::TuningModel& Model() { return *model_; }
    FilterSettingsLogic& Filter() { return filter_; }
    EqSettingsLogic& Eq() { return eq_; }

    // The panels' notifications (0x8050..0x8052, 0x8060, 0x8062, 0x8070..0x8073, 0x8080..0x8084,
    // 0x8090)
    // and their results; any other message gives 0.
    intptr_t OnAppMessage(uint32_t message, intptr_t wParam, intptr_t lParam);
    // The notification a panel returned; nothing for an empty one.
    intptr_t Send(const Notification& n) {
        return n ? OnAppMessage(n.id, n.wParam, n.lParam) : 0;
    }

    // The output the page's edits act on, or -1.
    int EditedChannel() const;

    // The application's calls.
    void ReloadAllPages();
    void RefreshFromModel(bool keepSelection);
    void UpdateChannelMapStates();
    void StoreWorkingMode(int mode);
    void SetConfigMode(int mode);

    // ChannelQuery: the crossover panel's questions about the edited channel.
    int QueryWays() override;
    int QueryKind() override;
    int QueryWooferAtPosition() override;

    // Questions and warning; each returns what the edit goes on with.
    int AskEraseCrossover();
    int AskEraseEqualisation();
    int WarnDelayLimit(bool farthest, intptr_t trimButton);
    int AskListeningPointChange();

    // The output-level page changed a mute: the channel map shows it and the model takes it when
    // the posted 0x8052 arrives.
    void NotifyChannelMap(const uint32_t* mutes);
    // After a setup load: the channel map, the output-level page (0x800A) and, online, the unit
    // ('y') get the model's mutes.
    void ShareMutes();

    // The device status lines of the information panel.
    void ShowConnectionStatus(uint32_t version, int star, int remote, int rescue);
    void ShowVexaStatus(int major, int minor);
    void ShowCommError(int on);
    // A timer fired: the communication-error line's timer clears the line. Says whether it was.
    bool OnTimer(uintptr_t id);
    // The communication-error line's timer (0: none runs).
    uintptr_t CommErrorTimer() const { return commErrorTimer_; }
    void SetCommErrorTimer(uintptr_t id) { commErrorTimer_ = id; }

    // Chart operations.
    void ShowChannelEq(int output, int position, int kind, bool redraw);
    void ShowChannelCrossover(int output, int position, int kind, bool redraw);
    void UpdateChartCurves(int position, int kind, bool redraw);
    void UpdateChartCurve(int position, int kind, bool redraw);
    void UpdateChartCurvesFor(const SpeakerTriple* triples, int count, bool paint);

    // TuningObserver: every effect the model asks of the page's windows and the main window.
    bool ViewsReady() override { return views_.channelMap && views_.carView; }
    void SpeakerAssigned(int output, int position, int kind, int variant,
                         uint32_t amplifier) override;
    void ResetCrossoverPanel() override { filter_.SetDefaults(); }
    void ResetDisplaySwitches() override;
    void ClearChartCurves() override;
    void ShowListeningPoint(int point) override;
    void RefreshPages() override;
    void WorkingModeChanged(uint32_t mode) override { filter_.SetWorkingMode(mode); }
    void ShowCrossover(int output) override;
    void ShowEqualiser(int output) override;
    void EqualiserCurveChanged(int output) override;
    void PresetSelected(int preset) override;
    void ClearSpeakers() override;
    void AssignmentLoaded(int preset) override;
    void LevelIconChanged(int output, int position, int kind, int variant) override;
    void ChannelStatesChanged() override { UpdateChannelMapStates(); }
    void FullWriteRequested() override;

private:
    model::DspChannelRecord& Rec(int output) {
        return model_->Record(model_->CurrentPreset(), output);
    }
    bool Assigned(int output) const;
    void LoadPanels(int output);
    void EmptyPanels();
    void LoadEditedChannel(int output, bool redraw);
    void DrawSingle(int output);
    void DrawMultiView(bool redraw);
    void DrawMultiSelection();
    void ClearSum();
    void SelectSpeakerOfRow(int row);
    void SelectSpeakersOfRows();
    bool OneRowSelected() const;
    bool ManyRowsSelected() const;

    void OnChannelMapSelection(int position, int kind);
    void OnChannelMapCurrent();
    void OnSpeakerPicked();
    void OnCurveSwitches();
    void OnEqBandChanged(int band);
    void OnEqLinkChanged(int state);
    void OnEqBandSwitch(int band, int state);
    void OnEqOffChanged(int off);
    void OnCrossoverChanged(int distance, int link);
    void OnDelayTrimChanged(intptr_t button);
    void OnChannelMapMutes();
    void OnListeningPoint(int point);
    bool HasDeviceInfo() const { return views_.chart && views_.chart->HasDeviceInfo(); }

    // Equaliser writes under the gains lock and, for the flags 's' carries as well, their own.
    void TakeEqualiser(int output, const float* gains, const bool* bands, uint32_t link,
                       uint32_t off);
    void SetEqFlag(int output, model::LockGroup group, uint32_t value, int dirtyFlag);
    // Crossover block copies under the crossover lock (and the delay lock for a whole copy).
    void CopyBlock(int output, const model::CrossoverParams& from, int whole);
    void SetXoLink(int output, uint32_t on);
    int CurrentPosition(int output) const;
    int AskLink(bool linked, int remembered, int partner, const char* format);

    DspPageViews views_;
    FilterSettingsLogic filter_;
    EqSettingsLogic eq_;
    std::unique_ptr<model::TuningModel> model_;
    int remoteConnected_ = 0;
    uintptr_t commErrorTimer_ = 0;
};

}  // namespace pages
