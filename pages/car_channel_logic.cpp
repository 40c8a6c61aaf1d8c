#include "pages/car_channel_logic.h"

#include <cstdio>
#include <cstring>

#include "pages/speaker_rules.h"
#include "ui/messages.h"

namespace pages {
namespace {

struct SpotPlace {
    const char* name;
    int x, y, stacking;
};
constexpr SpotPlace kPlaces[model::kPositionCount] = {
    {"Front Left", 28, 190, 0}, {"Center", 123, 57, 1},   {"Front Right", 217, 190, 0},
    {"Rear Right", 217, 310, 0}, {" ", 123, 380, 1},      {"Rear Left", 28, 310, 0}};
// The wizard's picture is wider: its spots sit further right.
constexpr int kWizardShift[model::kPositionCount] = {95, 100, 100, 100, 100, 95};

constexpr IconSize kKindFrames[model::kKindCount] = {{38, 38}, {38, 38}, {30, 30}, {23, 23},
                                                     {56, 43}, {56, 43}, {56, 43}};
constexpr IconSize kVariantFrames[kVariantCount] = {{0, 0},   {49, 68}, {49, 74}, {49, 69},
                                                    {49, 90}, {49, 68}, {49, 74}, {49, 69},
                                                    {49, 90}, {70, 47}};

// Kind icons hold the selected look in frame 0, variant icons the plain look.
constexpr int kKindSelectedFrame = 0;
constexpr int kVariantSelectedFrame = 1;

constexpr int kCountBox = 25;

}  // namespace

const int CarChannelLogic::kKindIcons[model::kKindCount] = {129, 129, 130, 132, 220, 131, 221};
const int CarChannelLogic::kVariantIcons[kVariantCount] = {0,   210, 212, 208, 206,
                                                           209, 211, 207, 205, 213};
const int CarChannelLogic::kSeatBitmaps[kSeatCount] = {282, 284, 283, 285};
const PanelRect CarChannelLogic::kSeatRects[kSeatCount] = {
    {88, 232, 106, 249}, {141, 232, 159, 249}, {115, 232, 133, 249}, {115, 260, 133, 277}};

CarChannelLogic::CarChannelLogic(int mode) : mode_(mode) {
    for (int k = 0; k < model::kKindCount; ++k) kindSizes_[k] = kKindFrames[k];
    for (int v = 0; v < kVariantCount; ++v) variantSizes_[v] = kVariantFrames[v];
    const bool wizard = mode != kViewMode;
    for (int p = 0; p < model::kPositionCount; ++p) {
        CarChannelSpot& s = spots_[p];
        s.anchorX = kPlaces[p].x + (wizard ? kWizardShift[p] : 0);
        s.anchorY = kPlaces[p].y;
        s.stacking = kPlaces[p].stacking;
        std::strncpy(s.name, kPlaces[p].name, sizeof s.name - 1);
    }
    seats_[0] = true;
    if (wizard) SetWizardStep(mode, nullptr);
}

void CarChannelLogic::SetKindIconSize(int kind, IconSize size) {
    if (kind >= 0 && kind < model::kKindCount) kindSizes_[kind] = size;
}

void CarChannelLogic::SetVariantIconSize(int variant, IconSize size) {
    if (variant > 0 && variant < kVariantCount) variantSizes_[variant] = size;
}

void CarChannelLogic::ClearSpeakers(bool redraw) {
    for (CarChannelSpot& s : spots_) {
        std::memset(s.count, 0, sizeof s.count);
        std::memset(s.selected, 0, sizeof s.selected);
        std::memset(s.variant, 0, sizeof s.variant);
    }
    if (redraw) Layout();
}

bool CarChannelLogic::AddSpeaker(int position, int kind, bool redraw, int variant) {
    if (!InRange(position, kind)) return false;
    spots_[position].count[kind] += 1;
    spots_[position].variant[kind] = variant;
    if (redraw) Layout();
    return true;
}

void CarChannelLogic::LoadFromChannels(const model::DspChannelRecord* records) {
    ClearSpeakers(false);
    if (records)
        for (int o = 0; o < model::kChannelCount; ++o)
            AddSpeaker(records[o].position, records[o].kind, false, records[o].passiveVariant);
    Layout();
}

bool CarChannelLogic::SetSpeakerSelected(int position, int kind, bool state, bool clearOthers,
                                         bool redraw) {
    if (clearOthers)
        for (CarChannelSpot& s : spots_) std::memset(s.selected, 0, sizeof s.selected);
    if (!InRange(position, kind)) return false;
    spots_[position].selected[kind] = state ? 1 : 0;
    if (redraw) Layout();
    return true;
}

int CarChannelLogic::CountSelected() const {
    int n = 0;
    for (const CarChannelSpot& s : spots_)
        for (int k = 0; k < 12; ++k) n += s.selected[k] == 1 ? 1 : 0;
    return n;
}

int CarChannelLogic::ListSelected(SpeakerTriple* out, int max) const {
    if (!out || max <= 0) return 0;
    for (int i = 0; i < max; ++i) out[i] = SpeakerTriple{};
    int n = 0;
    for (int p = 0; p < model::kPositionCount; ++p)
        for (int k = 0; k < model::kKindCount && n < max; ++k)
            if (spots_[p].selected[k] == 1) out[n++] = {p, k, -1};
    return n;
}

void CarChannelLogic::SelectListeningPoint(int point) {
    if (mode_ != kViewMode || point < 0 || point >= kSeatCount) return;
    for (int i = 0; i < kSeatCount; ++i) seats_[i] = i == point;
    if (onSeats_) onSeats_();
}

int CarChannelLogic::PassiveVariant(int position, int kind) const {
    return InRange(position, kind) ? spots_[position].variant[kind] : 0;
}

bool CarChannelLogic::IsSpeakerSelected(int position, int kind) const {
    return InRange(position, kind) && spots_[position].selected[kind] == 1;
}

bool CarChannelLogic::HasSpeaker(int position, int kind) const {
    return InRange(position, kind) && spots_[position].count[kind] > 0;
}

int CarChannelLogic::SpeakerCount(int position, int kind) const {
    return InRange(position, kind) ? spots_[position].count[kind] : 0;
}

bool CarChannelLogic::CanCombineKinds(int position, int kind) const {
    // Only speakers that are there count as selected.
    SpeakerTriple selected[model::kPositionCount * model::kKindCount];
    int n = 0;
    for (int p = 0; p < model::kPositionCount; ++p)
        for (int k = 0; k < model::kKindCount; ++k)
            if (spots_[p].count[k] > 0 && spots_[p].selected[k] == 1) selected[n++] = {p, k, -1};
    return pages::CanCombineKinds(selected, n, position, kind);
}

bool CarChannelLogic::ShowsVariant(const CarChannelSpot& s, int kind) const {
    // A variant the tables do not know (files carry any number) draws the kind's own icon.
    const int v = s.variant[kind];
    return v > 0 && v < kVariantCount;
}

IconSize CarChannelLogic::ShownSize(const CarChannelSpot& s, int kind) const {
    return ShowsVariant(s, kind) ? variantSizes_[s.variant[kind]] : kindSizes_[kind];
}

PanelRect CarChannelLogic::HitRect(int position, int kind) const {
    return InRange(position, kind) ? spots_[position].hit[kind] : PanelRect{};
}

const std::vector<CarLayoutItem>& CarChannelLogic::Layout() {
    ++layouts_;
    if (isEnabled_) enabled_ = isEnabled_();
    layout_.clear();
    if (mode_ == kViewMode) layout_.push_back({kSkin, 0, {0, 0, 249, 406}, ""});
    else WizardBackground();
    if (!enabled_) {
        if (onLayout_) onLayout_();
        return layout_;
    }
    for (CarChannelSpot& s : spots_) {
        int w = 0, h = 0;
        for (int k = 0; k < model::kKindCount; ++k) {
            if (s.count[k] <= 0) continue;
            const IconSize size = ShownSize(s, k);
            if (s.stacking) w += size.width; else h += size.height;
        }
        int x = s.anchorX - w / 2;
        int y = s.anchorY - h / 2;
        for (int k = model::kKindCount - 1; k >= 0; --k) {
            s.hit[k] = PanelRect{0, 0, 0, 0};
            if (s.count[k] <= 0) continue;
            const IconSize size = ShownSize(s, k);
            PanelRect r;
            if (s.stacking) {
                r = {x, y - size.height / 2, x + size.width, y - size.height / 2 + size.height};
                x += size.width;
            } else {
                r = {x - size.width / 2, y, x - size.width / 2 + size.width, y + size.height};
                y += size.height;
            }
            s.hit[k] = r;
            const bool selected = s.selected[k] == 1;
            CarLayoutItem icon;
            icon.rect = r;
            if (ShowsVariant(s, k)) {
                icon.bitmap = kVariantIcons[s.variant[k]];
                icon.frame = selected ? kVariantSelectedFrame : 1 - kVariantSelectedFrame;
            } else {
                icon.bitmap = kKindIcons[k];
                icon.frame = selected ? kKindSelectedFrame : 1 - kKindSelectedFrame;
            }
            layout_.push_back(icon);
            if (s.count[k] > 1) {
                char text[16];
                std::snprintf(text, sizeof text, "x%d", static_cast<int>(s.count[k]));
                layout_.push_back(
                    {0, 0, {r.left, r.top, r.left + kCountBox, r.top + kCountBox}, text});
            }
            if (mode_ == 12) LayoutLabel(static_cast<int>(&s - spots_.data()), k, r);
        }
    }
    if (onLayout_) onLayout_();
    return layout_;
}

Notification CarChannelLogic::OnLButtonDown(int x, int y, bool ctrl) {
    if (mode_ != kViewMode) {
        // The wizard's steps report through their sink.
        OnWizardClick(x, y);
        return {};
    }
    int hitPosition = -1, hitKind = -1;
    for (int p = 0; p < model::kPositionCount; ++p)
        for (int k = 0; k < model::kKindCount; ++k)
            if (spots_[p].count[k] > 0 && spots_[p].hit[k].Contains(x, y)) {
                hitPosition = p;
                hitKind = k;
                break;
            }
    Notification result;
    if (hitPosition >= 0 && mode_ == kViewMode) {
        CarChannelSpot& s = spots_[hitPosition];
        if (!ctrl) {
            for (CarChannelSpot& o : spots_) std::memset(o.selected, 0, sizeof o.selected);
            s.selected[hitKind] = 1;
            result = {ui::MsgSpeakerPicked, hitPosition, hitKind};
        } else if (s.selected[hitKind] == 1) {
            if (CountSelected() > 1) {
                s.selected[hitKind] = 0;
                result = {ui::MsgSpeakerPicked, 0, 0};
            }
        } else if (CanCombineKinds(hitPosition, hitKind)) {
            s.selected[hitKind] = 1;
            result = {ui::MsgSpeakerPicked, 0, 0};
        }
    }
    Layout();
    return result;
}

Notification CarChannelLogic::OnSeatClicked(int seat, bool nowChecked) {
    if (mode_ != kViewMode || seat < 0 || seat >= kSeatCount) return {};
    // A seat cannot be switched off: pressing the checked one keeps it checked.
    (void)nowChecked;
    for (int i = 0; i < kSeatCount; ++i) seats_[i] = i == seat;
    if (onSeats_) onSeats_();
    return {ui::MsgListeningPoint, seat, 0};
}

}  // namespace pages
