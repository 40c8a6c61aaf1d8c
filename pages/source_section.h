// The external sources' section of setup files: the record size, the lit source, the input type
// and the five records, each as WriteSourceRecord lays it out.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "model/file_section.h"
#include "pages/source_records.h"

namespace pages {

constexpr uint32_t kSourceRecordSize = 4992;
constexpr size_t kSourceSectionSize = 12 + kSourceCount * kSourceRecordSize;  // 24972

// The record's bytes: little-endian words, IEEE singles and the sections' doubles; the reserved
// word, the padding after the switches and every section's spare word are written as 0.
void WriteSourceRecord(const ExtSourceRecord& record, uint8_t out[kSourceRecordSize]);
// Reads a record's bytes as written, taking nothing from the stored sections: they are designed
// again from the gains. False (with the reason) for a gain or sensitivity that is not finite, or a
// gain whose linear value does not fit a single-precision float.
bool ReadSourceRecord(const uint8_t in[kSourceRecordSize], ExtSourceRecord* out, std::string* why);

class ExtSourceLogic;

// The whole section is checked before anything changes.
class ExtSourceSection : public model::FileSection {
public:
    explicit ExtSourceSection(ExtSourceLogic& page) : page_(page) {}
    void Write(model::SectionWriter& out, const model::SectionContext& context) const override;
    std::string Read(model::SectionReader& in, const model::SectionContext& context) override;
    void Apply(const model::SectionContext& context) override;
    void Discard() override { staged_.reset(); }
    // The lit source after the last Apply (-1 Master), for the tuning page's source display.
    int LastResult() const { return lastResult_; }

private:
    struct Staging {
        int32_t source = -1;
        uint32_t inputType = 0;
        std::array<ExtSourceRecord, kSourceCount> records;
    };
    ExtSourceLogic& page_;
    std::optional<Staging> staged_;
    int lastResult_ = -1;
};

}  // namespace pages
