#include "os/library.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace os {

void* OpenLibraryHandle(const std::string& name) {
#ifdef _WIN32
    return reinterpret_cast<void*>(::LoadLibraryA(name.c_str()));
#else
    return ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
#endif
}

void* LibrarySymbol(void* handle, const char* name) {
    if (!handle) return nullptr;
#ifdef _WIN32
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(handle), name));
#else
    return ::dlsym(handle, name);
#endif
}

void CloseLibraryHandle(void* handle) {
    if (!handle) return;
#ifdef _WIN32
    ::FreeLibrary(static_cast<HMODULE>(handle));
#else
    ::dlclose(handle);
#endif
}

bool Library::Open(const std::string& name) {
    Close();
    handle_ = OpenLibraryHandle(name);
    return handle_ != nullptr;
}

void* Library::Symbol(const char* name) const { return LibrarySymbol(handle_, name); }

void Library::Close() {
    CloseLibraryHandle(handle_);
    handle_ = nullptr;
}

}  // namespace os
