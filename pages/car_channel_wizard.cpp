// The car view's wizard mode: the I/O wizard's speaker, passive-crossover, output-channel and
// amplifier steps over the wizard's output table.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "pages/car_channel_logic.h"
#include "ui/messages.h"

namespace pages {
namespace {

constexpr int kFrontLeft = 0, kCenter = 1, kFrontRight = 2, kRearRight = 3, kSubSpot = 4,
              kRearLeft = 5;
constexpr int kFull = 0, kWoofer = 1, kMidrange = 2, kTweeter = 3, kSubR = 4, kSubwoofer = 5,
              kSubL = 6;
constexpr int kOutputs = 8;
constexpr int kTooManyOutputs = 9;

// Where a toggle stands when its position has two kinds, and when it has three.
struct ToggleSpot {
    int x2, y2, x3, y3;
};
constexpr ToggleSpot kToggleSpots[kPassiveToggles] = {
    {49, 170, 53, 155}, {3, 155, 3, 155},     {183, 15, 183, 15},   {339, 170, 335, 155},
    {385, 155, 385, 155}, {335, 295, 335, 295}, {49, 295, 49, 295}};

// The toggles that switch a position's groups: two-way, three-way (-1 none).
struct PositionToggles {
    int twoWay, threeWay;
};
constexpr PositionToggles kPositionToggles[model::kPositionCount] = {
    {0, 1}, {2, -1}, {3, 4}, {5, -1}, {-1, -1}, {6, -1}};

bool RightSideLabel(int position, int kind) {
    return position == kFrontRight || position == kRearRight ||
           (position == kCenter && kind == kWoofer) || (position == kSubSpot && kind == kSubR);
}

// Variants of a passive group's representative: left-side positions, right-side positions.
int GroupVariant(int position, int leftVariant, int rightVariant) {
    if (position == kFrontLeft || position == kRearLeft) return leftVariant;
    if (position == kFrontRight || position == kRearRight) return rightVariant;
    return 0;
}

}  // namespace

const int CarChannelLogic::kToggleBitmaps[kPassiveToggles] = {204, 202, 201, 200, 203, 200, 204};

void CarChannelLogic::SendNotice(const PassiveGroupNotice& notice) const {
    Send(ui::MsgCarViewEdit, reinterpret_cast<intptr_t>(&notice), 0);
}

void CarChannelLogic::WizardBackground() {
    layout_.push_back({kWizardSkin, 0, kWizardRect, ""});
    // The warnings lie under the speakers.
    if (tooMany_) layout_.push_back({kTooManyOverlay, 0, kTooManyRect, ""});
    if (conflict_) layout_.push_back({kConflictOverlay, 0, kConflictRect, ""});
}

int CarChannelLogic::KindsAt(int position) const {
    if (position < 0 || position >= model::kPositionCount) return 0;
    int n = 0;
    for (int k = 0; k < model::kKindCount; ++k) n += spots_[position].count[k] > 0 ? 1 : 0;
    return n;
}

void CarChannelLogic::ResetLabelSlots() {
    for (CarChannelLabel& l : labels_) {
        l.amplifier = 0;
        l.channel = -1;
    }
}

void CarChannelLogic::HideLabelControls() {
    for (CarChannelLabel& l : labels_) {
        l.arrowsShown = 0;
        l.checkShown = 0;
    }
}

void CarChannelLogic::SetWizardStep(int step, WizardOutputEntry* table) {
    mode_ = step;
    switch (step) {
        case 10:
            ClearSpeakers(false);
            if (table)
                for (int i = 0; i < kWizardOutputEntries; ++i) {
                    WizardOutputEntry& e = table[i];
                    AddSpeaker(e.position, e.kind, false, 0);
                    SetSpeakerSelected(e.position, e.kind, e.present != 0, false, false);
                    e.passive = 0;
                }
            for (PassiveToggle& t : toggles_) t.shown = t.checked = false;
            HideLabelControls();
            ResetLabelSlots();
            Layout();
            break;
        case 11: {
            ClearSpeakers(false);
            for (PassiveToggle& t : toggles_) t.shown = false;
            HideLabelControls();
            ResetLabelSlots();
            if (table)
                for (int i = 0; i < kWizardOutputEntries; ++i) {
                    const WizardOutputEntry& e = table[i];
                    if (e.present && AddSpeaker(e.position, e.kind, false, 0))
                        SetSpeakerSelected(e.position, e.kind, true, false, false);
                }
            for (int p = 0; p < model::kPositionCount; ++p) {
                const int kinds = KindsAt(p);
                if (kinds < 2) continue;
                const bool three = kinds >= 3;
                for (int t : {kPositionToggles[p].twoWay, kPositionToggles[p].threeWay}) {
                    if (t < 0 || (t == kPositionToggles[p].threeWay && !three)) continue;
                    toggles_[t].x = three ? kToggleSpots[t].x3 : kToggleSpots[t].x2;
                    toggles_[t].y = three ? kToggleSpots[t].y3 : kToggleSpots[t].y2;
                    toggles_[t].shown = true;
                }
            }
            Layout();
            break;
        }
        case 12:
            // The toggles go first, as on the amplifier step: the window places its controls
            // as the panel is drawn, and toggles hidden after that would stay over the labels.
            for (PassiveToggle& t : toggles_) t.shown = false;
            ClearSpeakers(false);
            for (CarChannelLabel& l : labels_) l.checkShown = 0;
            if (table) {
                labelCount_ = 0;
                for (int i = 0; i < kWizardOutputEntries; ++i) {
                    const WizardOutputEntry& e = table[i];
                    if (!e.present) continue;
                    if (!e.passive) {
                        if (AddSpeaker(e.position, e.kind, false, 0))
                            SetSpeakerSelected(e.position, e.kind, true, false, false);
                    } else {
                        AddPassiveRepresentative(table, e);
                    }
                }
            }
            BuildLabels();
            for (int i = 0; i < labelCount_; ++i)
                if (labels_[i].channel == -1)
                    AssignDefaultChannel(labels_[i].position, labels_[i].kind);
            Layout();
            break;
        case 13:
            for (PassiveToggle& t : toggles_) t.shown = false;
            for (int i = 0; i < labelCount_; ++i) {
                CarChannelLabel& l = labels_[i];
                l.arrowsShown = 0;
                l.checkShown = 1;
            }
            Layout();
            break;
        default:
            Layout();
            break;
    }
}

void CarChannelLogic::AddPassiveRepresentative(const WizardOutputEntry* table,
                                               const WizardOutputEntry& e) {
    const int p = e.position;
    if (p < 0 || p >= model::kPositionCount) return;
    int members = 0, other = -1;
    for (int j = 0; j < kWizardOutputEntries; ++j) {
        const WizardOutputEntry& m = table[j];
        if (m.passive && m.present && m.position == p && m.kind >= 0) {
            ++members;
            if (m.kind != e.kind) other = m.kind;
        }
    }
    if (members == 3) {
        // A three-way group is mirrored on both front sides.
        if (!HasSpeaker(kFrontLeft, kFull)) AddSpeaker(kFrontLeft, kFull, false, 4);
        if (!HasSpeaker(kFrontRight, kFull)) AddSpeaker(kFrontRight, kFull, false, 8);
        SetSpeakerSelected(p, kFull, true, false, false);
        return;
    }
    if (members != 2) return;
    const int lo = std::min(e.kind, other), hi = std::max(e.kind, other);
    int kind = -1, variant = 0;
    if (lo == kWoofer && hi == kTweeter) {
        kind = kFull;
        variant = p == kCenter ? 9 : GroupVariant(p, 2, 6);
    } else if (lo == kMidrange && hi == kTweeter) {
        kind = kMidrange;
        variant = GroupVariant(p, 3, 7);
    } else if (lo == kWoofer && hi == kMidrange) {
        kind = kWoofer;
        variant = GroupVariant(p, 1, 5);
    }
    if (kind < 0 || variant == 0) return;
    if (!HasSpeaker(p, kind)) AddSpeaker(p, kind, false, variant);
    SetSpeakerSelected(p, kind, true, false, false);
}

void CarChannelLogic::BuildLabels() {
    int n = 0;
    for (int p = 0; p < model::kPositionCount; ++p)
        for (int k = 0; k < model::kKindCount && n < kMaxCarLabels; ++k) {
            if (spots_[p].count[k] <= 0) continue;
            CarChannelLabel& l = labels_[n++];
            // The slot keeps its channel and amplifier flag: a return from the amplifier step
            // rebuilds the same labels in the same order.
            l.position = p;
            l.kind = k;
            l.rightSide = RightSideLabel(p, k) ? 1 : 0;
            l.width = labelSize_.width;
            l.height = labelSize_.height;
            l.arrowsShown = 0;
            l.checkShown = 0;
        }
    labelCount_ = n;
}

int CarChannelLogic::CountOutputChannels() const {
    int total = 0;
    for (int p = 0; p < model::kPositionCount; ++p) {
        int speakers = 0;
        for (int k = 0; k < 12; ++k) speakers += spots_[p].count[k];
        const PositionToggles& t = kPositionToggles[p];
        int group = 0;
        if (t.threeWay >= 0 && toggles_[t.threeWay].checked) group = 3;
        else if (t.twoWay >= 0 && toggles_[t.twoWay].checked) group = 2;
        // A toggle left checked over fewer speakers than its group never needs fewer than none.
        total += group == 0 ? speakers : std::max(0, speakers - group + 1);
    }
    return total;
}

SpeakerTriple CarChannelLogic::GetPartner(int position, int kind) const {
    switch (position) {
        case kFrontLeft: return {kFrontRight, kind, -1};
        case kFrontRight: return {kFrontLeft, kind, -1};
        case kRearLeft: return {kRearRight, kind, -1};
        case kRearRight: return {kRearLeft, kind, -1};
        case kSubSpot:
            if (kind == kSubL) return {kSubSpot, kSubR, -1};
            if (kind == kSubR) return {kSubSpot, kSubL, -1};
            return {};
        case kCenter:
            if (kind == kWoofer) return {kCenter, kTweeter, -1};
            if (kind == kTweeter) return {kCenter, kWoofer, -1};
            if (kind == kMidrange) return {kCenter, kMidrange, -1};
            return {};
        default: return {};
    }
}

int CarChannelLogic::LastLabel(int position, int kind) const {
    int found = -1;
    for (int i = 0; i < labelCount_; ++i)
        if (labels_[i].position == position && labels_[i].kind == kind) found = i;
    return found;
}

bool CarChannelLogic::ChannelFree(int channel) const {
    for (int i = 0; i < labelCount_; ++i)
        if (labels_[i].channel == channel) return false;
    return true;
}

int CarChannelLogic::HighestFreeChannel() const {
    for (int c = kOutputs - 1; c >= 0; --c)
        if (ChannelFree(c)) return c;
    return -1;
}

bool CarChannelLogic::LeftMember(int position, int kind) {
    return position == kFrontLeft || position == kRearLeft ||
           (position == kSubSpot && kind == kSubL) || (position == kCenter && kind == kTweeter);
}

int CarChannelLogic::AssignDefaultChannel(int position, int kind) {
    const SpeakerTriple partner = GetPartner(position, kind);
    const int self = LastLabel(position, kind);
    const int other = partner.position >= 0 ? LastLabel(partner.position, partner.kind) : -1;
    if (self < 0 && other < 0) return labelCount_;
    if (self < 0 || other < 0 || other == self) {
        const int c = HighestFreeChannel();
        if (c >= 0) labels_[self >= 0 ? self : other].channel = c;
        return labelCount_;
    }
    for (int c = 0; c < kOutputs; c += 2) {
        if (!ChannelFree(c) || !ChannelFree(c + 1)) continue;
        const bool selfLeft = LeftMember(position, kind);
        labels_[self].channel = selfLeft ? c : c + 1;
        labels_[other].channel = selfLeft ? c + 1 : c;
        break;
    }
    return labelCount_;
}

int CarChannelLogic::HasChannelConflict() const {
    for (int i = 0; i < labelCount_; ++i)
        for (int j = i + 1; j < labelCount_; ++j)
            if (labels_[i].channel == labels_[j].channel) return 1;
    return 0;
}

void CarChannelLogic::ShowTooManyChannelsWarning(bool show) {
    tooMany_ = show;
    Layout();
}

void CarChannelLogic::ShowConflictWarning(bool show) {
    conflict_ = show;
    Layout();
}

void CarChannelLogic::LayoutLabel(int position, int kind, const PanelRect& icon) {
    int i = 0;
    while (i < labelCount_ && !(labels_[i].position == position && labels_[i].kind == kind)) ++i;
    if (i == labelCount_) return;
    CarChannelLabel& l = labels_[i];
    const CarChannelSpot& s = spots_[position];
    const int top = (icon.top + icon.bottom) / 2 - l.height / 2;
    int left;
    if (!l.rightSide) {
        left = icon.left - l.width - 10;
    } else if (s.stacking == 0) {
        // The kind's own width, also when its passive group's wider icon is drawn.
        left = (icon.left + icon.right) / 2 + 10 + kindSizes_[kind].width / 2;
    } else {
        left = icon.left + 10 + kindSizes_[kind].width;
    }
    l.checkX = l.rightSide ? left : left + 30;
    l.checkY = top + 4;
    layout_.push_back({l.rightSide ? kRightLabel : kLeftLabel, 0,
                       {left, top, left + l.width, top + l.height}, ""});
    const int textLeft = left + (l.rightSide ? 5 : 68);
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(l.channel + 1));
    bool shared = false;
    for (int j = 0; j < labelCount_; ++j)
        if (j != i && labels_[j].channel == l.channel) shared = true;
    CarLayoutItem number{0, 0, {textLeft, top + 2, textLeft + 10, top + l.height}, text};
    number.textColor = shared ? kRedText : kBlackText;
    layout_.push_back(number);
    if (!l.arrowsShown) {
        l.upX = l.downX = l.rightSide ? textLeft + 12 : textLeft - 22;
        l.upY = top + 1;
        l.downY = top + 10;
        l.arrowsShown = 1;
    }
}

