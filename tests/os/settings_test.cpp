// The program's settings over the in-memory store: defaults, write-back, the signed "Com", the
// remembered answers and the fixed-size "Path".
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "os/settings.h"
#include "os/version.h"

namespace {

using os::MemorySettings;
using os::Question;
using os::ValueRead;

std::vector<std::string> AllAnswerNames() {
    return {"AskEqLink", "AskXoLink", "AskMinFDS", "AskDelayRif", "AskStdSwtLink", "AskReset",
            "AskFineDelay"};
}

TEST(Settings, FirstStartCreatesKeysWritesPathAndDefaultCom) {
    MemorySettings s;
    EXPECT_FALSE(s.HasKeys());
    os::EnsureRegistryKeys(s);
    EXPECT_TRUE(s.HasKeys());

    os::StorePathSetting(s, "C:\\Program Files\\Darvix");
    std::string path;
    ASSERT_EQ(s.ReadText("Path", path), ValueRead::Found);
    ASSERT_EQ(path.size(), os::kPathValueSize);
    std::string expected = "C:\\Program Files\\Darvix";
    expected.resize(os::kPathValueSize, '\0');
    EXPECT_EQ(path, expected);

    uint32_t raw = 0;
    EXPECT_EQ(s.ReadDword("Com", raw), ValueRead::Missing);
    EXPECT_EQ(os::GetComSetting(s), 1);
    ASSERT_EQ(s.ReadDword("Com", raw), ValueRead::Found);
    EXPECT_EQ(raw, 1u);
}

TEST(Settings, PathKeepsAtMost260CharactersAndAlways262Bytes) {
    MemorySettings s;
    os::EnsureRegistryKeys(s);
    std::string long_folder(300, 'x');
    os::StorePathSetting(s, long_folder.c_str());
    std::string path;
    ASSERT_EQ(s.ReadText("Path", path), ValueRead::Found);
    ASSERT_EQ(path.size(), os::kPathValueSize);
    EXPECT_EQ(path.substr(0, 260), std::string(260, 'x'));
    EXPECT_EQ(path.substr(260), std::string(2, '\0'));
}

TEST(Settings, PathOfTheRunningProgramIsItsFolder) {
    MemorySettings s;
    os::EnsureRegistryKeys(s);
    os::StorePathSetting(s);
    std::string path;
    ASSERT_EQ(s.ReadText("Path", path), ValueRead::Found);
    ASSERT_EQ(path.size(), os::kPathValueSize);
    std::string exe = os::GetModuleFilePath();
    ASSERT_FALSE(exe.empty());
    std::string folder = path.c_str();
    EXPECT_FALSE(folder.empty());
    EXPECT_EQ(exe.compare(0, folder.size(), folder), 0) << exe << " vs " << folder;
    // What follows the folder is one separator and the file name.
    ASSERT_GT(exe.size(), folder.size() + 1);
    EXPECT_TRUE(exe[folder.size()] == '\\' || exe[folder.size()] == '/');
    EXPECT_EQ(exe.find_first_of("\\/", folder.size() + 1), std::string::npos);
}

TEST(Settings, ComIsReadAsASignedNumber) {
    struct Case {
        uint32_t stored;
        int32_t read;
    };
    for (Case c : {Case{0, 0}, Case{1, 1}, Case{3, 3}, Case{0xFFFFFFFFu, -1}, Case{0x80000000u, INT32_MIN}}) {
        MemorySettings s;
        os::EnsureRegistryKeys(s);
        ASSERT_TRUE(s.WriteDword("Com", c.stored));
        s.ClearWrites();
        EXPECT_EQ(os::GetComSetting(s), c.read) << c.stored;
        EXPECT_TRUE(s.Writes().empty()) << "a stored value is never rewritten";
    }
}

TEST(Settings, SetComReturnsTheValueReadBack) {
    MemorySettings s;
    os::EnsureRegistryKeys(s);
    EXPECT_EQ(os::SetComSetting(s, 4), 4);
    EXPECT_EQ(os::SetComSetting(s, -1), -1);
    EXPECT_EQ(os::GetComSetting(s), -1);
    s.SetBlocked(true);
    EXPECT_EQ(os::SetComSetting(s, 4), 1) << "nothing written, the default read";
}

TEST(Settings, AValueOfTheWrongTypeIsReplacedByTheDefault) {
    MemorySettings s;
    os::EnsureRegistryKeys(s);
    ASSERT_TRUE(s.WriteText("Com", "2", 2));
    ASSERT_TRUE(s.WriteText("AskReset", "1", 2));
    EXPECT_EQ(os::GetComSetting(s), 1);
    EXPECT_EQ(os::GetAskReset(s), -1);
    uint32_t raw = 0;
    ASSERT_EQ(s.ReadDword("Com", raw), ValueRead::Found);
    EXPECT_EQ(raw, 1u);
    ASSERT_EQ(s.ReadDword("AskReset", raw), ValueRead::Found);
    EXPECT_EQ(raw, 0xFFFFFFFFu);
}

TEST(Settings, WithoutAKeyEveryGetterGivesItsDefaultAndNothingIsWritten) {
    for (bool blocked : {false, true}) {
        MemorySettings s;
        if (blocked) {
            s.SetBlocked(true);
            os::EnsureRegistryKeys(s);
            EXPECT_FALSE(s.HasKeys());
        }
        EXPECT_EQ(os::GetComSetting(s), 1);
        for (size_t q = 0; q < os::kQuestionCount; ++q) {
            os::SetRememberedAnswer(s, static_cast<Question>(q), 1);
            EXPECT_EQ(os::GetRememberedAnswer(s, static_cast<Question>(q)), -1);
        }
        os::ResetDefaultAnswers(s);
        os::StorePathSetting(s, "C:\\x");
        EXPECT_TRUE(s.Writes().empty());
    }
}

TEST(Settings, RememberedAnswersDefaultToAskAndKeepWhatIsStored) {
    using Getter = int32_t (*)(os::Settings&);
    using Setter = void (*)(os::Settings&, int32_t);
    struct Entry {
        const char* name;
        Getter get;
        Setter set;
    };
    const Entry entries[] = {
        {"AskEqLink", os::GetAskEqLink, os::SetAskEqLink},
        {"AskXoLink", os::GetAskXoLink, os::SetAskXoLink},
        {"AskMinFDS", os::GetAskMinFDS, os::SetAskMinFDS},
        {"AskDelayRif", os::GetAskDelayRif, os::SetAskDelayRif},
        {"AskStdSwtLink", os::GetAskStdSwtLink, os::SetAskStdSwtLink},
        {"AskReset", os::GetAskReset, os::SetAskReset},
        {"AskFineDelay", os::GetAskFineDelay, os::SetAskFineDelay},
    };
    for (const Entry& e : entries) {
        MemorySettings s;
        os::EnsureRegistryKeys(s);
        EXPECT_EQ(e.get(s), -1) << e.name;
        EXPECT_EQ(s.Writes(), std::vector<std::string>{e.name}) << "the default is written back";
        uint32_t raw = 0;
        ASSERT_EQ(s.ReadDword(e.name, raw), ValueRead::Found);
        EXPECT_EQ(raw, 0xFFFFFFFFu);
        for (int32_t v : {1, 0, -1}) {
            e.set(s, v);
            EXPECT_EQ(e.get(s), v) << e.name;
        }
        // Each answer is its own value: setting one leaves the others missing.
        for (const std::string& other : AllAnswerNames()) {
            if (other == e.name) continue;
            EXPECT_EQ(s.ReadDword(other.c_str(), raw), ValueRead::Missing) << other;
        }
    }
}

TEST(Settings, ResetDefaultAnswerWritesAllSevenInItsOrder) {
    MemorySettings s;
    os::EnsureRegistryKeys(s);
    for (size_t q = 0; q < os::kQuestionCount; ++q) os::SetRememberedAnswer(s, static_cast<Question>(q), 1);
    s.ClearWrites();
    os::ResetDefaultAnswers(s);
    EXPECT_EQ(s.Writes(), (std::vector<std::string>{"AskEqLink", "AskXoLink", "AskStdSwtLink", "AskReset",
                                                    "AskFineDelay", "AskMinFDS", "AskDelayRif"}));
    for (size_t q = 0; q < os::kQuestionCount; ++q)
        EXPECT_EQ(os::GetRememberedAnswer(s, static_cast<Question>(q)), -1);
}

TEST(Settings, AQuestionOutsideTheListWritesNothing) {
    MemorySettings s;
    os::EnsureRegistryKeys(s);
    Question bogus = static_cast<Question>(7);
    EXPECT_EQ(os::AnswerValueName(bogus), nullptr);
    os::SetRememberedAnswer(s, bogus, 1);
    EXPECT_EQ(os::GetRememberedAnswer(s, bogus), -1);
    EXPECT_TRUE(s.Writes().empty());
}

// ---- Version numbers and the module's folder ------------------------------------------------

TEST(Version, ParseVersionNumbers) {
    struct Case {
        const char* text;
        bool ok;
        int numbers[4];
    };
    const Case cases[] = {
        {"1.5.15.161", true, {1, 5, 15, 161}},
        {"1, 5, 15, 161", true, {1, 5, 15, 161}},
        {"1..5", true, {1, 5, 9, 9}},           // the empty field is skipped
        {"-3.2", true, {0, 2, 9, 9}},           // a negative number becomes 0
        {"", false, {9, 9, 9, 9}},
        {"7", true, {7, 9, 9, 9}},
        {"1.2.3.4.5", true, {1, 2, 3, 4}},      // four at most
        {".1.2", true, {1, 2, 9, 9}},           // a leading separator opens no field
        {"1.2.", true, {1, 2, 9, 9}},           // the last separator ends the field
        {"1.2..", true, {1, 2, 0, 9}},          // ... but an empty last field is read, as 0
        {"  4 .+5x.6beta", true, {4, 5, 6, 9}}, // blanks before, a sign, stop at a non-digit
        {"abc", true, {0, 9, 9, 9}},
        {"99999999999999999999.1", true, {2147483647, 1, 9, 9}},  // saturates, no overflow
        {"2,0", true, {2, 0, 9, 9}},
    };
    for (const Case& c : cases) {
        int out[4] = {9, 9, 9, 9};
        EXPECT_EQ(os::ParseVersionNumbers(c.text, std::strlen(c.text), out), c.ok) << c.text;
        for (int i = 0; i < 4; ++i) EXPECT_EQ(out[i], c.numbers[i]) << c.text << " [" << i << "]";
    }
}

TEST(Version, ParseReadsNoFurtherThanItsLength) {
    // Not terminated: the digits after n must not join the last field.
    const char text[] = {'1', '.', '2', '3', '4', '5'};
    int out[4] = {};
    ASSERT_TRUE(os::ParseVersionNumbers(text, 3, out));
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[1], 2);
    EXPECT_FALSE(os::ParseVersionNumbers(nullptr, 3, out));
    EXPECT_FALSE(os::ParseVersionNumbers(text, 0, out));
}

