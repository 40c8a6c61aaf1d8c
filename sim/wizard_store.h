// The simulated device's side of the I/O wizard: wizard mode (0xA2 enters it, 0xB2 leaves it and
// says whether the wizard was completed), the input configuration (0xA3, which then replaces the
// one the source store streams), the output map (0x18, to the level node), and the two automatic
// set-ups the wizard starts: the input-level setup (0x85, answered by 0x86 statuses) and the
// de-equalization (0x83, answered by 0x84 statuses). The routing (0xA4) stays with the tuning
// store and the master level (0x0A) with the level store.
//
// A setup answers, after a delay, with one status 0x80 | channel per channel it finished, one
// interval apart, then 0x00 (finished); an input whose level is too low ends the input setup with
// 0x40 | input instead. The statuses go out as the unit's replies, so the reply faults apply.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "link/frame.h"

namespace sim {

class SimUnit;
class SourceStore;

// The six source channels the program's de-equalization step counts.
constexpr std::array<uint8_t, 6> kDefaultOutputs{0, 1, 2, 3, 4, 5};

struct WizardOptions {
    // The inputs the input-level setup finishes, in order; unset: every input with a non-zero
    // routing code in the unit's input configuration (the last one received, else its own).
    bool inputsSet = false;
    std::vector<uint8_t> inputs;
    // The source channels the de-equalization finishes, in order.
    std::vector<uint8_t> outputs = std::vector<uint8_t>(kDefaultOutputs.begin(), kDefaultOutputs.end());
    uint32_t delayMs = 300;     // from a request to its first status
    uint32_t intervalMs = 200;  // between two statuses
    int tooLowInput = -1;       // that input (0..7) is too low: the input setup ends on it
    bool tooLowAlways = false;  // on every input setup; else on the first only
    std::vector<uint8_t> junk;  // statuses of no meaning, sent first by each setup
    int badChecksumStatus = -1; // that status of each setup (0-based, junk counted) is damaged
    int unplugAfterStatus = -1; // the unit vanishes just after that status of a setup
};

class WizardStore {
public:
    explicit WizardStore(const WizardOptions& options = {}, SourceStore* sources = nullptr);

    // Applies a frame the PC sent: 0xA2, 0xB2 (7 bytes), 0xA3 (20) to the DSP unit, 0x18 (15) to
    // the level node. False for anything else, for a bad checksum, a wrong length or node.
    bool Apply(const uint8_t* frame, size_t length);

    // The statuses a setup answers its request with (0x86 for 0x85, 0x84 for 0x83), in order:
    // the junk first, then the channels, then the end. Counts the input setups.
    std::vector<uint8_t> Statuses(uint8_t request);
    // Back to a unit from the factory (after the PC resets its settings): out of wizard mode, no
    // output map or input configuration of its own; how it answers the set-ups, and the counts
    // tests read, stay.
    void Reset() {
        inWizard_ = false;
        haveMap_ = false;
        map_ = {};
        haveConfig_ = false;
        config_ = {};
    }

    bool InWizard() const { return inWizard_; }
    int WizardBegins() const { return begins_; }
    // The payload of the last 0xB2 (0 completed, 1 aborted), -1 before the first.
    int LastWizardEnd() const { return lastEnd_; }
    bool HasOutputMap() const { return haveMap_; }
    // The eight routing codes and the amplifier mask of the last 0x18.
    const std::array<uint8_t, 9>& OutputMap() const { return map_; }
    // Bytes 5..18 of the last 0xA3 (type + 1, five source flags, eight codes).
    bool HasInputConfig() const { return haveConfig_; }
    const std::array<uint8_t, 14>& InputConfig() const { return config_; }
    const WizardOptions& Options() const { return options_; }
    int InputSetups() const { return inputSetups_; }

private:
    WizardOptions options_;
    SourceStore* sources_;
    bool inWizard_ = false;
    int begins_ = 0;
    int lastEnd_ = -1;
    bool haveMap_ = false;
    std::array<uint8_t, 9> map_{};
    bool haveConfig_ = false;
    std::array<uint8_t, 14> config_{};
    int inputSetups_ = 0;
};

// Makes the unit keep its wizard side in the store and answer the two setups while it is in
// wizard mode (outside it a setup request is ignored). Call under the bus's lock when the unit
// is on a bus.
void InstallWizardStore(SimUnit& unit, WizardStore& store);

}  // namespace sim