void CarChannelLogic::OnWizardClick(int x, int y) {
    // Only the speaker step takes clicks on the icons.
    if (mode_ != 10) return;
    for (int p = 0; p < model::kPositionCount; ++p)
        for (int k = 0; k < model::kKindCount; ++k) {
            CarChannelSpot& s = spots_[p];
            if (s.count[k] <= 0 || !s.hit[k].Contains(x, y)) continue;
            s.selected[k] = s.selected[k] == 1 ? 0 : 1;
            Send(ui::MsgSpeakerPicked, k, p);
            Send(ui::MsgSpeakerPicked, CountSelected(), -1);
            Layout();
            return;
        }
}

void CarChannelLogic::OnToggleClicked(int t, bool nowChecked) {
    if (mode_ != 11 || t < 0 || t >= kPassiveToggles) return;
    const int s = nowChecked ? 1 : 0;
    toggles_[t].checked = nowChecked;
    auto set = [this](int toggle, bool on) { toggles_[toggle].checked = on; };
    PassiveGroupNotice n{};
    auto pair = [&n, s](int position, int k0, int k1) {
        n = PassiveGroupNotice{2, {position, position, 0}, {k0, k1, 0}, {s, s, 0}};
    };
    auto trio = [&n, s](int position) {
        n = PassiveGroupNotice{3, {position, position, position}, {kWoofer, kMidrange, kTweeter},
                               {s, s, s}};
    };
    auto presentPair = [this](int position, int& k0, int& k1) {
        k0 = k1 = -1;
        for (int k = 0; k < model::kKindCount; ++k)
            if (spots_[position].count[k] > 0) (k0 < 0 ? k0 : k1) = k;
    };
    switch (t) {
        case 0:
        case 3: {
            const int self = t == 0 ? kFrontLeft : kFrontRight;
            const int mirror = t == 0 ? kFrontRight : kFrontLeft;
            const int selfThree = t == 0 ? 1 : 4, mirrorThree = t == 0 ? 4 : 1;
            const int mirrorTwo = t == 0 ? 3 : 0;
            const int kinds = KindsAt(self);
            if (kinds == 2) {
                int k0, k1;
                presentPair(self, k0, k1);
                pair(self, k0, k1);
                SendNotice(n);
                set(mirrorTwo, s);
                n.position[0] = n.position[1] = mirror;
                SendNotice(n);
            } else if (kinds == 3) {
                pair(self, kMidrange, kTweeter);
                set(selfThree, false);
                SendNotice(n);
                set(mirrorThree, false);
                set(mirrorTwo, s);
                n.position[0] = n.position[1] = mirror;
                SendNotice(n);
            }
            break;
        }
        case 1:
        case 4: {
            const int self = t == 1 ? kFrontLeft : kFrontRight;
            const int mirror = t == 1 ? kFrontRight : kFrontLeft;
            if (KindsAt(self) != 3) break;
            trio(self);
            set(t == 1 ? 0 : 3, false);
            SendNotice(n);
            set(t == 1 ? 3 : 0, false);
            set(t == 1 ? 4 : 1, s);
            n.position[0] = n.position[1] = n.position[2] = mirror;
            SendNotice(n);
            break;
        }
        case 2:
            if (KindsAt(kCenter) != 2) break;
            pair(kCenter, kWoofer, kTweeter);
            SendNotice(n);
            break;
        case 5:
        case 6: {
            const int self = t == 5 ? kRearRight : kRearLeft;
            const int mirror = t == 5 ? kRearLeft : kRearRight;
            if (KindsAt(self) != 2) break;
            pair(self, kWoofer, kTweeter);
            SendNotice(n);
            set(t == 5 ? 6 : 5, s);
            n.position[0] = n.position[1] = mirror;
            SendNotice(n);
            break;
        }
        default: break;
    }
    const int needed = CountOutputChannels();
    Send(ui::MsgCarViewEdit, needed, -2);
    if (needed < kTooManyOutputs && tooMany_) ShowTooManyChannelsWarning(false);
    else if (needed >= kTooManyOutputs && !tooMany_) ShowTooManyChannelsWarning(true);
}

