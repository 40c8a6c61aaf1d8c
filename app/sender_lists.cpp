#include "app/sender_lists.h"

namespace app {
namespace {

template <class T>
void AddPresent(std::vector<T*>& list, std::initializer_list<T*> members) {
    for (T* m : members)
        if (m) list.push_back(m);
}

}  // namespace

SenderLists::SenderLists(const SenderMembers& m) {
    AddPresent<devlink::PendingSender>(idle_, {m.tuning, m.sources, m.levels, m.preset, m.dynamicEqSwitch});
    AddPresent<devlink::WriteMember>(writeMarks_, {m.tuning, m.sources, m.levels, m.dynamicEq});
    AddPresent<devlink::WriteMember>(writeSends_, {m.tuning, m.sources, m.dynamicEq, m.levels});
}

int SenderLists::SendIdle(const devlink::FrameSender& sender) const {
    int sent = 0;
    for (devlink::PendingSender* m : idle_) sent += m->SendPending(sender);
    return sent;
}

void SenderLists::MarkWrite() const {
    for (devlink::WriteMember* m : writeMarks_) m->MarkAllDirty();
}

int SenderLists::SendWrite(const devlink::FrameSender& sender) const {
    int sent = 0;
    for (devlink::WriteMember* m : writeSends_) sent += m->SendPending(sender);
    return sent;
}

}  // namespace app
