#include "pages/display_chart_logic.h"

#include <algorithm>

#include "dsp/signal.h"
#include "model/tables.h"

namespace pages {

DisplayChartLogic::DisplayChartLogic(bool customBackground,
                                     std::function<void(const dsp::PaintPlan&, bool)> execute)
    : custom_(customBackground),
      geometry_(customBackground ? dsp::kCustomChartGeometry : dsp::kDefaultChartGeometry),
      execute_(std::move(execute)),
      curves_([this](bool updateNow) { Execute(updateNow); }),
      xs_(dsp::kBinCount),
      ys_(dsp::kBinCount) {
    savedErrorMode_ = dsp::GetErrorMode();
    dsp::SetErrorMode(2);
    speakers_.reserve(model::kChannelCount * 4);
    plan_.ops.reserve(64);
}

DisplayChartLogic::~DisplayChartLogic() { dsp::SetErrorMode(savedErrorMode_); }

size_t DisplayChartLogic::PlanBytes() const {
    size_t bytes = plan_.ops.capacity() * sizeof(dsp::PaintOp);
    for (const dsp::PaintPlan::Thinned& t : plan_.thinned) bytes += t.points.capacity() * sizeof(dsp::ChartPoint);
    return bytes + (xs_.capacity() + ys_.capacity()) * sizeof(float);
}

void DisplayChartLogic::Execute(bool updateNow) {
    dsp::MakePaintPlan(curves_, geometry_, plan_);
    ++paints_;
    if (execute_) execute_(plan_, updateNow);
}

void DisplayChartLogic::SetZoom(float v) {
    curves_.SetRange(-(v * 12.0f), v * 12.0f);
    Paint(true);
}

void DisplayChartLogic::UpdateTotal(uint32_t equaliserId, uint32_t crossoverId) {
    const dsp::ChartCurve* e = curves_.FindCurve(equaliserId);
    const dsp::ChartCurve* x = curves_.FindCurve(crossoverId);
    if (!e || !x || e->count < 1 || x->count < 1) return;
    const int n = std::min(e->count - 3, x->count - 3);
    // A bypassed equaliser adds nothing to what the channel plays.
    const bool flat = e->bypassed;
    for (int i = 0; i < n; ++i) {
        xs_[i] = e->points[i].x;
        ys_[i] = flat ? x->points[i].y : e->points[i].y + x->points[i].y;
    }
    const int32_t id = static_cast<int32_t>(equaliserId);
    const uint32_t total = static_cast<uint32_t>(
        model::ParamIndex(1024, model::ParamIndexSlot(id), model::ParamIndexChannel(id)));
    curves_.SetCurve(total, dsp::kKindTotal, xs_.data(), ys_.data(), n, dsp::kCloseToBottom, false);
    curves_.SetCurveFillArgb(total, 120, 120, 255, 120, false);
    curves_.SetCurveLineArgb(total, 200, 200, 250, 205, false);
}

void DisplayChartLogic::ShowResponse(uint32_t id, const model::BiquadSection* sections, int count,
                                     bool repaint, bool bypassed) {
    engine_.ComputeSectionsResponse(sections, count, xs_.data(), ys_.data(), dsp::kKeptRange);
    curves_.SetCurve(id, dsp::kKindEqualiser, xs_.data() + dsp::kFirstKeptBin,
                     ys_.data() + dsp::kFirstKeptBin, dsp::kKeptBins, dsp::kCloseToZero, repaint);
    if (dsp::ChartCurve* c = curves_.FindCurve(id)) c->bypassed = bypassed;
    UpdateTotal(id, id + 1);
}

void DisplayChartLogic::ShowCrossoverResponse(uint32_t id, const model::CrossoverParams& block,
                                              const model::CrossoverSections& sections, bool repaint) {
    engine_.ComputeCrossoverResponse(block, sections, xs_.data(), ys_.data(), dsp::kKeptRange);
    const bool flat = block.FilterType == -1 || block.FilterType == model::kFullRange ||
                      block.FilterModel == -1;
    curves_.SetCurve(id, dsp::kKindCrossover, xs_.data() + dsp::kFirstKeptBin,
                     ys_.data() + dsp::kFirstKeptBin, dsp::kKeptBins,
                     flat ? dsp::kCloseToZero : dsp::kCloseToBottom, repaint);
    UpdateTotal(id - 1, id);
}

void DisplayChartLogic::ShowSumResponse(bool show, const model::DspChannelRecord* records,
                                        const model::CrossoverSections* sections,
                                        const int32_t* triples, int count, bool repaint) {
    if (show && triples && count > 0 && records && sections) {
        speakers_.clear();
        for (int i = 0; i < count; ++i) {
            const int p = triples[3 * i], k = triples[3 * i + 1], o = triples[3 * i + 2];
            const bool e = curves_.IsCurveShown(static_cast<uint32_t>(model::ParamIndex(0, k, p)));
            const bool x = curves_.IsCurveShown(static_cast<uint32_t>(model::ParamIndex(1, k, p)));
            const bool t = curves_.IsCurveShown(static_cast<uint32_t>(model::ParamIndex(1024, k, p)));
            dsp::SumPart part = dsp::SumPart::kNone;
            if (t || (e && x))
                part = dsp::SumPart::kChain;
            else if (e)
                part = dsp::SumPart::kEqualiser;
            else if (x)
                part = dsp::SumPart::kCrossover;
            speakers_.push_back({o, part});
        }
        engine_.ComputeSum(records, sections, speakers_.data(), static_cast<int>(speakers_.size()),
                           xs_.data(), ys_.data(), dsp::kKeptRange);
        curves_.SetCurve(dsp::kSumId, dsp::kKindSum, xs_.data() + dsp::kFirstKeptBin,
                         ys_.data() + dsp::kFirstKeptBin, dsp::kKeptBins, dsp::kCloseRepeatLast, false);
        curves_.SetCurveFillArgb(dsp::kSumId, 120, 120, 120, 120, false);
        curves_.SetCurveLineArgb(dsp::kSumId, 20, 20, 255, 180, false);
    }
    curves_.ShowCurve(dsp::kSumId, show, repaint);
}

}  // namespace pages