void CarChannelLogic::OnChannelButton(int i, bool up) {
    if (mode_ != 12 || i < 0 || i >= labelCount_) return;
    CarChannelLabel& self = labels_[i];
    const SpeakerTriple partner = GetPartner(self.position, self.kind);
    int j = -1;
    for (int n = 0; n < labelCount_ && partner.position >= 0; ++n)
        if (n != i && labels_[n].position == partner.position && labels_[n].kind == partner.kind) {
            j = n;
            break;
        }
    if (j < 0) {
        const int c = self.channel + (up ? 1 : -1);
        if (c >= 0 && c < kOutputs) self.channel = c;
    } else {
        const int m = std::min(self.channel, labels_[j].channel);
        const int c = m + (up ? 2 : -2);
        if (c >= 0 && c + 1 < kOutputs) {
            const bool selfLeft = LeftMember(self.position, self.kind);
            self.channel = selfLeft ? c : c + 1;
            labels_[j].channel = selfLeft ? c + 1 : c;
        }
    }
    Layout();
    const int conflict = HasChannelConflict();
    Send(ui::MsgCarViewNextState, conflict, 0);
    ShowConflictWarning(conflict != 0);
}

void CarChannelLogic::OnAmplifierClicked(int i, bool nowChecked) {
    if (mode_ != 13 || i < 0 || i >= labelCount_) return;
    CarChannelLabel& self = labels_[i];
    self.amplifier = nowChecked ? 1 : 0;
    const SpeakerTriple partner = GetPartner(self.position, self.kind);
    if (partner.position < 0) return;
    for (int n = 0; n < labelCount_; ++n)
        if (labels_[n].position == partner.position && labels_[n].kind == partner.kind)
            labels_[n].amplifier = self.amplifier;
}

void CarChannelLogic::SetLabelOutput(int i, int channel, int amplifier) {
    if (i < 0 || i >= labelCount_) return;
    labels_[i].channel = channel;
    labels_[i].amplifier = amplifier;
}

}  // namespace pages
