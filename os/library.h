// Loading a shared library at run time: LoadLibraryA/GetProcAddress on Windows, dlopen elsewhere.
#pragma once

#include <string>

namespace os {

class Library {
public:
    Library() = default;
    ~Library() { Close(); }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    // Opens the library by name (searched as the platform searches); false when it is not found.
    bool Open(const std::string& name);
    bool IsOpen() const { return handle_ != nullptr; }
    // The address of an exported symbol, or nullptr.
    void* Symbol(const char* name) const;
    void Close();

private:
    void* handle_ = nullptr;
};

// The same operations on a bare module handle, for code that keeps the handle itself (the FTDI
// binding stores it in a table slot). A null handle is accepted everywhere and does nothing.
void* OpenLibraryHandle(const std::string& name);
void* LibrarySymbol(void* handle, const char* name);
void CloseLibraryHandle(void* handle);

}  // namespace os
