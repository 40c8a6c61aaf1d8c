#include "sim/d2xx.h"

#include <atomic>
#include <cstring>

namespace sim {
namespace {

using namespace devlink;

std::atomic<Bus*> g_bus{nullptr};

// The module slot must hold something; nothing ever dereferences it.
char g_moduleMarker;

#define SIM_BUS_OR_FAIL          \
    Bus* bus = g_bus.load();     \
    if (!bus) return FT_DEVICE_NOT_FOUND

FT_STATUS FTDI_API SimListDevices(void* a, void* b, FT_DWORD flags) {
    SIM_BUS_OR_FAIL;
    return bus->ListDevices(a, b, flags);
}
FT_STATUS FTDI_API SimOpenEx(void* arg, FT_DWORD flags, FT_HANDLE* h) {
    SIM_BUS_OR_FAIL;
    return bus->OpenEx(arg, flags, h);
}
FT_STATUS FTDI_API SimClose(FT_HANDLE h) {
    SIM_BUS_OR_FAIL;
    return bus->Close(h);
}
FT_STATUS FTDI_API SimRead(FT_HANDLE h, void* buffer, FT_DWORD n, FT_DWORD* read) {
    SIM_BUS_OR_FAIL;
    return bus->Read(h, buffer, n, read);
}
FT_STATUS FTDI_API SimWrite(FT_HANDLE h, void* buffer, FT_DWORD n, FT_DWORD* written) {
    SIM_BUS_OR_FAIL;
    return bus->Write(h, buffer, n, written);
}
FT_STATUS FTDI_API SimSetBaudRate(FT_HANDLE h, FT_DWORD baud) {
    SIM_BUS_OR_FAIL;
    return bus->SetBaudRate(h, baud);
}
FT_STATUS FTDI_API SimSetDataCharacteristics(FT_HANDLE h, uint8_t w, uint8_t s, uint8_t p) {
    SIM_BUS_OR_FAIL;
    return bus->SetDataCharacteristics(h, w, s, p);
}
FT_STATUS FTDI_API SimSetFlowControl(FT_HANDLE h, uint16_t flow, uint8_t xon, uint8_t xoff) {
    SIM_BUS_OR_FAIL;
    return bus->SetFlowControl(h, flow, xon, xoff);
}
FT_STATUS FTDI_API SimPurge(FT_HANDLE h, FT_DWORD mask) {
    SIM_BUS_OR_FAIL;
    return bus->Purge(h, mask);
}
FT_STATUS FTDI_API SimSetTimeouts(FT_HANDLE h, FT_DWORD r, FT_DWORD w) {
    SIM_BUS_OR_FAIL;
    return bus->SetTimeouts(h, r, w);
}
FT_STATUS FTDI_API SimGetStatus(FT_HANDLE h, FT_DWORD* rx, FT_DWORD* tx, FT_DWORD* ev) {
    SIM_BUS_OR_FAIL;
    return bus->GetStatus(h, rx, tx, ev);
}
FT_STATUS FTDI_API SimSetEventNotification(FT_HANDLE h, FT_DWORD mask, void* event) {
    SIM_BUS_OR_FAIL;
    return bus->SetEventNotification(h, mask, event);
}
FT_STATUS FTDI_API SimStopInTask(FT_HANDLE h) {
    SIM_BUS_OR_FAIL;
    return bus->StopInTask(h);
}
FT_STATUS FTDI_API SimRestartInTask(FT_HANDLE h) {
    SIM_BUS_OR_FAIL;
    return bus->RestartInTask(h);
}
FT_STATUS FTDI_API SimCreateDeviceInfoList(FT_DWORD* count) {
    SIM_BUS_OR_FAIL;
    return bus->CreateDeviceInfoList(count);
}
FT_STATUS FTDI_API SimGetDeviceInfoDetail(FT_DWORD index, FT_DWORD* flags, FT_DWORD* type,
                                          FT_DWORD* id, FT_DWORD* location, void* serial,
                                          void* description, FT_HANDLE* h) {
    SIM_BUS_OR_FAIL;
    return bus->GetDeviceInfoDetail(index, flags, type, id, location, serial, description, h);
}
FT_STATUS FTDI_API SimSetLatencyTimer(FT_HANDLE h, uint8_t ms) {
    SIM_BUS_OR_FAIL;
    return bus->SetLatencyTimer(h, ms);
}

// The 25 entry points the link never calls. In-process nothing calls them, so one stand-in
// serves all; a DLL must give each its own argument list, as stdcall callees pop their arguments.
FT_STATUS FTDI_API SimNotSupported() { return FT_NOT_SUPPORTED; }

void* Used(FtdiSlot slot) {
    switch (slot) {
        case kFT_ListDevices: return reinterpret_cast<void*>(&SimListDevices);
        case kFT_OpenEx: return reinterpret_cast<void*>(&SimOpenEx);
        case kFT_Close: return reinterpret_cast<void*>(&SimClose);
        case kFT_Read: return reinterpret_cast<void*>(&SimRead);
        case kFT_Write: return reinterpret_cast<void*>(&SimWrite);
        case kFT_SetBaudRate: return reinterpret_cast<void*>(&SimSetBaudRate);
        case kFT_SetDataCharacteristics: return reinterpret_cast<void*>(&SimSetDataCharacteristics);
        case kFT_SetFlowControl: return reinterpret_cast<void*>(&SimSetFlowControl);
        case kFT_Purge: return reinterpret_cast<void*>(&SimPurge);
        case kFT_SetTimeouts: return reinterpret_cast<void*>(&SimSetTimeouts);
        case kFT_GetStatus: return reinterpret_cast<void*>(&SimGetStatus);
        case kFT_SetEventNotification: return reinterpret_cast<void*>(&SimSetEventNotification);
        case kFT_StopInTask: return reinterpret_cast<void*>(&SimStopInTask);
        case kFT_RestartInTask: return reinterpret_cast<void*>(&SimRestartInTask);
        case kFT_CreateDeviceInfoList: return reinterpret_cast<void*>(&SimCreateDeviceInfoList);
        case kFT_GetDeviceInfoDetail: return reinterpret_cast<void*>(&SimGetDeviceInfoDetail);
        case kFT_SetLatencyTimer: return reinterpret_cast<void*>(&SimSetLatencyTimer);
        default: return reinterpret_cast<void*>(&SimNotSupported);
    }
}

}  // namespace

void AttachD2xx(Bus* bus) { g_bus.store(bus); }

void* ResolveD2xx(const char* name) {
    if (!name) return nullptr;
    for (int slot = 1; slot < kFtdiSlotCount; ++slot)
        if (std::strcmp(kFtdiEntryNames[slot], name) == 0) return Used(static_cast<FtdiSlot>(slot));
    return nullptr;
}

void FillFtdiTable(FtdiApiTable& table) {
    table.slots[kFtdiModule] = &g_moduleMarker;
    for (int slot = 1; slot < kFtdiSlotCount; ++slot)
        table.slots[slot] = Used(static_cast<FtdiSlot>(slot));
}

void* D2xxLoader::Load() {
    ++loads;
    return missing ? nullptr : &g_moduleMarker;
}

void* D2xxLoader::Resolve(void* module, const char* name) {
    if (module != &g_moduleMarker || lacking.count(name)) return nullptr;
    return ResolveD2xx(name);
}

void D2xxLoader::Free(void* module) {
    if (module == &g_moduleMarker) ++frees;
}

}  // namespace sim
