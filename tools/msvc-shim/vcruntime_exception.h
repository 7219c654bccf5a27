// Stand-in for the Visual C++ runtime's exception header, for the MSVC-mode compile check only:
// std::exception with the runtime's constructors (a message pointer it does not own), and the
// allocation failures std::bad_alloc and std::bad_array_new_length.
#pragma once

#include <eh.h>
#include <vcruntime.h>

extern "C" terminate_handler __cdecl _get_terminate(void);

namespace std {

class exception {
public:
    exception() noexcept : message_(nullptr) {}
    explicit exception(const char* message) noexcept : message_(message) {}
    exception(const char* message, int) noexcept : message_(message) {}
    exception(const exception& other) noexcept = default;
    exception& operator=(const exception& other) noexcept = default;
    virtual ~exception() noexcept {}
    [[nodiscard]] virtual const char* what() const {
        return message_ ? message_ : "Unknown exception";
    }

private:
    const char* message_;
};

class bad_exception : public exception {
public:
    bad_exception() noexcept : exception("bad exception", 1) {}
};

class bad_alloc : public exception {
public:
    bad_alloc() noexcept : exception("bad allocation", 1) {}

private:
    friend class bad_array_new_length;
    bad_alloc(const char* message) noexcept : exception(message, 1) {}
};

class bad_array_new_length : public bad_alloc {
public:
    bad_array_new_length() noexcept : bad_alloc("bad array new length") {}
};

}  // namespace std
