// Fuzz target for the firmware image: the header check, and the frames the upload makes of an
// image that passed. An image is taken only when an independent reading of its header agrees
// (zero word, signature, byte sum, probe bytes), and the upload's blocks carry exactly the payload,
// in order, numbered from 2.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "app/firmware_image.h"
#include "link/bytes.h"
#include "link/firmware_upload.h"
#include "link/frame.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// The header read by hand, without the reader under test.
bool ValidByHand(const uint8_t* data, size_t size) {
    if (size < 56) return false;
    if (devlink::GetU32LE(data) != 0) return false;
    if (std::memcmp(data + 4, "Kestrivandoul", 13) != 0) return false;
    uint32_t sum = 0;
    for (size_t i = 56; i < size; ++i) sum += data[i];
    if (sum != devlink::GetU32LE(data + 52)) return false;
    const size_t payload = size - 56;
    for (int i = 0; i < 5; ++i) {
        const int32_t offset = static_cast<int32_t>(devlink::GetU32LE(data + 24 + 4 * i));
        if (offset >= 0 && static_cast<size_t>(offset) < payload && data[56 + offset] != data[44 + i])
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    app::MemoryImage image(data, size);
    std::string why;
    const bool valid = app::ValidateFirmwareImage(image, &why);
    Check(valid == ValidByHand(data, size));
    if (!valid) {
        Check(!why.empty());
        return 0;
    }

    const size_t payload = size - app::kFirmwareHeaderSize;
    const devlink::Frame begin = devlink::BuildFirmwareBeginMessage(static_cast<uint32_t>(payload));
    Check(begin.size() == 14 && devlink::GetU32LE(&begin[9]) == payload);
    std::vector<uint8_t> sent;
    uint32_t block = devlink::kFirmwareFirstDataBlock;
    for (size_t at = 0; at < payload; at += devlink::kFirmwareBlockSize, ++block) {
        const size_t n = std::min(devlink::kFirmwareBlockSize, payload - at);
        const devlink::Frame f = devlink::BuildFirmwareDataMessage(data + app::kFirmwareHeaderSize + at, n, block);
        Check(f.size() == n + 10 && devlink::GetU16BE(&f[2]) == f.size());
        Check(devlink::GetU32LE(&f[5]) == block);
        Check(devlink::FrameChecksumValid(f.data(), f.size() - 1));
        sent.insert(sent.end(), f.begin() + 9, f.end() - 1);
    }
    Check(sent.size() == payload &&
          (payload == 0 || std::memcmp(sent.data(), data + app::kFirmwareHeaderSize, payload) == 0));
    return 0;
}
