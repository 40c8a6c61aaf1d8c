// The poll thread's two walks over the pending-send cycles: the idle cycle's and the write's. The
// idle cycle sends the tuning, the external sources, the output levels, the pending preset and the
// dynamic-equalisation switch; the write marks everything of the tuning, the sources, the levels
// and the dynamic-equalisation dialog and then sends them, the dialog before the levels. Nothing
// else joins either walk: a pending preset or switch goes out in the idle cycle only.
#pragma once

#include <vector>

#include "link/pending_sender.h"

namespace app {

// The cycles the application owns; one that does not exist (a page that could not be made) is null.
struct SenderMembers {
    devlink::WriteMember* tuning = nullptr;
    devlink::WriteMember* sources = nullptr;
    devlink::WriteMember* levels = nullptr;
    devlink::WriteMember* dynamicEq = nullptr;  // the dynamic-equalisation dialog's curves
    devlink::PendingSender* preset = nullptr;   // the preset to select
    devlink::PendingSender* dynamicEqSwitch = nullptr;
};

class SenderLists {
public:
    SenderLists() = default;
    explicit SenderLists(const SenderMembers& members);

    // The idle cycle: every member in its order. Returns the members' sums.
    int SendIdle(const devlink::FrameSender& sender) const;
    // The write: everything of its members marked, then sent.
    void MarkWrite() const;
    int SendWrite(const devlink::FrameSender& sender) const;

private:
    std::vector<devlink::PendingSender*> idle_;
    std::vector<devlink::WriteMember*> writeMarks_;
    std::vector<devlink::WriteMember*> writeSends_;
};

}  // namespace app
