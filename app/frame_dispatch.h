// Handing the frames of a read-back to the parsers of every page, on the user interface thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "link/usb_link.h"

namespace app {

// A parser: non-zero when it took the frame.
using FrameParser = std::function<int(const uint8_t* frame, size_t length)>;

// The parsers the main window offers every received frame to. An empty one (a page or dialog that
// does not exist) is left out.
struct MainWindowParsers {
    FrameParser tuning;           // the tuning page
    FrameParser externalSources;  // the external-source page
    FrameParser outputLevels;     // the output-level page
    FrameParser wizard;           // the I/O wizard's record of the device's configuration
    FrameParser dynamicEq;        // the dynamic-equalisation dialog
    FrameParser preset;           // the current preset
    FrameParser source;           // the external source in use
    FrameParser workingMode;
};

// The parsers in the order in which they are offered a frame. Every place that hands frames to the
// main window's parsers (the program and its fuzz target) takes the order from here.
std::vector<FrameParser> InDispatchOrder(const MainWindowParsers& parsers);

struct DispatchResult {
    size_t taken = 0;      // frames some parser took (removed from the link's list)
    size_t badFrames = 0;  // times a frame with a bad checksum was met (once per walk)
};

// Walks the received frames from the head: a frame with a bad checksum is reported through
// onBadFrame and skipped; any other is offered to every parser in order (all of them, their results
// OR-ed); a frame that was taken is removed from the link and the walk starts again at the head.
// The walk runs over a copy taken under the list's lock, so a thread that appends or removes
// frames meanwhile (the poll thread's dump) does not disturb it; the frames left at the end stay in
// the link's list for the caller to clear.
DispatchResult DispatchReceivedFrames(devlink::UsbLink& link, const std::vector<FrameParser>& parsers,
                                      const std::function<void()>& onBadFrame);

// The same walk over frames held by the caller; remove(id) takes a frame off the caller's list.
DispatchResult DispatchFrames(std::vector<devlink::ReceivedFrame> frames,
                              const std::vector<FrameParser>& parsers,
                              const std::function<void()>& onBadFrame,
                              const std::function<void(uint64_t id)>& remove);

}  // namespace app
