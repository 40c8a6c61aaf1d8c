#include "pages/speaker_rules.h"

namespace pages {
namespace {

bool IsSidePosition(int position) {
    return position == model::kFrontLeft || position == model::kFrontRight ||
           position == model::kRearRight || position == model::kRearLeft;
}

}  // namespace

bool CanCombineKinds(const SpeakerTriple* selected, int count, int position, int kind) {
    if (position < 0 || position >= model::kPositionCount) return false;
    if (!selected || count < 0) count = 0;
    int side = -1;
    bool center = false, sub = false, subL = false, subR = false;
    for (int i = 0; i < count; ++i) {
        const SpeakerTriple& s = selected[i];
        if (side < 0 && IsSidePosition(s.position)) side = s.position;
        if (s.position == model::kCenter) center = true;
        if (s.position == model::kSubwooferSpot) {
            sub = sub || s.kind == model::kSubwoofer;
            subL = subL || s.kind == model::kSubwooferL;
            subR = subR || s.kind == model::kSubwooferR;
        }
    }
    if (side >= 0) {
        if (side == position) return true;
        const bool left = side == model::kFrontLeft || side == model::kRearLeft;
        if (left) return kind == model::kSubwoofer || kind == model::kSubwooferL;
        return kind == model::kSubwoofer || kind == model::kSubwooferR;
    }
    if (center) {
        const bool anySub = sub || subL || subR;
        if (!anySub && (kind == model::kSubwooferR || kind == model::kSubwoofer ||
                        kind == model::kSubwooferL))
            return true;
        return position == model::kCenter;
    }
    if (sub) return position != model::kSubwooferSpot;
    if (subL) return position == model::kFrontLeft || position == model::kCenter ||
                     position == model::kRearLeft;
    if (subR) return position == model::kCenter || position == model::kFrontRight ||
                     position == model::kRearRight;
    return false;
}

}  // namespace pages
