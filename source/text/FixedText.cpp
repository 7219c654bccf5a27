// Fixed-point text of numbers, vectors and quaternions, as the console and the overlay show them.
#include "text/FixedText.h"

#include <version>
#if defined(__cpp_lib_bitops)
#include <bit>
#endif

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

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

// "00" to "99": digits are taken off two at a time, halving the chain of dependent divisions.
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes the last `count` decimal digits of `value`, leading zeros included, so that they end
// just before `end`, and returns where they begin; `value` keeps what is left above them.
template <typename U>
char* putDigits(char* end, U& value, int count) {
    for (; count >= 2; count -= 2) {
        end -= 2;
        std::memcpy(end, kDigitPairs + 2 * (value % 100), 2);
        value /= 100;
    }
    if (count == 1) {
        *--end = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return end;
}

// 10^n for every n a 64-bit integer holds.
constexpr std::uint64_t kIntegerPowersOfTen[] = {
    1ull,
    10ull,
    100ull,
    1000ull,
    10000ull,
    100000ull,
    1000000ull,
    10000000ull,
    100000000ull,
    1000000000ull,
    10000000000ull,
    100000000000ull,
    1000000000000ull,
    10000000000000ull,
    100000000000000ull,
    1000000000000000ull,
    10000000000000000ull,
    100000000000000000ull,
    1000000000000000000ull,
    10000000000000000000ull};

// Writes `units` at `out` as a number with its last `precision` digits after a point and at
// least one digit before it; returns the end. The length is known first, so the digits go
// straight to their places, last one first.
template <typename U>
char* putFixed(char* out, U units, int precision) {
#if defined(__cpp_lib_bitops)
    // The decimal digit count from the binary width: bits * 1233 / 4096 is floor(bits * log10 2)
    // for every width up to 64, which is the count or one less; one comparison tells which.
    const int guess = (std::bit_width(units) * 1233) >> 12;
    const int digits = std::max(1, guess + (units >= kIntegerPowersOfTen[guess] ? 1 : 0));
#else
    // Before C++20 (no std::bit_width): a power of ten at a time.
    int digits = 1;
    while (digits < 20 && units >= kIntegerPowersOfTen[digits]) ++digits;
#endif
    const int whole = digits > precision ? digits - precision : 1;
    char* const end = out + whole + (precision > 0 ? precision + 1 : 0);
    char* p = putDigits(end, units, precision);
    if (precision > 0) *--p = '.';
    putDigits(p, units, whole);
    return end;
}

// Writes value in fixed notation at `out` (at least kStackDigits free) and returns the end.
// Short decimals of moderate values go through one exact product and an integer; the rest
// through to_chars. Both round the exact binary value to nearest, ties to even.
char* writeFixed(char* out, float value, int precision) {
    const double wide = value;
    if (precision <= kExactScaleDecimals) {
        const double scaled = std::fabs(wide) * kPowersOfTen[precision];
        // False for NaN and infinities too.
        if (scaled < kExactIntegerLimit) {
            // The conversion truncates, which for a non-negative value is the floor; signed
            // 64-bit conversions are single instructions both ways, unsigned ones are not.
            const auto whole = static_cast<std::int64_t>(scaled);
            const double rest = scaled - static_cast<double>(whole);  // exact: both below 2^53
            auto units = static_cast<std::uint64_t>(whole);
            if (rest > 0.5 || (rest == 0.5 && (units & 1u) != 0)) ++units;
            if (std::signbit(wide)) *out++ = '-';
            // 32-bit steps where the value fits them: cheaper than 64-bit ones.
            return units <= UINT32_MAX ? putFixed(out, static_cast<std::uint32_t>(units), precision)
                                       : putFixed(out, units, precision);
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
