#include "pages/interim_sections.h"

#include <cmath>
#include <string>

namespace pages {

void BlockSection::Write(model::SectionWriter& out, const model::SectionContext&) const {
    out.WriteU32(sizeWord_);
    out.WriteBytes(data_.data(), data_.size());
}

std::string BlockSection::Read(model::SectionReader& in, const model::SectionContext&) {
    uint32_t word = 0;
    if (!in.ReadU32(&word)) return "the file ends before a section";
    if (word != sizeWord_)
        return "a section's record size is " + std::to_string(word) + ", not " + std::to_string(sizeWord_);
    staged_.resize(data_.size());
    if (!in.ReadBytes(staged_.data(), staged_.size())) return "the file ends inside a section";
    return "";
}

}  // namespace pages
