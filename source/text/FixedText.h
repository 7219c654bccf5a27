// Fixed-point text of numbers, vectors and quaternions, as the console and the overlay show them.
#pragma once
#include <string>

#include "bakkesmod/wrappers/wrapperstructs.h"

// The value widened to double in fixed-point notation with exactly `decimals` digits after
// the point (none and no point for 0), rounded to nearest as a fixed-format stream does.
// A negative count means six digits, as for a stream. Infinities and NaN come out as the
// stream writes them: "inf", "-inf", "nan", "-nan". No heap allocation for short results.
std::string toFixedString(float value, int decimals);

// "X, Y, Z", each with toFixedString.
std::string vectorToString(Vector v, int decimals);

// "W, X, Y, Z", each with toFixedString: the scalar part first.
std::string quatToString(Quat q, int decimals);
