// The start-up record's file: what the start-up bench reads back, line by line.
#include "os/phases.h"

#include <gtest/gtest.h>

namespace {

TEST(PhaseRecord, WritesPhasesThenTalliesThenAmountsInTheBenchFormat) {
    os::PhaseRecord r;
    r.Mark(1000, 4096, 0, "WinMain");
    r.Add("skin-bitmaps-loaded", 250);
    r.Mark(2500, 8192, 2048, "DSPSetting: its frame created");
    r.Add("GDI-fonts-made", 40);
    r.Add("skin-bitmaps-loaded", 750);
    r.SetBytes("frame-back-buffers", 123);
    r.SetBytes("frame-windows", 7);
    r.SetBytes("frame-back-buffers", 456);  // the last account of a name stands
    EXPECT_EQ(r.Text(),
              "phase 1000 4096 0 WinMain\n"
              "phase 2500 8192 2048 DSPSetting: its frame created\n"
              "count skin-bitmaps-loaded 2 1000\n"
              "count GDI-fonts-made 1 40\n"
              "bytes frame-back-buffers 456\n"
              "bytes frame-windows 7\n");
}

}  // namespace
