// The model's float square root against the root taken in double and rounded to float, for
// every non-negative float: +0, the subnormals, the normals and +infinity.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdint>
#include <thread>
#include <vector>

#include "aero/AeroModel.h"

namespace {

// The compiler knows the two roots agree and would fold the comparison away: the reference's
// argument goes through a factor it cannot see to be 1.
volatile double gOne = 1.0;

std::uint64_t mismatchesIn(std::uint32_t from, std::uint32_t to) {
    const double one = gOne;
    std::uint64_t mismatches = 0;
    for (std::uint32_t bits = from; bits < to; ++bits) {
        const float x = std::bit_cast<float>(bits);
        const float viaDouble = static_cast<float>(std::sqrt(static_cast<double>(x) * one));
        mismatches += std::bit_cast<std::uint32_t>(aero::sqrtOfFloat(x)) != std::bit_cast<std::uint32_t>(viaDouble);
    }
    return mismatches;
}

TEST(SquareRoot, EqualsTheRoundedDoubleRootForEveryNonNegativeFloat) {
    constexpr std::uint32_t kEnd = 0x7F800001u;  // one past +infinity
    const unsigned parts = std::max(1u, std::thread::hardware_concurrency());
    std::atomic<std::uint64_t> mismatches{0};
    std::vector<std::thread> workers;
    for (unsigned p = 0; p < parts; ++p) {
        const auto from = static_cast<std::uint32_t>(std::uint64_t{kEnd} * p / parts);
        const auto to = static_cast<std::uint32_t>(std::uint64_t{kEnd} * (p + 1) / parts);
        workers.emplace_back([&mismatches, from, to] { mismatches += mismatchesIn(from, to); });
    }
    for (std::thread& w : workers) w.join();
    EXPECT_EQ(mismatches.load(), 0u);
}

}  // namespace
