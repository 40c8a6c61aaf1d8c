// The firmware image file ("*.bin"): a 56-byte header, then the payload that the firmware upload
// sends. The header is checked before anything goes to the device: a zero word, the signature, a
// byte-sum checksum over the payload and up to five probe bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace app {

constexpr size_t kFirmwareHeaderSize = 56;
constexpr size_t kFirmwareSignatureSize = 13;
constexpr int kFirmwareProbeCount = 5;
// The 13 signature bytes at offset 4 (no terminator in the file).
extern const char kFirmwareSignature[kFirmwareSignatureSize + 1];

// The header as it lies in the file, little-endian.
struct FirmwareHeader {
    uint32_t zero;                                // must be 0
    char signature[kFirmwareSignatureSize];       // kFirmwareSignature
    uint8_t unused1[7];
    int32_t probeOffset[kFirmwareProbeCount];     // into the payload; outside it: not tested
    uint8_t probeByte[kFirmwareProbeCount];       // expected payload[probeOffset[i]]
    uint8_t unused2[3];
    uint32_t checksum;                            // sum of the payload bytes, modulo 2^32
};
static_assert(sizeof(FirmwareHeader) == kFirmwareHeaderSize);
static_assert(offsetof(FirmwareHeader, signature) == 4);
static_assert(offsetof(FirmwareHeader, probeOffset) == 24);
static_assert(offsetof(FirmwareHeader, probeByte) == 44);
static_assert(offsetof(FirmwareHeader, checksum) == 52);

// Random access to the bytes of an image: a file, or memory (tests and the fuzz target).
class ImageSource {
public:
    virtual ~ImageSource() = default;
    // The length of the whole image, or -1 when it cannot be found.
    virtual long long Size() = 0;
    // Reads up to n bytes from offset; returns how many were read.
    virtual size_t ReadAt(long long offset, void* buffer, size_t n) = 0;
};

class MemoryImage : public ImageSource {
public:
    MemoryImage(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    long long Size() override { return static_cast<long long>(size_); }
    size_t ReadAt(long long offset, void* buffer, size_t n) override;

private:
    const uint8_t* data_;
    size_t size_;
};

// True when the header's checksum equals the sum of every payload byte. Reads the header and then
// the payload in 8192-byte blocks; a null file, or one shorter than the header, gives false. The
// file is left positioned at its start.
bool FirmwareImageChecksumOk(FILE* file);

// The whole check, in this order: the image must hold a whole header; word 0 must be 0; the
// checksum must match; the signature must match; each probe offset inside the payload must hold
// its expected byte. False, with what is wrong in `reason`, on the first failure.
bool ValidateFirmwareImage(ImageSource& image, std::string* reason = nullptr);
// The same for a file; a null or empty path, or a file that cannot be opened, is invalid.
bool ValidateFirmwareImage(const char* path, std::string* reason = nullptr);

// The message that refuses an image file.
constexpr const char* kFirmwareInvalidText = "'darvix firmware' not valid.";
// The largest image file taken (a file picked by mistake should not fill the memory).
constexpr size_t kMaxFirmwareFileBytes = 16u << 20;

// Reads the image file once and checks that copy, which is then the one the upload sends: a file
// changed after its check never reaches the unit. False, with the refusal naming the file and
// what is wrong in `message`, when it cannot be read or is not a valid image.
bool LoadFirmwareImage(const std::string& path, std::vector<uint8_t>* image, std::string* message);

}  // namespace app
