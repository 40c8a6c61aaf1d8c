// One section of a setup or preset file, as its page reads and writes it. Loading is two-phase:
// every section of the file is read and checked into the section's own staging first, and only
// when all of them have passed does the container apply them, in file order. A refused file thus
// changes nothing anywhere.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "link/bytes.h"

namespace model {

// Where a section is read or written.
struct SectionContext {
    bool presetFile = false;  // false: a setup file (no preset selection)
    int slot = -1;            // preset file: -1 all presets, 0..3 that preset only
    // Preset file: included[p] = 1 when the file holds preset p (the header's flags).
    std::array<uint32_t, 4> included{};

    int IncludedCount() const {
        int n = 0;
        for (uint32_t f : included) n += f ? 1 : 0;
        return n;
    }
};

// A bounds-checked cursor over the bytes of a file. Every read says whether the bytes were there.
class SectionReader {
public:
    explicit SectionReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    size_t Offset() const { return offset_; }
    size_t Remaining() const { return bytes_.size() - offset_; }
    size_t Size() const { return bytes_.size(); }

    // The next n bytes, or nullptr (and nothing consumed) when fewer are left.
    const uint8_t* Take(size_t n) {
        if (n > Remaining()) return nullptr;
        const uint8_t* p = bytes_.data() + offset_;
        offset_ += n;
        return p;
    }
    bool ReadU32(uint32_t* v) {
        const uint8_t* p = Take(4);
        if (!p) return false;
        *v = devlink::GetU32LE(p);
        return true;
    }
    bool ReadI32(int32_t* v) {
        uint32_t u = 0;
        if (!ReadU32(&u)) return false;
        *v = static_cast<int32_t>(u);
        return true;
    }
    bool ReadF32(float* v) {
        const uint8_t* p = Take(4);
        if (!p) return false;
        *v = devlink::GetF32LE(p);
        return true;
    }
    bool ReadBytes(void* out, size_t n) {
        const uint8_t* p = Take(n);
        if (!p) return false;
        std::memcpy(out, p, n);
        return true;
    }

private:
    std::span<const uint8_t> bytes_;
    size_t offset_ = 0;
};

// Appends little-endian numbers and raw bytes to a file image.
class SectionWriter {
public:
    explicit SectionWriter(std::vector<uint8_t>& out) : out_(out) {}
    void WriteU32(uint32_t v) {
        uint8_t b[4];
        devlink::PutU32LE(b, v);
        WriteBytes(b, 4);
    }
    void WriteI32(int32_t v) { WriteU32(static_cast<uint32_t>(v)); }
    void WriteF32(float v) {
        uint8_t b[4];
        devlink::PutF32LE(b, v);
        WriteBytes(b, 4);
    }
    void WriteBytes(const void* p, size_t n) {
        const uint8_t* b = static_cast<const uint8_t*>(p);
        out_.insert(out_.end(), b, b + n);
    }

private:
    std::vector<uint8_t>& out_;
};

// What every page's section implements (tuning, output levels, dynamic equalisation, external
// sources).
class FileSection {
public:
    virtual ~FileSection() = default;

    // Appends the section as it stands now. Cannot fail: the bytes go to memory first and the
    // container writes the file.
    virtual void Write(SectionWriter& out, const SectionContext& context) const = 0;

    // First phase: reads the section from the reader's position, checks all of it and keeps it in
    // staging, changing nothing the section belongs to. Returns "" when it passed, else what is
    // wrong in words for the user (the container adds the file's name), e.g. "the output-level
    // section holds 40 values, at most 34 are allowed".
    virtual std::string Read(SectionReader& in, const SectionContext& context) = 0;

    // Preset files only, after every section has been read: false when the staged section does not
    // fit what is loaded now (the container then refuses the file as incompatible).
    virtual bool Compatible(const SectionContext& /*context*/) const { return true; }

    // Second phase: applies what the last Read staged. Called only after every section of the file
    // has passed, in file order (so a section may rely on the ones before it being applied).
    virtual void Apply(const SectionContext& context) = 0;

    // Drops the staging; called after Apply and after a refusal.
    virtual void Discard() {}
};

}  // namespace model
