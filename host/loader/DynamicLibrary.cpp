// Opening a shared library and finding its symbols: dlopen on POSIX, LoadLibrary on Windows.
#include "loader/DynamicLibrary.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace host {

#if defined(_WIN32)

std::unique_ptr<DynamicLibrary> DynamicLibrary::open(const std::string& path, std::string& error) {
    HMODULE module = ::LoadLibraryA(path.c_str());
    if (!module) {
        error = "LoadLibrary failed with error " + std::to_string(::GetLastError());
        return nullptr;
    }
    return std::unique_ptr<DynamicLibrary>(new DynamicLibrary(reinterpret_cast<void*>(module)));
}

const char* DynamicLibrary::suffix() { return ".dll"; }

DynamicLibrary::~DynamicLibrary() { ::FreeLibrary(reinterpret_cast<HMODULE>(handle_)); }

void* DynamicLibrary::symbol(const char* name) {
    return reinterpret_cast<void*>(::GetProcAddress(reinterpret_cast<HMODULE>(handle_), name));
}

#else

std::unique_ptr<DynamicLibrary> DynamicLibrary::open(const std::string& path, std::string& error) {
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = ::dlerror();
        error = why ? why : "dlopen failed";
        // The caller names the path; dlerror's text often starts with it too.
        if (error.rfind(path + ": ", 0) == 0) error.erase(0, path.size() + 2);
        return nullptr;
    }
    return std::unique_ptr<DynamicLibrary>(new DynamicLibrary(handle));
}

const char* DynamicLibrary::suffix() { return ".so"; }

DynamicLibrary::~DynamicLibrary() { ::dlclose(handle_); }

void* DynamicLibrary::symbol(const char* name) { return ::dlsym(handle_, name); }

#endif

}  // namespace host
