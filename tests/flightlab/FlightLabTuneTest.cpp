// The tuner's measure of a flight against its targets.
#include <gtest/gtest.h>

#include "Tune.h"

using namespace flightlab;

TEST(FlightLabTune, ErrorSumsRelativeMissesOfTheSetTargetsOnly) {
    Figures f;
    f.landed = true;
    f.airtimeS = 5.5;
    f.distanceUu = 11000;
    f.topHeightUu = 1000;
    f.landingSpeedUu = 2000;
    TuneTargets t;
    t.airtimeS = 5;
    EXPECT_DOUBLE_EQ(tuneError(t, f), 0.1);
    t.distanceUu = 10000;
    t.landingSpeedUu = 2000;
    EXPECT_DOUBLE_EQ(tuneError(t, f), 0.2);
}
