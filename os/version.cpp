#include "os/version.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace os {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// atoi over one field that need not be terminated: reads no further than the field and saturates
// instead of overflowing on a long run of digits.
int FieldToNumber(const char* p, const char* end) {
    while (p < end && IsBlank(*p)) ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    long long value = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > INT_MAX) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) return 0;  // no negative version numbers
    return static_cast<int>(std::min<long long>(value, INT_MAX));
}

}  // namespace

bool ParseVersionNumbers(const char* text, size_t n, int out[4]) {
    if (!text || !out) return false;
    size_t stored = 0;
    size_t start = 0;
    for (size_t i = 0; i < n && stored < 4; ++i) {
        bool separator = text[i] == '.' || text[i] == ',';
        bool last = i + 1 == n;
        if (!separator && !last) continue;
        size_t end = last ? n : i;
        if (end > start) out[stored++] = FieldToNumber(text + start, text + end);
        start = i + 1;
    }
    return stored > 0;
}

#ifdef _WIN32

size_t QueryVersionString(const char* path, const char* name, char* out, size_t max) {
    if (!path || !name || !out) return 0;
    DWORD ignored = 0;
    DWORD size = ::GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0) return 0;
    std::vector<char> info(size);
    if (!::GetFileVersionInfoA(path, 0, size, info.data())) return 0;

    struct LanguageCodePage {
        WORD language;
        WORD code_page;
    };
    LanguageCodePage* pairs = nullptr;
    UINT pairs_bytes = 0;
    if (!::VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&pairs),
                          &pairs_bytes) ||
        !pairs)
        return 0;

    for (UINT i = 0; i < pairs_bytes / sizeof(LanguageCodePage); ++i) {
        char sub_block[121];
        std::snprintf(sub_block, sizeof sub_block, "\\StringFileInfo\\%04x%04x\\%s", pairs[i].language,
                      pairs[i].code_page, name);
        char* value = nullptr;
        UINT length = 0;
        if (!::VerQueryValueA(info.data(), sub_block, reinterpret_cast<void**>(&value), &length) ||
            !value || length == 0 || value[0] == '\0')
            continue;
        std::memcpy(out, value, std::min<size_t>(length, max));
        return length;
    }
    return 0;
}

std::string GetModuleFilePath() {
    // GetModuleFileNameA truncates silently when the buffer is too small (and then, on older
    // systems, without a terminator), so grow the buffer until the whole path fits.
    std::vector<char> buffer(MAX_PATH + 1);
    for (;;) {
        DWORD n = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size() - 1) return std::string(buffer.data(), n);
        if (buffer.size() > 32768) return {};
        buffer.resize(buffer.size() * 2);
    }
}

constexpr char kPathSeparator = '\\';

#else

size_t QueryVersionString(const char*, const char*, char*, size_t) { return 0; }

std::string GetModuleFilePath() {
    std::vector<char> buffer(4096);
    ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n <= 0 || static_cast<size_t>(n) >= buffer.size()) return {};
    return std::string(buffer.data(), static_cast<size_t>(n));
}

constexpr char kPathSeparator = '/';

#endif

bool ReadFileVersion(const char* path, int out[4]) {
    if (!out) return false;
    for (int i = 0; i < 4; ++i) out[i] = 0;
    char text[kVersionBufferSize] = {};
    size_t length = QueryVersionString(path, "FileVersion", text, kVersionTextMax);
    // Parse only what was copied: the reported length may run past the copy (a long value) and
    // includes the terminator.
    size_t copied = std::min(length, kVersionTextMax);
    return ParseVersionNumbers(text, strnlen(text, copied), out);
}

bool CopyDirectoryPart(const char* path, size_t length, char separator, char* buffer, size_t size) {
    if (!path || !buffer) return false;
    const char* begin = path;
    const char* end = path + length;
    const char* cut = nullptr;
    for (const char* p = begin; p < end; ++p)
        if (*p == separator) cut = p;
    // A folder cut short would name another folder: report none instead.
    if (!cut || static_cast<size_t>(cut - begin) > size) return false;
    std::memcpy(buffer, begin, cut - begin);
    return true;
}

bool GetModuleDirectory(char* buffer, size_t size) {
    std::string path = GetModuleFilePath();
    if (path.empty()) return false;
    return CopyDirectoryPart(path.data(), path.size(), kPathSeparator, buffer, size);
}

}  // namespace os
