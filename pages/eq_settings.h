// EqSettings: the 31-band graphic equaliser panel, a thin window over EqSettingsLogic. One
// vertical slider per band with its readout above and its band switch under the readout, plus
// Flat, EQ L/R Link, EQ Off and Select All as its configuration has them. It holds no tuning: its
// owner loads values into it and reads them back while it handles the panel's notifications
// (MsgEqBandChanged, MsgEqLinkChanged, MsgEqBandSwitch, MsgEqOffChanged, all sent).
//
// Three configurations, by the owner's flags: (0, 0) the tuning page (skin 107, +-12 dB, all
// four buttons), (1, 0) the external-source page (skin 188, no link button), (0, 1) the
// dynamic-equalisation dialog (skin 249, +-6 dB, Flat and Select All only).
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>

#include "model/records.h"
#include "pages/eq_settings_logic.h"
#include "ui/btn_wnd.h"
#include "ui/frame_wnd.h"
#include "ui/gdi.h"
#include "ui/slider.h"

namespace pages {

// Where a configuration puts its skin, thumb and buttons (panel coordinates).
struct EqLayout {
    UINT skin;
    UINT thumb;
    int thumbStates;
    int bandShift;  // rows the bands sit lower (the dynamic-equalisation dialog's 4)
    POINT flat;
    POINT link;       // x < 0: no such button
    POINT off;        // x < 0: no such button
    POINT selectAll;
};
const EqLayout& EqLayoutFor(int flagA, int flagB);

class EqSettings : public ui::FrameWnd {
public:
    static constexpr int kBands = EqSettingsLogic::kBands;

    // A panel at (x, y) in `parent`. `logic`: the owner's (the tuning page keeps its panel's
    // logic beside its own decisions), built for the same flags; null: the panel keeps its own.
    // The panel shows whatever the owner's calls to that logic change.
    EqSettings(HWND parent, int x, int y, int flagA, int flagB, EqSettingsLogic* logic = nullptr);
    ~EqSettings() override;

    // The owner's calls (each shows its result).
    int GetGains(float* out, int n, uint32_t* link, uint32_t* off) const {
        return logic_->GetGains(out, n, link, off);
    }
    void SetGains(const float* values, int n, uint32_t link, uint32_t off) {
        logic_->SetGains(values, n, link, off);
    }
    void SetEqLink(int on) { logic_->SetEqLink(on != 0); }
    void SetEqOff(int on) { logic_->SetEqOff(on != 0); }
    int IsEqLink() const { return logic_->IsEqLink() ? 1 : 0; }
    int IsEqOff() const { return logic_->IsEqOff() ? 1 : 0; }
    void SetBandEnables(const uint32_t* flags, int n) { logic_->SetBandEnables(flags, n); }
    void SetBandStates(const int* states, int n) { logic_->SetBandStates(states, n); }
    void MarkCrossoverBands(const model::CrossoverParams& block) { logic_->MarkCrossoverBands(block); }
    void SetEnabled(int on) { logic_->SetEnabled(on != 0); }
    int CountEnabledBands() const { return logic_->CountEnabledBands(); }
    // Restores band k's readout ground and draws its value ("---" while disabled); returns the
    // value (0 for a band outside 0..30).
    float DrawBandValue(int band);

    // FrameWnd.
    void Redraw(bool updateNow) override;
    void OnRButtonUp(int x, int y, WPARAM keys) override;
    void OnMouseMove(int x, int y, WPARAM keys) override;
    void OnMouseLeave() override;
    void OnMouseHover(int x, int y) override;
    LRESULT OnAppMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    EqSettingsLogic& Logic() { return *logic_; }
    const EqLayout& Layout() const { return layout_; }
    // For tests: the controls (a button the configuration lacks is null) and the readouts.
    ui::Slider& Band(int k) { return sliders_[k]; }
    ui::ChkWnd* BandSwitch(int k) { return switches_[k].get(); }
    ui::BtnWnd* FlatButton() { return flat_.get(); }
    ui::ChkWnd* LinkButton() { return link_.get(); }
    ui::ChkWnd* OffButton() { return off_.get(); }
    ui::ChkWnd* SelectAllButton() { return selectAll_.get(); }
    RECT ReadoutRect(int band) const;
    static RECT SliderRect(int band, int bandShift);
    static POINT SwitchPlace(int band, int bandShift);
    bool Hovering() const { return hovering_; }
    bool Tracking() const { return tracking_; }

    static constexpr COLORREF kReadoutColour = RGB(146, 145, 252);
    static constexpr int kReadoutGroundRows = 30;

private:
    void OnLogicChanged(unsigned aspects);
    void ShowValues();
    void ShowButtons();
    void ShowSwitches();
    void ShowStates();
    void ShowEnabled();
    void DrawReadout(int band);
    void InvalidateReadouts();
    // Puts the faces of the bands marked in `which` on screen at once, from their buffers.
    void PaintBands(const std::array<bool, kBands>& which);
    void SetFollow(bool on);
    void Tell(const Notification& n);
    void OnSliderMoved(int band, float change);
    void OnButton(HWND from);

    const EqLayout& layout_;
    std::unique_ptr<EqSettingsLogic> ownLogic_;
    EqSettingsLogic* logic_;
    ui::gdi::MemoryDC track_;
    ui::gdi::MemoryDC thumb_;
    ui::gdi::MemoryDC readoutGround_;
    HFONT font_ = nullptr;
    std::array<ui::Slider, kBands> sliders_;
    std::array<std::unique_ptr<ui::ChkWnd>, kBands> switches_;
    std::unique_ptr<ui::BtnWnd> flat_;
    std::unique_ptr<ui::ChkWnd> link_;
    std::unique_ptr<ui::ChkWnd> off_;
    std::unique_ptr<ui::ChkWnd> selectAll_;
    bool hovering_ = false;
    bool tracking_ = false;
    bool built_ = false;
};

}  // namespace pages