TEST(Version, ProgramVersionTextMatchesItsNumbers) {
    int out[4] = {-1, -1, -1, -1};
    ASSERT_TRUE(os::ParseVersionNumbers(os::kProgramVersionText, std::strlen(os::kProgramVersionText), out));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(out[i], os::kProgramVersion[i]);
}

TEST(Version, NoVersionFromAFileWithout) {
    int out[4] = {9, 9, 9, 9};
    EXPECT_FALSE(os::ReadFileVersion("no such file.exe", out));
    for (int v : out) EXPECT_EQ(v, 0);
}

TEST(ModuleDirectory, CopyDirectoryPart) {
    struct Case {
        const char* path;
        size_t size;
        bool ok;
        const char* folder;
    };
    const Case cases[] = {
        {"C:\\Program Files\\Darvix\\darvix.exe", 260, true, "C:\\Program Files\\Darvix"},
        {"C:\\darvix.exe", 260, true, "C:"},
        {"darvix.exe", 260, false, ""},
        {"\\\\server\\share\\", 260, true, "\\\\server\\share"},
        {"C:\\abc\\d.exe", 6, true, "C:\\abc"},   // the folder just fits
        {"C:\\abc\\d.exe", 5, false, ""},         // a folder cut short is no folder
        {"", 260, false, ""},
    };
    for (const Case& c : cases) {
        char buffer[300] = {};
        EXPECT_EQ(os::CopyDirectoryPart(c.path, std::strlen(c.path), '\\', buffer, c.size), c.ok) << c.path;
        EXPECT_STREQ(buffer, c.folder) << c.path;
    }
}

TEST(ModuleDirectory, AddsNoTerminatorOfItsOwn) {
    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    ASSERT_TRUE(os::CopyDirectoryPart("C:\\ab\\c", 7, '\\', buffer, sizeof buffer));
    EXPECT_EQ(std::string(buffer, 6), "C:\\ab#");
}

}  // namespace
