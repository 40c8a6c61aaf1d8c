#include "os/file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace os {
namespace {

std::string ErrnoText(int err) { return std::strerror(err); }

#ifdef _WIN32
std::string LastErrorText(DWORD err) {
    char buffer[256] = {};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, err, 0, buffer, sizeof buffer, nullptr);
    std::string text(buffer, n);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' ||
                             text.back() == '.'))
        text.pop_back();
    if (text.empty()) text = "system error " + std::to_string(err);
    return text;
}
#endif

void SetReason(std::string* reason, std::string text) {
    if (reason) *reason = std::move(text);
}

// Pushes the written bytes out of the C runtime and the system's cache, so that the replace
// never puts a file in place whose contents are still only in memory.
bool FlushToDisk(FILE* f) {
    if (std::fflush(f) != 0) return false;
#ifdef _WIN32
    return _commit(_fileno(f)) == 0;
#else
    return fsync(fileno(f)) == 0;
#endif
}

}  // namespace

std::string TemporaryPathFor(const std::string& path) { return path + ".tmp"; }

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* out, size_t maxBytes,
                   std::string* reason) {
    out->clear();
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        SetReason(reason, "cannot open the file (" + ErrnoText(errno) + ")");
        return false;
    }
    uint8_t chunk[8192];
    bool ok = true;
    for (;;) {
        const size_t n = std::fread(chunk, 1, sizeof chunk, f);
        if (out->size() + n > maxBytes) {
            SetReason(reason, "the file is larger than " + std::to_string(maxBytes) + " bytes");
            ok = false;
            break;
        }
        out->insert(out->end(), chunk, chunk + n);
        if (n < sizeof chunk) {
            if (std::ferror(f)) {
                SetReason(reason, "cannot read the file (" + ErrnoText(errno) + ")");
                ok = false;
            }
            break;
        }
    }
    std::fclose(f);
    if (!ok) out->clear();
    return ok;
}

bool ReplaceFileWith(const std::string& from, const std::string& to, std::string* reason) {
#ifdef _WIN32
    // MoveFileExA with MOVEFILE_REPLACE_EXISTING replaces the old file in one step whether or not it
    // exists (ReplaceFileA would refuse a missing destination); MOVEFILE_WRITE_THROUGH returns only
    // once the move is on the disk.
    if (!MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        SetReason(reason, "cannot replace the file (" + LastErrorText(GetLastError()) + ")");
        return false;
    }
#else
    if (std::rename(from.c_str(), to.c_str()) != 0) {
        SetReason(reason, "cannot replace the file (" + ErrnoText(errno) + ")");
        return false;
    }
#endif
    return true;
}

bool SaveFileReplacing(const std::string& path, const void* data, size_t size, std::string* reason,
                       const SaveFaults* faults) {
    const std::string tmp = TemporaryPathFor(path);
    FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f) {
        SetReason(reason, "cannot create the file " + tmp + " (" + ErrnoText(errno) + ")");
        return false;
    }

    size_t toWrite = size;
    bool injected = false;
    if (faults && faults->failAfterBytes >= 0 &&
        static_cast<unsigned long long>(faults->failAfterBytes) < size) {
        toWrite = static_cast<size_t>(faults->failAfterBytes);
        injected = true;
    }
    bool ok = std::fwrite(data, 1, toWrite, f) == toWrite && !injected;
    if (!ok) {
        const std::string why = injected ? std::string("disk full") : ErrnoText(errno);
        SetReason(reason, "cannot write the file (" + why + ")");
    }
    if (ok && !FlushToDisk(f)) {
        SetReason(reason, "cannot write the file to the disk (" + ErrnoText(errno) + ")");
        ok = false;
    }
    if (std::fclose(f) != 0 && ok) {
        SetReason(reason, "cannot write the file (" + ErrnoText(errno) + ")");
        ok = false;
    }
    if (ok) {
        if (faults && faults->failReplace) {
            SetReason(reason, "cannot replace the file (injected failure)");
            ok = false;
        } else {
            ok = ReplaceFileWith(tmp, path, reason);
        }
    }
    if (!ok) std::remove(tmp.c_str());
    return ok;
}

}  // namespace os
