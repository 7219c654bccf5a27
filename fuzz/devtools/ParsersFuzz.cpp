// Fuzz target of the developer commands' number parsers: any word, never a crash, never NaN.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "devtools/ArgParsers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string word(reinterpret_cast<const char*>(data), size);

    // The pieces put back together with their commas give the word again.
    const std::vector<std::string> pieces = splitOnComma(word);
    std::string joined;
    for (std::size_t i = 0; i < pieces.size(); ++i) joined += (i ? "," : "") + pieces[i];
    if (joined != word) __builtin_trap();

    if (!std::isfinite(parseFloatArg(word))) __builtin_trap();
    parseIntArg(word);
    parseBoolArg(word);

    // Also as the inside of a range word, the form that draws at random.
    const std::string range = "(" + word + ")";
    if (isRangeArg(range) != (word.find(',') != std::string::npos)) __builtin_trap();
    if (!std::isfinite(parseFloatArg(range))) __builtin_trap();
    if (isRangeArg(range) && !std::isfinite(randomFloatInRanges(range))) __builtin_trap();
    const int drawn = parseIntArg(range);
    (void)drawn;
    return 0;
}
