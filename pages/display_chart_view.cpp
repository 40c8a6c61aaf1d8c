#include "pages/display_chart_view.h"

#include "pages/device_info.h"
#include "pages/display_chart.h"
#include "pages/display_settings.h"

namespace pages {

void DisplayPanelsView::ShowResponse(uint32_t id, const model::BiquadSection* sections, int count,
                                     bool repaint, bool bypassed) {
    if (chart_) chart_->ShowResponse(id, sections, count, repaint, bypassed);
}

void DisplayPanelsView::ShowCrossoverResponse(uint32_t id, const model::CrossoverParams& block,
                                              const model::CrossoverSections& sections, bool repaint) {
    if (chart_) chart_->ShowCrossoverResponse(id, block, sections, repaint);
}

void DisplayPanelsView::ShowSumResponse(bool show, const model::DspChannelRecord* records,
                                        const model::CrossoverSections* sections,
                                        const int32_t* triples, int count, bool repaint) {
    if (chart_) chart_->ShowSumResponse(show, records, sections, triples, count, repaint);
}

void DisplayPanelsView::SetCurveLineArgb(uint32_t id, CurveColour c, bool repaint) {
    if (chart_) chart_->Curves().SetCurveLineArgb(id, c.r, c.g, c.b, c.a, repaint);
}

void DisplayPanelsView::SetCurveFillArgb(uint32_t id, CurveColour c, bool repaint) {
    if (chart_) chart_->Curves().SetCurveFillArgb(id, c.r, c.g, c.b, c.a, repaint);
}

void DisplayPanelsView::ShowCurve(uint32_t id, bool shown, bool repaint) {
    if (chart_) chart_->Curves().ShowCurve(id, shown, repaint);
}

void DisplayPanelsView::ShowAllCurves(bool shown) {
    if (chart_) chart_->Curves().ShowAllCurves(shown);
}

void DisplayPanelsView::SetHighlight(int32_t id1, int32_t id2, int32_t id3, bool repaint) {
    if (chart_) chart_->Curves().SetHighlight(id1, id2, id3, repaint);
}

void DisplayPanelsView::ClearCurves() {
    if (chart_) chart_->Curves().ClearCurves();
}

void DisplayPanelsView::SetHoldRedraw(bool hold) {
    if (chart_) chart_->Curves().SetHoldRedraw(hold);
}

void DisplayPanelsView::Paint(bool updateNow) {
    if (chart_) chart_->Paint(updateNow);
}

void DisplayPanelsView::GetSwitches(int* equaliser, int* crossover, int* total) {
    if (settings_) {
        settings_->GetSwitches(equaliser, crossover, total);
        return;
    }
    if (equaliser) *equaliser = 0;
    if (crossover) *crossover = 0;
    if (total) *total = 0;
}

void DisplayPanelsView::ResetSwitches(bool resetSource) {
    if (settings_) settings_->Reset(resetSource);
}

void DisplayPanelsView::SetSource(int source) {
    if (settings_) settings_->SetSource(source);
}

void DisplayPanelsView::SetLine(int line, const char* text) {
    if (info_) info_->SetLine(line, text);
}

void DisplayPanelsView::RefreshText(bool updateNow) {
    if (info_) info_->RefreshText(updateNow);
}

}  // namespace pages
