#include "model/setup_file.h"

#include <cstring>

namespace model {

const char kPresetMagic[8] = {'p', 'r', 'e', 's', 'e', 't', 0, 0};
const char kPresetIncompatibleText[] = "Unable to load preset in your current DSP setup.";

namespace {

constexpr const char* kSetupSectionNames[4] = {"tuning", "output-level", "dynamic equalisation",
                                               "external-source"};
constexpr const char* kPresetSectionNames[2] = {"tuning", "output-level"};

std::string SaveError(const std::string& path, const std::string& why) {
    return "Cannot save \"" + path + "\": " + why + ".";
}

std::string LoadError(const std::string& path, const std::string& why) {
    return "Cannot load \"" + path + "\": " + why + ".";
}

template <size_t N>
bool AllGiven(FileSection* const (&list)[N]) {
    for (FileSection* s : list)
        if (!s) return false;
    return true;
}

// Reads every section into staging; "" when all passed and nothing is left over. On a refusal the
// staging of every section is dropped.
template <size_t N>
std::string ReadAll(SectionReader& in, FileSection* const (&list)[N], const char* const (&names)[N],
                    const SectionContext& context) {
    std::string why;
    for (size_t i = 0; i < N && why.empty(); ++i) {
        why = list[i]->Read(in, context);
        if (!why.empty()) why = "in the " + std::string(names[i]) + " section, " + why;
    }
    if (why.empty() && in.Remaining() != 0)
        why = std::to_string(in.Remaining()) + " unexpected bytes follow the last section";
    if (!why.empty())
        for (FileSection* s : list) s->Discard();
    return why;
}

template <size_t N>
void ApplyAll(FileSection* const (&list)[N], const SectionContext& context) {
    for (FileSection* s : list) s->Apply(context);
    for (FileSection* s : list) s->Discard();
}

bool ParseHeader(SectionReader& in, SectionContext* context, std::string* why) {
    const uint8_t* h = in.Take(kPresetHeaderSize);
    if (!h) {
        *why = "the file is too short for a preset file";
        return false;
    }
    // The magic is "preset" as a string within its 8-byte field.
    if (std::strncmp(reinterpret_cast<const char*>(h), kPresetMagic, sizeof kPresetMagic) != 0) {
        *why = "it is not a preset file";
        return false;
    }
    const uint32_t version = devlink::GetU32LE(h + 8);
    if (version != kPresetFileVersion) {
        *why = "the preset file's version is " + std::to_string(version) + ", not 1";
        return false;
    }
    context->presetFile = true;
    for (int p = 0; p < 4; ++p) {
        const uint32_t flag = devlink::GetU32LE(h + 12 + 4 * p);
        if (flag > 1) {
            *why = "the preset file's header is damaged";
            return false;
        }
        context->included[p] = flag;
    }
    if (context->IncludedCount() == 0) {
        *why = "the preset file holds no preset";
        return false;
    }
    return true;
}

PresetFileStatus ReadPreset(std::span<const uint8_t> bytes, int slot, const PresetSections& sections,
                            bool apply, std::string* what) {
    FileSection* const list[2] = {sections.tuning, sections.outputLevels};
    std::string why;
    if (!AllGiven(list)) {
        *what = "the program has no place for one of the file's sections";
        return PresetFileStatus::kInvalid;
    }
    if (slot < -1 || slot > 3) {
        *what = "there is no preset " + std::to_string(slot);
        return PresetFileStatus::kInvalid;
    }
    SectionReader in(bytes);
    SectionContext context;
    context.slot = slot;
    if (!ParseHeader(in, &context, &why)) {
        *what = why;
        return PresetFileStatus::kInvalid;
    }
    why = ReadAll(in, list, kPresetSectionNames, context);
    if (!why.empty()) {
        *what = why;
        return PresetFileStatus::kInvalid;
    }
    for (FileSection* s : list) {
        if (!s->Compatible(context)) {
            for (FileSection* d : list) d->Discard();
            *what = kPresetIncompatibleText;
            return PresetFileStatus::kIncompatible;
        }
    }
    if (apply) {
        ApplyAll(list, context);
    } else {
        for (FileSection* s : list) s->Discard();
    }
    what->clear();
    return PresetFileStatus::kOk;
}

PresetFileStatus PresetFileFromPath(const std::string& path, int slot,
                                    const PresetSections& sections, bool apply,
                                    std::string* error) {
    std::vector<uint8_t> bytes;
    std::string why;
    if (!os::ReadWholeFile(path, &bytes, kMaxSetupFileSize, &why)) {
        *error = LoadError(path, why);
        return PresetFileStatus::kInvalid;
    }
    const PresetFileStatus status = ReadPreset(bytes, slot, sections, apply, &why);
    if (status == PresetFileStatus::kInvalid) *error = LoadError(path, why);
    else *error = why;  // the incompatible text stands on its own
    return status;
}

}  // namespace

std::vector<uint8_t> BuildSetupImage(const SetupSections& sections) {
    std::vector<uint8_t> out;
    SectionWriter writer(out);
    const SectionContext context;
    for (FileSection* s : {sections.tuning, sections.outputLevels, sections.dynamicEq,
                           sections.externalSources})
        if (s) s->Write(writer, context);
    return out;
}

std::string LoadSetupImage(std::span<const uint8_t> bytes, const SetupSections& sections) {
    FileSection* const list[4] = {sections.tuning, sections.outputLevels, sections.dynamicEq,
                                  sections.externalSources};
    if (!AllGiven(list)) return "the program has no place for one of the file's sections";
    SectionReader in(bytes);
    const SectionContext context;
    std::string why = ReadAll(in, list, kSetupSectionNames, context);
    if (!why.empty()) return why;
    ApplyAll(list, context);
    return "";
}

bool BuildPresetImage(int slot, const PresetSections& sections, std::vector<uint8_t>* out) {
    out->clear();
    if (slot < -1 || slot > 3 || !sections.tuning || !sections.outputLevels) return false;
    SectionContext context;
    context.presetFile = true;
    context.slot = slot;
    for (int p = 0; p < 4; ++p) context.included[p] = (slot == -1 || slot == p) ? 1 : 0;

    SectionWriter writer(*out);
    writer.WriteBytes(kPresetMagic, sizeof kPresetMagic);
    writer.WriteU32(kPresetFileVersion);
    for (uint32_t flag : context.included) writer.WriteU32(flag);
    sections.tuning->Write(writer, context);
    sections.outputLevels->Write(writer, context);
    return true;
}

PresetFileStatus CheckPresetImage(std::span<const uint8_t> bytes, int slot,
                                  const PresetSections& sections, std::string* what) {
    return ReadPreset(bytes, slot, sections, false, what);
}

PresetFileStatus LoadPresetImage(std::span<const uint8_t> bytes, int slot,
                                 const PresetSections& sections, std::string* what) {
    return ReadPreset(bytes, slot, sections, true, what);
}

std::string SaveSetupFile(const std::string& path, const SetupSections& sections,
                          const os::SaveFaults* faults) {
    FileSection* const list[4] = {sections.tuning, sections.outputLevels, sections.dynamicEq,
                                  sections.externalSources};
    if (!AllGiven(list)) return SaveError(path, "the program has no writer for one of its sections");
    const std::vector<uint8_t> bytes = BuildSetupImage(sections);
    std::string why;
    if (!os::SaveFileReplacing(path, bytes.data(), bytes.size(), &why, faults))
        return SaveError(path, why);
    return "";
}

std::string LoadSetupFile(const std::string& path, const SetupSections& sections) {
    std::vector<uint8_t> bytes;
    std::string why;
    if (!os::ReadWholeFile(path, &bytes, kMaxSetupFileSize, &why)) return LoadError(path, why);
    why = LoadSetupImage(bytes, sections);
    return why.empty() ? "" : LoadError(path, why);
}

std::string SavePresetFile(const std::string& path, int slot, const PresetSections& sections,
                           const os::SaveFaults* faults) {
    std::vector<uint8_t> bytes;
    if (!BuildPresetImage(slot, sections, &bytes))
        return SaveError(path, slot < -1 || slot > 3
                                   ? "there is no preset " + std::to_string(slot)
                                   : "the program has no writer for one of its sections");
    std::string why;
    if (!os::SaveFileReplacing(path, bytes.data(), bytes.size(), &why, faults))
        return SaveError(path, why);
    return "";
}

PresetFileStatus CheckPresetFile(const std::string& path, int slot, const PresetSections& sections,
                                 std::string* error) {
    return PresetFileFromPath(path, slot, sections, false, error);
}

PresetFileStatus LoadPresetFile(const std::string& path, int slot, const PresetSections& sections,
                                std::string* error) {
    return PresetFileFromPath(path, slot, sections, true, error);
}

}  // namespace model
