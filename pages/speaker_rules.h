// The one rule that decides which speakers may be selected together by a Ctrl-click, shared by
// the channel map (over its selected rows) and the car view (over its selected speakers): a side
// position with the subwoofers of its side, the Center with the subwoofers, a subwoofer with the
// speakers of its side and the Center. It admits only one side position at a time.
#pragma once

#include "pages/channel_views.h"

namespace pages {

// selected: the panel's selected (position, kind) pairs (rows ignored); count of them.
bool CanCombineKinds(const SpeakerTriple* selected, int count, int position, int kind);

}  // namespace pages
