// Opening a shared library and finding its symbols: the loader's only platform calls.
#pragma once
#include <memory>
#include <string>

namespace host {

class DynamicLibrary {
public:
    // Opens the library with every symbol resolved now and kept local to it.
    // Null with ERROR set when it does not open.
    static std::unique_ptr<DynamicLibrary> open(const std::string& path, std::string& error);
    // The platform's file name suffix of a plug-in library (".so" or ".dll").
    static const char* suffix();

    ~DynamicLibrary();  // closes the library
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    // Null when the library has no such symbol.
    void* symbol(const char* name);

private:
    explicit DynamicLibrary(void* handle) : handle_(handle) {}
    void* handle_;
};

}  // namespace host
