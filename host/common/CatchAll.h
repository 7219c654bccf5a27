// How the host survives a plug-in callback that throws: one reported line, then carry on.
#pragma once
#include <exception>
#include <string>

namespace host {

// Runs fn and returns true. When it throws, returns false after passing one line to report:
// "WHAT threw: MESSAGE", or "WHAT threw an unknown exception" for what is no std::exception.
// what() composes WHAT only then, so a callback that succeeds costs no string work.
template <typename Fn, typename What, typename Report>
bool catchAll(Fn&& fn, What&& what, Report&& report) {
    try {
        fn();
        return true;
    } catch (const std::exception& e) {
        report(std::string(what()) + " threw: " + e.what());
    } catch (...) {
        report(std::string(what()) + " threw an unknown exception");
    }
    return false;
}

}  // namespace host
