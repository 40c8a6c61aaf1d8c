// The tuning page's edits: what the equaliser and crossover panels' notifications do to the
// model. Every record word is written under the one lock of its group, the lock the poll thread's
// sender reads it under: the filter words under the crossover lock; distance, delay and trim under
// the delay lock; the gains under the equaliser-gains lock; EQOff, EQLink and the band switches
// each under its own. Two locks are always taken in the model's group order, and no model
// operation (which locks for itself) runs while one is held.
#include <array>
#include <mutex>

#include "pages/dsp_setting_logic.h"

namespace pages {
namespace {

using model::CrossoverParams;
using model::DspChannelRecord;
using model::kBandCount;
using model::kChannelCount;

using Guard = std::lock_guard<std::mutex>;

bool ValidBand(int band) { return band == -1 || band == -2 || (band >= 0 && band < kBandCount); }

}  // namespace

void DSPSettingLogic::TakeEqualiser(int output, const float* gains, const bool* bands,
                                    uint32_t link, uint32_t off) {
    model::TuningModel& m = *model_;
    DspChannelRecord& r = Rec(output);
    if (gains) {
        Guard gainsLock(m.Lock(model::kLockEqGains));
        for (int k = 0; k < kBandCount; ++k)
            if (!bands || bands[k]) r.EQGain[k] = gains[k];
    }
    {
        Guard offLock(m.Lock(model::kLockEqOff));
        r.EQOff = off;
    }
    {
        Guard linkLock(m.Lock(model::kLockEqLink));
        r.EQLink = link;
    }
}

void DSPSettingLogic::SetEqFlag(int output, model::LockGroup group, uint32_t value, int dirtyFlag) {
    model::TuningModel& m = *model_;
    DspChannelRecord& r = Rec(output);
    Guard own(m.Lock(group));
    if (group == model::kLockEqOff) r.EQOff = value;
    if (group == model::kLockEqLink) r.EQLink = value;
    m.SetDirty(m.CurrentPreset(), output, dirtyFlag);
}

void DSPSettingLogic::CopyBlock(int output, const CrossoverParams& from, int whole) {
    model::TuningModel& m = *model_;
    // A copy of the source first: it may be another record written under the same locks.
    const CrossoverParams source = from;
    Guard crossover(m.Lock(model::kLockCrossover));
    if (whole) {
        Guard delay(m.Lock(model::kLockDelay));
        model::CopyCrossoverParams(&Rec(output).crossover, &source, 1);
    } else {
        model::CopyCrossoverParams(&Rec(output).crossover, &source, 0);
    }
}

void DSPSettingLogic::SetXoLink(int output, uint32_t on) {
    Guard crossover(model_->Lock(model::kLockCrossover));
    Rec(output).crossover.bXoLink = on;
}

// ---- Equaliser --------------------------------------------------------------------------------

void DSPSettingLogic::OnEqBandChanged(int band) {
    const int c = EditedChannel();
    if (c < 0 || !ValidBand(band)) return;
    model::TuningModel& m = *model_;
    ChartView* chart = views_.chart;
    const bool chartThere = chart && chart->HasChart();
    if (chartThere) chart->SetHoldRedraw(true);

    // The edited channel takes only the bands the panel moved: the panel holds no more than
    // +-12 dB, and a band beyond that (from a file or the device) stays until it is moved.
    float panel[kBandCount];
    uint32_t link = Rec(c).EQLink, off = Rec(c).EQOff;
    eq_.GetGains(panel, kBandCount, &link, &off);
    bool moved[kBandCount];
    for (int k = 0; k < kBandCount; ++k)
        moved[k] = band == -1 || (band == -2 ? eq_.BandSwitch(k) : k == band);
    TakeEqualiser(c, panel, moved, link, off);
    m.SetEqBandGain(c, band);

    // The others take the edited channel's gains; every band that differed there is designed
    // again with the moved ones, so that no band keeps sections of an old gain.
    std::array<float, kBandCount> gains;
    for (int k = 0; k < kBandCount; ++k) gains[k] = Rec(c).EQGain[k];
    auto follow = [&](int d) {
        if (d < 0 || d == c) return;
        bool differs[kBandCount];
        for (int k = 0; k < kBandCount; ++k) differs[k] = !(Rec(d).EQGain[k] == gains[k]);
        TakeEqualiser(d, gains.data(), nullptr, link, off);
        if (band < 0) {
            m.SetEqBandGain(d, band);
            return;
        }
        for (int k = 0; k < kBandCount; ++k)
            if (k == band || differs[k]) m.SetEqBandGain(d, k);
    };
    const bool linked = Rec(c).EQLink != 0;
    if (linked) follow(m.GetMirrorChannel(c));
    if (m.WorkingMode() == 1) {
        const int position = Rec(c).position;
        for (int d = 0; d < kChannelCount; ++d) {
            if (d == c || !Assigned(d) || Rec(d).position != position) continue;
            follow(d);
            ShowChannelEq(d, Rec(d).position, Rec(d).kind, OneRowSelected());
            if (linked) follow(m.GetMirrorChannel(d));
        }
    }
    if (Assigned(c)) ShowChannelEq(c, Rec(c).position, Rec(c).kind, OneRowSelected());
    if (ManyRowsSelected()) DrawMultiView(true);
    m.SetChanged(1);
    if (chartThere) chart->SetHoldRedraw(false);
}

void DSPSettingLogic::OnEqLinkChanged(int) {
    if (!AskEraseEqualisation()) {
        if (eq_.IsEqLink()) eq_.SetEqLink(false);
        return;
    }
    const int c = EditedChannel();
    if (c < 0) return;
    model::TuningModel& m = *model_;
    const uint32_t link = eq_.IsEqLink() ? 1u : 0u;
    SetEqFlag(c, model::kLockEqLink, link, model::kDirtyEqLink);

    // The partner and the other ways take the edited channel's equaliser; the panel's sliders
    // cannot hold every gain a record may have.
    float panel[kBandCount];
    uint32_t off = Rec(c).EQOff;
    eq_.GetGains(panel, kBandCount, nullptr, &off);
    std::array<float, kBandCount> gains;
    for (int k = 0; k < kBandCount; ++k) gains[k] = Rec(c).EQGain[k];
    auto follow = [&](int d) {
        if (d < 0 || d == c) return;
        TakeEqualiser(d, gains.data(), nullptr, link, off);
        m.SetEqBandGain(d, -1);
    };
    follow(m.GetMirrorChannel(c));
    if (m.WorkingMode() == 1) {
        const int position = Rec(c).position;
        for (int d = 0; d < kChannelCount; ++d) {
            if (d == c || !Assigned(d) || Rec(d).position != position) continue;
            follow(d);
            ShowChannelEq(d, Rec(d).position, Rec(d).kind, OneRowSelected());
            follow(m.GetMirrorChannel(d));
        }
    }
    if (Assigned(c)) ShowChannelEq(c, Rec(c).position, Rec(c).kind, OneRowSelected());
    if (ManyRowsSelected()) DrawMultiView(true);
    m.SetChanged(1);
}

void DSPSettingLogic::OnEqBandSwitch(int band, int state) {
    const int c = EditedChannel();
    if (c < 0) return;
    model::TuningModel& m = *model_;
    DspChannelRecord& r = Rec(c);
    const uint32_t on = state != 0 ? 1u : 0u;
    Guard maskLock(m.Lock(model::kLockBandMask));
    if (band >= 0 && band < kBandCount) {
        r.btmskSel[band] = on;
    } else {
        for (uint32_t& s : r.btmskSel) s = on;
    }
    m.SetDirty(m.CurrentPreset(), c, model::kDirtyBandMask);
}

void DSPSettingLogic::OnEqOffChanged(int off) {
    const int c = EditedChannel();
    if (c < 0) return;
    model::TuningModel& m = *model_;
    const uint32_t value = off != 0 ? 1u : 0u;
    bool touched[kChannelCount] = {};
    auto set = [&](int d) {
        SetEqFlag(d, model::kLockEqOff, value, model::kDirtyEqOff);
        touched[d] = true;
    };
    set(c);
    const bool linked = Rec(c).EQLink != 0;
    const int partner = m.GetMirrorChannel(c);
    if (m.WorkingMode() != 1) {
        if (linked && partner >= 0) set(partner);
    } else {
        const int position = Rec(c).position;
        const int partnerPosition = linked && partner >= 0 ? Rec(partner).position : -1;
        for (int d = 0; d < kChannelCount; ++d) {
            if (d == c || !Assigned(d)) continue;
            if (Rec(d).position == position || Rec(d).position == partnerPosition) set(d);
        }
    }
    // What these channels play changed: their totals, and the sum, take the equaliser as flat
    // while it is off (its own curve stays as it is set).
    ChartView* chart = views_.chart;
    const bool chartThere = chart && chart->HasChart();
    if (chartThere) chart->SetHoldRedraw(true);
    // The edited channel last: showing a channel's curves hides the others'.
    for (int d = 0; d < kChannelCount; ++d)
        if (d != c && touched[d] && Assigned(d)) ShowChannelEq(d, Rec(d).position, Rec(d).kind, false);
    if (Assigned(c)) ShowChannelEq(c, Rec(c).position, Rec(c).kind, false);
    if (ManyRowsSelected()) DrawMultiView(false);
    if (chartThere) chart->SetHoldRedraw(false);
    m.SetChanged(1);
}

// ---- Crossover, distance and trim ---------------------------------------------------------------

void DSPSettingLogic::OnCrossoverChanged(int distance, int link) {
    const int c = EditedChannel();
    if (c < 0 || !Rec(c).inUse) return;
    model::TuningModel& m = *model_;
    const bool standard = m.WorkingMode() == 1;
    const bool one = OneRowSelected();

    std::array<uint32_t, kChannelCount> linksBefore;
    for (int o = 0; o < kChannelCount; ++o) linksBefore[o] = Rec(o).crossover.bXoLink;
    std::array<bool, kChannelCount> designed{};
    auto design = [&](int o) {
        if (o < 0 || o >= kChannelCount) return;
        m.UpdateCrossoverCoefficients(o);
        designed[o] = true;
    };

    CrossoverParams panel;
    filter_.GetCrossover(&panel);
    int l = -1;
    if (standard)
        l = m.ApplyLinkedCrossovers(c, panel, 1);
    else
        CopyBlock(c, panel, 1);

    if (link == 1) {
        if (!AskEraseCrossover()) {
            if (filter_.IsXoverLinked()) filter_.SetXoverLinked(false);
            CopyBlock(c, filter_.Block(), 1);
        } else if (!standard) {
            const int mirror = m.FindMirrorChannel(c);
            if (mirror >= 0) {
                CopyBlock(mirror, filter_.Block(), 0);
                design(mirror);
                ShowChannelCrossover(mirror, Rec(mirror).position, Rec(mirror).kind, one);
                if (ManyRowsSelected()) DrawMultiView(true);
            }
        } else {
            const uint32_t on = filter_.Block().bXoLink;
            const int position = Rec(c).position;
            const int mirror = m.FindMirrorChannel(c);
            const int mirrorPosition = mirror >= 0 ? Rec(mirror).position : -1;
            for (int o = 0; o < kChannelCount; ++o)
                if (Assigned(o) && (Rec(o).position == position || Rec(o).position == mirrorPosition))
                    SetXoLink(o, on);
            if (Rec(c).crossover.bXoLink) {
                for (int d = 0; d < kChannelCount; ++d) {
                    if (!Assigned(d) || Rec(d).position != position) continue;
                    const int md = m.FindMirrorChannel(d);
                    if (md < 0) continue;
                    CopyBlock(md, Rec(d).crossover, 0);
                    if (md == c) filter_.SetCrossover(Rec(c).crossover);
                    design(md);
                    ShowChannelCrossover(md, Rec(md).position, Rec(md).kind, false);
                    if (md == c) UpdateChartCurve(Rec(c).position, Rec(c).kind, true);
                }
            }
        }
        // The link flag travels in the crossover message: every output whose flag the toggle
        // changed is designed and marked, or the device keeps (and a read-back restores) the
        // old link.
        for (int o = 0; o < kChannelCount; ++o)
            if (!designed[o] && Assigned(o) && Rec(o).crossover.bXoLink != linksBefore[o]) design(o);
    } else if (distance == 1) {
        if (m.ComputeDelaysFromDistances(m.CurrentPreset(), c))
            filter_.SetCrossover(Rec(c).crossover);
        UpdateChannelMapStates();
    } else {
        design(c);
        design(l);
        eq_.MarkCrossoverBands(Rec(c).crossover);
        const int mirror = m.FindMirrorChannel(c);
        if (Rec(c).crossover.bXoLink && mirror >= 0) {
            int mirrorLinked = -1;
            if (standard)
                mirrorLinked = m.ApplyLinkedCrossovers(mirror, filter_.Block(), 0);
            else
                CopyBlock(mirror, filter_.Block(), 0);
            design(mirror);
            design(mirrorLinked);
        }
        if (l >= 0 && Assigned(l) && views_.channelMap) {
            SpeakerTriple selected[kMaxTriples];
            const int n = views_.channelMap->ListSelected(selected, kMaxTriples);
            for (int i = 0; i < n; ++i)
                if (selected[i].row == l) ShowChannelCrossover(l, Rec(l).position, Rec(l).kind, one);
        }
        ShowChannelCrossover(c, Rec(c).position, Rec(c).kind, one);
        if (ManyRowsSelected()) DrawMultiView(true);
    }
    m.SetChanged(1);
}

void DSPSettingLogic::OnDelayTrimChanged(intptr_t button) {
    const int c = EditedChannel();
    if (c < 0 || !Rec(c).inUse) return;
    model::TuningModel& m = *model_;
    CopyBlock(c, filter_.Block(), 1);
    if (m.ComputeDelaysFromDistances(m.CurrentPreset(), c)) {
        // The trim hit its limit: the panel shows the limited value.
        filter_.SetCrossover(Rec(c).crossover);
        WarnDelayLimit(Rec(c).crossover.delay == 0, button);
    }
    UpdateChannelMapStates();
    m.SetChanged(1);
}

}  // namespace pages
