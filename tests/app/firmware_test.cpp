#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/firmware_image.h"
#include "link/bytes.h"
#include "test_support.h"

using namespace app;

namespace {

struct Probe {
    int32_t offset;
    uint8_t byte;
};

// An image with a correct header for its payload; probes given as (offset, expected byte).
std::vector<uint8_t> MakeImage(const std::vector<uint8_t>& payload, std::vector<Probe> probes = {}) {
    std::vector<uint8_t> image(kFirmwareHeaderSize, 0);
    std::memcpy(&image[4], "Kestrivandoul", 13);
    for (int i = 0; i < kFirmwareProbeCount; ++i) {
        const Probe p = i < static_cast<int>(probes.size()) ? probes[i] : Probe{-1, 0};
        devlink::PutU32LE(&image[24 + 4 * i], static_cast<uint32_t>(p.offset));
        image[44 + i] = p.byte;
    }
    uint32_t sum = 0;
    for (uint8_t b : payload) sum += b;
    devlink::PutU32LE(&image[52], sum);
    image.insert(image.end(), payload.begin(), payload.end());
    return image;
}

std::vector<uint8_t> Payload(size_t n) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(0x80 + i * 31);  // mostly above 127
    return v;
}

bool Valid(const std::vector<uint8_t>& image, std::string* why = nullptr) {
    MemoryImage m(image.data(), image.size());
    return ValidateFirmwareImage(m, why);
}

}  // namespace

TEST(FirmwareImage, SoundImagesPass) {
    // Payloads across the 8192-byte reading blocks, with probes at both ends.
    for (size_t n : {size_t{0}, size_t{1}, size_t{8191}, size_t{8192}, size_t{8193}, size_t{20000}}) {
        SCOPED_TRACE(n);
        const auto payload = Payload(n);
        std::vector<Probe> probes;
        if (n > 0) probes = {{0, payload[0]}, {static_cast<int32_t>(n - 1), payload[n - 1]}};
        std::string why;
        EXPECT_TRUE(Valid(MakeImage(payload, probes), &why)) << why;
    }
    // Probes outside the payload are not tested, whatever they expect.
    EXPECT_TRUE(Valid(MakeImage(Payload(100), {{-1, 1}, {-100000, 2}, {100, 3}, {1 << 30, 4},
                                               {INT32_MIN, 5}})));
    // An image of exactly the header: no payload, checksum 0, nothing probed.
    EXPECT_TRUE(Valid(MakeImage({}, {{0, 0x55}})));
}

