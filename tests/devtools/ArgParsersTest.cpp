// Tests of the developer commands' number parsers and their random range words.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "devtools/ArgParsers.h"

namespace {

enum class Op { IsRange, Float, Int, Bool };

const char* opName(Op op) {
    switch (op) {
        case Op::IsRange:
            return "isRangeArg";
        case Op::Float:
            return "parseFloatArg";
        case Op::Int:
            return "parseIntArg";
        case Op::Bool:
            return "parseBoolArg";
    }
    return "?";
}

double evaluate(Op op, const std::string& word) {
    switch (op) {
        case Op::IsRange:
            return isRangeArg(word) ? 1.0 : 0.0;
        case Op::Float:
            return parseFloatArg(word);
        case Op::Int:
            return parseIntArg(word);
        case Op::Bool:
            return parseBoolArg(word) ? 1.0 : 0.0;
    }
    return NAN;
}

// One typed word and the closed intervals its result may fall in; a fixed result is the
// interval {v, v}. Random rows are evaluated many times.
struct ParserCase {
    Op op;
    std::string word;
    std::vector<std::pair<double, double>> allowed;
};

std::vector<std::pair<double, double>> exactly(double v) {
    return {{v, v}};
}

}  // namespace

TEST(ArgParsers, TableOfWords) {
    const double intMin = INT_MIN;
    const std::vector<ParserCase> cases = {
        {Op::IsRange, "(1,5)", exactly(1)},
        {Op::IsRange, "(1,5", exactly(0)},
        {Op::IsRange, "1,5)", exactly(0)},
        {Op::IsRange, "(5)", exactly(0)},
        {Op::IsRange, "()", exactly(0)},
        {Op::IsRange, "(,)", exactly(1)},
        {Op::IsRange, "", exactly(0)},
        {Op::IsRange, "(", exactly(0)},
        {Op::IsRange, ")", exactly(0)},
        {Op::Float, "2.5", exactly(2.5)},
        {Op::Float, "abc", exactly(0)},
        {Op::Float, "3abc", exactly(3)},
        {Op::Float, "  -4.25xyz", exactly(-4.25)},
        {Op::Float, "(5)", exactly(0)},
        {Op::Float, "(2,2)", exactly(2)},
        {Op::Float, "(0,10)", {{0, 10}}},
        {Op::Float, "(10,0)", {{0, 10}}},
        {Op::Float, "(0,1,100,101)", {{0, 1}, {100, 101}}},
        {Op::Float, "(1,2,3)", {{1, 2}}},
        {Op::Float, "(1,)", exactly(0)},
        {Op::Float, "(,)", exactly(0)},
        // Words that read as non-finite numbers are not numbers.
        {Op::Float, "nan", exactly(0)},
        {Op::Float, "inf", exactly(0)},
        {Op::Float, "-infinity", exactly(0)},
        {Op::Float, "1e999", exactly(0)},
        {Op::Float, "1e39", exactly(0)},
        // The largest float as printed lies above it but rounds to it; past half a unit in
        // the last place a word rounds to infinity.
        {Op::Float, "3.4028235e38", exactly(FLT_MAX)},
        {Op::Float, "-3.4028235e38", exactly(-FLT_MAX)},
        {Op::Float, "3.4028235677e38", exactly(FLT_MAX)},
        {Op::Float, "3.4028235678e38", exactly(0)},
        {Op::Float, "(nan,1)", exactly(0)},
        {Op::Float, "(0,inf)", exactly(0)},
        {Op::Float, "(1e999,2)", exactly(0)},
        {Op::Float, "(-3e38,3e38)", exactly(0)},
        {Op::Float, "(1e-50,1)", exactly(0)},
        {Op::Int, "7", exactly(7)},
        {Op::Int, "7.9", exactly(7)},
        {Op::Int, "x", exactly(0)},
        {Op::Int, "99999999999", exactly(0)},
        {Op::Int, "2147483647", exactly(INT_MAX)},
        {Op::Int, "-2147483648", exactly(intMin)},
        {Op::Int, "2147483648", exactly(0)},
        {Op::Int, "(5,1)", {{1, 5}}},
        {Op::Int, "(3,3)", exactly(3)},
        {Op::Int, "(-2,2)", {{-2, 2}}},
        {Op::Int, "(1,2,10,20)", {{1, 2}}},
        {Op::Int, "(x,2)", exactly(0)},
        {Op::Int, "(1,99999999999)", exactly(0)},
        // A span wider than an int is clamped; the draw stays at the low end of the range.
        {Op::Int, "(-2147483648,2147483647)", {{intMin, intMin + kRandomMax}}},
        {Op::Bool, "1", exactly(1)},
        {Op::Bool, "0.5", exactly(1)},
        {Op::Bool, "0", exactly(0)},
        {Op::Bool, "0.49", exactly(0)},
        {Op::Bool, "true", exactly(0)},
        {Op::Bool, "yes", exactly(0)},
        {Op::Bool, "nan", exactly(0)},
        {Op::Bool, "(0,1)", {{0, 1}}},
    };
    std::srand(7);
    for (const ParserCase& c : cases) {
        for (int draw = 0; draw < 500; ++draw) {
            const double result = evaluate(c.op, c.word);
            bool inside = false;
            for (const auto& [lo, hi] : c.allowed)
                inside = inside || (lo <= result && result <= hi);
            ASSERT_TRUE(inside) << opName(c.op) << "(\"" << c.word << "\") gave " << result;
        }
    }
}

