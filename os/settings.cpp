#include "os/settings.h"

#include <cstring>

#include "os/version.h"

#ifdef _WIN32
#include "os/registry_settings.h"
#endif

namespace os {

// ---- MemorySettings -------------------------------------------------------------------------

void MemorySettings::CreateKeys() {
    std::lock_guard<std::mutex> hold(lock_);
    if (blocked_) return;
    parent_ = true;
    key_ = true;
}

ValueRead MemorySettings::ReadDword(const char* name, uint32_t& value) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!KeyOpens()) return ValueRead::NoKey;
    auto it = values_.find(name);
    if (it == values_.end() || it->second.is_text || it->second.bytes.size() != 4)
        return ValueRead::Missing;
    std::memcpy(&value, it->second.bytes.data(), 4);
    return ValueRead::Found;
}

bool MemorySettings::WriteDword(const char* name, uint32_t value) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!KeyOpens()) return false;
    Value& v = values_[name];
    v.is_text = false;
    v.bytes.assign(reinterpret_cast<const char*>(&value), 4);
    writes_.emplace_back(name);
    return true;
}

bool MemorySettings::WriteText(const char* name, const char* bytes, size_t size) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!KeyOpens()) return false;
    Value& v = values_[name];
    v.is_text = true;
    v.bytes.assign(bytes, size);
    writes_.emplace_back(name);
    return true;
}

ValueRead MemorySettings::ReadText(const char* name, std::string& bytes) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!KeyOpens()) return ValueRead::NoKey;
    auto it = values_.find(name);
    if (it == values_.end() || !it->second.is_text) return ValueRead::Missing;
    bytes = it->second.bytes;
    return ValueRead::Found;
}

void MemorySettings::SetBlocked(bool blocked) {
    std::lock_guard<std::mutex> hold(lock_);
    blocked_ = blocked;
}

bool MemorySettings::HasKeys() const {
    std::lock_guard<std::mutex> hold(lock_);
    return parent_ && key_;
}

std::vector<std::string> MemorySettings::Writes() const {
    std::lock_guard<std::mutex> hold(lock_);
    return writes_;
}

void MemorySettings::ClearWrites() {
    std::lock_guard<std::mutex> hold(lock_);
    writes_.clear();
}

void MemorySettings::Erase(const char* name) {
    std::lock_guard<std::mutex> hold(lock_);
    values_.erase(name);
}

Settings& ProgramSettings() {
#ifdef _WIN32
    static RegistrySettings settings;
#else
    static MemorySettings settings;
#endif
    return settings;
}

// ---- The program's values -------------------------------------------------------------------

namespace {

constexpr const char* kComValue = "Com";
constexpr const char* kPathValue = "Path";

constexpr const char* kAnswerNames[kQuestionCount] = {
    "AskEqLink", "AskXoLink", "AskMinFDS", "AskDelayRif", "AskStdSwtLink", "AskReset", "AskFineDelay",
};

// The order in which "Reset Default Answer" has always written them.
constexpr Question kResetOrder[kQuestionCount] = {
    Question::EqLink, Question::XoLink,   Question::StdSwtLink, Question::Reset,
    Question::FineDelay, Question::MinFDS, Question::DelayRif,
};

// A REG_DWORD read as the signed number the program compares it as; a value that is missing or
// cannot be read is replaced by the default, which is also what a later read will see.
int32_t ReadSignedWithDefault(Settings& settings, const char* name, int32_t fallback) {
    uint32_t raw = 0;
    switch (settings.ReadDword(name, raw)) {
        case ValueRead::Found:
            return static_cast<int32_t>(raw);
        case ValueRead::Missing:
            settings.WriteDword(name, static_cast<uint32_t>(fallback));
            return fallback;
        case ValueRead::NoKey:
            break;
    }
    return fallback;
}

}  // namespace

const char* AnswerValueName(Question question) {
    size_t i = static_cast<size_t>(question);
    return i < kQuestionCount ? kAnswerNames[i] : nullptr;
}

void EnsureRegistryKeys(Settings& settings) { settings.CreateKeys(); }

void StorePathSetting(Settings& settings) {
    // When the folder cannot be had the value is still written, empty, as it always was.
    char directory[kPathValueSize] = {};
    GetModuleDirectory(directory, kPathChars);
    StorePathSetting(settings, directory);
}

void StorePathSetting(Settings& settings, const char* directory) {
    // The value always carries the whole zero-filled buffer, so readers that take it as a fixed
    // 262-byte field find the folder terminated.
    char buffer[kPathValueSize] = {};
    if (directory) std::memcpy(buffer, directory, strnlen(directory, kPathChars));
    settings.WriteText(kPathValue, buffer, kPathValueSize);
}

int32_t GetComSetting(Settings& settings) {
    return ReadSignedWithDefault(settings, kComValue, kDefaultCom);
}

int32_t SetComSetting(Settings& settings, int32_t number) {
    settings.WriteDword(kComValue, static_cast<uint32_t>(number));
    return GetComSetting(settings);
}

int32_t GetRememberedAnswer(Settings& settings, Question question) {
    const char* name = AnswerValueName(question);
    return name ? ReadSignedWithDefault(settings, name, kAskAgain) : kAskAgain;
}

void SetRememberedAnswer(Settings& settings, Question question, int32_t answer) {
    // A null name would address the key's unnamed default value.
    if (const char* name = AnswerValueName(question))
        settings.WriteDword(name, static_cast<uint32_t>(answer));
}

void ResetDefaultAnswers(Settings& settings) {
    for (Question q : kResetOrder) SetRememberedAnswer(settings, q, kAskAgain);
}

}  // namespace os
