#include "os/registry_settings.h"

#include <windows.h>

#include <utility>

namespace os {

namespace {

// An open registry key, closed when it goes out of scope.
class OpenKey {
public:
    explicit OpenKey(const std::string& path) {
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &key_) != ERROR_SUCCESS)
            key_ = nullptr;
    }
    ~OpenKey() {
        if (key_) ::RegCloseKey(key_);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    explicit operator bool() const { return key_ != nullptr; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// Opens the key, creating it only when the open fails.
void OpenOrCreate(const std::string& path) {
    if (OpenKey(path)) return;
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS)
        ::RegCloseKey(key);
}

}  // namespace

RegistrySettings::RegistrySettings(std::string parent, std::string key)
    : parent_(std::move(parent)), key_(std::move(key)) {}

void RegistrySettings::CreateKeys() {
    OpenOrCreate(parent_);
    OpenOrCreate(key_);
}

ValueRead RegistrySettings::ReadDword(const char* name, uint32_t& value) {
    OpenKey key(key_);
    if (!key) return ValueRead::NoKey;
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof data;
    // A value of another type or size counts as unreadable: the caller then writes its default.
    if (::RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof data)
        return ValueRead::Missing;
    value = data;
    return ValueRead::Found;
}

bool RegistrySettings::WriteDword(const char* name, uint32_t value) {
    OpenKey key(key_);
    if (!key) return false;
    DWORD data = value;
    return ::RegSetValueExA(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                            sizeof data) == ERROR_SUCCESS;
}

bool RegistrySettings::WriteText(const char* name, const char* bytes, size_t size) {
    OpenKey key(key_);
    if (!key) return false;
    return ::RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(bytes),
                            static_cast<DWORD>(size)) == ERROR_SUCCESS;
}

ValueRead RegistrySettings::ReadText(const char* name, std::string& bytes) {
    OpenKey key(key_);
    if (!key) return ValueRead::NoKey;
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExA(key.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return ValueRead::Missing;
    std::string data(size, '\0');
    if (::RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                           &size) != ERROR_SUCCESS)
        return ValueRead::Missing;
    data.resize(size);
    bytes = std::move(data);
    return ValueRead::Found;
}

}  // namespace os