TEST(ArgParsers, SplitOnCommaKeepsEveryPiece) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"", {""}},
        {"a", {"a"}},
        {"1,5)", {"1", "5)"}},
        {",,", {"", "", ""}},
        {" 1, 2 ,3", {" 1", " 2 ", "3"}},
    };
    for (const auto& [text, pieces] : cases) EXPECT_EQ(splitOnComma(text), pieces) << text;
}

TEST(ArgParsers, RandomRangesStayInBoundsAndReachBothEnds) {
    struct FloatRange {
        std::string word;
        float lo;
        float hi;
    };
    const std::vector<FloatRange> floats = {
        {"(0,10)", 0.0f, 10.0f}, {"(10,0)", 0.0f, 10.0f}, {"(-1000.5,250.25)", -1000.5f, 250.25f}};
    std::srand(12345);
    for (const FloatRange& r : floats) {
        float least = r.hi;
        float most = r.lo;
        for (int i = 0; i < 250000; ++i) {
            const float v = parseFloatArg(r.word);
            ASSERT_GE(v, r.lo) << r.word;
            ASSERT_LE(v, r.hi) << r.word;
            least = std::min(least, v);
            most = std::max(most, v);
        }
        EXPECT_EQ(least, r.lo) << r.word;
        EXPECT_EQ(most, r.hi) << r.word;
    }

    std::set<float> pairsHit;
    for (int i = 0; i < 1000; ++i)
        pairsHit.insert(std::floor(parseFloatArg("(0,1,100,101)") / 100));
    EXPECT_EQ(pairsHit, (std::set<float>{0.0f, 1.0f}));

    for (const auto& [word, lo, hi] : std::vector<std::tuple<std::string, int, int>>{
             {"(-2,2)", -2, 2}, {"(5,1)", 1, 5}, {"(0,3)", 0, 3}}) {
        std::set<int> seen;
        for (int i = 0; i < 2000; ++i) {
            const int v = parseIntArg(word);
            ASSERT_GE(v, lo) << word;
            ASSERT_LE(v, hi) << word;
            seen.insert(v);
        }
        EXPECT_EQ(seen.size(), static_cast<std::size_t>(hi - lo + 1)) << word;
    }
}

TEST(ArgParsers, RangeWordsDrawFromTheSharedSequenceInWordOrder) {
    const unsigned seed = 2026;
    std::srand(seed);
    std::vector<int> r;
    for (int i = 0; i < 9; ++i) r.push_back(std::rand() % (kRandomMax + 1));
    auto draw = [](int value, float lo, float hi) {
        return static_cast<float>(value) / (32767.0f / (hi - lo)) + lo;
    };

    std::srand(seed);
    // One pair: a pick (always pair 0), then the value.
    EXPECT_EQ(parseFloatArg("(0,100)"), draw(r[1], 0.0f, 100.0f));
    EXPECT_EQ(parseFloatArg("5"), 5.0f);  // no draw
    EXPECT_EQ(parseIntArg("(1,6)"), 1 + r[2] % 6);
    const float twoPairs = parseFloatArg("(0,1,100,101)");
    EXPECT_EQ(twoPairs, r[3] % 2 == 0 ? draw(r[4], 0.0f, 1.0f) : draw(r[4], 100.0f, 101.0f));
    // A bound that is no number: the pair pick is used up, the value draw is not.
    EXPECT_EQ(parseFloatArg("(abc,1)"), 0.0f);
    EXPECT_EQ(parseIntArg("(abc,1)"), 0);  // no draw: fails before drawing
    EXPECT_EQ(parseBoolArg("(0,1)"), draw(r[7], 0.0f, 1.0f) >= 0.5f);
    EXPECT_EQ(std::rand() % (kRandomMax + 1), r[8]);
}

TEST(ArgParsers, ClampedIntSpanDrawsFromTheLowEnd) {
    std::srand(99);
    const int r = std::rand() % (kRandomMax + 1);
    std::srand(99);
    EXPECT_EQ(parseIntArg("(2147483647,-2147483648)"), INT_MIN + r);
}
