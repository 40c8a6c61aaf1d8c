#include "app/firmware_image.h"

#include <cerrno>
#include <cstring>

#include "link/bytes.h"
#include "os/file.h"

namespace app {

const char kFirmwareSignature[kFirmwareSignatureSize + 1] = "Kestrivandoul";

namespace {

constexpr size_t kChecksumBlock = 8192;

void SetReason(std::string* reason, const std::string& text) {
    if (reason) *reason = text;
}

class FileImage : public ImageSource {
public:
    explicit FileImage(FILE* f) : f_(f) {}
    long long Size() override {
        if (std::fseek(f_, 0, SEEK_END) != 0) return -1;
        const long end = std::ftell(f_);
        return end < 0 ? -1 : end;
    }
    size_t ReadAt(long long offset, void* buffer, size_t n) override {
        if (offset < 0 || offset > 0x7FFFFFFFLL) return 0;
        if (std::fseek(f_, static_cast<long>(offset), SEEK_SET) != 0) return 0;
        return std::fread(buffer, 1, n, f_);
    }

private:
    FILE* f_;
};

struct ParsedHeader {
    uint32_t zero;
    const uint8_t* signature;
    int32_t probeOffset[kFirmwareProbeCount];
    uint8_t probeByte[kFirmwareProbeCount];
    uint32_t checksum;
};

ParsedHeader ParseHeader(const uint8_t* h) {
    ParsedHeader p{};
    p.zero = devlink::GetU32LE(h);
    p.signature = h + offsetof(FirmwareHeader, signature);
    for (int i = 0; i < kFirmwareProbeCount; ++i) {
        p.probeOffset[i] = static_cast<int32_t>(
            devlink::GetU32LE(h + offsetof(FirmwareHeader, probeOffset) + 4 * i));
        p.probeByte[i] = h[offsetof(FirmwareHeader, probeByte) + i];
    }
    p.checksum = devlink::GetU32LE(h + offsetof(FirmwareHeader, checksum));
    return p;
}

// Reads the header; false when the image is shorter than it. (A short image once passed as an
// image with a zeroed header; it is not an image at all.)
bool ReadHeader(ImageSource& image, uint8_t* header) {
    std::memset(header, 0, kFirmwareHeaderSize);
    return image.ReadAt(0, header, kFirmwareHeaderSize) == kFirmwareHeaderSize;
}

bool ChecksumMatches(ImageSource& image, uint32_t expected) {
    uint8_t block[kChecksumBlock];
    uint32_t sum = 0;
    long long offset = kFirmwareHeaderSize;
    for (;;) {
        std::memset(block, 0, sizeof block);
        const size_t n = image.ReadAt(offset, block, sizeof block);
        for (size_t i = 0; i < n; ++i) sum += block[i];
        offset += static_cast<long long>(n);
        if (n < sizeof block) break;
    }
    return sum == expected;
}

}  // namespace

size_t MemoryImage::ReadAt(long long offset, void* buffer, size_t n) {
    if (offset < 0 || static_cast<unsigned long long>(offset) >= size_) return 0;
    const size_t from = static_cast<size_t>(offset);
    const size_t count = n < size_ - from ? n : size_ - from;
    std::memcpy(buffer, data_ + from, count);
    return count;
}

bool FirmwareImageChecksumOk(FILE* file) {
    if (!file) return false;
    FileImage image(file);
    uint8_t header[kFirmwareHeaderSize];
    bool ok = ReadHeader(image, header) && ChecksumMatches(image, ParseHeader(header).checksum);
    std::fseek(file, 0, SEEK_SET);
    return ok;
}

bool ValidateFirmwareImage(ImageSource& image, std::string* reason) {
    uint8_t header[kFirmwareHeaderSize];
    if (!ReadHeader(image, header)) {
        SetReason(reason, "the file is shorter than the 56-byte firmware header");
        return false;
    }
    const ParsedHeader h = ParseHeader(header);
    if (h.zero != 0) {
        SetReason(reason, "the first header word is not 0");
        return false;
    }
    if (!ChecksumMatches(image, h.checksum)) {
        SetReason(reason, "the checksum does not match the payload");
        return false;
    }
    if (std::memcmp(h.signature, kFirmwareSignature, kFirmwareSignatureSize) != 0) {
        SetReason(reason, "the signature is wrong");
        return false;
    }
    const long long length = image.Size();
    if (length < static_cast<long long>(kFirmwareHeaderSize)) {
        SetReason(reason, "the file's length cannot be read");
        return false;
    }
    const long long payload = length - static_cast<long long>(kFirmwareHeaderSize);
    for (int i = 0; i < kFirmwareProbeCount; ++i) {
        const long long offset = h.probeOffset[i];
        if (offset < 0 || offset >= payload) continue;
        uint8_t byte = 0;
        if (image.ReadAt(offset + static_cast<long long>(kFirmwareHeaderSize), &byte, 1) != 1 ||
            byte != h.probeByte[i]) {
            SetReason(reason, "probe " + std::to_string(i) + " at payload offset " +
                                  std::to_string(offset) + " does not hold its expected byte");
            return false;
        }
    }
    return true;
}

bool ValidateFirmwareImage(const char* path, std::string* reason) {
    if (!path || !*path) {
        SetReason(reason, "no file name");
        return false;
    }
    FILE* f = std::fopen(path, "rb");
    if (!f) {
        SetReason(reason, std::string("cannot open the file (") + std::strerror(errno) + ")");
        return false;
    }
    FileImage image(f);
    const bool ok = ValidateFirmwareImage(image, reason);
    std::fclose(f);
    return ok;
}

bool LoadFirmwareImage(const std::string& path, std::vector<uint8_t>* image, std::string* message) {
    std::vector<uint8_t> bytes;
    std::string why;
    bool ok = !path.empty() && os::ReadWholeFile(path, &bytes, kMaxFirmwareFileBytes, &why);
    if (path.empty()) why = "no file name";
    if (ok) {
        MemoryImage copy(bytes.data(), bytes.size());
        ok = ValidateFirmwareImage(copy, &why);
    }
    if (!ok) {
        if (message) *message = std::string(kFirmwareInvalidText) + "\n\"" + path + "\": " + why + ".";
        return false;
    }
    if (image) *image = std::move(bytes);
    if (message) message->clear();
    return true;
}

}  // namespace app
