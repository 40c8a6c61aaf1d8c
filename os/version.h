// The program's own file: its folder and its version, read from the "FileVersion" string of its
// version resource (four numbers, compared with the device's firmware version). The parsing is
// portable; the resource and the module's path are read through the Win32 version API, and a native
// build has no version resource (every reader reports "none").
#pragma once

#include <cstddef>
#include <string>

#include "darvix_version.h"

namespace os {

// The version this build was made with: the numbers in the program's version resource.
constexpr int kProgramVersion[4] = {DARVIX_VERSION_MAJOR, DARVIX_VERSION_MINOR, DARVIX_VERSION_PATCH,
                                    DARVIX_VERSION_TWEAK};
constexpr const char* kProgramVersionText = DARVIX_VERSION_TEXT;

constexpr size_t kVersionBufferSize = 128;  // what the version's text is read into
constexpr size_t kVersionTextMax = 120;     // of which at most this many bytes are copied

// Splits up to four numbers out of the first n characters of text. A field ends at '.' or ',' or
// at the last character (which then belongs to the field); an empty field between two separators
// is skipped; each field is read as a decimal (leading blanks and a sign allowed, stopping at the
// first other character) and a negative number becomes 0. Fields go to out[0..3] in order; the
// unused ones are left as they were. True when at least one number was stored.
// "1.5.15.161" and "1, 5, 15, 161" both give 1, 5, 15, 161.
bool ParseVersionNumbers(const char* text, size_t n, int out[4]);

// The string `name` of the version resource of the file at `path`, for the first language and code
// page of its translation table whose value is not empty. Copies min(length, max) bytes to out and
// returns the value's length as the version API reports it (terminator included); 0 when there is
// none.
size_t QueryVersionString(const char* path, const char* name, char* out, size_t max);

// The four numbers of the "FileVersion" of the file at `path`; out is zeroed first and stays zero
// when the file has no readable version. True when at least one number was found.
bool ReadFileVersion(const char* path, int out[4]);

// The running executable's full path; empty when it cannot be had.
std::string GetModuleFilePath();

// The running executable's folder without its last separator, copied into the caller's zeroed
// buffer (no terminator of its own). False when the path cannot be had, holds no separator, or its
// folder is longer than size characters.
bool GetModuleDirectory(char* buffer, size_t size);

// The part of path[0..length) before its last `separator`, copied as GetModuleDirectory copies it.
bool CopyDirectoryPart(const char* path, size_t length, char separator, char* buffer, size_t size);

}  // namespace os
