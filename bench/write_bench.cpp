// Writing the whole tuning to the device (0xA5, every record, 0xA6) against the simulated unit in
// real time, replies delivered at once and at the line rate: how close the write comes to its
// pacing floor (25 ms after each address byte and 45 ms after each frame). Prints its figures;
// not a test.
#include <cstdio>

#include "bench/timing.h"
#include "dialogs/update_dsp_logic.h"
#include "link/usb_link.h"
#include "model/tuning_model.h"
#include "os/time.h"
#include "sim/bus.h"
#include "sim/d2xx.h"

namespace {

// The write's dialog is not on screen here.
struct NoView : dialogs::DialogView {
    void Repaint() override {}
    void SetSkin(uint32_t) override {}
    void ShowButton(dialogs::DlgButton, bool) override {}
    void EnableButton(dialogs::DlgButton, bool) override {}
    void MoveButton(dialogs::DlgButton, int, int) override {}
    void ShowBar(bool) override {}
    void SetBar(int) override {}
    void StartTimer(uint32_t) override {}
    void StopTimer() override {}
    void DrawMessage(const std::string&, dialogs::TextBox) override {}
    void DrawImage(uint32_t, int, int, const std::string&) override {}
    void ShowDialog(bool) override {}
    void PostToParent(uint32_t, uintptr_t, intptr_t) override {}
    void PostToSelf(uint32_t, uintptr_t, intptr_t) override {}
};

void Run(const char* name, sim::Delivery delivery) {
    sim::Bus bus(os::SystemClock());
    sim::UnitConfig unit;
    unit.delivery = delivery;
    bus.AddUnit(unit);
    sim::AttachD2xx(&bus);
    devlink::FtdiApiTable table;
    sim::FillFtdiTable(table);
    {
        devlink::UsbLink link(&table, -1, nullptr, os::SystemSleeper());
        link.SetTrace(nullptr);
        if (!link.Open(1)) {
            std::printf("%-10s the simulated unit did not open\n", name);
            sim::AttachD2xx(nullptr);
            return;
        }
        link.SetReceiveGate(1);
        bus.ClearTraces();
        NoView view;
        dialogs::UpdateDspLogic update(view);
        model::TuningModel model;
        update.Start(0, 1, 0);
        const bench::Stopwatch watch;
        update.SetStateAndSend(&link, 2);
        model.MarkAllDirty();
        model.SendPendingChanges(link.Sender(), nullptr);
        update.SetStateAndSend(&link, 3);
        const double ms = watch.Elapsed<std::milli>();
        const size_t frames = bus.FramesFromPc(0).size();
        const double floor = frames * 70.0;
        std::printf("%-10s frames %5zu   floor %9.0f ms   measured %9.0f ms   ratio %.4f   (target <= 1.02)\n",
                    name, frames, floor, ms, ms / floor);
        link.Close();
    }
    sim::AttachD2xx(nullptr);
}

}  // namespace

int main() {
    std::printf("The whole tuning written to the simulated unit (0xA5 ... 0xA6), real time:\n");
    Run("instant", sim::Delivery::Instant);
    Run("line-rate", sim::Delivery::LineRate);
    return 0;
}
