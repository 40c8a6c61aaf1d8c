// The program's settings in the registry (Windows only): the current user's key, opened with full
// access for every read and write, as the program has always done, so that a value edited outside
// the program while it runs is seen at the next read.
#pragma once

#include "os/settings.h"

namespace os {

class RegistrySettings : public Settings {
public:
    // HKEY_CURRENT_USER `parent` and `key`; `key` lies below `parent`.
    explicit RegistrySettings(std::string parent = kSettingsParentKey, std::string key = kSettingsKey);

    void CreateKeys() override;
    ValueRead ReadDword(const char* name, uint32_t& value) override;
    bool WriteDword(const char* name, uint32_t value) override;
    bool WriteText(const char* name, const char* bytes, size_t size) override;
    ValueRead ReadText(const char* name, std::string& bytes) override;

private:
    std::string parent_;
    std::string key_;
};

}  // namespace os
