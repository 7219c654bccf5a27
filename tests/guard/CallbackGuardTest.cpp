// The host-edge guard: what reaches the report, and that nothing escapes it.
#include "guard/CallbackGuard.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>

namespace {

struct Case {
    const char* name;
    std::function<void()> body;
    std::optional<std::string> reported;  // nullopt: report not called; "<none>": called with null
};

TEST(CallbackGuard, ReportsWhatTheBodyThrew) {
    const Case cases[] = {
        {"no throw", [] {}, std::nullopt},
        {"std::exception", [] { throw std::runtime_error("car is gone"); }, "car is gone"},
        {"bad_alloc", [] { throw std::bad_alloc(); }, std::bad_alloc().what()},
        {"not an exception", [] { throw 7; }, "<none>"},
    };
    for (const Case& c : cases) {
        std::optional<std::string> reported;
        guardCallback(c.body, [&](const char* what) { reported = what ? what : "<none>"; });
        EXPECT_EQ(reported, c.reported) << c.name;
    }
}

TEST(CallbackGuard, AThrowingReportDoesNotEscape) {
    int reports = 0;
    auto failingReport = [&](const char*) {
        ++reports;
        throw std::bad_alloc();
    };
    guardCallback([] { throw std::runtime_error("x"); }, failingReport);
    guardCallback([] { throw 1; }, failingReport);
    EXPECT_EQ(reports, 2);
}

TEST(CallbackGuard, FailureTextNamesAnUnknownFailure) {
    EXPECT_STREQ(failureText(nullptr), "unknown error");
    EXPECT_STREQ(failureText("boom"), "boom");
}

}  // namespace
