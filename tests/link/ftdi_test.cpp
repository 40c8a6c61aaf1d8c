#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "link/ftdi.h"
#include "sim/bus.h"
#include "sim/d2xx.h"

using namespace devlink;

namespace {

bool AllZero(const FtdiApiTable& t) {
    for (void* s : t.slots)
        if (s) return false;
    return true;
}

void Scribble(FtdiApiTable& t) {
    for (void*& s : t.slots) s = &t;
}

}  // namespace

TEST(FtdiApiTable, EntryNamesInSlotOrder) {
    const struct {
        int slot;
        const char* name;
    } cases[] = {{1, "FT_ListDevices"},       {3, "FT_OpenEx"},
                 {6, "FT_Write"},             {10, "FT_SetDataCharacteristics"},
                 {18, "FT_Purge"},            {23, "FT_GetStatus"},
                 {24, "FT_SetEventNotification"}, {30, "FT_StopInTask"},
                 {31, "FT_RestartInTask"},    {34, "FT_CreateDeviceInfoList"},
                 {36, "FT_GetDeviceInfoDetail"}, {41, "FT_Reload"},
                 {42, "FT_SetLatencyTimer"}};
    EXPECT_EQ(kFtdiEntryNames[0], nullptr);
    for (const auto& c : cases) EXPECT_STREQ(kFtdiEntryNames[c.slot], c.name) << c.slot;
    for (int slot = 1; slot < kFtdiSlotCount; ++slot) ASSERT_NE(kFtdiEntryNames[slot], nullptr);
}

TEST(LoadFtdiLibrary, Results) {
    EXPECT_EQ(LoadFtdiLibrary(nullptr), 0);
    UnloadFtdiLibrary(nullptr);  // nothing to do, no crash

    struct Case {
        const char* what;
        bool missing;
        const char* lacking;
        int result;
        bool moduleKept;
    } cases[] = {
        {"library missing", true, nullptr, 0, false},
        {"lacks only FT_Reload", false, "FT_Reload", -1, true},
        {"lacks the first entry point", false, "FT_ListDevices", -1, true},
        {"lacks the last entry point", false, "FT_SetLatencyTimer", -1, true},
        {"lacks one the link never calls", false, "FT_CyclePort", -1, true},
        {"complete", false, nullptr, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim::D2xxLoader loader;
        loader.missing = c.missing;
        if (c.lacking) loader.lacking.insert(c.lacking);
        FtdiApiTable table;
        Scribble(table);  // binding starts from a zeroed table
        EXPECT_EQ(LoadFtdiLibrary(&table, loader), c.result);
        EXPECT_EQ(table.module() != nullptr, c.moduleKept);
        if (c.result == 0) {
            EXPECT_TRUE(AllZero(table));
        }
        if (c.result == 1) {
            for (int slot = 0; slot < kFtdiSlotCount; ++slot) EXPECT_NE(table.slots[slot], nullptr);
        }
        EXPECT_EQ(loader.frees, 0);  // nothing is freed before unbinding

        UnloadFtdiLibrary(&table, loader);
        EXPECT_EQ(loader.frees, c.moduleKept ? 1 : 0);
        EXPECT_TRUE(AllZero(table));
    }
}

TEST(LoadFtdiLibrary, BoundEntryPointsReachTheSimulator) {
    os::ManualClock clock;
    sim::Bus bus(clock);
    bus.AddUnit();
    bus.AddUnit();
    sim::AttachD2xx(&bus);
    sim::D2xxLoader loader;
    FtdiApiTable table;
    ASSERT_EQ(LoadFtdiLibrary(&table, loader), 1);
    FT_DWORD count = 0;
    EXPECT_EQ(table.Get<FT_CreateDeviceInfoList_t>(kFT_CreateDeviceInfoList)(&count), FT_OK);
    EXPECT_EQ(count, 2u);
    UnloadFtdiLibrary(&table, loader);
    sim::AttachD2xx(nullptr);
}

TEST(LoadFtdiLibrary, SystemLoader) {
    {
        SystemFtdiLoader loader("no-such-ftdi-library-here.dll");
        FtdiApiTable table;
        Scribble(table);
        EXPECT_EQ(LoadFtdiLibrary(&table, loader), 0);
        EXPECT_TRUE(AllZero(table));
        UnloadFtdiLibrary(&table, loader);
        EXPECT_TRUE(AllZero(table));
    }
    {
        // A real library without the driver's entry points: bound to -1, kept until unbinding.
#ifdef _WIN32
        SystemFtdiLoader loader("kernel32.dll");
#else
        SystemFtdiLoader loader("libc.so.6");
#endif
        FtdiApiTable table;
        EXPECT_EQ(LoadFtdiLibrary(&table, loader), -1);
        EXPECT_NE(table.module(), nullptr);
        EXPECT_EQ(table.slots[kFT_ListDevices], nullptr);
        UnloadFtdiLibrary(&table, loader);
        EXPECT_TRUE(AllZero(table));
    }
}
