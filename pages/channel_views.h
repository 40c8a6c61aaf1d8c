// The tuning page's two views of its speakers: the channel map (one row per output) and the car
// view (one spot per position, one icon per kind). The page's logic keeps them in step through
// these interfaces (the channel map's and the car view's logic implement them).
#pragma once

#include <cstdint>
#include <string>

#include "model/records.h"

namespace pages {

// A selected speaker as the views list it: position, kind and, from the channel map, its row
// (-1 from the car view).
struct SpeakerTriple {
    int32_t position = -1;
    int32_t kind = -1;
    int32_t row = -1;
};
constexpr int kMaxTriples = 8;

class ChannelMapView {
public:
    virtual ~ChannelMapView() = default;
    virtual void SetRow(int row, int position, int kind, bool redraw, int variant,
                        uint32_t amplifier) = 0;
    virtual void ResetRows(bool redraw) = 0;
    virtual void LoadFromChannels(const model::DspChannelRecord* records) = 0;
    virtual void SelectByAssignment(int position, int kind, bool state, bool clearFirst,
                                    bool redraw) = 0;
    virtual void SetCurrentRow(int row) = 0;
    virtual int GetCurrentRow() const = 0;
    virtual int FirstSelected() const = 0;
    virtual int CountSelected() const = 0;
    virtual int ListSelected(SpeakerTriple* out, int max) const = 0;
    // (position, kind), (-1, -1) out of range.
    virtual void GetRowAssignment(int row, int* position, int* kind) const = 0;
    // "Front Left Mid-Hi" for a midrange-plus-tweeter pair on the left, else the row's name.
    virtual std::string GetRowLabel(int row) const = 0;
    virtual bool HasWooferAt(int position) const = 0;
    virtual void SetChannelOn(int output, bool on, bool redraw) = 0;
    // The eight mute flags: copies min(n, 8) after zeroing n; returns how many.
    virtual int GetMuteFlags(uint32_t* out, int n) const = 0;
    virtual void SetMuteFlags(const uint32_t* flags) = 0;
};

class CarView {
public:
    virtual ~CarView() = default;
    virtual void ClearSpeakers(bool redraw) = 0;
    virtual bool AddSpeaker(int position, int kind, bool redraw, int variant) = 0;
    virtual void LoadFromChannels(const model::DspChannelRecord* records) = 0;
    // Clearing happens even when the position or kind is out of range.
    virtual bool SetSpeakerSelected(int position, int kind, bool state, bool clearOthers,
                                    bool redraw) = 0;
    virtual int CountSelected() const = 0;
    // Positions ascending, within a position kinds ascending; rows -1.
    virtual int ListSelected(SpeakerTriple* out, int max) const = 0;
    virtual void SelectListeningPoint(int point) = 0;
    // The passive-crossover variant drawn for a speaker, 0 when none or out of range.
    virtual int PassiveVariant(int /*position*/, int /*kind*/) const { return 0; }
};

// A row's name: "<position> <kind>", or the kind alone at the subwoofer spot; "Not Connected"
// for a row without a speaker.
std::string SpeakerRowName(int position, int kind);

}  // namespace pages
