// Fixed-point text of numbers, vectors and quaternions, as the console and the overlay show them.
#include "text/FixedText.h"

#include <charconv>
#include <cstddef>

namespace {

// A fixed-format stream falls back to six digits when its precision is negative.
constexpr int kStreamDefaultPrecision = 6;
// Sign, the 39 integer digits of the largest float and the point.
constexpr int kFixedOverhead = 41;
constexpr std::size_t kStackDigits = 128;

}  // namespace

std::string toFixedString(float value, int decimals) {
    const int precision = decimals < 0 ? kStreamDefaultPrecision : decimals;
    const double wide = value;
    // to_chars rounds the exact binary value to nearest, as the stream's printf conversion does.
    if (static_cast<std::size_t>(precision) + kFixedOverhead <= kStackDigits) {
        char buffer[kStackDigits];
        const auto result =
            std::to_chars(buffer, buffer + kStackDigits, wide, std::chars_format::fixed, precision);
        return std::string(buffer, result.ptr);
    }
    std::string text(static_cast<std::size_t>(precision) + kFixedOverhead, '\0');
    const auto result = std::to_chars(text.data(), text.data() + text.size(), wide,
                                      std::chars_format::fixed, precision);
    text.resize(static_cast<std::size_t>(result.ptr - text.data()));
    return text;
}

namespace {

// The numbers, each with toFixedString, joined by ", ".
template <std::size_t N>
std::string joinFixed(const float (&values)[N], int decimals) {
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
