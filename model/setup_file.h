// The setup file ("*.bit") and the preset files ("*.prs" all presets, "*.pro" one preset): which
// sections they hold, in which order, the preset file's header and its compatibility check.
//
// A load reads the whole file, lets every section read and check its part into staging, refuses the
// file when any of them fails or bytes are left over, and only then applies all sections in file
// order: a refused file changes nothing. A save builds the whole file in memory and puts it in
// place of the old one in one move, so a failed save leaves the old file whole.
//
// Errors come back as one sentence for the user that names the file and what is wrong; "" means
// success.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "model/file_section.h"
#include "os/file.h"

namespace model {

// The four sections of a setup file, in file order. All four must be given.
struct SetupSections {
    FileSection* tuning = nullptr;
    FileSection* outputLevels = nullptr;
    FileSection* dynamicEq = nullptr;
    FileSection* externalSources = nullptr;
};

// The two sections of a preset file, in file order. Both must be given.
struct PresetSections {
    FileSection* tuning = nullptr;
    FileSection* outputLevels = nullptr;
};

// The preset file's header.
constexpr size_t kPresetHeaderSize = 28;
constexpr uint32_t kPresetFileVersion = 1;
extern const char kPresetMagic[8];  // "preset", zero-padded
struct PresetFileHeader {
    char magic[8];
    uint32_t version;
    uint32_t included[4];  // 1 = preset p is in the file
};
static_assert(sizeof(PresetFileHeader) == kPresetHeaderSize);

// Files larger than this are not setup or preset files (a setup file is about 200 KB).
constexpr size_t kMaxSetupFileSize = 4u << 20;

// The text shown when a preset file does not fit the current speaker layout.
extern const char kPresetIncompatibleText[];

enum class PresetFileStatus {
    kOk,
    kIncompatible,  // a sound file made for another speaker layout
    kInvalid,       // not a preset file, damaged, or unreadable
};

// In-memory forms: the file's bytes, and "what is wrong" without the file's name. (A null section
// writes nothing in BuildSetupImage; the loaders refuse to run without all sections.)
std::vector<uint8_t> BuildSetupImage(const SetupSections& sections);
std::string LoadSetupImage(std::span<const uint8_t> bytes, const SetupSections& sections);
// slot -1 writes every preset, 0..3 that preset only; false for another slot.
bool BuildPresetImage(int slot, const PresetSections& sections, std::vector<uint8_t>* out);
// Reads and checks the whole file and its fit with the current layout; applies nothing.
PresetFileStatus CheckPresetImage(std::span<const uint8_t> bytes, int slot,
                                  const PresetSections& sections, std::string* what);
// Checks as above and, when the file is sound and fits, applies it.
PresetFileStatus LoadPresetImage(std::span<const uint8_t> bytes, int slot,
                                 const PresetSections& sections, std::string* what);

// The file commands' work, without dialogs.
std::string SaveSetupFile(const std::string& path, const SetupSections& sections,
                          const os::SaveFaults* faults = nullptr);
std::string LoadSetupFile(const std::string& path, const SetupSections& sections);
std::string SavePresetFile(const std::string& path, int slot, const PresetSections& sections,
                           const os::SaveFaults* faults = nullptr);
PresetFileStatus CheckPresetFile(const std::string& path, int slot, const PresetSections& sections,
                                 std::string* error);
PresetFileStatus LoadPresetFile(const std::string& path, int slot, const PresetSections& sections,
                                std::string* error);

}  // namespace model
