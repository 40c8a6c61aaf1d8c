// The program's own few settings: the device number "Com", the program folder "Path" and the seven
// remembered answers of its questions. They live in the current user's registry key
// "software\Morvane\Darvix" on Windows (RegistrySettings) and in memory in native builds and tests
// (MemorySettings); both keep the same names, types and defaults.
//
// Every failure is silent by design: a getter falls back to its default, a setter does nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace os {

constexpr const char* kSettingsParentKey = "software\\Morvane";
constexpr const char* kSettingsKey = "software\\Morvane\\Darvix";

enum class ValueRead {
    NoKey,    // the program's key does not open
    Missing,  // the key opens but the value is absent or not of the expected type and size
    Found,
};

// The store behind the settings: one key of named values, opened anew for every access.
class Settings {
public:
    virtual ~Settings() = default;
    // Opens the parent key, creating it when it does not open; then the same for the program's key.
    virtual void CreateKeys() = 0;
    // A 4-byte number (REG_DWORD).
    virtual ValueRead ReadDword(const char* name, uint32_t& value) = 0;
    // False when the key does not open; nothing is written then.
    virtual bool WriteDword(const char* name, uint32_t value) = 0;
    // Text stored as exactly `size` bytes, terminator and padding included (REG_SZ).
    virtual bool WriteText(const char* name, const char* bytes, size_t size) = 0;
    // The stored bytes of a text value, as written.
    virtual ValueRead ReadText(const char* name, std::string& bytes) = 0;
};

// Settings in memory. Starts like a machine the program never ran on: no key until CreateKeys.
// Thread-safe, since pages and the poll thread may both read remembered answers.
class MemorySettings : public Settings {
public:
    void CreateKeys() override;
    ValueRead ReadDword(const char* name, uint32_t& value) override;
    bool WriteDword(const char* name, uint32_t value) override;
    bool WriteText(const char* name, const char* bytes, size_t size) override;
    ValueRead ReadText(const char* name, std::string& bytes) override;

    // For tests: a key that neither opens nor can be created (as with a registry denying access).
    void SetBlocked(bool blocked);
    // Both the parent and the program's key exist.
    bool HasKeys() const;
    // Every value name written, in order.
    std::vector<std::string> Writes() const;
    void ClearWrites();
    void Erase(const char* name);

private:
    struct Value {
        bool is_text = false;
        std::string bytes;
    };
    bool KeyOpens() const { return !blocked_ && parent_ && key_; }

    mutable std::mutex lock_;
    bool blocked_ = false;
    bool parent_ = false;
    bool key_ = false;
    std::map<std::string, Value> values_;
    std::vector<std::string> writes_;
};

// The settings of the running program: the registry on Windows, one process-wide MemorySettings
// elsewhere.
Settings& ProgramSettings();

// ---- The program's values -------------------------------------------------------------------

constexpr int32_t kDefaultCom = 1;
constexpr int32_t kAskAgain = -1;       // a remembered answer that asks
constexpr size_t kPathValueSize = 262;  // "Path" is always written with this many bytes
constexpr size_t kPathChars = 260;      // of which at most this many hold the folder

// The questions whose answers can be remembered.
enum class Question : uint8_t { EqLink, XoLink, MinFDS, DelayRif, StdSwtLink, Reset, FineDelay };
constexpr size_t kQuestionCount = 7;
// The registry value name of a question's remembered answer ("AskEqLink" ...); null for a value
// outside the enumeration.
const char* AnswerValueName(Question question);

// Creates "software\Morvane" and "software\Morvane\Darvix" when they do not open. Called first at
// start.
void EnsureRegistryKeys(Settings& settings);
// Writes the program's folder as "Path": REG_SZ of exactly 262 bytes, zero-filled. Called second at
// start.
void StorePathSetting(Settings& settings);
// The same with a folder given by the caller (at most 260 characters are kept).
void StorePathSetting(Settings& settings, const char* directory);

// "Com", the 1-based device number of the last device used. Missing -> 1 written back and returned;
// key not openable -> 1. Signed: a stored 0 or negative number means "probe nothing".
int32_t GetComSetting(Settings& settings);
// Writes "Com" and returns the value read back.
int32_t SetComSetting(Settings& settings, int32_t number);

// A remembered answer: -1 asks, 1 acts as confirmed, 0 as refused. Missing -> -1 written back and
// returned; key not openable -> -1.
int32_t GetRememberedAnswer(Settings& settings, Question question);
void SetRememberedAnswer(Settings& settings, Question question, int32_t answer);
// "Reset Default Answer": every remembered answer back to -1, so that every question asks again.
void ResetDefaultAnswers(Settings& settings);

inline int32_t GetAskEqLink(Settings& s) { return GetRememberedAnswer(s, Question::EqLink); }
inline int32_t GetAskXoLink(Settings& s) { return GetRememberedAnswer(s, Question::XoLink); }
inline int32_t GetAskMinFDS(Settings& s) { return GetRememberedAnswer(s, Question::MinFDS); }
inline int32_t GetAskDelayRif(Settings& s) { return GetRememberedAnswer(s, Question::DelayRif); }
inline int32_t GetAskStdSwtLink(Settings& s) { return GetRememberedAnswer(s, Question::StdSwtLink); }
inline int32_t GetAskReset(Settings& s) { return GetRememberedAnswer(s, Question::Reset); }
inline int32_t GetAskFineDelay(Settings& s) { return GetRememberedAnswer(s, Question::FineDelay); }
inline void SetAskEqLink(Settings& s, int32_t v) { SetRememberedAnswer(s, Question::EqLink, v); }
inline void SetAskXoLink(Settings& s, int32_t v) { SetRememberedAnswer(s, Question::XoLink, v); }
inline void SetAskMinFDS(Settings& s, int32_t v) { SetRememberedAnswer(s, Question::MinFDS, v); }
inline void SetAskDelayRif(Settings& s, int32_t v) { SetRememberedAnswer(s, Question::DelayRif, v); }
inline void SetAskStdSwtLink(Settings& s, int32_t v) { SetRememberedAnswer(s, Question::StdSwtLink, v); }
inline void SetAskReset(Settings& s, int32_t v) { SetRememberedAnswer(s, Question::Reset, v); }
inline void SetAskFineDelay(Settings& s, int32_t v) { SetRememberedAnswer(s, Question::FineDelay, v); }

}  // namespace os
