#include "app/frame_dispatch.h"

#include "link/frame.h"

namespace app {

DispatchResult DispatchReceivedFrames(devlink::UsbLink& link, const std::vector<FrameParser>& parsers,
                                      const std::function<void()>& onBadFrame) {
    DispatchResult result;
    std::vector<devlink::ReceivedFrame> frames = link.ReceivedFrames();
    size_t i = 0;
    while (i < frames.size()) {
        const devlink::Frame& f = frames[i].bytes;
        if (f.size() < devlink::kMinFrameLength || !devlink::FrameChecksumValid(f.data(), f.size() - 1)) {
            ++result.badFrames;
            if (onBadFrame) onBadFrame();
            ++i;
            continue;
        }
        int taken = 0;
        for (const FrameParser& parse : parsers) taken |= parse(f.data(), f.size());
        if (!taken) {
            ++i;
            continue;
        }
        link.RemoveFrame(frames[i].id);
        frames.erase(frames.begin() + static_cast<std::ptrdiff_t>(i));
        ++result.taken;
        i = 0;  // the walk starts again at the head
    }
    return result;
}

}  // namespace app
