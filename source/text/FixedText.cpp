// Fixed-point text of numbers, vectors and quaternions, as the console and the overlay show them.
#include "text/FixedText.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace {

// A fixed-format stream falls back to six digits when its precision is negative.
constexpr int kStreamDefaultPrecision = 6;
// Sign, the 39 integer digits of the largest float and the point.
constexpr int kFixedOverhead = 41;
constexpr std::size_t kStackDigits = 128;

// Up to this many decimals, a float times 10^decimals is exact in a double: 5^9 has 21
// significant bits and a float 24, together well inside the double's 53.
constexpr int kExactScaleDecimals = 9;
constexpr double kPowersOfTen[kExactScaleDecimals + 1] = {1e0, 1e1, 1e2, 1e3, 1e4,
                                                          1e5, 1e6, 1e7, 1e8, 1e9};
// Below this, every double is an integer or has an exact fractional part, and the integer
// fits 64 bits.
constexpr double kExactIntegerLimit = 9007199254740992.0;  // 2^53

// Writes value in fixed notation at `out` (at least kStackDigits free) and returns the end.
// Short decimals of moderate values go through one exact product and an integer; the rest
// through to_chars. Both round the exact binary value to nearest, ties to even.
char* writeFixed(char* out, float value, int precision) {
    const double wide = value;
    if (precision <= kExactScaleDecimals && std::isfinite(wide)) {
        const double scaled = std::fabs(wide) * kPowersOfTen[precision];
        if (scaled < kExactIntegerLimit) {
            double whole = std::floor(scaled);
            const double rest = scaled - whole;  // exact: both are below 2^53
            if (rest > 0.5 || (rest == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
            auto digits = static_cast<std::uint64_t>(whole);
            char reversed[24];
            int n = 0;
            for (int i = 0; i < precision; ++i, digits /= 10)
                reversed[n++] = static_cast<char>('0' + digits % 10);
            if (precision > 0) reversed[n++] = '.';
            do {
                reversed[n++] = static_cast<char>('0' + digits % 10);
                digits /= 10;
            } while (digits != 0);
            if (std::signbit(wide)) *out++ = '-';
            while (n > 0) *out++ = reversed[--n];
            return out;
        }
    }
    return std::to_chars(out, out + kStackDigits, wide, std::chars_format::fixed, precision).ptr;
}

}  // namespace

std::string toFixedString(float value, int decimals) {
    const int precision = decimals < 0 ? kStreamDefaultPrecision : decimals;
    if (static_cast<std::size_t>(precision) + kFixedOverhead <= kStackDigits) {
        char buffer[kStackDigits];
        return std::string(buffer, writeFixed(buffer, value, precision));
    }
    // to_chars rounds the exact binary value to nearest, as the stream's printf conversion does.
    const double wide = value;
    std::string text(static_cast<std::size_t>(precision) + kFixedOverhead, '\0');
    const auto result = std::to_chars(text.data(), text.data() + text.size(), wide,
                                      std::chars_format::fixed, precision);
    text.resize(static_cast<std::size_t>(result.ptr - text.data()));
    return text;
}

namespace {

// The numbers, each with toFixedString, joined by ", ": written into one buffer and copied
// into the string once when they fit it.
template <std::size_t N>
std::string joinFixed(const float (&values)[N], int decimals) {
    const int precision = decimals < 0 ? kStreamDefaultPrecision : decimals;
    if (static_cast<std::size_t>(precision) + kFixedOverhead <= kStackDigits) {
        char buffer[N * (kStackDigits + 2)];
        char* end = buffer;
        for (std::size_t i = 0; i < N; ++i) {
            if (i > 0) {
                *end++ = ',';
                *end++ = ' ';
            }
            end = writeFixed(end, values[i], precision);
        }
        return std::string(buffer, end);
    }
    std::string text = toFixedString(values[0], decimals);
    for (std::size_t i = 1; i < N; ++i) {
        text += ", ";
        text += toFixedString(values[i], decimals);
    }
    return text;
}

}  // namespace

std::string vectorToString(Vector v, int decimals) {
    const float values[] = {v.X, v.Y, v.Z};
    return joinFixed(values, decimals);
}

std::string quatToString(Quat q, int decimals) {
    const float values[] = {q.W, q.X, q.Y, q.Z};
    return joinFixed(values, decimals);
}
