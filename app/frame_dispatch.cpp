#include "app/frame_dispatch.h"

#include "link/frame.h"

namespace app {

std::vector<FrameParser> InDispatchOrder(const MainWindowParsers& p) {
    std::vector<FrameParser> out;
    for (const FrameParser* parse : {&p.tuning, &p.externalSources, &p.outputLevels, &p.wizard, &p.dynamicEq,
                                     &p.preset, &p.source, &p.workingMode})
        if (*parse) out.push_back(*parse);
    return out;
}

DispatchResult DispatchReceivedFrames(devlink::UsbLink& link, const std::vector<FrameParser>& parsers,
                                      const std::function<void()>& onBadFrame) {
    return DispatchFrames(link.ReceivedFrames(), parsers, onBadFrame,
                          [&link](uint64_t id) { link.RemoveFrame(id); });
}

DispatchResult DispatchFrames(std::vector<devlink::ReceivedFrame> frames,
                              const std::vector<FrameParser>& parsers,
                              const std::function<void()>& onBadFrame,
                              const std::function<void(uint64_t id)>& remove) {
    DispatchResult result;
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
        remove(frames[i].id);
        frames.erase(frames.begin() + static_cast<std::ptrdiff_t>(i));
        ++result.taken;
        i = 0;  // the walk starts again at the head
    }
    return result;
}

}  // namespace app
