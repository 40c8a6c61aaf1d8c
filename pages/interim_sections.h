// File sections of the pages that are not built yet. They keep what a loaded setup or preset file
// held for them and write it back unchanged (or the page's defaults), in the section's own layout,
// so that no file loses a section by passing through this program.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "model/file_section.h"

namespace pages {

// A size word and a fixed number of further bytes (dynamic equalisation: 4976 and 9960 more; the
// external sources: 4992 and 24968 more).
class BlockSection : public model::FileSection {
public:
    BlockSection(uint32_t sizeWord, size_t bytes) : sizeWord_(sizeWord), data_(bytes, 0) {}
    void Write(model::SectionWriter& out, const model::SectionContext& context) const override;
    std::string Read(model::SectionReader& in, const model::SectionContext& context) override;
    void Apply(const model::SectionContext& context) override { data_ = staged_; }
    void Discard() override { staged_.clear(); }

    const std::vector<uint8_t>& Data() const { return data_; }

private:
    uint32_t sizeWord_;
    std::vector<uint8_t> data_;
    std::vector<uint8_t> staged_;
};

}  // namespace pages
