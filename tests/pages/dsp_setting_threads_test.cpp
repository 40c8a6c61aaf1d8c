// Every edit of the tuning page while the poll thread's send cycle runs on another thread: under
// ThreadSanitizer this shows that each record word is written under the lock its message is built
// under.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "link/bytes.h"
#include "model/tuning_messages.h"
#include "model/tuning_receive.h"
#include "page_doubles.h"

namespace {

using pages::XoField;
using pagetest::Page;

void EveryEdit(Page& p, int round) {
    pages::EqSettingsLogic& eq = p.logic->Eq();
    pages::FilterSettingsLogic& xo = p.logic->Filter();
    const float change = round % 2 ? 1.0f : -1.0f;
    p.Send(eq.OnSliderMoved(5, eq.Value(5) + change, change));
    p.Send(eq.OnBandSwitchClicked(6, round % 2 == 0));
    p.Send(eq.OnSelectAllClicked(round % 3 == 0));
    p.Send(eq.OnFlat());
    p.Send(eq.OnOffClicked(round % 2 == 0));
    p.Send(eq.OnLinkClicked(false));
    p.Send(eq.OnLinkClicked(true));
    if (xo.OpenFieldPopup(XoField::LpFreq).open)
        p.Send(xo.OnMenuCommand(round % 2 ? 40057u : 40052u));
    p.Send(xo.OnPhaseClicked(round % 2 == 0));
    p.Send(xo.OnXoverLinkClicked(false));
    p.Send(xo.OnXoverLinkClicked(true));
    p.Send(xo.OnDistanceButton(round % 2 == 0));
    p.Send(xo.OnTrimButton(round % 2 == 0, 0));
}

TEST(DspSettingThreads, EditsWhileTheSendCycleRuns) {
    for (int mode : {1, 0}) {
        Page p;
        p.logic->StoreWorkingMode(mode);
        p.Remember(os::Question::XoLink, 1);
        p.Remember(os::Question::EqLink, 1);
        p.Remember(os::Question::MinFDS, 1);
        p.ClickRow(0);

        // The poll thread's side: its own writer, so that nothing but the model is shared.
        msgtest::RecordingLink pollLink;
        std::atomic<bool> stop{false};
        std::atomic<int> cycles{0};
        std::thread poll([&] {
            while (!stop) {
                p.M().SendPendingChanges(pollLink.sender, nullptr);
                ++cycles;
                pollLink.Clear();
            }
        });
        // At least a few cycles overlap the edits, however the threads are scheduled.
        for (int round = 0; round < 40 || cycles.load() < 3; ++round) {
            p.ClickRow(round % 3);
            EveryEdit(p, round);
        }
        stop = true;
        poll.join();
        EXPECT_GT(cycles.load(), 0);
        // What is still dirty goes out in one more cycle, and then nothing is left.
        p.Cycle();
        EXPECT_EQ(p.Cycle(), "");
    }
}

// A read-back's equaliser frames, the live curves the unit streams and the working mode's rules
// change the tuning on the user interface thread while the poll thread sends the whole tuning
// again and again: every word they write is written under the lock it is sent under.
TEST(DspSettingThreads, ReceivedFramesAndModeRulesWhileTheSendCycleRuns) {
    model::TuningModel m;
    msgtest::RecordingLink pollLink;
    std::atomic<bool> stop{false};
    std::atomic<int> cycles{0};
    std::thread poll([&] {
        while (!stop) {
            m.MarkAllDirty();
            m.SendPending(pollLink.sender);
            ++cycles;
            pollLink.Clear();
        }
    });
    for (int round = 0; round < 60 || cycles.load() < 3; ++round) {
        const int channel = round % model::kChannelCount;
        // An 's' frame as the unit sends it: to the PC, from the DSP unit.
        model::DspChannelRecord r{};
        for (float& g : r.EQGain) g = round % 2 ? 6.0f : -3.0f;
        r.EQOff = round % 2;
        r.EQLink = (round / 2) % 2;
        r.btmskSel[round % model::kBandCount] = 1;
        devlink::Frame eq = model::BuildEqMessage(channel, r, 0);
        eq[0] = devlink::kNodePc;
        eq[1] = devlink::kNodeDsp;
        devlink::SealFrame(eq);
        EXPECT_EQ(model::ReceiveTuningFrame(m, eq.data(), eq.size()), 1);

        // A live curve of the same output: 131 bytes of command 0x74, the output, 31 factors.
        devlink::Frame curve(devlink::kLiveEqCurveLength, 0);
        curve[0] = devlink::kNodePc;
        curve[1] = devlink::kNodeDsp;
        curve[3] = static_cast<uint8_t>(devlink::kLiveEqCurveLength);
        curve[4] = 0x74;
        curve[5] = static_cast<uint8_t>(channel);
        for (int k = 0; k < model::kBandCount; ++k) devlink::PutF32LE(&curve[6 + 4 * k], round % 2 ? 2.0f : 0.5f);
        devlink::SealFrame(curve);
        EXPECT_EQ(model::ReceiveTuningFrame(m, curve.data(), curve.size()), 1);

        // And the working mode switched: Standard mode's rules copy the links, the crossover
        // and the equaliser of each position's first way to the others.
        if (round % 10 == 0) m.SetConfigMode(round % 20 == 0 ? 1 : 0);
    }
    stop = true;
    poll.join();
    EXPECT_GT(cycles.load(), 0);
}

}  // namespace