TEST(FirmwareImage, EveryOneFieldCorruptionFails) {
    const auto payload = Payload(9000);
    const auto good = MakeImage(payload, {{10, payload[10]}, {8999, payload[8999]}});
    ASSERT_TRUE(Valid(good));

    struct Case {
        const char* what;
        size_t offset;  // byte to change
        int delta;
        const char* reason;
    } cases[] = {
        {"word 0", 0, 1, "first header word"},
        {"word 0, high byte", 3, 0x80, "first header word"},
        {"signature first byte", 4, 1, "signature"},
        {"signature last byte", 16, 1, "signature"},
        {"checksum plus one", 52, 1, "checksum"},
        {"checksum minus one", 52, -1, "checksum"},
        {"checksum high byte", 55, 1, "checksum"},
        {"first probe byte", 44, 1, "probe 0"},
        {"second probe byte", 45, 1, "probe 1"},
        {"payload byte", 56 + 500, 1, "checksum"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto bad = good;
        bad[c.offset] = static_cast<uint8_t>(bad[c.offset] + c.delta);
        std::string why;
        EXPECT_FALSE(Valid(bad, &why));
        EXPECT_NE(why.find(c.reason), std::string::npos) << why;
    }
    // A probed byte changed with the checksum kept right fails on the probe alone.
    auto bad = good;
    bad[56 + 10] += 1;
    bad[56 + 11] -= 1;
    std::string why;
    EXPECT_FALSE(Valid(bad, &why));
    EXPECT_NE(why.find("probe 0"), std::string::npos) << why;
}

TEST(FirmwareImage, ShortFilesAreInvalid) {
    const auto good = MakeImage({});
    for (size_t n : {size_t{0}, size_t{4}, size_t{17}, size_t{55}}) {
        SCOPED_TRACE(n);
        std::vector<uint8_t> shortImage(good.begin(), good.begin() + n);
        std::string why;
        EXPECT_FALSE(Valid(shortImage, &why));
        EXPECT_NE(why.find("shorter"), std::string::npos) << why;
    }
    // Even a zero-filled short file, whose missing bytes a zeroed header would read as checksum 0.
    EXPECT_FALSE(Valid(std::vector<uint8_t>(20, 0)));
}

TEST(FirmwareImage, FilesAreCheckedAndLeftAtTheirStart) {
    filetest::TempFile file("firmware.bin");
    const auto payload = Payload(10000);
    auto image = MakeImage(payload, {{9999, payload[9999]}});
    ASSERT_TRUE(filetest::WriteFileBytes(file.path(), image));

    std::string why;
    EXPECT_TRUE(ValidateFirmwareImage(file.path().c_str(), &why)) << why;
    EXPECT_FALSE(ValidateFirmwareImage(nullptr, &why));
    EXPECT_FALSE(ValidateFirmwareImage("", &why));
    EXPECT_FALSE(ValidateFirmwareImage((file.path() + ".missing").c_str(), &why));
    EXPECT_NE(why.find("cannot open"), std::string::npos) << why;

    FILE* f = std::fopen(file.path().c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::fseek(f, 123, SEEK_SET);
    EXPECT_TRUE(FirmwareImageChecksumOk(f));
    EXPECT_EQ(std::ftell(f), 0L);
    std::fclose(f);
    EXPECT_FALSE(FirmwareImageChecksumOk(nullptr));

    image[56 + 9999] ^= 0xFF;
    ASSERT_TRUE(filetest::WriteFileBytes(file.path(), image));
    EXPECT_FALSE(ValidateFirmwareImage(file.path().c_str(), &why));
    f = std::fopen(file.path().c_str(), "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_FALSE(FirmwareImageChecksumOk(f));
    std::fclose(f);
}

TEST(FirmwareImage, LoadedOnceAndRefusedWithTheFileAndTheReason) {
    filetest::TempFile file("update.bin");
    const auto image = MakeImage(Payload(3000), {{5, Payload(3000)[5]}});
    ASSERT_TRUE(filetest::WriteFileBytes(file.path(), image));
    std::vector<uint8_t> loaded;
    std::string message = "stale";
    ASSERT_TRUE(LoadFirmwareImage(file.path(), &loaded, &message)) << message;
    EXPECT_EQ(loaded, image);
    EXPECT_EQ(message, "");
    // What was loaded is what is sent, whatever happens to the file afterwards.
    ASSERT_TRUE(filetest::WriteFileBytes(file.path(), std::vector<uint8_t>(10, 0)));
    EXPECT_EQ(loaded, image);

    struct Case {
        std::vector<uint8_t> bytes;
        const char* reason;
    };
    auto wrongSum = image;
    wrongSum[52] ^= 1;
    auto wrongSignature = image;
    wrongSignature[4] = 'k';
    const Case cases[] = {
        {std::vector<uint8_t>(10, 0), "the file is shorter than the 56-byte firmware header"},
        {wrongSum, "the checksum does not match the payload"},
        {wrongSignature, "the signature is wrong"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        ASSERT_TRUE(filetest::WriteFileBytes(file.path(), c.bytes));
        loaded = {1, 2, 3};
        EXPECT_FALSE(LoadFirmwareImage(file.path(), &loaded, &message));
        EXPECT_EQ(message, "'darvix firmware' not valid.\n\"" + file.path() + "\": " + c.reason + ".");
        EXPECT_EQ(loaded, (std::vector<uint8_t>{1, 2, 3}));  // nothing of a refused image is kept
    }
    EXPECT_FALSE(LoadFirmwareImage(file.path() + ".missing", &loaded, &message));
    EXPECT_EQ(message.rfind("'darvix firmware' not valid.\n\"" + file.path() + ".missing\": ", 0), 0u) << message;
}
