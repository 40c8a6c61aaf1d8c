// Whole-file reads and saves that never lose the previous file. The last step of a save, putting
// the new file in place of the old one in one move, is the only part that differs between the
// builds (rename() here, MoveFileExA on Windows).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace os {

// Makes a save fail on purpose, so tests can show that the old file survives a full disk or a
// failed replace.
struct SaveFaults {
    long long failAfterBytes = -1;  // the write stops short after this many bytes; -1: never
    bool failReplace = false;       // the final replace fails
};

// Reads the whole file. False, with a reason, when it cannot be opened or read, or when it is
// larger than maxBytes (a wrong file picked by mistake should not fill the memory).
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* out, size_t maxBytes,
                   std::string* reason);

// Writes data to path in three steps: a temporary file beside it ("<path>.tmp"), flushed to the
// disk, then put in place of the old file in one move. False, with a reason, when any step fails;
// the old file is then left whole and the temporary file is removed.
bool SaveFileReplacing(const std::string& path, const void* data, size_t size, std::string* reason,
                       const SaveFaults* faults = nullptr);

// Puts the file `from` in place of `to` in one move, replacing `to` when it exists.
bool ReplaceFileWith(const std::string& from, const std::string& to, std::string* reason);

// The temporary file a save of `path` writes first.
std::string TemporaryPathFor(const std::string& path);

}  // namespace os
