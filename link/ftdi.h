// The FTDI D2XX library (ftd2xx.dll), bound at run time into a table of 43 slots: slot 0 the module
// handle, slots 1..42 the entry points in the order of FtdiSlot. Every call into the driver goes
// through this table; native tests fill it with the simulated device instead.
//
// The types and constants are the driver's published ones, declared here for what the link uses.
#pragma once

#include <cstddef>
#include <cstdint>

// The driver's entry points are stdcall on 32-bit Windows; the pointer types must say so or every
// call unbalances the stack. Other builds have one calling convention.
#if defined(_WIN32) && !defined(_WIN64)
#define FTDI_API __stdcall
#else
#define FTDI_API
#endif

namespace devlink {

using FT_STATUS = uint32_t;
using FT_HANDLE = void*;
using FT_DWORD = uint32_t;

constexpr FT_STATUS FT_OK = 0;
constexpr FT_STATUS FT_INVALID_HANDLE = 1;
constexpr FT_STATUS FT_DEVICE_NOT_FOUND = 2;
constexpr FT_STATUS FT_DEVICE_NOT_OPENED = 3;
constexpr FT_STATUS FT_IO_ERROR = 4;
constexpr FT_STATUS FT_INVALID_PARAMETER = 6;
constexpr FT_STATUS FT_NOT_SUPPORTED = 17;

constexpr FT_DWORD FT_LIST_NUMBER_ONLY = 0x80000000u;
constexpr FT_DWORD FT_OPEN_BY_DESCRIPTION = 2;
constexpr uint8_t FT_BITS_8 = 8;
constexpr uint8_t FT_STOP_BITS_1 = 0;
constexpr uint8_t FT_PARITY_MARK = 3;
constexpr uint8_t FT_PARITY_SPACE = 4;
constexpr uint16_t FT_FLOW_NONE = 0;
constexpr FT_DWORD FT_PURGE_RX = 1;
constexpr FT_DWORD FT_PURGE_TX = 2;
constexpr FT_DWORD FT_EVENT_RXCHAR = 1;
constexpr FT_DWORD FT_FLAGS_OPENED = 1;

// The entry points the link calls.
using FT_ListDevices_t = FT_STATUS(FTDI_API*)(void* arg1, void* arg2, FT_DWORD flags);
using FT_OpenEx_t = FT_STATUS(FTDI_API*)(void* arg, FT_DWORD flags, FT_HANDLE* handle);
using FT_Close_t = FT_STATUS(FTDI_API*)(FT_HANDLE handle);
using FT_Read_t = FT_STATUS(FTDI_API*)(FT_HANDLE handle, void* buffer, FT_DWORD toRead,
                                       FT_DWORD* read);
using FT_Write_t = FT_STATUS(FTDI_API*)(FT_HANDLE handle, void* buffer, FT_DWORD toWrite,
                                        FT_DWORD* written);
using FT_SetBaudRate_t = FT_STATUS(FTDI_API*)(FT_HANDLE handle, FT_DWORD baud);
using FT_SetDataCharacteristics_t = FT_STATUS(FTDI_API*)(FT_HANDLE handle, uint8_t wordLength,
                                                         uint8_t stopBits, uint8_t parity);
using FT_SetFlowControl_t = FT_STATUS(FTDI_API*)(FT_HANDLE handle, uint16_t flow, uint8_t xon,
                                                 uint8_t xoff);
using FT_Purge_t = FT_STATUS(FTDI_API*)(FT_HANDLE handle, FT_DWORD mask);
using FT_SetTimeouts_t = FT_STATUS(FTDI_API*)(FT_HANDLE handle, FT_DWORD readMs, FT_DWORD writeMs);
using FT_GetStatus_t = FT_STATUS(FTDI_API*)(FT_HANDLE handle, FT_DWORD* rxQueue, FT_DWORD* txQueue,
                                            FT_DWORD* eventStatus);
using FT_SetEventNotification_t = FT_STATUS(FTDI_API*)(FT_HANDLE handle, FT_DWORD mask,
                                                       void* eventHandle);
using FT_StopInTask_t = FT_STATUS(FTDI_API*)(FT_HANDLE handle);
using FT_RestartInTask_t = FT_STATUS(FTDI_API*)(FT_HANDLE handle);
using FT_CreateDeviceInfoList_t = FT_STATUS(FTDI_API*)(FT_DWORD* count);
using FT_GetDeviceInfoDetail_t = FT_STATUS(FTDI_API*)(FT_DWORD index, FT_DWORD* flags,
                                                      FT_DWORD* type, FT_DWORD* id,
                                                      FT_DWORD* locationId, void* serial,
                                                      void* description, FT_HANDLE* handle);
using FT_SetLatencyTimer_t = FT_STATUS(FTDI_API*)(FT_HANDLE handle, uint8_t ms);

// Slot numbers: 0 the module, then the 42 entry points in the order the binding fills them.
enum FtdiSlot : int {
    kFtdiModule = 0,
    kFT_ListDevices, kFT_Open, kFT_OpenEx, kFT_Close, kFT_Read, kFT_Write, kFT_ResetDevice,
    kFT_SetBaudRate, kFT_SetDivisor, kFT_SetDataCharacteristics, kFT_SetFlowControl, kFT_SetDtr,
    kFT_ClrDtr, kFT_SetRts, kFT_ClrRts, kFT_GetModemStatus, kFT_SetChars, kFT_Purge,
    kFT_SetTimeouts, kFT_GetQueueStatus, kFT_SetBreakOn, kFT_SetBreakOff, kFT_GetStatus,
    kFT_SetEventNotification, kFT_IoCtl, kFT_SetWaitMask, kFT_WaitOnMask, kFT_GetDeviceInfo,
    kFT_SetResetPipeRetryCount, kFT_StopInTask, kFT_RestartInTask, kFT_ResetPort, kFT_CyclePort,
    kFT_CreateDeviceInfoList, kFT_GetDeviceInfoList, kFT_GetDeviceInfoDetail,
    kFT_GetDriverVersion, kFT_GetLibraryVersion, kFT_SetDeadmanTimeout, kFT_Rescan, kFT_Reload,
    kFT_SetLatencyTimer,
    kFtdiSlotCount  // 43
};
static_assert(kFtdiSlotCount == 43, "the table has the module and 42 entry points");

// The exported name of each entry point by slot (slot 0: nullptr).
extern const char* const kFtdiEntryNames[kFtdiSlotCount];

struct FtdiApiTable {
    void* slots[kFtdiSlotCount] = {};

