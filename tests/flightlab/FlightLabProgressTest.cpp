// Progress of long work: plain lines, or a bar on a terminal.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "Progress.h"

using namespace flightlab;

TEST(FlightLabProgress, PlainLinesAtEachTenthAndABarOnATerminal) {
    std::ostringstream plain, bar;
    Progress lines(plain, false, "flights", 100), drawn(bar, true, "flights", 100);
    for (std::size_t i = 1; i <= 100; ++i) {
        lines.update(i);
        drawn.update(i);
    }
    drawn.finish();
    const std::string text = plain.str();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 10) << text;
    EXPECT_NE(plain.str().find("flightlab: flights 100 of 100\n"), std::string::npos);
    EXPECT_NE(bar.str().find("\rflights [##############################] 100% "), std::string::npos);
    std::ostringstream few;
    Progress quiet(few, false, "flights", 6);
    quiet.update(6);
    EXPECT_EQ(few.str(), "");
}
