// Fixed-point text: known cases and agreement with stream formatting.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <locale>
#include <random>
#include <sstream>
#include <vector>

#include "text/FixedText.h"

namespace {

std::string streamFixed(float value, int decimals) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << std::fixed;
    out.precision(decimals);
    out << static_cast<double>(value);
    return out.str();
}

TEST(ToFixedString, KnownCases) {
    struct Case {
        float value;
        int decimals;
        const char* text;
    };
    const Case cases[] = {
        {1.5f, 3, "1.500"},
        {-1.5708f, 2, "-1.57"},
        {2300.0f, 4, "2300.0000"},
        {0.0f, 2, "0.00"},
        {-0.0f, 2, "-0.00"},
        {2.5f, 0, "2"},
        {3.5f, 0, "4"},
        {-2.5f, 0, "-2"},
        {0.125f, 2, "0.12"},
        {0.375f, 2, "0.38"},
        {2.067f, 5, "2.06700"},
        {0.000499f, 6, "0.000499"},
        {1e-7f, 3, "0.000"},
        {-1e-7f, 3, "-0.000"},
        {16777216.0f, 1, "16777216.0"},
        {std::numeric_limits<float>::max(), 0, "340282346638528859811704183484516925440"},
        {1.0f, -1, "1.000000"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(toFixedString(c.value, c.decimals), c.text)
            << c.value << " with " << c.decimals << " decimals";
    }
}

TEST(ToFixedString, NonFiniteValuesAsTheStreamWritesThem) {
    const float values[] = {
        std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
        std::numeric_limits<float>::quiet_NaN(), -std::numeric_limits<float>::quiet_NaN()};
    for (float v : values) {
        for (int decimals : {0, 2, 5})
            EXPECT_EQ(toFixedString(v, decimals), streamFixed(v, decimals));
    }
}

TEST(ToFixedString, AgreesWithStreamFormatting) {
    std::vector<float> values = {0.0f,    -0.0f,  0.5f,     -0.5f,     0.05f,    0.005f,
                                 1.005f,  2.675f, 1.0e-45f, -1.0e-45f, 1.0e-38f, 123456.789f,
                                 9.9995f, 9.995f, 0.045f,   1.0e10f,   -1.0e20f, 3.0e38f};
    // Every multiple of 1/1024 up to 8 has an exact binary value, so many land on halfway
    // points at 2 or 3 decimals.
    for (int i = -8192; i <= 8192; ++i) values.push_back(static_cast<float>(i) / 1024.0f);
    std::mt19937 random(20261207u);
    std::uniform_int_distribution<std::uint32_t> bits;
    for (int i = 0; i < 20000; ++i) {
        const std::uint32_t b = bits(random);
        float v;
        std::memcpy(&v, &b, sizeof v);
        if (std::isfinite(v)) values.push_back(v);
    }
    std::uniform_real_distribution<float> slider(-20.0f, 20.0f);
    for (int i = 0; i < 20000; ++i) values.push_back(slider(random));

    for (float v : values) {
        for (int decimals : {0, 1, 2, 3, 4, 5, 6, 9}) {
            ASSERT_EQ(toFixedString(v, decimals), streamFixed(v, decimals))
                << "value bits of " << v << " with " << decimals << " decimals";
        }
    }
}

TEST(ToFixedString, LongResultsBeyondTheStackBuffer) {
    for (int decimals : {80, 120, 400}) {
        EXPECT_EQ(toFixedString(-std::numeric_limits<float>::max(), decimals),
                  streamFixed(-std::numeric_limits<float>::max(), decimals));
        EXPECT_EQ(toFixedString(1.0e-45f, decimals), streamFixed(1.0e-45f, decimals));
    }
}

TEST(VectorText, JoinsComponentsWithCommaBlank) {
    EXPECT_EQ(vectorToString(Vector(1.0f, 2.5f, -3.0f), 2), "1.00, 2.50, -3.00");
    EXPECT_EQ(vectorToString(Vector(0.0f, -0.0f, 1.0e6f), 0), "0, -0, 1000000");
    EXPECT_EQ(quatToString(Quat(0.7071068f, 0.0f, 0.0f, 0.7071068f), 3),
              "0.707, 0.000, 0.000, 0.707");
    // The scalar part comes first even though it is stored last.
    Quat q;
    q.X = 1.0f;
    q.Y = 2.0f;
    q.Z = 3.0f;
    q.W = 4.0f;
    EXPECT_EQ(quatToString(q, 1), "4.0, 1.0, 2.0, 3.0");
}

}  // namespace
