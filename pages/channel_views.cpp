#include "pages/channel_views.h"

namespace pages {
namespace {

constexpr const char* kPositionNames[model::kPositionCount] = {
    "Front Left", "Center", "Front Right", "Rear Right", " ", "Rear Left"};
constexpr const char* kKindNames[model::kKindCount] = {
    "Full", "Woofer", "Midrange", "Tweeter", "Subwoofer R", "Subwoofer", "Subwoofer L"};

}  // namespace

std::string SpeakerRowName(int position, int kind) {
    if (position < 0 || position >= model::kPositionCount || kind < 0 || kind >= model::kKindCount)
        return "Not Connected";
    const std::string place = kPositionNames[position];
    // The subwoofer spot has no name of its own: its rows read "Subwoofer", "Subwoofer L" ...
    if (place.size() < 2) return kKindNames[kind];
    return place + " " + kKindNames[kind];
}

}  // namespace pages
