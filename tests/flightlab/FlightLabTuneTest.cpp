// The lab core's rules: the tuner's measure of a flight against its targets, the verdict, and
// slider values at a preset's precision.
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
    const auto rows = verdict(t, f, 0.05);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(std::string(rows[1].figure->key), "distance");
    EXPECT_DOUBLE_EQ(rows[1].miss, 0.1);
    EXPECT_FALSE(rows[1].met);
    EXPECT_TRUE(rows[2].met);
    EXPECT_FALSE(allMet(rows));
}

TEST(FlightLabCore, ValuesAtAPresetsPrecisionAndRangesAsThePluginReadsThem) {
    // The float the console holds, written with three decimals, read back.
    EXPECT_EQ(presetValue(2.07039570701279), 2.07f);
    EXPECT_EQ(presetValue(0.0355), 0.036f);  // held as a float, 0.0355000011
    EXPECT_EQ(presetValue(0.0365), 0.036f);  // held as a float, 0.0364999995
    EXPECT_EQ(presetValue(0.000499), 0.0f);  // the plug-in clamps it back to the minimum
    SliderRanges ranges{};
    ranges.fill({0, 10, 1});
    ranges[sliderIndex(Slider::speed)] = {0.000499f, 10, 1};
    EXPECT_EQ(sliderRefusal(Slider::speed, 0.000499, ranges), "");
    EXPECT_EQ(sliderRefusal(Slider::speed, 0.000498, ranges), "wl_speed takes a value from 0.000499 to 10, not 0.000498");
    EXPECT_EQ(sliderRefusal(Slider::lift, 10.5, ranges), "wl_lift takes a value from 0 to 10, not 10.5");
}
