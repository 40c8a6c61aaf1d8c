// The shape every pending-send cycle shares. A cycle keeps dirty flags set by the user interface
// thread; the poll thread calls SendPending, which, for each group, clears the flags and copies the
// values under the group's lock, releases it, and only then sends (FrameSender::SendLocked).
#pragma once

#include "link/frame.h"

namespace devlink {

class PendingSender {
public:
    virtual ~PendingSender() = default;
    // Sends what changed since the last call; returns the number of frames sent.
    virtual int SendPending(const FrameSender& sender) = 0;
};

// A member of the full write: everything it holds is marked to go out with its next SendPending.
class WriteMember : public PendingSender {
public:
    virtual void MarkAllDirty() = 0;
};

}  // namespace devlink
