// The tables and CSV files of a set of flights.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "Lab.h"
#include "Report.h"

using namespace flightlab;

TEST(FlightLabReport, BodyColumnOnlyWhenBodiesDifferAndCausesOfEachSetup) {
    Flight stock, glide;
    stock.setup = setupFor("stock");
    stock.figures.landed = true;
    stock.figures.airtimeS = 3.5;
    glide.setup = setupFor("My, \"Glide\"");
    glide.setup.body = "merc";
    glide.figures.airtimeS = 10;
    glide.sliders = SliderValues{{Slider::speed, 2.25f}, {Slider::boost, 0}};
    std::ostringstream one, two, sliders, csv;
    writeTable(one, {stock});
    writeTable(two, {stock, glide});
    writeSliderTable(sliders, {stock, glide});
    writePresetsCsv(csv, {glide});
    EXPECT_EQ(one.str().find("body"), std::string::npos);
    EXPECT_NE(two.str().find("stock        octane         3.500"), std::string::npos) << two.str();
    EXPECT_NE(two.str().find("merc          10.000+"), std::string::npos) << two.str();
    EXPECT_NE(sliders.str().find("octane    model off\n"), std::string::npos) << sliders.str();
    EXPECT_NE(sliders.str().find("merc        2.250    0.000"), std::string::npos) << sliders.str();
    EXPECT_NE(csv.str().find("\n\"My, \"\"Glide\"\"\",merc,on,2.25000,0.00000,"), std::string::npos)
        << csv.str();
}

// Trajectory rows read as printf writes them: signs of tiny figures, halves, wide figures.
TEST(FlightLabReport, TrajectoryRowsAreThePrintfFigures) {
    Flight f;
    f.setup = setupFor("stock");
    f.samples = {{7, -0.0004, 2.0005, 1e6 / 3, -1812.6165, 0, 845.2375}};
    std::ostringstream csv;
    writeCsv(csv, {f});
    const Sample& s = f.samples[0];
    char row[512];
    std::snprintf(row, sizeof row, "stock,octane,7,%.4f,%.3f,%.3f,%.3f,%.3f,%.3f,%.3f,%.3f,", 7 * kTickS,
                  s.x, s.y, s.z, s.vx, s.vy, s.vz, std::sqrt(s.vx * s.vx + s.vz * s.vz));
    EXPECT_EQ(csv.str().substr(csv.str().find('\n') + 1, std::strlen(row)), row);
}
