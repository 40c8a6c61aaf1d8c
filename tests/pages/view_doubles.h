// Doubles for the channel map and car view tests: a recording receiver of the page's messages,
// and the default speakers of a new tuning as channel records.
#pragma once

#include <string>
#include <vector>

#include "model/records.h"
#include "pages/page_messages.h"

namespace viewtest {

struct SentMessage {
    bool posted;
    uint32_t id;
    intptr_t wParam, lParam;
    std::vector<uint32_t> mutes;  // what a 0x800A pointed at when it was sent
    std::vector<int> speaker;     // what a 0x800B pointed at: position, kind, variant
    bool toMain = false;          // posted to the main window rather than to the page
};

class RecordingMessages : public pages::PageMessages {
public:
    void PostToPage(uint32_t id, intptr_t w, intptr_t l) override {
        sent.push_back({true, id, w, l, {}});
    }
    intptr_t SendToMain(uint32_t id, intptr_t w, intptr_t l) override {
        SentMessage m{false, id, w, l, {}};
        if (id == 0x800A && l) {
            const auto* flags = reinterpret_cast<const uint32_t*>(l);
            m.mutes.assign(flags, flags + 8);
        }
        if (id == 0x800B && l) {
            const auto* speaker = reinterpret_cast<const int*>(l);
            m.speaker.assign(speaker, speaker + 3);
        }
        sent.push_back(m);
        return 0;
    }
    void PostToMain(uint32_t id, intptr_t w, intptr_t l) override {
        SentMessage m{true, id, w, l, {}};
        m.toMain = true;
        sent.push_back(m);
    }
    std::vector<SentMessage> sent;
};

// A new tuning's speakers by output: the front left and right woofer, midrange and tweeter, then
// Subwoofer L and Subwoofer R.
inline std::vector<model::DspChannelRecord> DefaultRecords() {
    const int speakers[8][2] = {{0, 1}, {0, 2}, {0, 3}, {2, 1}, {2, 2}, {2, 3}, {4, 6}, {4, 4}};
    std::vector<model::DspChannelRecord> records(8);
    for (int o = 0; o < 8; ++o) {
        records[o] = model::DspChannelRecord{};
        records[o].output = o;
        records[o].position = speakers[o][0];
        records[o].kind = speakers[o][1];
        records[o].passiveVariant = 0;
    }
    return records;
}

}  // namespace viewtest
