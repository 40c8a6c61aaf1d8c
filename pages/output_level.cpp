#include "pages/output_level.h"

#include "os/phases.h"
#include "res/resource.h"
#include "ui/messages.h"
#include "ui/text.h"

namespace pages {
namespace {

// The face is centred on the page; the rows around it take the dark ground of the other pages'
// faces (and of this face's margin), so that the page shows no light band above or below it.
constexpr COLORREF kBackground = RGB(0x1E, 0x22, 0x28);
constexpr int kFaderWidth = 34, kFaderHeight = 229;
constexpr ui::WndRect kTrack{18, 15, 20, 212};
constexpr ui::WndRect kThumb{0, 0, 21, 31};
constexpr int kIconWidth = 71, kIconHeight = 36;
// The readouts span skin rows 352..380; the strip that restores them is copied from the face
// before anything is drawn on it, a little larger than they are.
constexpr int kReadoutStripSkinY = 346, kReadoutStripHeight = 40;

// Skin coordinates of each fader's left edge (its top is 118).
int FaderLeft(int i) { return i < kLevelChannels ? 132 + 72 * i : i == kMasterFader ? 726 : 838; }

}  // namespace

OutputLevel::OutputLevel(HWND parent, int x, int y)
    : ui::FrameWnd(nullptr, parent, {x, y, 1024, 768}, IDB_PAGE_LEVELS, kBackground, true, ui::kChildStyle, 0) {
    HWND window = GetHwnd();
    notifier_ = std::make_unique<ClipNotifier>(window);
    logic_.SetNotifier(notifier_.get());
    logic_.SetLoadListener([this] { SyncControls(); });
    iconIndex_.fill(kNoChannelIcon);
    if (!window) return;

    HDC back = BackBuffer();
    auto load = [back](ui::gdi::MemoryDC& dc, UINT id) {
        if (dc.Create(back)) dc.SetBitmap(ui::gdi::LoadSkinBitmap(id));
    };
    {
        ui::gdi::BitmapAccount account(os::held::kSliderImages);
        load(faderBackground_, IDB_LEVEL_FADER);
        load(thumb_, IDB_LEVEL_THUMB);
    }
    {
        ui::gdi::BitmapAccount account(os::held::kImageStrips);
        load(icons_, IDB_LEVEL_ICONS);
    }
    const POINT o = SkinOrigin();
    const RECT client = ClientRect();
    readoutStripTop_ = o.y + kReadoutStripSkinY;
    if (ui::gdi::BitmapAccount account(os::held::kFaceCopies); readoutStrip_.Create(back)) {
        readoutStrip_.SetBitmap(ui::gdi::MakeBitmap(back, client.right, kReadoutStripHeight));
        BitBlt(readoutStrip_, 0, 0, client.right, kReadoutStripHeight, back, 0, readoutStripTop_, SRCCOPY);
    }

    for (int i = 0; i < kLevelFaders; ++i) {
        const int left = o.x + FaderLeft(i), top = o.y + 118;
        const FaderRange& r = kFaderRanges[i];
        faders_[i].Create(window, static_cast<UINT>(i), {left, top, left + kFaderWidth, top + kFaderHeight},
                          faderBackground_, kTrack, thumb_, kThumb, r.min, r.max, 1);
        faders_[i].SetDefault(r.initial);
        faders_[i].SetValue(logic_.Fader(i));
    }
    for (int c = 0; c < kLevelChannels; ++c) {
        clip_[c] = std::make_unique<ui::ChkWnd>(window, o.x + 130 + 72 * c, o.y + 76, 2, IDB_LEVEL_CLIP, true);
        // Display only: the window takes no clicks, and its face keeps showing off or lit.
        EnableWindow(clip_[c]->GetHwnd(), FALSE);
        mute_[c] = std::make_unique<ui::ChkWnd>(window, o.x + 141 + 72 * c, o.y + 399, 2, IDB_LEVEL_MUTE, true);
    }
    link_ = std::make_unique<ui::ChkWnd>(window, o.x + 53, o.y + 303, 2, IDB_LEVEL_LINK, true);
    built_ = true;
    Redraw(true);
}

OutputLevel::~OutputLevel() {
    if (timer_ && GetHwnd()) KillTimer(GetHwnd(), timer_);
    logic_.SetLoadListener(nullptr);
    for (ui::Slider& f : faders_) f.Destroy();
}

POINT OutputLevel::SkinOrigin() const {
    // Where the centred skin lies on the page (as FrameWnd centres it).
    const RECT c = ClientRect();
    const SIZE s = SkinSize();
    return {(c.left + c.right) / 2 + c.left - s.cx / 2, (c.top + c.bottom) / 2 + c.top - s.cy / 2};
}

RECT OutputLevel::ReadoutRect(int i) const {
    const POINT o = SkinOrigin();
    const int left = o.x + FaderLeft(i) + 1;
    return {left, o.y + 352, left + 32, o.y + 380};
}

RECT OutputLevel::IconRect(int c) const { return {125 + 72 * c, 535, 125 + 72 * c + kIconWidth, 535 + kIconHeight}; }

void OutputLevel::Redraw(bool updateNow) {
    ui::FrameWnd::Redraw(false);
    if (built_) {
        for (int i = 0; i < kLevelFaders; ++i) DrawReadout(i);
        for (int c = 0; c < kLevelChannels; ++c) DrawIcon(c);
    }
    if (updateNow) UpdateNow();
}

void OutputLevel::DrawReadout(int i) {
    HDC back = BackBuffer();
    if (!back) return;
    const RECT r = ReadoutRect(i);
    if (readoutStrip_.HasBitmap())
        BitBlt(back, r.left, r.top, r.right - r.left, r.bottom - r.top, readoutStrip_, r.left, r.top - readoutStripTop_,
               SRCCOPY);
    ui::TextStyle style;
    style.family = L"Tahoma";
    style.points = 7.0f;
    style.argb = 0xDCDCDCFF;
    style.formatFlags = 0x1000;  // one line, no wrapping
    style.alignment = 1;         // centred in the layout
    const RECT box{r.left + 2, r.top + 8, r.right, r.bottom};
    ui::DrawTextAntialiased(back, LevelReadout(logic_.Fader(i)).c_str(), box, style);
}

float OutputLevel::DrawLevelValue(int fader) {
    if (fader < 0 || fader >= kLevelFaders) return 0.0f;
    DrawReadout(fader);
    const RECT r = ReadoutRect(fader);
    if (GetHwnd()) InvalidateRect(GetHwnd(), &r, FALSE);
    return logic_.Fader(fader);
}

void OutputLevel::DrawIcon(int c) {
    HDC back = BackBuffer();
    if (!back || !icons_.HasBitmap()) return;
    const RECT r = IconRect(c);
    BitBlt(back, r.left, r.top, kIconWidth, kIconHeight, icons_, 0, kIconHeight * iconIndex_[c], SRCCOPY);
}

void OutputLevel::SetChannelIcon(int channel, int position, int kind, int variant) {
    if (channel < 0 || channel >= kLevelChannels) return;
    iconIndex_[channel] = ChannelIconIndex(position, kind, variant);
    DrawIcon(channel);
    const RECT r = IconRect(channel);
    if (GetHwnd()) InvalidateRect(GetHwnd(), &r, FALSE);
}

// Every fader takes the logic's value silently and its readout is redrawn.
void OutputLevel::SyncControls() {
    for (int i = 0; i < kLevelFaders; ++i) {
        faders_[i].SetValue(logic_.Fader(i));
        DrawLevelValue(i);
    }
    if (link_) link_->SetCheck(logic_.Link() ? 1 : 0);
    if (GetHwnd()) UpdateWindow(GetHwnd());
}

void OutputLevel::TellMaster() {
    // The external-source page shows the master too. Sent after the page's lock is released:
    // the main window reads the levels back while it handles this.
    float master = logic_.Fader(kMasterFader);
    SendMessageA(Parent(), ui::MsgMasterLevel, 1, reinterpret_cast<LPARAM>(&master));
}

void OutputLevel::SetMasterLevel(float dB) {
    logic_.SetMasterLevel(dB);
    faders_[kMasterFader].SetValue(logic_.Fader(kMasterFader));
    DrawLevelValue(kMasterFader);
}

void OutputLevel::SetMutes(const uint32_t mutes[8]) {
    if (!mutes) return;
    logic_.SetMutes(mutes);
    for (int c = 0; c < kLevelChannels; ++c)
        if (mute_[c]) mute_[c]->SetCheck(mutes[c] ? 1 : 0);
}

void OutputLevel::SelectPreset(int preset, int markChanged) {
    logic_.SelectPreset(preset, markChanged);
    SyncControls();
}

void OutputLevel::CopyPreset(int from, int to) {
    logic_.CopyPreset(from, to);
    SyncControls();
}

void OutputLevel::ResetLevels() {
    logic_.ResetLevels();
    SyncControls();
}

void OutputLevel::Reset() {
    logic_.Reset();
    SyncControls();
}

int OutputLevel::ParseLevelResponse(const uint8_t* frame, size_t length) {
    bool applied = false;
    const int taken = logic_.ParseLevelResponse(frame, length, &applied);
    if (applied) {
        SyncControls();
        TellMaster();
    }
    return taken;
}

void OutputLevel::OnShowWindow(bool show) {
    logic_.OnShow(show);
    HWND window = GetHwnd();
    if (timer_ && window) KillTimer(window, timer_);
    timer_ = 0;
    if (!show || !window) return;
    for (auto& c : clip_)
        if (c) c->SetCheck(0);
    timer_ = SetTimer(window, kClipTimerId, kClipTimerMs, nullptr);
}

void OutputLevel::OnTimer(WPARAM timerId, LPARAM) {
    if (timerId == kClipTimerId) logic_.OnClipTimer();
}

LRESULT OutputLevel::OnAppMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == OutputLevelLogic::kMsgClipMask) {
        if (const auto mask = logic_.ClipMaskToShow(static_cast<uint8_t>(wParam)))
            for (int c = 0; c < kLevelChannels; ++c)
                if (clip_[c]) clip_[c]->SetCheck((*mask >> c) & 1);
        return 0;
    }
    if (message == ui::MsgButtonClicked) {
        HWND from = reinterpret_cast<HWND>(lParam);
        if (link_ && from == link_->GetHwnd()) {
            logic_.SetLink(link_->GetCheck() == 1);
            return 0;
        }
        for (int c = 0; c < kLevelChannels; ++c) {
            if (!mute_[c] || from != mute_[c]->GetHwnd()) continue;
            std::array<uint32_t, 8> mutes = logic_.SetMute(c, mute_[c]->GetCheck() == 1);
            SendMessageA(Parent(), ui::MsgMuteFlagsChanged, 1, reinterpret_cast<LPARAM>(mutes.data()));
            return 0;
        }
        return 0;
    }
    if (message == ui::MsgSliderMoved) {
        const int i = static_cast<int>(wParam);
        const float* change = reinterpret_cast<const float*>(lParam);
        if (i < 0 || i >= kLevelFaders || !change) return 0;
        const bool master = logic_.OnFaderMoved(i, faders_[i].GetValue(), *change);
        if (i < kLevelChannels) {
            for (int c = 0; c < kLevelChannels; ++c) {
                faders_[c].SetValue(logic_.Fader(c));
                DrawLevelValue(c);
            }
        } else {
            DrawLevelValue(i);
        }
        UpdateWindow(GetHwnd());
        if (master) TellMaster();
        return 0;
    }
    return 0;
}

}  // namespace pages
