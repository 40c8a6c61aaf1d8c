#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "os/file.h"
#include "test_support.h"

using filetest::FileExists;
using filetest::ReadFileBytes;
using filetest::TempFile;
using filetest::WriteFileBytes;

namespace {

std::vector<uint8_t> Bytes(size_t n, uint8_t seed) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(seed + i * 13);
    return v;
}

}  // namespace

// Runs under Wine too, where the replace is MoveFileExA.
TEST(SaveFileReplacing, CreatesAndReplacesWithoutLeavingTheTemporaryFile) {
    TempFile file("setup.bit");
    const auto first = Bytes(70000, 1), second = Bytes(1234, 9);
    std::string why;
    ASSERT_TRUE(os::SaveFileReplacing(file.path(), first.data(), first.size(), &why)) << why;
    EXPECT_EQ(ReadFileBytes(file.path()), first);
    ASSERT_TRUE(os::SaveFileReplacing(file.path(), second.data(), second.size(), &why)) << why;
    EXPECT_EQ(ReadFileBytes(file.path()), second) << "a shorter file replaces a longer one whole";
    EXPECT_FALSE(FileExists(os::TemporaryPathFor(file.path())));
}

TEST(SaveFileReplacing, AFailedSaveLeavesTheOldFileWhole) {
    TempFile file("setup.bit");
    const auto old = Bytes(5000, 3), next = Bytes(9000, 5);
    ASSERT_TRUE(WriteFileBytes(file.path(), old));

    struct Case {
        const char* what;
        os::SaveFaults faults;
    } cases[] = {
        {"disk full at the start", {0, false}},
        {"disk full midway", {4096, false}},
        {"disk full one byte short", {8999, false}},
        {"the replace fails", {-1, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string why;
        EXPECT_FALSE(os::SaveFileReplacing(file.path(), next.data(), next.size(), &why, &c.faults));
        EXPECT_FALSE(why.empty());
        EXPECT_EQ(ReadFileBytes(file.path()), old);
        EXPECT_FALSE(FileExists(os::TemporaryPathFor(file.path())));
    }
}

TEST(SaveFileReplacing, AFolderThatDoesNotExistIsReported) {
    TempFile file("missing");
    const std::string path = file.path() + "/no/such/folder/setup.bit";
    const auto data = Bytes(10, 0);
    std::string why;
    EXPECT_FALSE(os::SaveFileReplacing(path, data.data(), data.size(), &why));
    EXPECT_NE(why.find("cannot create"), std::string::npos) << why;
}

TEST(ReplaceFileWith, ReplacesAnExistingFileAndMovesToANewName) {
    TempFile a("a"), b("b");
    ASSERT_TRUE(WriteFileBytes(a.path(), Bytes(10, 1)));
    ASSERT_TRUE(WriteFileBytes(b.path(), Bytes(20, 2)));
    std::string why;
    ASSERT_TRUE(os::ReplaceFileWith(a.path(), b.path(), &why)) << why;
    EXPECT_EQ(ReadFileBytes(b.path()), Bytes(10, 1));
    EXPECT_FALSE(FileExists(a.path()));
    ASSERT_TRUE(os::ReplaceFileWith(b.path(), a.path(), &why)) << why;
    EXPECT_EQ(ReadFileBytes(a.path()), Bytes(10, 1));
    EXPECT_FALSE(os::ReplaceFileWith(b.path(), a.path(), &why)) << "the source is gone";
}

TEST(ReadWholeFile, ReadsAllAndRefusesMissingOrOversizedFiles) {
    TempFile file("data");
    std::vector<uint8_t> out;
    std::string why;
    EXPECT_FALSE(os::ReadWholeFile(file.path(), &out, 1000, &why));
    EXPECT_NE(why.find("cannot open"), std::string::npos) << why;

    const auto data = Bytes(20000, 7);
    ASSERT_TRUE(WriteFileBytes(file.path(), data));
    ASSERT_TRUE(os::ReadWholeFile(file.path(), &out, 20000, &why)) << why;
    EXPECT_EQ(out, data);
    EXPECT_FALSE(os::ReadWholeFile(file.path(), &out, 19999, &why));
    EXPECT_TRUE(out.empty());
    EXPECT_NE(why.find("larger"), std::string::npos) << why;
}
