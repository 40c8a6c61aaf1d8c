#include "pages/display_chart.h"

#include "os/phases.h"
#include "res/resource.h"
#include "ui/messages.h"
#include "ui/text.h"

namespace pages {
namespace {

void LoadInto(ui::gdi::MemoryDC& dc, HDC compatible, UINT bitmapId) {
    if (dc.Create(compatible)) dc.SetBitmap(ui::gdi::LoadSkinBitmap(bitmapId));
}

// The level labels, drawn on the background before any curve.
void DrawLabels(HDC dc, const dsp::PaintPlan& plan) {
    ui::TextStyle label;
    label.family = L"Verdana";
    label.points = 6.0f;
    label.argb = plan.labelArgb;
    label.hint = 5;  // ClearType grid fit
    label.atPoint = true;
    const int x0 = static_cast<int>(plan.topLabelX), y0 = static_cast<int>(plan.topLabelY);
    const int x1 = static_cast<int>(plan.bottomLabelX), y1 = static_cast<int>(plan.bottomLabelY);
    ui::DrawTextAntialiased(dc, plan.topLabel.c_str(), {x0, y0, x0, y0}, label);
    ui::DrawTextAntialiased(dc, plan.bottomLabel.c_str(), {x1, y1, x1, y1}, label);
}

}  // namespace

DisplayChart::DisplayChart(HWND parent, int x, int y, UINT backgroundId)
    : ui::FrameWnd(nullptr, parent, {x, y, x + 50, y + 50},
                   backgroundId ? backgroundId : IDB_CHART_BG, 0, false, ui::kChildStyle, 0),
      logic_(backgroundId != 0, [this](const dsp::PaintPlan& plan, bool updateNow) { Execute(plan, updateNow); }) {
    {
        ui::gdi::WindowDC screen(GetHwnd());
        {
            ui::gdi::BitmapAccount account(os::held::kFaceCopies);
            LoadInto(background_, screen, backgroundId ? backgroundId : IDB_CHART_BG);
        }
        ui::gdi::BitmapAccount account(os::held::kSliderImages);
        LoadInto(track_, screen, IDB_CHART_ZOOM_TRACK);
        LoadInto(thumb_, screen, IDB_CHART_ZOOM_THUMB);
    }
    if (BackBuffer()) SetBkMode(BackBuffer(), TRANSPARENT);
    logic_.Paint(true);
    const dsp::ChartGeometry& g = logic_.Geometry();
    if (GetHwnd()) {
        slider_.Create(GetHwnd(), 0, {g.sliderLeft, g.sliderTop, g.sliderRight, g.sliderBottom}, track_,
                       {1, 19, 17, 79}, thumb_, {0, 0, 17, 5}, 0.25f, 2.0f, 1);
        slider_.SetValue(1.0f);
        slider_.SetDefault(1.0f);
    }
}

DisplayChart::~DisplayChart() {
    // The slider draws from the chart's DCs: it goes first.
    slider_.Destroy();
}

LRESULT DisplayChart::OnAppMessage(HWND, UINT message, WPARAM wParam, LPARAM) {
    if (message == ui::MsgSliderMoved && wParam == 0) logic_.SetZoom(slider_.GetValue());
    return 0;
}

void DisplayChart::Redraw(bool updateNow) {
    faceRedrawn_ = true;
    ui::FrameWnd::Redraw(updateNow);
}

void DisplayChart::KeepNothingUntilShown() {
    dormant_ = true;
    logic_.Engine().SetKeeping(false);
    kept_.Release();
}

void DisplayChart::OnPaint(HDC dc, const PAINTSTRUCT& paint) {
    if (paintOwed_ && GetHwnd() && IsWindowVisible(GetHwnd()) && !logic_.Curves().Held()) {
        logic_.Paint(false);  // on screen now: the owed paint is drawn (and the chart wakes)
        if (!paintOwed_) {
            // The whole face changed; what this paint does not cover comes with the next one.
            InvalidateRect(GetHwnd(), nullptr, FALSE);
        }
    }
    ui::FrameWnd::OnPaint(dc, paint);
}

void DisplayChart::Execute(const dsp::PaintPlan& plan, bool updateNow) {
    HDC dc = BackBuffer();
    if (!dc) return;
    if (dormant_) {
        if (!GetHwnd() || !IsWindowVisible(GetHwnd())) {
            // Nobody sees the back buffer: drawn when the window is painted on screen.
            paintOwed_ = true;
            return;
        }
        // On screen at last: from this paint on the chart keeps its drawing and responses.
        dormant_ = false;
        paintOwed_ = false;
        logic_.Engine().SetKeeping(true);
    }
    const RECT client = ClientRect();
    const RECT changed = kept_.Paint(dc, background_.HasBitmap() ? background_.Get() : nullptr, client.right,
                                       client.bottom, plan, faceRedrawn_, DrawLabels);
    faceRedrawn_ = false;
    // A paint without update changes the back buffer alone, and the next paint measures its
    // changes against that buffer: what it changed is kept until a paint goes to the screen, or
    // the screen would go on showing curves the chart no longer holds.
    UnionRect(&unshown_, &unshown_, &changed);
    if (!updateNow || IsRectEmpty(&unshown_) || !GetHwnd()) return;
    // Only what changed goes to the screen.
    InvalidateRect(GetHwnd(), &unshown_, FALSE);
    SetRectEmpty(&unshown_);
    UpdateWindow(GetHwnd());
}

}  // namespace pages
