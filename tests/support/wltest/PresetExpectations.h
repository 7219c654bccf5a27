// The assertions on two sessions that changed presets side by side, for the Linux and Wine tests.
#pragma once
#include <gtest/gtest.h>

#include <iostream>

#include "wltest/PresetChecks.h"

namespace wltest::presets {

// A change that waited too long for the lock is refused with its line and changes nothing; the
// checks hold for it too. Every other change succeeds. Prints the counts.
inline void expectConcurrentSessionsHeld(const ConcurrencyReport& report, int creates) {
    EXPECT_EQ(report.problems, std::vector<std::string>{});
    EXPECT_LE(report.busy, creates / 50);
    EXPECT_GE(report.added, 2 * creates - report.busy);
    EXPECT_GE(report.removed, creates - report.busy);
    EXPECT_EQ(report.files, report.listed);
    std::cout << "[          ] " << report.added << " added, " << report.removed << " removed, "
              << report.listed << " listed, " << report.files << " files, " << report.busy
              << " refused after waiting for the lock, " << report.problems.size()
              << " problems\n";
}

}  // namespace wltest::presets
