// The one place where a callback from the host is kept from throwing back into the host.
#pragma once
#include <exception>

// The text logged for a failure that carries none.
inline const char* failureText(const char* what) { return what ? what : "unknown error"; }

// Runs body. If it throws, report is called with the exception's text, or with nullptr when
// what was thrown is no std::exception. Whatever report itself throws (say, out of memory while
// composing a console line) is dropped: the host gets control back either way.
template <typename Body, typename Report>
void guardCallback(Body&& body, Report&& report) noexcept {
    try {
        body();
    } catch (const std::exception& e) {
        try {
            report(e.what());
        } catch (...) {
        }
    } catch (...) {
        try {
            report(nullptr);
        } catch (...) {
        }
    }
}
