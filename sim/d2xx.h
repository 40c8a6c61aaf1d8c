// The simulated bridge behind the D2XX entry points, in-process: fills an FtdiApiTable with
// functions that serve a Bus, so that UsbLink runs unchanged against the simulated Darvix.
#pragma once

#include <set>
#include <string>

#include "link/ftdi.h"
#include "sim/bus.h"

namespace sim {

// The bus the entry points serve; null detaches (every call then fails with FT_DEVICE_NOT_FOUND).
void AttachD2xx(Bus* bus);

// The simulated entry point of that exported name, or null.
void* ResolveD2xx(const char* name);

// Fills all 42 entry points and puts a marker in the module slot.
void FillFtdiTable(devlink::FtdiApiTable& table);

// A loader for LoadFtdiLibrary over the simulated entry points: the library can be missing, or
// lack some names; frees are counted.
class D2xxLoader : public devlink::FtdiLoader {
public:
    void* Load() override;
    void* Resolve(void* module, const char* name) override;
    void Free(void* module) override;

    bool missing = false;             // Load() fails
    std::set<std::string> lacking;    // names Resolve() does not find
    int loads = 0;
    int frees = 0;
};

}  // namespace sim