    void* module() const { return slots[kFtdiModule]; }
    bool Has(FtdiSlot slot) const { return slots[slot] != nullptr; }

    // The typed entry point of a slot (null when the slot is empty). Use as
    // table.Get<FT_Write_t>(kFT_Write).
    template <class Fn>
    Fn Get(FtdiSlot slot) const {
        return reinterpret_cast<Fn>(slots[slot]);
    }
    template <class Fn>
    void Set(FtdiSlot slot, Fn fn) {
        slots[slot] = reinterpret_cast<void*>(fn);
    }
};
static_assert(sizeof(FtdiApiTable) == kFtdiSlotCount * sizeof(void*), "43 pointer-sized slots");

// Where the binding finds the library and its entry points.
class FtdiLoader {
public:
    virtual ~FtdiLoader() = default;
    // The module handle, or nullptr when the library is not there.
    virtual void* Load() = 0;
    virtual void* Resolve(void* module, const char* name) = 0;
    virtual void Free(void* module) = 0;
};

// The platform's loader: LoadLibraryA / GetProcAddress / FreeLibrary on Windows ("ftd2xx.dll"),
// dlopen elsewhere ("libftd2xx.so").
class SystemFtdiLoader : public FtdiLoader {
public:
    explicit SystemFtdiLoader(const char* libraryName = kDefaultName) : name_(libraryName) {}
    void* Load() override;
    void* Resolve(void* module, const char* name) override;
    void Free(void* module) override;

#ifdef _WIN32
    static constexpr const char* kDefaultName = "ftd2xx.dll";
#else
    static constexpr const char* kDefaultName = "libftd2xx.so";
#endif

private:
    const char* name_;
};

// 0: no table, or the library is missing (slot 0 stays empty); -1: an entry point is missing (the
// module stays loaded in slot 0 until UnloadFtdiLibrary); 1: all 42 bound. The table is zeroed
// first.
int LoadFtdiLibrary(FtdiApiTable* table, FtdiLoader& loader);
int LoadFtdiLibrary(FtdiApiTable* table);

// Frees the module in slot 0 when it is set, then zeroes all 43 slots. No table: nothing.
void UnloadFtdiLibrary(FtdiApiTable* table, FtdiLoader& loader);
void UnloadFtdiLibrary(FtdiApiTable* table);

}  // namespace devlink
