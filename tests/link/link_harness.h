// A simulated bus on a manual clock, the FTDI table filled with its entry points, and links made
// against it: the setting of the link tests.
#pragma once

#include <initializer_list>
#include <memory>

#include "link/ftdi.h"
#include "link/notifier.h"
#include "link/usb_link.h"
#include "os/time.h"
#include "sim/bus.h"
#include "sim/d2xx.h"
#include "sim/stepping_sleeper.h"

namespace linktest {

inline devlink::Frame Bytes(std::initializer_list<int> v) {
    devlink::Frame f;
    for (int b : v) f.push_back(static_cast<uint8_t>(b));
    return f;
}

struct SimHarness {
    os::ManualClock clock{1000};
    sim::Bus bus{clock};
    sim::SteppingSleeper sleeper{clock, bus};
    devlink::FtdiApiTable table;
    devlink::RecordingNotifier notifier;

    SimHarness() {
        sim::AttachD2xx(&bus);
        sim::FillFtdiTable(table);
    }
    ~SimHarness() { sim::AttachD2xx(nullptr); }

    // A link whose receiver the sleeper waits for. Traces of driver trouble are kept quiet.
    std::unique_ptr<devlink::UsbLink> MakeLink(int lastGood = -1, bool withNotifier = true) {
        auto link = std::make_unique<devlink::UsbLink>(&table, lastGood,
                                                       withNotifier ? &notifier : nullptr, sleeper, clock);
        link->SetTrace(nullptr);
        devlink::UsbLink* p = link.get();
        sleeper.SetReceiver([p] { return p->ReceiverIdleCount(); });
        return link;
    }

    sim::SimUnit& AddUnit(sim::UnitConfig config = {}) { return bus.AddUnit(std::move(config)); }
};

}  // namespace linktest
