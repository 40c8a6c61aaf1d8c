// The output levels' section of setup and preset files (see level_section.cpp for the counts).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/file_section.h"

namespace pages {

class OutputLevelLogic;

class OutputLevelSection : public model::FileSection {
public:
    explicit OutputLevelSection(OutputLevelLogic& page) : page_(page) {}
    void Write(model::SectionWriter& out, const model::SectionContext& context) const override;
    std::string Read(model::SectionReader& in, const model::SectionContext& context) override;
    void Apply(const model::SectionContext& context) override;
    void Discard() override { staged_.reset(); }

    static constexpr int kSetupCount = 34;

private:
    struct Staging {
        int count = 0;
        std::vector<float> values;
    };
    OutputLevelLogic& page_;
    std::optional<Staging> staged_;
};

}  // namespace pages
