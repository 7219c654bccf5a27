// Number parsers of the developer commands: plain numbers and random range words.
#include "devtools/ArgParsers.h"

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <utility>

namespace {

// The smallest magnitude that rounds to infinity as a float: FLT_MAX plus half a unit in its
// last place (2^128 - 2^103), exactly representable as a double. Below it the narrowing rounds
// to at most FLT_MAX; at it, rounding to even gives infinity.
constexpr double kFloatOverflowThreshold = 0x1.ffffffp+127;
static_assert(kFloatOverflowThreshold - static_cast<double>(FLT_MAX) == 0x1p+103);

// Reads the leading float of a piece the way std::stof does, without throwing: leading blanks
// skipped, the rest of the piece ignored. Fails on no number, on a value outside the float
// range, and on NaN or infinity, so that no non-finite bound ever reaches a draw.
bool readFloat(const std::string& piece, float& out) {
    const char* begin = piece.c_str();
    char* end = nullptr;
    errno = 0;
    const float value = std::strtof(begin, &end);
    if (end == begin || errno == ERANGE || !std::isfinite(value)) {
        return false;
    }
    out = value;
    return true;
}

// Reads the leading base-10 integer of a piece the way std::stoi does, without throwing.
bool readInt(const std::string& piece, int& out) {
    const char* begin = piece.c_str();
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(begin, &end, 10);
    if (end == begin || errno == ERANGE || value < INT_MIN || value > INT_MAX) {
        return false;
    }
    out = static_cast<int>(value);
    return true;
}

}  // namespace

int nextRandom() {
    return std::rand() % (kRandomMax + 1);
}

bool isRangeArg(std::string text) {
    return text.size() >= 2 && text.front() == '(' && text.back() == ')' &&
           text.find(',') != std::string::npos;
}

std::vector<std::string> splitOnComma(std::string text) {
    std::vector<std::string> pieces;
    std::string::size_type start = 0;
    for (;;) {
        const std::string::size_type comma = text.find(',', start);
        if (comma == std::string::npos) {
            pieces.push_back(text.substr(start));
            return pieces;
        }
        pieces.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
}

float randomFloatInRanges(std::string text) {
    if (text.empty()) {
        return 0.0f;
    }
    // The last piece keeps the closing bracket; the float read stops before it.
    const std::vector<std::string> pieces = splitOnComma(text.substr(1));
    const std::size_t pairs = pieces.size() / 2;
    if (pairs == 0) {
        return 0.0f;
    }
    const std::size_t k = static_cast<std::size_t>(nextRandom()) % pairs;
    float lo = 0.0f;
    float hi = 0.0f;
    if (!readFloat(pieces[2 * k], lo) || !readFloat(pieces[2 * k + 1], hi)) {
        return 0.0f;
    }
    const float r = static_cast<float>(nextRandom());
    const float span = hi - lo;
    if (span == 0.0f) {
        return lo;
    }
    if (!std::isfinite(span)) {
        return 0.0f;
    }
    const float drawn = r / (static_cast<float>(kRandomMax) / span) + lo;
    if (!std::isfinite(drawn)) {
        return 0.0f;
    }
    // Rounding of the last step may overshoot a bound by one unit in the last place.
    return std::clamp(drawn, std::min(lo, hi), std::max(lo, hi));
}

float parseFloatArg(std::string text) {
    if (isRangeArg(text)) {
        return randomFloatInRanges(text);
    }
    // atof semantics, narrowed to float. A value that rounds to a finite float is that float
    // (the largest float printed with nine digits lies a little above it); one that would round
    // to infinity is no number at all.
    const double value = std::strtod(text.c_str(), nullptr);
    if (!std::isfinite(value) || std::fabs(value) >= kFloatOverflowThreshold) {
        return 0.0f;
    }
    return static_cast<float>(value);
}

int parseIntArg(std::string text) {
    int value = 0;
    if (!isRangeArg(text)) {
        return readInt(text, value) ? value : 0;
    }
    // The first bound is read from the text between "(" and the first comma (comma included),
    // the second from everything after that comma, so only the first pair counts.
    const std::string::size_type comma = text.find(',');
    int lo = 0;
    int hi = 0;
    if (!readInt(text.substr(1, comma), lo) || !readInt(text.substr(comma + 1), hi)) {
        return 0;
    }
    if (lo > hi) {
        std::swap(lo, hi);
    }
    // A span wider than the largest int is clamped to it; the draw stays within lo .. hi.
    const std::int64_t span =
        std::min<std::int64_t>(static_cast<std::int64_t>(hi) - lo + 1, INT_MAX);
    return static_cast<int>(lo + nextRandom() % span);
}

bool parseBoolArg(std::string text) {
    return parseFloatArg(std::move(text)) >= 0.5f;
}
