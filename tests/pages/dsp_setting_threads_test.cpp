// Every edit of the tuning page while the poll thread's send cycle runs on another thread: under
// ThreadSanitizer this shows that each record word is written under the lock its message is built
// under.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

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

}  // namespace
