#include "pages/channel_views.h"

#include <algorithm>

namespace pages {
namespace {

constexpr const char* kPositionNames[model::kPositionCount] = {
    "Front Left", "Center", "Front Right", "Rear Right", " ", "Rear Left"};
constexpr const char* kKindNames[model::kKindCount] = {
    "Full", "Woofer", "Midrange", "Tweeter", "Subwoofer R", "Subwoofer", "Subwoofer L"};

// The left and right midrange-plus-tweeter variants of a passive crossover.
constexpr int kLeftMidHi = 3;
constexpr int kRightMidHi = 7;

}  // namespace

std::string SpeakerRowName(int position, int kind) {
    if (position < 0 || position >= model::kPositionCount || kind < 0 || kind >= model::kKindCount)
        return "Not Connected";
    const std::string place = kPositionNames[position];
    // The subwoofer spot has no name of its own: its rows read "Subwoofer", "Subwoofer L" ...
    if (place.size() < 2) return kKindNames[kind];
    return place + " " + kKindNames[kind];
}

ChannelMapStandIn::ChannelMapStandIn() = default;

void ChannelMapStandIn::SetRow(int row, int position, int kind, bool, int variant,
                               uint32_t amplifier) {
    if (row < 0 || row >= model::kChannelCount) return;
    mute_[row] = 0;
    Row& r = rows_[row];
    if (position >= 0 && kind >= 0) {
        r.position = position;
        r.kind = kind;
        r.name = SpeakerRowName(position, kind);
        r.variant = variant;
        r.amplifier = amplifier;
    } else {
        r.position = r.kind = -1;
        r.variant = 0;
        r.amplifier = 0;
        r.name = "Not Connected";
    }
}

void ChannelMapStandIn::ResetRows(bool) {
    for (Row& r : rows_) {
        const bool current = r.current;
        r = Row{};
        r.current = current;  // the current marks stay as they are
    }
}

void ChannelMapStandIn::LoadFromChannels(const model::DspChannelRecord* records) {
    ResetRows(false);
    if (!records) return;
    for (int o = 0; o < model::kChannelCount; ++o) {
        const model::DspChannelRecord& r = records[o];
        if (r.output < 0 || r.output >= model::kChannelCount) continue;
        SetRow(r.output, r.position, r.kind, false, r.passiveVariant, r.amplifier);
    }
}

void ChannelMapStandIn::SelectByAssignment(int position, int kind, bool state, bool clearFirst,
                                           bool) {
    if (clearFirst)
        for (Row& r : rows_) r.selected = false;
    for (Row& r : rows_)
        if (r.position == position && r.kind == kind && position >= 0) r.selected = state;
}

void ChannelMapStandIn::SetCurrentRow(int row) {
    if (row < 0 || row >= model::kChannelCount) return;
    for (Row& r : rows_) r.current = false;
    if (rows_[row].selected) {
        rows_[row].current = true;
        return;
    }
    const int first = FirstSelected();
    if (first >= 0) rows_[first].current = true;
}

int ChannelMapStandIn::GetCurrentRow() const {
    for (int i = 0; i < model::kChannelCount; ++i)
        if (rows_[i].selected && rows_[i].current) return i;
    return -1;
}

int ChannelMapStandIn::FirstSelected() const {
    for (int i = 0; i < model::kChannelCount; ++i)
        if (rows_[i].selected) return i;
    return -1;
}

int ChannelMapStandIn::CountSelected() const {
    return static_cast<int>(
        std::count_if(rows_.begin(), rows_.end(), [](const Row& r) { return r.selected; }));
}

int ChannelMapStandIn::ListSelected(SpeakerTriple* out, int max) const {
    if (!out || max <= 0) return 0;
    std::fill(out, out + max, SpeakerTriple{});
    int n = 0;
    for (int i = 0; i < model::kChannelCount && n < max; ++i)
        if (rows_[i].selected) out[n++] = {rows_[i].position, rows_[i].kind, i};
    return n;
}

void ChannelMapStandIn::GetRowAssignment(int row, int* position, int* kind) const {
    const bool valid = row >= 0 && row < model::kChannelCount;
    if (position) *position = valid ? rows_[row].position : -1;
    if (kind) *kind = valid ? rows_[row].kind : -1;
}

std::string ChannelMapStandIn::GetRowLabel(int row) const {
    if (row < 0 || row >= model::kChannelCount) return "";
    const Row& r = rows_[row];
    if ((r.position == model::kFrontLeft || r.position == model::kFrontRight) &&
        (r.variant == kLeftMidHi || r.variant == kRightMidHi))
        return r.position == model::kFrontLeft ? "Front Left Mid-Hi" : "Front Right Mid-Hi";
    return r.name;
}

bool ChannelMapStandIn::HasWooferAt(int position) const {
    return std::any_of(rows_.begin(), rows_.end(), [&](const Row& r) {
        return r.position == position && r.kind == model::kWoofer;
    });
}

void ChannelMapStandIn::SetChannelOn(int output, bool on, bool) {
    if (output >= 0 && output < model::kChannelCount) rows_[output].on = on;
}

void ChannelMapStandIn::SelectRows(std::initializer_list<int> rows, int current) {
    for (Row& r : rows_) r.selected = r.current = false;
    for (int row : rows)
        if (row >= 0 && row < model::kChannelCount) rows_[row].selected = true;
    if (current >= 0 && current < model::kChannelCount && rows_[current].selected)
        rows_[current].current = true;
}

void CarViewStandIn::ClearSpeakers(bool) {
    for (auto& p : count_) std::fill(std::begin(p), std::end(p), 0);
    for (auto& p : selected_) std::fill(std::begin(p), std::end(p), false);
}

bool CarViewStandIn::AddSpeaker(int position, int kind, bool, int) {
    if (!InRange(position, kind)) return false;
    ++count_[position][kind];
    return true;
}

void CarViewStandIn::LoadFromChannels(const model::DspChannelRecord* records) {
    ClearSpeakers(false);
    if (!records) return;
    for (int o = 0; o < model::kChannelCount; ++o)
        AddSpeaker(records[o].position, records[o].kind, false, records[o].passiveVariant);
}

bool CarViewStandIn::SetSpeakerSelected(int position, int kind, bool state, bool clearOthers,
                                        bool) {
    if (clearOthers)
        for (auto& p : selected_) std::fill(std::begin(p), std::end(p), false);
    if (!InRange(position, kind)) return false;
    selected_[position][kind] = state;
    return true;
}

int CarViewStandIn::CountSelected() const {
    int n = 0;
    for (const auto& p : selected_) n += static_cast<int>(std::count(std::begin(p), std::end(p), true));
    return n;
}

int CarViewStandIn::ListSelected(SpeakerTriple* out, int max) const {
    if (!out || max <= 0) return 0;
    std::fill(out, out + max, SpeakerTriple{});
    int n = 0;
    for (int p = 0; p < model::kPositionCount; ++p)
        for (int k = 0; k < model::kKindCount && n < max; ++k)
            if (selected_[p][k]) out[n++] = {p, k, -1};
    return n;
}

bool CarViewStandIn::IsSpeakerSelected(int position, int kind) const {
    return InRange(position, kind) && selected_[position][kind];
}

int CarViewStandIn::SpeakerCount(int position, int kind) const {
    return InRange(position, kind) ? count_[position][kind] : 0;
}

int ChannelMapStandIn::GetMuteFlags(uint32_t* out, int n) const {
    if (!out || n <= 0) return 0;
    std::fill(out, out + n, 0u);
    const int m = std::min(n, model::kChannelCount);
    std::copy(mute_.begin(), mute_.begin() + m, out);
    return m;
}

void ChannelMapStandIn::SetMuteFlags(const uint32_t* flags) {
    if (flags) std::copy(flags, flags + model::kChannelCount, mute_.begin());
}

}  // namespace pages
