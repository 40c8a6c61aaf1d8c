// Fuzz target for the setup file: the whole file through the container and the real sections of
// the tuning, the output levels, the dynamic equalisation and the external sources. A refused file
// leaves everything as it was; an accepted one leaves every value in range, and what it loaded
// saves to a file that loads again to the same state.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "fuzz_world.h"

using namespace fuzzing;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    World w;
    const std::string why = model::LoadSetupImage({data, size}, w.Setup());
    if (!why.empty()) {
        Check(SameAs(w, StartSnapshot()));
        return 0;
    }
    CheckRanges(w);
    const std::vector<uint8_t> saved = model::BuildSetupImage(w.Setup());
    World again;
    Check(model::LoadSetupImage(saved, again.Setup()).empty());
    Check(model::BuildSetupImage(again.Setup()) == saved);
    return 0;
}
