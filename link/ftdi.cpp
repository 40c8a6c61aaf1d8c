#include "link/ftdi.h"

#include <cstring>

#include "os/library.h"

namespace devlink {

const char* const kFtdiEntryNames[kFtdiSlotCount] = {
    nullptr,
    "FT_ListDevices", "FT_Open", "FT_OpenEx", "FT_Close", "FT_Read", "FT_Write", "FT_ResetDevice",
    "FT_SetBaudRate", "FT_SetDivisor", "FT_SetDataCharacteristics", "FT_SetFlowControl",
    "FT_SetDtr", "FT_ClrDtr", "FT_SetRts", "FT_ClrRts", "FT_GetModemStatus", "FT_SetChars",
    "FT_Purge", "FT_SetTimeouts", "FT_GetQueueStatus", "FT_SetBreakOn", "FT_SetBreakOff",
    "FT_GetStatus", "FT_SetEventNotification", "FT_IoCtl", "FT_SetWaitMask", "FT_WaitOnMask",
    "FT_GetDeviceInfo", "FT_SetResetPipeRetryCount", "FT_StopInTask", "FT_RestartInTask",
    "FT_ResetPort", "FT_CyclePort", "FT_CreateDeviceInfoList", "FT_GetDeviceInfoList",
    "FT_GetDeviceInfoDetail", "FT_GetDriverVersion", "FT_GetLibraryVersion",
    "FT_SetDeadmanTimeout", "FT_Rescan", "FT_Reload", "FT_SetLatencyTimer",
};

void* SystemFtdiLoader::Load() { return os::OpenLibraryHandle(name_); }

void* SystemFtdiLoader::Resolve(void* module, const char* name) {
    return os::LibrarySymbol(module, name);
}

void SystemFtdiLoader::Free(void* module) { os::CloseLibraryHandle(module); }

int LoadFtdiLibrary(FtdiApiTable* table, FtdiLoader& loader) {
    if (!table) return 0;
    std::memset(table->slots, 0, sizeof(table->slots));
    void* module = loader.Load();
    if (!module) return 0;
    table->slots[kFtdiModule] = module;
    for (int slot = 1; slot < kFtdiSlotCount; ++slot)
        table->slots[slot] = loader.Resolve(module, kFtdiEntryNames[slot]);
    // Every entry point must be there, even those the link never calls: a library that lacks one
    // is not the driver the program was built for.
    for (int slot = 0; slot < kFtdiSlotCount; ++slot)
        if (!table->slots[slot]) return -1;
    return 1;
}

int LoadFtdiLibrary(FtdiApiTable* table) {
    SystemFtdiLoader loader;
    return LoadFtdiLibrary(table, loader);
}

void UnloadFtdiLibrary(FtdiApiTable* table, FtdiLoader& loader) {
    if (!table) return;
    if (table->slots[kFtdiModule]) loader.Free(table->slots[kFtdiModule]);
    std::memset(table->slots, 0, sizeof(table->slots));
}

void UnloadFtdiLibrary(FtdiApiTable* table) {
    SystemFtdiLoader loader;
    UnloadFtdiLibrary(table, loader);
}

}  // namespace devlink
