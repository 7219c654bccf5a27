// Stand-in for the Visual C++ runtime's type_info header, for the MSVC-mode compile check only:
// type_info (declared at global scope and named into std, as the runtime does), and the
// failures of dynamic_cast and typeid.
#pragma once

#include <vcruntime_exception.h>

class type_info {
public:
    type_info(const type_info&) = delete;
    type_info& operator=(const type_info&) = delete;
    size_t hash_code() const noexcept;
    bool operator==(const type_info& other) const noexcept;
#if !defined(_MSVC_LANG) || _MSVC_LANG < 202002L
    bool operator!=(const type_info& other) const noexcept;
#endif
    bool before(const type_info& other) const noexcept;
    const char* name() const noexcept;
    const char* raw_name() const noexcept;
    virtual ~type_info() noexcept;

private:
    mutable void* data_;
    char decorated_name_[1];
};

namespace std {
using ::type_info;

class bad_cast : public exception {
public:
    bad_cast() noexcept : exception("bad cast", 1) {}
};

class bad_typeid : public exception {
public:
    bad_typeid() noexcept : exception("bad typeid", 1) {}
};
}  // namespace std
