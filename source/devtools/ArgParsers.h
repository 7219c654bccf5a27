// Number parsers of the developer commands, with "(lo,hi,...)" random range words.
#pragma once
#include <string>
#include <vector>

// Largest value of the random source; draws above it are folded into 0 .. kRandomMax so that
// a platform whose rand() spans more than fifteen bits gives the same ranges.
inline constexpr int kRandomMax = 32767;

// The next value of the one shared random sequence (the standard rand, never seeded here),
// in 0 .. kRandomMax.
int nextRandom();

// True for a word "(...)" holding at least one comma.
bool isRangeArg(std::string text);

// The pieces between the commas, in order: n commas give n + 1 pieces, empty ones included.
std::vector<std::string> splitOnComma(std::string text);

// A value drawn from one of the word's "lo,hi" pairs, the pair itself drawn first.
// 0 when a bound is not a finite float or the draw is not finite.
float randomFloatInRanges(std::string text);

// A range word's draw, otherwise the leading number of the word; 0 when none.
// Never NaN or infinite: such words count as words that are not numbers.
float parseFloatArg(std::string text);

// A range word's integer draw between its first two bounds (inclusive, either order), otherwise
// the leading integer of the word; 0 when none or when a number does not fit an int.
int parseIntArg(std::string text);

// True when the word parses to 0.5 or more.
bool parseBoolArg(std::string text);
