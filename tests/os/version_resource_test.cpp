// The version reader against real version resources: this test program's own (the program's
// version resource, linked in) and a fixture program whose resource lists two translations, the
// first with an empty "FileVersion", the second with one longer than the reader copies.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "os/version.h"

namespace {

std::string Beside(const char* file) {
    char folder[300] = {};
    EXPECT_TRUE(os::GetModuleDirectory(folder, 260));
    return std::string(folder) + "\\" + file;
}

TEST(VersionResource, OwnFileVersionIsTheProgramVersion) {
    std::string self = os::GetModuleFilePath();
    int out[4] = {-1, -1, -1, -1};
    ASSERT_TRUE(os::ReadFileVersion(self.c_str(), out));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(out[i], os::kProgramVersion[i]) << i;

    char text[os::kVersionBufferSize] = {};
    size_t n = os::QueryVersionString(self.c_str(), "FileVersion", text, os::kVersionTextMax);
    EXPECT_STREQ(text, os::kProgramVersionText);
    EXPECT_GE(n, std::strlen(os::kProgramVersionText));
    EXPECT_LE(n, std::strlen(os::kProgramVersionText) + 1);
    EXPECT_EQ(os::QueryVersionString(self.c_str(), "NoSuchString", text, os::kVersionTextMax), 0u);
}

TEST(VersionResource, FirstNonEmptyTranslationAndOnlyWhatWasCopied) {
    std::string fixture = Beside("version_fixture.exe");
    ASSERT_NE(GetFileAttributesA(fixture.c_str()), INVALID_FILE_ATTRIBUTES) << fixture;

    char text[os::kVersionBufferSize];
    std::memset(text, '#', sizeof text);
    size_t n = os::QueryVersionString(fixture.c_str(), "FileVersion", text, os::kVersionTextMax);
    EXPECT_GT(n, os::kVersionTextMax) << "the full length is reported";
    EXPECT_EQ(std::string(text, 3), "3.4");
    EXPECT_EQ(text[os::kVersionTextMax], '#') << "no byte copied beyond the limit";

    // The numbers beyond the copied 120 characters are not part of the version.
    int out[4] = {-1, -1, -1, -1};
    ASSERT_TRUE(os::ReadFileVersion(fixture.c_str(), out));
    EXPECT_EQ(out[0], 3);
    EXPECT_EQ(out[1], 4);
    EXPECT_EQ(out[2], 0);
    EXPECT_EQ(out[3], 0);

    std::memset(text, 0, sizeof text);
    ASSERT_GT(os::QueryVersionString(fixture.c_str(), "ProductName", text, os::kVersionTextMax), 0u);
    EXPECT_STREQ(text, "fixture");
}

TEST(VersionResource, AFileWithoutAVersionResourceHasVersionZero) {
    std::string junk = Beside("version_junk.bin");
    FILE* f = std::fopen(junk.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("not a program", f);
    std::fclose(f);
    int out[4] = {9, 9, 9, 9};
    EXPECT_FALSE(os::ReadFileVersion(junk.c_str(), out));
    for (int v : out) EXPECT_EQ(v, 0);
    std::remove(junk.c_str());
}

}  // namespace
