// The settings in the registry of the build tree's Wine prefix: keys created, values written with
// their names, types and sizes, read back and defaulted. Every test starts from a machine on which
// the program never ran (its keys deleted).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "os/registry_settings.h"
#include "os/version.h"

namespace {

bool KeyExists(const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

struct RawValue {
    bool found = false;
    DWORD type = 0;
    std::string bytes;
};

RawValue ReadRaw(const char* name) {
    RawValue v;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "software\\Morvane\\Darvix", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return v;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &v.type, nullptr, &size) == ERROR_SUCCESS) {
        v.bytes.resize(size);
        v.found = RegQueryValueExA(key, name, nullptr, &v.type, reinterpret_cast<BYTE*>(v.bytes.data()),
                                   &size) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return v;
}

uint32_t AsDword(const RawValue& v) {
    uint32_t d = 0;
    if (v.bytes.size() == 4) std::memcpy(&d, v.bytes.data(), 4);
    return d;
}

void WriteRaw(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "software\\Morvane\\Darvix", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
}

class Registry : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, "software\\Morvane");
        ASSERT_FALSE(KeyExists("software\\Morvane"));
    }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, "software\\Morvane"); }
    os::RegistrySettings settings_;
};

TEST_F(Registry, FirstStartCreatesBothKeysWritesPathAndCom) {
    os::EnsureRegistryKeys(settings_);
    EXPECT_TRUE(KeyExists("software\\Morvane"));
    EXPECT_TRUE(KeyExists("software\\Morvane\\Darvix"));

    os::StorePathSetting(settings_);
    RawValue path = ReadRaw("Path");
    ASSERT_TRUE(path.found);
    EXPECT_EQ(path.type, static_cast<DWORD>(REG_SZ));
    ASSERT_EQ(path.bytes.size(), 262u) << "trailing zeros included";
    std::string exe = os::GetModuleFilePath();
    std::string folder = exe.substr(0, exe.rfind('\\'));
    std::string expected = folder;
    expected.resize(262, '\0');
    EXPECT_EQ(path.bytes, expected);

    EXPECT_FALSE(ReadRaw("Com").found);
    EXPECT_EQ(os::GetComSetting(settings_), 1);
    RawValue com = ReadRaw("Com");
    ASSERT_TRUE(com.found);
    EXPECT_EQ(com.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(AsDword(com), 1u);
}

TEST_F(Registry, EnsureKeepsExistingValues) {
    WriteRaw("Com", REG_DWORD, "\x02\0\0\0", 4);
    os::EnsureRegistryKeys(settings_);
    EXPECT_EQ(os::GetComSetting(settings_), 2);
}

TEST_F(Registry, WithoutTheKeyGettersDefaultAndSettersWriteNothing) {
    EXPECT_EQ(os::GetComSetting(settings_), 1);
    EXPECT_EQ(os::GetAskReset(settings_), -1);
    os::SetAskReset(settings_, 1);
    os::StorePathSetting(settings_);
    EXPECT_EQ(os::SetComSetting(settings_, 3), 1);
    EXPECT_FALSE(KeyExists("software\\Morvane\\Darvix")) << "only EnsureRegistryKeys creates the key";
}

TEST_F(Registry, ComAsStoredBySomeoneElse) {
    struct Case {
        uint32_t stored;
        int32_t read;
    };
    for (Case c : {Case{0, 0}, Case{2, 2}, Case{0xFFFFFFFFu, -1}}) {
        WriteRaw("Com", REG_DWORD, &c.stored, 4);
        EXPECT_EQ(os::GetComSetting(settings_), c.read) << c.stored;
        EXPECT_EQ(AsDword(ReadRaw("Com")), c.stored) << "left as it was";
    }
    // Text where a number belongs cannot be read: the default replaces it.
    WriteRaw("Com", REG_SZ, "2", 2);
    EXPECT_EQ(os::GetComSetting(settings_), 1);
    RawValue com = ReadRaw("Com");
    EXPECT_EQ(com.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(AsDword(com), 1u);
}

TEST_F(Registry, SetComWritesADwordAndReadsItBack) {
    os::EnsureRegistryKeys(settings_);
    EXPECT_EQ(os::SetComSetting(settings_, 5), 5);
    RawValue com = ReadRaw("Com");
    EXPECT_EQ(com.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(com.bytes.size(), 4u);
    EXPECT_EQ(AsDword(com), 5u);
}

TEST_F(Registry, RememberedAnswersAreDwordsDefaultingToMinusOne) {
    os::EnsureRegistryKeys(settings_);
    for (size_t q = 0; q < os::kQuestionCount; ++q) {
        auto question = static_cast<os::Question>(q);
        const char* name = os::AnswerValueName(question);
        EXPECT_EQ(os::GetRememberedAnswer(settings_, question), -1) << name;
        RawValue v = ReadRaw(name);
        ASSERT_TRUE(v.found) << name << " written back";
        EXPECT_EQ(v.type, static_cast<DWORD>(REG_DWORD));
        EXPECT_EQ(AsDword(v), 0xFFFFFFFFu);
        os::SetRememberedAnswer(settings_, question, static_cast<int32_t>(q % 2));
        EXPECT_EQ(AsDword(ReadRaw(name)), q % 2) << name;
        EXPECT_EQ(os::GetRememberedAnswer(settings_, question), static_cast<int32_t>(q % 2));
    }
    os::ResetDefaultAnswers(settings_);
    for (size_t q = 0; q < os::kQuestionCount; ++q) {
        const char* name = os::AnswerValueName(static_cast<os::Question>(q));
        EXPECT_EQ(AsDword(ReadRaw(name)), 0xFFFFFFFFu) << name;
    }
}

TEST_F(Registry, TheProgramsSettingsAreTheRegistry) {
    os::EnsureRegistryKeys(os::ProgramSettings());
    os::SetAskEqLink(os::ProgramSettings(), 1);
    EXPECT_EQ(AsDword(ReadRaw("AskEqLink")), 1u);
}

}  // namespace
